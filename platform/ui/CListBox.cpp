#include "platform/ui/CListBox.h"

#include "platform/ui/CUiDriver.h"

BR_IMPLEMENT_RUNTIMECLASS(CListBox, CWnd)

CListBox::CListBox() = default;

CListBox::~CListBox() = default;

int CListBox::AddString(const char* text) {
  if ((GetStyle() & LBS_SORT) == 0) return InsertString(-1, text);
  const CString value(text);
  int index = 0;
  while (index < GetCount() && !(value < ItemAt(index).text)) ++index;
  return InsertString(index, text);
}

int CListBox::InsertString(int index, const char* text) {
  if (index == -1) index = GetCount();
  if (index < 0 || index > GetCount()) return LB_ERR;
  Item item;
  item.text = text;
  m_items.insert(m_items.begin() + index, std::move(item));
  NotifyChanged(UiChange::Changed);
  return index;
}

int CListBox::DeleteString(int index) {
  if (!IsValidIndex(index)) return LB_ERR;
  m_items.erase(m_items.begin() + index);
  NotifyChanged(UiChange::Changed);
  return GetCount();
}

void CListBox::ResetContent() {
  m_items.clear();
  NotifyChanged(UiChange::Changed);
}

CString CListBox::GetText(int index) const { return IsValidIndex(index) ? ItemAt(index).text : CString(); }

int CListBox::GetText(int index, CString& text) const {
  if (!IsValidIndex(index)) return LB_ERR;
  text = ItemAt(index).text;
  return text.GetLength();
}

int CListBox::FindStringExact(int startAfter, const char* text) const {
  const int count = GetCount();
  for (int step = 1; step <= count; ++step) {
    const int index = ((startAfter < 0 ? -1 : startAfter) + step) % count;
    if (ItemAt(index).text.CompareNoCase(text) == 0) return index;
  }
  return LB_ERR;
}

int CListBox::SetItemData(int index, std::uintptr_t data) {
  if (!IsValidIndex(index)) return LB_ERR;
  ItemAt(index).data = data;
  return 0;
}

std::uintptr_t CListBox::GetItemData(int index) const { return IsValidIndex(index) ? ItemAt(index).data : 0; }

int CListBox::GetCurSel() const {
  for (int i = 0; i < GetCount(); ++i) {
    if (ItemAt(i).selected) return i;
  }
  return LB_ERR;
}

int CListBox::SetCurSel(int index) {
  if (index != -1 && !IsValidIndex(index)) return LB_ERR;
  for (Item& item : m_items) item.selected = false;
  if (index != -1) ItemAt(index).selected = true;
  NotifyChanged(UiChange::Changed);
  return index == -1 ? LB_ERR : index;
}

int CListBox::SetSel(int index, bool select) {
  if (index == -1) {
    for (Item& item : m_items) item.selected = select;
    NotifyChanged(UiChange::Changed);
    return 0;
  }
  if (!IsValidIndex(index)) return LB_ERR;
  ItemAt(index).selected = select;
  NotifyChanged(UiChange::Changed);
  return 0;
}

int CListBox::GetSel(int index) const {
  if (!IsValidIndex(index)) return LB_ERR;
  return ItemAt(index).selected ? 1 : 0;
}

int CListBox::GetSelCount() const {
  int count = 0;
  for (const Item& item : m_items) count += item.selected ? 1 : 0;
  return count;
}

bool CListBox::UserSelect(int index) {
  if (!IsUsable() || !IsValidIndex(index)) return false;
  if ((GetStyle() & LBS_EXTENDEDSEL) != 0) {
    SetSel(index, true);
  } else {
    SetCurSel(index);
  }
  NotifyParentCommand(LBN_SELCHANGE);
  return true;
}

void CListBox::CopyContentFrom(const CWnd& other) {
  if (const auto* source = dynamic_cast<const CListBox*>(&other)) m_items = source->m_items;
}

CString CListBox::Describe() const {
  CString text;
  text.Format("[%u] list", GetDlgCtrlID());
  for (int i = 0; i < GetCount(); ++i) {
    text.AppendFormat("\n      %d%s %s", i, ItemAt(i).selected ? " >" : "  ", ItemAt(i).text.GetString());
  }
  return text;
}
