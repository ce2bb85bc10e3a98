#include "platform/ui/CTreeCtrl.h"

#include <algorithm>
#include <functional>

#include "platform/ui/CImageList.h"
#include "platform/ui/CUiDriver.h"

struct CTreeItem {
  CString text;
  std::uintptr_t data = 0;
  int image = 0;
  int selectedImage = 0;
  bool expanded = false;
  CTreeItem* parent = nullptr;
  std::vector<std::unique_ptr<CTreeItem>> children;
};

BR_IMPLEMENT_RUNTIMECLASS(CTreeCtrl, CWnd)

namespace {
bool IsSpecial(HTREEITEM item) {
  return item == TVI_ROOT || item == TVI_FIRST || item == TVI_LAST || item == TVI_SORT;
}
}  // namespace

CTreeCtrl::CTreeCtrl() = default;

CTreeCtrl::~CTreeCtrl() = default;

bool CTreeCtrl::IsItem(HTREEITEM item) const {
  return item && !IsSpecial(item) && m_live.count(item) != 0;
}

CTreeCtrl::ItemList* CTreeCtrl::ChildrenOf(HTREEITEM parent) {
  if (parent == TVI_ROOT || parent == nullptr) return &m_roots;
  return IsItem(parent) ? &parent->children : nullptr;
}

const CTreeCtrl::ItemList* CTreeCtrl::ChildrenOf(HTREEITEM parent) const {
  if (parent == TVI_ROOT || parent == nullptr) return &m_roots;
  return IsItem(parent) ? &parent->children : nullptr;
}

int CTreeCtrl::IndexIn(const ItemList& list, const CTreeItem* item) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].get() == item) return static_cast<int>(i);
  }
  return -1;
}

HTREEITEM CTreeCtrl::InsertItem(const char* text, int image, int selectedImage, HTREEITEM parent,
                                HTREEITEM after) {
  ItemList* siblings = ChildrenOf(parent);
  if (!siblings) return nullptr;
  size_t position = siblings->size();
  if (after == TVI_FIRST) {
    position = 0;
  } else if (after == TVI_SORT) {
    const CString label(text);
    position = 0;
    while (position < siblings->size() && !(label < (*siblings)[position]->text)) ++position;
  } else if (after != TVI_LAST) {
    const int index = IsItem(after) ? IndexIn(*siblings, after) : -1;
    if (index < 0) return nullptr;
    position = static_cast<size_t>(index) + 1;
  }
  auto item = std::make_unique<CTreeItem>();
  item->text = text;
  item->image = image;
  item->selectedImage = selectedImage;
  item->parent = (parent == TVI_ROOT || parent == nullptr) ? nullptr : parent;
  CTreeItem* raw = item.get();
  siblings->insert(siblings->begin() + static_cast<std::ptrdiff_t>(position), std::move(item));
  m_live.insert(raw);
  NotifyChanged(UiChange::Changed);
  return raw;
}

HTREEITEM CTreeCtrl::InsertItem(const char* text, HTREEITEM parent, HTREEITEM after) {
  return InsertItem(text, 0, 0, parent, after);
}

void CTreeCtrl::Forget(CTreeItem* item) {
  for (auto& child : item->children) Forget(child.get());
  m_live.erase(item);
  if (m_ensuredVisible == item) m_ensuredVisible = nullptr;
}

bool CTreeCtrl::DeleteItem(HTREEITEM item) {
  if (item == TVI_ROOT) return DeleteAllItems();
  if (!IsItem(item)) return false;
  bool selectionInside = false;
  for (HTREEITEM at = m_selected; at; at = at->parent) {
    if (at == item) selectionInside = true;
  }
  if (selectionInside) ChangeSelection(nullptr, TVC_UNKNOWN);
  ItemList* siblings = ChildrenOf(item->parent ? item->parent : TVI_ROOT);
  const int index = IndexIn(*siblings, item);
  Forget(item);
  siblings->erase(siblings->begin() + index);
  NotifyChanged(UiChange::Changed);
  return true;
}

bool CTreeCtrl::DeleteAllItems() {
  if (m_selected) ChangeSelection(nullptr, TVC_UNKNOWN);
  m_roots.clear();
  m_live.clear();
  m_ensuredVisible = nullptr;
  NotifyChanged(UiChange::Changed);
  return true;
}

HTREEITEM CTreeCtrl::GetRootItem() const { return m_roots.empty() ? nullptr : m_roots.front().get(); }

HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM item) const {
  const ItemList* children = ChildrenOf(item);
  if (!children || children->empty()) return nullptr;
  return children->front().get();
}

HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM item) const {
  if (!IsItem(item)) return nullptr;
  const ItemList* siblings = ChildrenOf(item->parent ? item->parent : TVI_ROOT);
  const int index = IndexIn(*siblings, item);
  return index + 1 < static_cast<int>(siblings->size()) ? (*siblings)[static_cast<size_t>(index) + 1].get()
                                                        : nullptr;
}

HTREEITEM CTreeCtrl::GetPrevSiblingItem(HTREEITEM item) const {
  if (!IsItem(item)) return nullptr;
  const ItemList* siblings = ChildrenOf(item->parent ? item->parent : TVI_ROOT);
  const int index = IndexIn(*siblings, item);
  return index > 0 ? (*siblings)[static_cast<size_t>(index) - 1].get() : nullptr;
}

HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM item) const { return IsItem(item) ? item->parent : nullptr; }

bool CTreeCtrl::ItemHasChildren(HTREEITEM item) const { return IsItem(item) && !item->children.empty(); }

