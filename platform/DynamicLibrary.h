#pragma once
// The dynamic loading layer: load a shared library by file name, look up its
// symbols by name or by ordinal, release it. Over dlopen.
//
// File names follow the Windows habit of the callers and are mapped:
//   "X.dll"  -> "libX.so"   (".dll" in any letter case)
//   "X"      -> "libX.so"   (no extension at all)
//   anything else is used as given ("libfoo.so", "foo.so.1").
// A directory part is kept: "dir/X.dll" -> "dir/libX.so". Without a directory
// the normal library search path applies (LD_LIBRARY_PATH, the cache, ...).
// An ordinal N is looked up as the exported symbol "ordinal_N".
//
// Two ways to use it: the free functions below, shaped like the calls they
// replace (a null handle or address means failure), or the owning class
// DynamicLibrary, which releases its library when destroyed.

#include <string>

namespace platform {

using ModuleHandle = void*;
using ProcAddress = void*;

// The file name that loadLibrary hands to the system for a given name.
std::string sharedLibraryFileName(const std::string& name);

// The symbol name under which ordinal N is exported: "ordinal_N".
std::string ordinalSymbolName(unsigned ordinal);

ModuleHandle loadLibrary(const char* fileName);             // null on failure
ProcAddress getProcAddress(ModuleHandle module, const char* name);
ProcAddress getProcAddress(ModuleHandle module, unsigned ordinal);
bool freeLibrary(ModuleHandle module);                       // false on failure

// Text of the last loading failure of this thread ("" when none).
std::string lastLoadError();

// An owned, loaded library. Movable, not copyable.
class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  explicit DynamicLibrary(const std::string& fileName);  // check loaded()
  ~DynamicLibrary();
  DynamicLibrary(DynamicLibrary&& other) noexcept;
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  bool loaded() const { return module_ != nullptr; }
  ModuleHandle handle() const { return module_; }

  ProcAddress symbol(const char* name) const;   // null when absent or not loaded
  ProcAddress symbol(unsigned ordinal) const;

  // The symbol as a function pointer type, e.g. function<int (*)(int)>("f").
  template <typename Fn>
  Fn function(const char* name) const { return reinterpret_cast<Fn>(symbol(name)); }
  template <typename Fn>
  Fn function(unsigned ordinal) const { return reinterpret_cast<Fn>(symbol(ordinal)); }

  // Gives up ownership without releasing the library.
  ModuleHandle release();
  // Releases the library now (does nothing when none is loaded).
  void reset();

 private:
  ModuleHandle module_ = nullptr;
};

}  // namespace platform
