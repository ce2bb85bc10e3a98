#include "platform/ui/CCheckListBox.h"

#include "platform/ui/CUiDriver.h"

BR_IMPLEMENT_RUNTIMECLASS(CCheckListBox, CListBox)

CCheckListBox::CCheckListBox() = default;

CCheckListBox::~CCheckListBox() = default;

bool CCheckListBox::SetCheck(int index, int check) {
  if (!IsValidIndex(index)) return false;
  ItemAt(index).check = check ? 1 : 0;
  NotifyChanged(UiChange::Changed);
  return true;
}

int CCheckListBox::GetCheck(int index) const { return IsValidIndex(index) ? ItemAt(index).check : LB_ERR; }

bool CCheckListBox::UserSetCheck(int index, int check) {
  if (!IsUsable() || !IsValidIndex(index)) return false;
  SetCheck(index, check);
  NotifyParentCommand(CLBN_CHKCHANGE);
  return true;
}

CString CCheckListBox::Describe() const {
  CString text;
  text.Format("[%u] check list%s", GetDlgCtrlID(), IsWindowEnabled() ? "" : " (disabled)");
  for (int i = 0; i < GetCount(); ++i) {
    text.AppendFormat("\n      %d [%c] %s", i, ItemAt(i).check ? 'x' : ' ', ItemAt(i).text.GetString());
  }
  return text;
}
