#pragma once
// The wizard's NewsBox tree for one publishing run: builds the tree control's items from
// the run's NewsBox list (one item per level of a "/"-separated full name, NewsBoxes
// marked with their image and carrying their Id), and empties the tree again when the run
// closes its portal connection. The run owns it (PortalPublisher::m_pNewsBoxTreeState);
// the NewsBox page records its tree control here and takes it back before it goes away.

#include <functional>
#include <map>
#include <memory>

#include "platform/ui/CImageList.h"
#include "platform/ui/CString.h"
#include "platform/ui/CTreeCtrl.h"
#include "portal/NewsBoxTreeState.h"

class CXMLElement;
class PortalPublisher;

namespace brindle::wizard {

class NewsBoxTree : public NewsBoxTreeState {
 public:
  NewsBoxTree() = default;
  ~NewsBoxTree() override;
  NewsBoxTree(const NewsBoxTree&) = delete;
  NewsBoxTree& operator=(const NewsBoxTree&) = delete;

  // The run's tree, made on first use.
  static NewsBoxTree& Of(PortalPublisher& publisher);

  // The tree control to fill (not owned); none forgets the one recorded before.
  void SetTreeControl(CTreeCtrl* tree);
  CTreeCtrl* GetTreeControl() const { return m_pNewsBoxTree; }
  const CImageList* GetImageList() const { return m_pImageList.get(); }

  // Fills an empty tree from publisher.m_newsBoxes and selects the known NewsItem's
  // NewsBox, else the first NewsBox of the list. True without a tree or when the tree has
  // items already; false when the list holds no NewsBox.
  bool FillNewsBoxTree(const PortalPublisher& publisher);
  // Adds one "NewsBox" element (children "FullName" and "Id"); skipped without either.
  void AddNewsBox(const CXMLElement& newsBox);
  // The item of `path`, made with its parents as needed; none for a path without "/".
  HTREEITEM FindOrCreatePathItem(const CString& path);
  // The NewsBox Id an item carries; none for a level item or an unknown item.
  const char* ItemNewsBoxId(HTREEITEM item) const;
  // The item of a NewsBox Id; none when no such NewsBox is in the tree.
  HTREEITEM FindNewsBoxItem(const CString& newsBoxId) const;

  // Deletes every item, children before their parent, freeing each item's Id.
  void EmptyNewsBoxTree() override;

 private:
  void SetItemNewsBoxId(HTREEITEM item, const CString& newsBoxId);
  void SelectAndShow(HTREEITEM item);

  // One level of a NewsBox path: the item of the path before it, whether "//" separates
  // them, and the level's label.
  struct PathKey {
    HTREEITEM parent;
    bool doubleSlash;
    CString label;
    bool operator<(const PathKey& other) const {
      if (parent != other.parent) return std::less<HTREEITEM>()(parent, other.parent);
      if (doubleSlash != other.doubleSlash) return doubleSlash < other.doubleSlash;
      return label < other.label;
    }
  };

  CTreeCtrl* m_pNewsBoxTree = nullptr;
  std::unique_ptr<CImageList> m_pImageList;
  std::map<PathKey, HTREEITEM> m_pathItems;
  std::map<CString, HTREEITEM> m_boxItems;
  // The item data of NewsBox items: owned NUL-terminated copies of their Ids.
  std::map<HTREEITEM, std::unique_ptr<char[]>> m_itemIds;
};

}  // namespace brindle::wizard
