#pragma once
// Identifiers, flags and small records shared by the headless UI framework.
#include <cstdint>

class CWnd;
struct CTreeItem;
// A tree item handle. The special insertion positions below are never real items.
using HTREEITEM = CTreeItem*;

// Command ids of standard buttons and message box answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDHELP = 9;

// Wizard buttons of a property sheet.
constexpr int ID_WIZBACK = 12323;
constexpr int ID_WIZNEXT = 12324;
constexpr int ID_WIZFINISH = 12325;

// Control id of labels that nobody addresses.
constexpr unsigned IDC_STATIC = 0xFFFF;

// Flags of CPropertySheet::SetWizardButtons.
constexpr unsigned PSWIZB_BACK = 0x1;
constexpr unsigned PSWIZB_NEXT = 0x2;
constexpr unsigned PSWIZB_FINISH = 0x4;
constexpr unsigned PSWIZB_DISABLEDFINISH = 0x8;

// Message box types: the button set in the low nibble, an icon, a default button.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_TYPEMASK = 0xF;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_ICONMASK = 0xF0;
constexpr unsigned MB_DEFBUTTON1 = 0x000;
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr unsigned MB_DEFBUTTON3 = 0x200;
constexpr unsigned MB_DEFMASK = 0xF00;

// Window styles (high half) common to every window.
constexpr unsigned WS_VISIBLE = 0x10000000;
constexpr unsigned WS_DISABLED = 0x08000000;
constexpr unsigned WS_VSCROLL = 0x00200000;
constexpr unsigned WS_HSCROLL = 0x00100000;
constexpr unsigned WS_SYSMENU = 0x00080000;
constexpr unsigned WS_GROUP = 0x00020000;
constexpr unsigned WS_TABSTOP = 0x00010000;
// Extended style: the title bar offers the context help button.
constexpr unsigned WS_EX_CONTEXTHELP = 0x00000400;

// Control styles (low half); their meaning depends on the kind of control.
constexpr unsigned ES_MULTILINE = 0x0004;
constexpr unsigned ES_AUTOVSCROLL = 0x0040;
constexpr unsigned ES_AUTOHSCROLL = 0x0080;
constexpr unsigned ES_WANTRETURN = 0x1000;
constexpr unsigned TVS_HASBUTTONS = 0x0001;
constexpr unsigned TVS_HASLINES = 0x0002;
constexpr unsigned TVS_LINESATROOT = 0x0004;
constexpr unsigned TVS_DISABLEDRAGDROP = 0x0010;
constexpr unsigned TVS_SHOWSELALWAYS = 0x0020;
constexpr unsigned LBS_SORT = 0x0002;
constexpr unsigned LBS_OWNERDRAWFIXED = 0x0010;
constexpr unsigned LBS_HASSTRINGS = 0x0040;
constexpr unsigned LBS_EXTENDEDSEL = 0x0800;
constexpr unsigned LBS_DISABLENOSCROLL = 0x1000;

// Flags of a property sheet's header (CPropertySheet::m_psh.dwFlags).
constexpr unsigned PSH_HASHELP = 0x0200;
constexpr unsigned PSH_WIZARD = 0x0020;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// Notification codes carried by CWnd::OnCommand and CWnd::OnNotify.
constexpr unsigned BN_CLICKED = 0;
constexpr unsigned EN_CHANGE = 0x0300;
constexpr unsigned LBN_SELCHANGE = 1;
constexpr unsigned CLBN_CHKCHANGE = 40;
constexpr unsigned TVN_SELCHANGED = 0xFFFFFE6Au;  // -406

// How a tree selection changed (CNotifyInfo::action).
constexpr int TVC_UNKNOWN = 0;
constexpr int TVC_BYMOUSE = 1;
constexpr int TVC_BYKEYBOARD = 2;

// Tree insertion positions and expand codes.
inline HTREEITEM const TVI_ROOT = reinterpret_cast<HTREEITEM>(static_cast<std::uintptr_t>(-0x10000));
inline HTREEITEM const TVI_FIRST = reinterpret_cast<HTREEITEM>(static_cast<std::uintptr_t>(-0x0FFFF));
inline HTREEITEM const TVI_LAST = reinterpret_cast<HTREEITEM>(static_cast<std::uintptr_t>(-0x0FFFE));
inline HTREEITEM const TVI_SORT = reinterpret_cast<HTREEITEM>(static_cast<std::uintptr_t>(-0x0FFFD));
constexpr unsigned TVE_COLLAPSE = 0x1;
constexpr unsigned TVE_EXPAND = 0x2;
constexpr unsigned TVE_TOGGLE = 0x3;
constexpr int TVSIL_NORMAL = 0;
constexpr int TVSIL_STATE = 2;

// Help commands of CWnd::ShowHelp.
constexpr unsigned HELP_CONTEXT = 0x0001;
constexpr unsigned HELP_CONTEXTPOPUP = 0x0008;
constexpr unsigned HELP_WM_HELP = 0x000C;

// What a context help request points at (CHelpInfo::contextType).
constexpr int HELPINFO_WINDOW = 1;
constexpr int HELPINFO_MENUITEM = 2;

// The kinds of window the framework models.
enum class UiControlKind {
  Window,
  Dialog,
  PropertySheet,
  Static,
  Picture,
  GroupBox,
  Edit,
  PushButton,
  CheckBox,
  RadioButton,
  TreeView,
  ListBox,
  CheckListBox,
};

// A notification from a control to its parent (CWnd::OnNotify).
struct CNotifyInfo {
  unsigned code = 0;
  unsigned idFrom = 0;
  CWnd* from = nullptr;
  HTREEITEM itemOld = nullptr;  // tree selection change: the item left
  HTREEITEM itemNew = nullptr;  // tree selection change: the item chosen
  int action = TVC_UNKNOWN;
};

// A request for help on something under the pointer (CWnd::OnHelpInfo).
struct CHelpInfo {
  int contextType = HELPINFO_WINDOW;
  unsigned ctrlId = 0;
  CWnd* window = nullptr;  // the control asked about; none for a bare request
  std::uint32_t contextId = 0;
  int mouseX = 0;
  int mouseY = 0;
};
