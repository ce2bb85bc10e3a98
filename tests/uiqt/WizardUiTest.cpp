// brpublish's choice of where the wizard shows, and the window driver loaded at run time.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/ui/CTerminalDriver.h"
#include "platform/ui/qt/CQtDriver.h"
#include "tools/brpublish/WizardUi.h"
#include "tools/support/UsageError.h"

namespace {

// Sets or removes environment variables for the life of the object.
class Environment {
 public:
  void Set(const char* name, const char* value) {
    const char* before = getenv(name);
    m_saved.push_back({name, before ? before : "", before != nullptr});
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~Environment() {
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
      if (it->had) {
        setenv(it->name.c_str(), it->value.c_str(), 1);
      } else {
        unsetenv(it->name.c_str());
      }
    }
  }

 private:
  struct Saved {
    std::string name, value;
    bool had;
  };
  std::vector<Saved> m_saved;
};

TEST(WizardUiTest, ChoosesTheWindowUnderADisplayAndTheTerminalWithout) {
  struct Case {
    const char* option;
    const char* display;
    const char* wayland;
    WizardUi::Kind kind;
  };
  const std::vector<Case> cases = {
      {"", ":0", nullptr, WizardUi::Kind::Window},
      {"", nullptr, "wayland-0", WizardUi::Kind::Window},
      {"", nullptr, nullptr, WizardUi::Kind::Terminal},
      {"", "", nullptr, WizardUi::Kind::Terminal},
      {"terminal", ":0", nullptr, WizardUi::Kind::Terminal},
      {"window", nullptr, nullptr, WizardUi::Kind::Window},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.option) + " DISPLAY=" + (c.display ? c.display : "(none)"));
    Environment environment;
    environment.Set("DISPLAY", c.display);
    environment.Set("WAYLAND_DISPLAY", c.wayland);
    EXPECT_EQ(WizardUi::Choose(c.option), c.kind);
  }
  EXPECT_THROW(WizardUi::Choose("Window"), UsageError);
  EXPECT_THROW(WizardUi::Choose("gui"), UsageError);
}

TEST(WizardUiTest, LoadsTheWindowDriverOrTheTerminalDriver) {
  std::istringstream in;
  std::ostringstream out;
  WizardUi window(WizardUi::Kind::Window, in, out);
  EXPECT_NE(dynamic_cast<CQtDriver*>(&window.driver()), nullptr);
  WizardUi terminal(WizardUi::Kind::Terminal, in, out);
  EXPECT_NE(dynamic_cast<CTerminalDriver*>(&terminal.driver()), nullptr);
}

}  // namespace
