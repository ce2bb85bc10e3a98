#pragma once
// A tree of items, each with a label, item data and image indexes. Handles (HTREEITEM)
// are checked before use: a handle that is not an item of this tree (deleted, from another
// tree, or made up) is refused, never followed. Selecting an item tells the parent
// TVN_SELCHANGED through OnNotify.
#include <cstdint>
#include <memory>
#include <unordered_set>
#include <vector>

#include "brindle/export.h"
#include "platform/ui/CWnd.h"

class CImageList;

class BRINDLE_EXPORT CTreeCtrl : public CWnd {
  BR_DECLARE_RUNTIMECLASS(CTreeCtrl)

 public:
  CTreeCtrl();
  ~CTreeCtrl() override;
  UiControlKind GetKind() const override { return UiControlKind::TreeView; }

  // Inserts under `parent` (TVI_ROOT or an item) after `after` (TVI_FIRST, TVI_LAST,
  // TVI_SORT: in label order, or a child of `parent`). None when parent/after are invalid.
  HTREEITEM InsertItem(const char* text, int image, int selectedImage, HTREEITEM parent = TVI_ROOT,
                       HTREEITEM after = TVI_LAST);
  HTREEITEM InsertItem(const char* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
  // Deletes an item with its children (children first); the selection moves to none when
  // it was inside. Item data is not freed: it belongs to whoever set it.
  bool DeleteItem(HTREEITEM item);
  bool DeleteAllItems();

  int GetCount() const { return static_cast<int>(m_live.size()); }
  bool IsItem(HTREEITEM item) const;

  HTREEITEM GetRootItem() const;
  HTREEITEM GetChildItem(HTREEITEM item) const;  // TVI_ROOT: the first root item
  HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
  HTREEITEM GetPrevSiblingItem(HTREEITEM item) const;
  HTREEITEM GetParentItem(HTREEITEM item) const;  // none for a root item
  bool ItemHasChildren(HTREEITEM item) const;
  // Every item depth-first, parents before children, in sibling order.
  std::vector<HTREEITEM> GetAllItems() const;

  CString GetItemText(HTREEITEM item) const;
  bool SetItemText(HTREEITEM item, const char* text);
  std::uintptr_t GetItemData(HTREEITEM item) const;
  bool SetItemData(HTREEITEM item, std::uintptr_t data);
  bool GetItemImage(HTREEITEM item, int& image, int& selectedImage) const;
  bool SetItemImage(HTREEITEM item, int image, int selectedImage);

  HTREEITEM GetSelectedItem() const { return m_selected; }
  // Selects `item` (none: no selection) and tells the parent when the selection changed.
  bool SelectItem(HTREEITEM item);
  bool Expand(HTREEITEM item, unsigned code);
  bool IsExpanded(HTREEITEM item) const;
  // Expands every parent of `item` and records it as the item scrolled to.
  bool EnsureVisible(HTREEITEM item);
  HTREEITEM GetLastEnsuredVisible() const { return m_ensuredVisible; }

  // The item reached from the root by these labels, one per level; none when a level has
  // no such child. With several equal labels, the first.
  HTREEITEM FindItemByPath(const std::vector<CString>& labels) const;
  // As above with the labels of `path` separated by `separator` ("A/B").
  HTREEITEM FindItemByPath(const char* path, char separator = '/') const;

  // Not owned. Returns the list set before.
  CImageList* SetImageList(CImageList* images, int which = TVSIL_NORMAL);
  CImageList* GetImageList(int which = TVSIL_NORMAL) const;

  // What a user's choice of an item does (expanding its parents, selecting it, telling the
  // parent with TVC_BYMOUSE). False when the tree is not usable or the item is not in it.
  bool UserSelect(HTREEITEM item);
  CString Describe() const override;
  // Every item as indented lines: "*" marks the selection, "+"/"-" collapsed/expanded items.
  CString DescribeItems() const;

 private:
  using ItemList = std::vector<std::unique_ptr<CTreeItem>>;
  ItemList* ChildrenOf(HTREEITEM parent);
  const ItemList* ChildrenOf(HTREEITEM parent) const;
  static int IndexIn(const ItemList& list, const CTreeItem* item);
  void Forget(CTreeItem* item);
  bool ChangeSelection(HTREEITEM item, int action);

  ItemList m_roots;
  std::unordered_set<const CTreeItem*> m_live;
  HTREEITEM m_selected = nullptr;
  HTREEITEM m_ensuredVisible = nullptr;
  CImageList* m_normalImages = nullptr;
  CImageList* m_stateImages = nullptr;
};
