#pragma once
// A window: the base of dialogs, property sheets and controls. Headless: a window is its
// state (id, text, styles, enabled, shown, rectangle, children) and the messages that
// reach it are virtual calls (OnCommand, OnNotify, OnHelpInfo).
//
// Geometry: a window's rectangle is kept in its parent's client coordinates (in screen
// coordinates for a window without parent). GetWindowRect answers screen coordinates;
// ScreenToClient / ClientToScreen convert with the window's client origin; MoveWindow
// takes the parent's client coordinates, as the usual idiom GetWindowRect ->
// parent->ScreenToClient -> MoveWindow expects.
#include <cstdint>
#include <memory>
#include <vector>

#include "brindle/export.h"
#include "platform/ui/CObject.h"
#include "platform/ui/CRect.h"
#include "platform/ui/CString.h"
#include "platform/ui/UiDefs.h"

enum class UiChange;

class BRINDLE_EXPORT CWnd : public CObject {
  BR_DECLARE_RUNTIMECLASS(CWnd)

 public:
  CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  ~CWnd() override;

  virtual UiControlKind GetKind() const { return UiControlKind::Window; }

  // Makes this object a window: child of `parent` (none: a top-level window), placed at
  // `rect` in the parent's client coordinates. WS_VISIBLE shows it, WS_DISABLED disables it.
  // False when it is a window already.
  bool Create(CWnd* parent, unsigned id, const char* text, const CRect& rect, unsigned style,
              unsigned exStyle = 0);
  bool IsWindow() const { return m_created; }
  // Destroys the children this window owns, lets go of the others and leaves the parent.
  virtual void DestroyWindow();

  unsigned GetDlgCtrlID() const { return m_id; }
  void SetDlgCtrlID(unsigned id) { m_id = id; }
  CWnd* GetParent() const { return m_parent; }
  // The direct child with `id`; none when there is none.
  CWnd* GetDlgItem(unsigned id) const;
  // A child at any depth with `id`, searched in creation order; none when there is none.
  CWnd* FindDescendant(unsigned id) const;
  const std::vector<CWnd*>& GetChildren() const { return m_children; }

  void SetWindowText(const char* text);
  const CString& GetWindowText() const { return m_text; }
  void GetWindowText(CString& text) const { text = m_text; }
  int GetWindowTextLength() const { return m_text.GetLength(); }

  // Returns whether the window was enabled before.
  bool EnableWindow(bool enable = true);
  bool IsWindowEnabled() const { return (m_style & WS_DISABLED) == 0; }
  // SW_SHOW or SW_HIDE; returns whether the window was shown before.
  bool ShowWindow(int command);
  // Shown itself and every parent shown.
  bool IsWindowVisible() const;
  // Whether a user can act on it now: a window, shown and enabled.
  bool IsUsable() const { return m_created && IsWindowVisible() && IsWindowEnabled(); }

  unsigned GetStyle() const { return m_style; }
  unsigned GetExStyle() const { return m_exStyle; }
  bool ModifyStyle(unsigned remove, unsigned add);
  bool ModifyStyleEx(unsigned remove, unsigned add);

  void GetWindowRect(CRect* rect) const;
  CRect GetWindowRect() const;
  void GetClientRect(CRect* rect) const;
  void ScreenToClient(CPoint* point) const;
  void ScreenToClient(CRect* rect) const;
  void ClientToScreen(CPoint* point) const;
  void ClientToScreen(CRect* rect) const;
  // `rect` in the parent's client coordinates (screen coordinates without parent).
  void MoveWindow(const CRect& rect, bool repaint = true);
  void MoveWindow(int x, int y, int width, int height, bool repaint = true);

  // Shortcuts on direct children; nothing happens for a missing child.
  void SetDlgItemText(unsigned id, const char* text);
  CString GetDlgItemText(unsigned id) const;
  void CheckDlgButton(unsigned id, int check);
  int IsDlgButtonChecked(unsigned id) const;
  // Checks `checkId` and unchecks the other radio buttons with ids first..last.
  void CheckRadioButton(unsigned firstId, unsigned lastId, unsigned checkId);
  // The checked radio button with an id in first..last; 0 when none.
  unsigned GetCheckedRadioButton(unsigned firstId, unsigned lastId) const;

  // Message handlers; true when handled. The defaults handle nothing.
  virtual bool OnCommand(unsigned id, unsigned notifyCode);
  virtual bool OnNotify(const CNotifyInfo& info, intptr_t* result);
  virtual bool OnHelpInfo(const CHelpInfo& info);

  // A message box owned by this window (see CMessageBox).
  int MessageBox(const char* text, const char* caption = nullptr, unsigned type = MB_OK) const;
  // Calls the help engine (the current driver) for this window. HELP_WM_HELP: `helpMap` is
  // a list of (control id, context id) pairs ended by (0, 0) and the topic is the one of
  // this window's id (0 when it is not in the map). Otherwise the topic is `contextId`.
  void ShowHelp(const char* file, unsigned command, const std::uint32_t* helpMap,
                std::uint32_t contextId = 0) const;

  // Framework side. Takes ownership of a created child.
  CWnd* AdoptChild(std::unique_ptr<CWnd> child);
  // Puts `replacement` (not a window yet) in the place of child `existing`: same id, text,
  // styles, rectangle and place among the children; `existing` is destroyed if owned.
  bool ReplaceChild(CWnd* existing, CWnd& replacement);
  // Lets go of a child this window does not own; it stays a window, without parent.
  bool ReleaseChild(CWnd* child);
  // Whether this window destroys `child` with itself.
  bool OwnsChild(const CWnd* child) const;

  // One line describing the window's state, for drivers that show it.
  virtual CString Describe() const;

 protected:
  // Tells the current driver that this window changed (CUiDriver::WindowChanged).
  void NotifyChanged(UiChange change) const;
  // Space between the window rectangle and its client area (caption, borders).
  void SetClientInsets(int left, int top, int right, int bottom);
  // Copies what a control of the same kind shows (items, checks) when it takes the place
  // of another (ReplaceChild). The base copies nothing beyond the window state.
  virtual void CopyContentFrom(const CWnd& other);
  // Sends a command notification to the parent; false when there is none or unhandled.
  bool NotifyParentCommand(unsigned notifyCode) const;
  bool NotifyParent(CNotifyInfo info, intptr_t* result) const;

 private:
  CPoint ClientOriginOnScreen() const;
  void Unlink(CWnd* child);

  CWnd* m_parent = nullptr;
  std::vector<CWnd*> m_children;
  std::vector<std::unique_ptr<CWnd>> m_owned;
  std::vector<std::unique_ptr<CWnd>> m_destroyed;  // owned children whose window was destroyed
  unsigned m_id = 0;
  CString m_text;
  unsigned m_style = 0;
  unsigned m_exStyle = 0;
  CRect m_rect;
  CRect m_insets;  // left, top, right, bottom widths of the non-client area
  bool m_created = false;
  bool m_beingDeleted = false;
};
