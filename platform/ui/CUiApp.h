#pragma once
// Process-wide state of the host application as the framework sees it: its name (the
// default caption of message boxes), its help file, its main window and the driver.
#include "brindle/export.h"
#include "platform/ui/CString.h"

class CUiDriver;
class CWnd;

class BRINDLE_EXPORT CUiApp {
 public:
  static void SetAppName(const char* name);
  static CString GetAppName();  // "Brindle" until the host sets one
  static void SetHelpFilePath(const char* path);
  static CString GetHelpFilePath();
  // The host's main window (not owned); none by default.
  static void SetMainWnd(CWnd* window);
  static CWnd* GetMainWnd();
  // The driver of message boxes, help and modal runs (not owned); none restores the
  // headless default (see CHeadlessDriver). Returns the driver that was set before.
  static CUiDriver* SetDriver(CUiDriver* driver);
  static CUiDriver& GetDriver();
};

// Installs a driver for the life of the object and restores the previous one.
class BRINDLE_EXPORT CUiDriverScope {
 public:
  explicit CUiDriverScope(CUiDriver& driver);
  ~CUiDriverScope();
  CUiDriverScope(const CUiDriverScope&) = delete;
  CUiDriverScope& operator=(const CUiDriverScope&) = delete;

 private:
  CUiDriver* m_previous;
};
