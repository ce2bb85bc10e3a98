#include "platform/ui/CDialog.h"

#include <memory>

#include "platform/ui/CButton.h"
#include "platform/ui/CCheckListBox.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CResourceChain.h"
#include "platform/ui/CStatic.h"
#include "platform/ui/CTreeCtrl.h"

BR_IMPLEMENT_RUNTIMECLASS(CDialog, CWnd)

namespace {

std::unique_ptr<CWnd> MakeControl(const CDialogItem& item) {
  switch (item.kind) {
    case UiControlKind::Static:
    case UiControlKind::GroupBox: return std::make_unique<CStatic>(item.kind);
    case UiControlKind::Picture: {
      auto picture = std::make_unique<CStatic>(item.kind);
      picture->SetBitmapId(item.resourceId);
      return picture;
    }
    case UiControlKind::Edit: return std::make_unique<CEdit>();
    case UiControlKind::PushButton:
    case UiControlKind::CheckBox:
    case UiControlKind::RadioButton: return std::make_unique<CButton>(item.kind);
    case UiControlKind::TreeView: return std::make_unique<CTreeCtrl>();
    case UiControlKind::ListBox: return std::make_unique<CListBox>();
    case UiControlKind::CheckListBox: return std::make_unique<CCheckListBox>();
    default: return std::make_unique<CWnd>();
  }
}

}  // namespace

CDialog::CDialog(unsigned templateId) : m_templateId(templateId) {}

CDialog::~CDialog() = default;

bool CDialog::CreateFromResource(CWnd* parent, const CPoint& origin) {
  const CDialogTemplate* dialog = CResourceChain::FindDialogTemplate(m_templateId);
  return dialog && CreateIndirect(*dialog, parent, origin);
}

bool CDialog::CreateIndirect(const CDialogTemplate& dialog, CWnd* parent, const CPoint& origin) {
  if (IsWindow()) return false;
  // Copy first: the template may live in a module that changes while the controls exist.
  const CDialogTemplate copy = dialog;
  if (!Create(parent, copy.id, copy.title, CRect(origin, copy.GetPixelSize()), copy.style & ~WS_VISIBLE)) {
    return false;
  }
  m_templateId = copy.id;
  m_title = copy.title;
  m_ended = false;
  for (const CDialogItem& item : copy.items) {
    std::unique_ptr<CWnd> control = MakeControl(item);
    CWnd* raw = control.get();
    raw->Create(nullptr, item.id, item.text, CDialogTemplate::MapDialogRect(item.rect), item.style | WS_VISIBLE);
    AdoptChild(std::move(control));
  }
  return true;
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::UpdateData(bool saveAndValidate) {
  CDataExchange exchange(this, saveAndValidate);
  DoDataExchange(&exchange);
  m_lastFailure = exchange.HasFailed() ? exchange.GetFailure() : CString();
  return !exchange.HasFailed();
}

void CDialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(intptr_t result) {
  m_ended = true;
  m_result = result;
}

CString CDialog::Describe() const {
  CString line;
  line.Format("dialog %u \"%s\"", m_templateId, m_title.GetString());
  return line;
}
