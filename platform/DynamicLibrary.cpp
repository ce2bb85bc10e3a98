#include "platform/DynamicLibrary.h"

#include <strings.h>

#include <dlfcn.h>

namespace platform {
namespace {

thread_local std::string tlsLoadError;

void recordLoadError() {
  const char* text = ::dlerror();
  tlsLoadError = text ? text : "unknown dynamic loading failure";
}

bool endsWithDll(const std::string& s) {
  return s.size() >= 4 && ::strcasecmp(s.c_str() + s.size() - 4, ".dll") == 0;
}

// The folder of the shared object (or program) that holds this code, with its slash;
// "" when it cannot be told.
std::string folderOfThisObject() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&recordLoadError), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  const std::string path = info.dli_fname;
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::string sharedLibraryFileName(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  const std::size_t baseStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string directory = name.substr(0, baseStart);
  std::string base = name.substr(baseStart);
  if (endsWithDll(base)) {
    base.resize(base.size() - 4);
  } else if (base.empty() || base.find('.') != std::string::npos) {
    return name;
  }
  return directory + "lib" + base + ".so";
}

std::string ordinalSymbolName(unsigned ordinal) { return "ordinal_" + std::to_string(ordinal); }

ModuleHandle loadLibrary(const char* fileName) {
  if (fileName == nullptr || *fileName == '\0') {
    tlsLoadError = "no library name";
    return nullptr;
  }
  const std::string mapped = sharedLibraryFileName(fileName);
  ModuleHandle module = ::dlopen(mapped.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module != nullptr) return module;
  recordLoadError();
  // A bare name that the search path does not find is looked for beside the library
  // that asks for it: the libraries we load are installed next to ours. (The run path
  // of our library says the same, but an interposed dlopen, as under the sanitizers,
  // searches on behalf of another object and misses it.)
  if (mapped.find('/') == std::string::npos) {
    const std::string folder = folderOfThisObject();
    if (!folder.empty()) {
      const std::string besideUs = folder + mapped;
      module = ::dlopen(besideUs.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (module != nullptr) {
        tlsLoadError.clear();
        return module;
      }
    }
  }
  return nullptr;
}

ProcAddress getProcAddress(ModuleHandle module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  ::dlerror();
  ProcAddress address = ::dlsym(module, name);
  if (address == nullptr) recordLoadError();
  return address;
}

ProcAddress getProcAddress(ModuleHandle module, unsigned ordinal) {
  return getProcAddress(module, ordinalSymbolName(ordinal).c_str());
}

bool freeLibrary(ModuleHandle module) {
  if (module == nullptr) return false;
  if (::dlclose(module) != 0) {
    recordLoadError();
    return false;
  }
  return true;
}

std::string lastLoadError() { return tlsLoadError; }

DynamicLibrary::DynamicLibrary(const std::string& fileName) : module_(loadLibrary(fileName.c_str())) {}

DynamicLibrary::~DynamicLibrary() { reset(); }

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept : module_(other.release()) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    reset();
    module_ = other.release();
  }
  return *this;
}

ProcAddress DynamicLibrary::symbol(const char* name) const { return getProcAddress(module_, name); }

ProcAddress DynamicLibrary::symbol(unsigned ordinal) const { return getProcAddress(module_, ordinal); }

ModuleHandle DynamicLibrary::release() {
  ModuleHandle module = module_;
  module_ = nullptr;
  return module;
}

void DynamicLibrary::reset() {
  if (module_ != nullptr) freeLibrary(release());
}

}  // namespace platform
