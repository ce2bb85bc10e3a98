#pragma once
// Where brpublish shows the wizard: in a window (the Qt driver, libbrui-qt.so, loaded at
// run time so that brpublish runs without Qt wherever no window is wanted) or in the
// terminal. Without a choice the window is taken when a display is available.
#include <iosfwd>
#include <memory>
#include <string>

class CUiDriver;

class WizardUi {
 public:
  enum class Kind { Window, Terminal };

  // From --ui: "window", "terminal", or empty for the default. UsageError for anything else.
  static Kind Choose(const std::string& option);
  // DISPLAY or WAYLAND_DISPLAY is set.
  static bool DisplayAvailable();

  // Makes the driver; std::runtime_error with the reason when the window cannot be had.
  WizardUi(Kind kind, std::istream& in, std::ostream& out);
  ~WizardUi();
  WizardUi(const WizardUi&) = delete;
  WizardUi& operator=(const WizardUi&) = delete;

  Kind kind() const { return kind_; }
  CUiDriver& driver() { return *driver_; }

 private:
  class QtLibrary;

  Kind kind_;
  std::unique_ptr<QtLibrary> qt_;
  std::unique_ptr<CUiDriver> terminal_;
  CUiDriver* driver_ = nullptr;
};