std::vector<HTREEITEM> CTreeCtrl::GetAllItems() const {
  std::vector<HTREEITEM> all;
  all.reserve(m_live.size());
  std::function<void(const ItemList&)> walk = [&](const ItemList& list) {
    for (const auto& item : list) {
      all.push_back(item.get());
      walk(item->children);
    }
  };
  walk(m_roots);
  return all;
}

CString CTreeCtrl::GetItemText(HTREEITEM item) const { return IsItem(item) ? item->text : CString(); }

bool CTreeCtrl::SetItemText(HTREEITEM item, const char* text) {
  if (!IsItem(item)) return false;
  item->text = text;
  NotifyChanged(UiChange::Changed);
  return true;
}

std::uintptr_t CTreeCtrl::GetItemData(HTREEITEM item) const { return IsItem(item) ? item->data : 0; }

bool CTreeCtrl::SetItemData(HTREEITEM item, std::uintptr_t data) {
  if (!IsItem(item)) return false;
  item->data = data;
  return true;
}

bool CTreeCtrl::GetItemImage(HTREEITEM item, int& image, int& selectedImage) const {
  if (!IsItem(item)) return false;
  image = item->image;
  selectedImage = item->selectedImage;
  return true;
}

bool CTreeCtrl::SetItemImage(HTREEITEM item, int image, int selectedImage) {
  if (!IsItem(item)) return false;
  item->image = image;
  item->selectedImage = selectedImage;
  NotifyChanged(UiChange::Changed);
  return true;
}

bool CTreeCtrl::ChangeSelection(HTREEITEM item, int action) {
  if (item == m_selected) return true;
  CNotifyInfo info;
  info.code = TVN_SELCHANGED;
  info.itemOld = m_selected;
  info.itemNew = item;
  info.action = action;
  m_selected = item;
  NotifyChanged(UiChange::Changed);
  NotifyParent(info, nullptr);
  return true;
}

bool CTreeCtrl::SelectItem(HTREEITEM item) {
  if (item != nullptr && !IsItem(item)) return false;
  return ChangeSelection(item, TVC_UNKNOWN);
}

bool CTreeCtrl::Expand(HTREEITEM item, unsigned code) {
  if (!IsItem(item)) return false;
  switch (code & TVE_TOGGLE) {
    case TVE_EXPAND: item->expanded = true; break;
    case TVE_COLLAPSE: item->expanded = false; break;
    case TVE_TOGGLE: item->expanded = !item->expanded; break;
    default: return false;
  }
  NotifyChanged(UiChange::Changed);
  return true;
}

bool CTreeCtrl::IsExpanded(HTREEITEM item) const { return IsItem(item) && item->expanded; }

bool CTreeCtrl::EnsureVisible(HTREEITEM item) {
  if (!IsItem(item)) return false;
  for (CTreeItem* at = item->parent; at; at = at->parent) at->expanded = true;
  m_ensuredVisible = item;
  NotifyChanged(UiChange::Changed);
  return true;
}

HTREEITEM CTreeCtrl::FindItemByPath(const std::vector<CString>& labels) const {
  if (labels.empty()) return nullptr;
  const ItemList* level = &m_roots;
  HTREEITEM found = nullptr;
  for (const CString& label : labels) {
    found = nullptr;
    for (const auto& item : *level) {
      if (item->text == label) {
        found = item.get();
        break;
      }
    }
    if (!found) return nullptr;
    level = &found->children;
  }
  return found;
}

HTREEITEM CTreeCtrl::FindItemByPath(const char* path, char separator) const {
  std::vector<CString> labels;
  const CString text(path);
  int start = 0;
  while (start <= text.GetLength()) {
    int end = text.Find(separator, start);
    if (end < 0) end = text.GetLength();
    labels.push_back(text.Mid(start, end - start));
    start = end + 1;
  }
  return FindItemByPath(labels);
}

CImageList* CTreeCtrl::SetImageList(CImageList* images, int which) {
  CImageList*& slot = which == TVSIL_STATE ? m_stateImages : m_normalImages;
  CImageList* previous = slot;
  slot = images;
  NotifyChanged(UiChange::Changed);
  return previous;
}

CImageList* CTreeCtrl::GetImageList(int which) const {
  return which == TVSIL_STATE ? m_stateImages : m_normalImages;
}

bool CTreeCtrl::UserSelect(HTREEITEM item) {
  if (!IsUsable() || !IsItem(item)) return false;
  for (CTreeItem* at = item->parent; at; at = at->parent) at->expanded = true;
  NotifyChanged(UiChange::Changed);
  return ChangeSelection(item, TVC_BYMOUSE);
}

CString CTreeCtrl::Describe() const {
  CString text;
  text.Format("[%u] tree%s", GetDlgCtrlID(), IsWindowEnabled() ? "" : " (disabled)");
  const CString items = DescribeItems();
  if (!items.IsEmpty()) text += "\n" + items;
  return text;
}

CString CTreeCtrl::DescribeItems() const {
  CString text;
  std::function<void(const ItemList&, int)> walk = [&](const ItemList& list, int depth) {
    for (const auto& item : list) {
      if (!text.IsEmpty()) text += '\n';
      text += CString(' ', 6 + 2 * depth);
      text += item.get() == m_selected ? '*' : ' ';
      text += item->children.empty() ? ' ' : (item->expanded ? '-' : '+');
      text += ' ';
      text += item->text;
      walk(item->children, depth + 1);  // all levels, so every item can be chosen
    }
  };
  walk(m_roots, 0);
  return text;
}
