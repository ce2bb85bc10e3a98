#include "tools/brpublish/WizardUi.h"

#include <dlfcn.h>

#include <cstdlib>
#include <stdexcept>

#include "platform/ui/CTerminalDriver.h"
#include "platform/ui/qt/QtDriverEntry.h"
#include "tools/support/UsageError.h"

namespace {

constexpr const char* kQtDriverLibrary = "libbrui-qt.so";

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

// libbrui-qt.so and the driver made by it; the driver goes before the library.
class WizardUi::QtLibrary {
 public:
  QtLibrary() {
    // Qt keeps threads, handlers and allocations of its own for the life of the process, also
    // after a failed start: once loaded, the library stays (a dlclose does not unload it).
    handle_ = ::dlopen(kQtDriverLibrary, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle_) {
      const char* why = ::dlerror();
      throw std::runtime_error(std::string("cannot load the window driver ") + kQtDriverLibrary + ": " +
                               (why ? why : "unknown reason") + " (is Qt 6 installed? --ui terminal works without it)");
    }
    auto create = reinterpret_cast<BruiQtCreateDriverFn>(::dlsym(handle_, "bruiQtCreateDriver"));
    destroy_ = reinterpret_cast<BruiQtDestroyDriverFn>(::dlsym(handle_, "bruiQtDestroyDriver"));
    if (!create || !destroy_) {
      ::dlclose(handle_);
      throw std::runtime_error(std::string(kQtDriverLibrary) + " lacks its entry points");
    }
    char why[256] = {};
    driver_ = create(why, sizeof why);
    if (!driver_) {
      ::dlclose(handle_);
      throw std::runtime_error(std::string("cannot open a window: ") + why + " (--ui terminal asks in the terminal)");
    }
  }
  ~QtLibrary() {
    destroy_(driver_);
  }
  QtLibrary(const QtLibrary&) = delete;
  QtLibrary& operator=(const QtLibrary&) = delete;

  CUiDriver& driver() { return *driver_; }

 private:
  void* handle_ = nullptr;
  BruiQtDestroyDriverFn destroy_ = nullptr;
  CUiDriver* driver_ = nullptr;
};

WizardUi::Kind WizardUi::Choose(const std::string& option) {
  if (option == "window") return Kind::Window;
  if (option == "terminal") return Kind::Terminal;
  if (!option.empty()) throw UsageError("--ui takes window or terminal, not '" + option + "'");
  return DisplayAvailable() ? Kind::Window : Kind::Terminal;
}

bool WizardUi::DisplayAvailable() { return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY"); }

WizardUi::WizardUi(Kind kind, std::istream& in, std::ostream& out) : kind_(kind) {
  if (kind == Kind::Window) {
    qt_ = std::make_unique<QtLibrary>();
    driver_ = &qt_->driver();
  } else {
    terminal_ = std::make_unique<CTerminalDriver>(in, out);
    driver_ = terminal_.get();
  }
}

WizardUi::~WizardUi() = default;
