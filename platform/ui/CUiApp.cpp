#include "platform/ui/CUiApp.h"

#include <mutex>

#include "platform/ui/CUiDriver.h"

namespace {

struct AppState {
  std::mutex mutex;
  CString appName = "Brindle";
  CString helpFilePath;
  CWnd* mainWnd = nullptr;
  CUiDriver* driver = nullptr;
};

// Never destroyed: libraries may show a message box while the process exits.
AppState& State() {
  static AppState* state = new AppState;
  return *state;
}

CUiDriver& DefaultDriver() {
  static CHeadlessDriver* driver = new CHeadlessDriver;
  return *driver;
}

}  // namespace

void CUiApp::SetAppName(const char* name) {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().appName = name;
}

CString CUiApp::GetAppName() {
  std::lock_guard<std::mutex> lock(State().mutex);
  return State().appName;
}

void CUiApp::SetHelpFilePath(const char* path) {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().helpFilePath = path;
}

CString CUiApp::GetHelpFilePath() {
  std::lock_guard<std::mutex> lock(State().mutex);
  return State().helpFilePath;
}

void CUiApp::SetMainWnd(CWnd* window) {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().mainWnd = window;
}

CWnd* CUiApp::GetMainWnd() {
  std::lock_guard<std::mutex> lock(State().mutex);
  return State().mainWnd;
}

CUiDriver* CUiApp::SetDriver(CUiDriver* driver) {
  std::lock_guard<std::mutex> lock(State().mutex);
  CUiDriver* previous = State().driver;
  State().driver = driver;
  return previous;
}

CUiDriver& CUiApp::GetDriver() {
  std::lock_guard<std::mutex> lock(State().mutex);
  return State().driver ? *State().driver : DefaultDriver();
}

CUiDriverScope::CUiDriverScope(CUiDriver& driver) : m_previous(CUiApp::SetDriver(&driver)) {}

CUiDriverScope::~CUiDriverScope() { CUiApp::SetDriver(m_previous); }
