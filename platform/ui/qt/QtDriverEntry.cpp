#include "platform/ui/qt/QtDriverEntry.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "platform/ui/qt/CQtDriver.h"

namespace {

void SetError(char* error, std::size_t capacity, const std::string& text) {
  if (!error || capacity == 0) return;
  std::snprintf(error, capacity, "%s", text.c_str());
}

bool HasEnv(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// Qt ends the process when it cannot open its display, so a local X display (":N") is
// tried first: its socket must accept a connection.
bool LocalXDisplayAnswers(const std::string& display) {
  std::string rest = display;
  if (rest.rfind("unix:", 0) == 0) rest = rest.substr(4);
  if (rest.empty() || rest[0] != ':') return true;  // a remote display: left to Qt
  const std::string number = rest.substr(1, rest.find('.') == std::string::npos ? std::string::npos : rest.find('.') - 1);
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = "/tmp/.X11-unix/X" + number;
  if (path.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool answers = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  ::close(fd);
  return answers;
}

}  // namespace

extern "C" CUiDriver* bruiQtCreateDriver(char* error, std::size_t capacity) {
  const bool platformChosen = HasEnv("QT_QPA_PLATFORM");
  if (!platformChosen && !HasEnv("DISPLAY") && !HasEnv("WAYLAND_DISPLAY")) {
    SetError(error, capacity, "no display (DISPLAY and WAYLAND_DISPLAY are not set)");
    return nullptr;
  }
  if (!platformChosen && !HasEnv("WAYLAND_DISPLAY") && !LocalXDisplayAnswers(std::getenv("DISPLAY"))) {
    SetError(error, capacity, std::string("cannot open display ") + std::getenv("DISPLAY"));
    return nullptr;
  }
  try {
    return new CQtDriver;
  } catch (const std::exception& e) {
    SetError(error, capacity, e.what());
    return nullptr;
  }
}

extern "C" void bruiQtDestroyDriver(CUiDriver* driver) { delete driver; }
