#include "portal/wizard/NewsBoxTree.h"

#include <cstring>
#include <vector>

#include "portal/PortalPublisher.h"
#include "portal/wizard/WizardResources.h"
#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLElement.h"

namespace brindle::wizard {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

const CXMLElement* FirstNewsBox(const CXMLDocument& document) { return document.FindElement("Result.NewsBox"); }

}  // namespace

NewsBoxTree::~NewsBoxTree() = default;

NewsBoxTree& NewsBoxTree::Of(PortalPublisher& publisher) {
  auto* tree = dynamic_cast<NewsBoxTree*>(publisher.m_pNewsBoxTreeState.get());
  if (tree == nullptr) {
    auto made = std::make_unique<NewsBoxTree>();
    tree = made.get();
    publisher.m_pNewsBoxTreeState = std::move(made);
  }
  return *tree;
}

void NewsBoxTree::SetTreeControl(CTreeCtrl* tree) {
  if (tree == m_pNewsBoxTree) return;
  if (m_pNewsBoxTree) m_pNewsBoxTree->SetImageList(nullptr);
  m_pNewsBoxTree = tree;
  // Items belong to the control they were made in.
  m_pathItems.clear();
  m_boxItems.clear();
  m_itemIds.clear();
}

bool NewsBoxTree::FillNewsBoxTree(const PortalPublisher& publisher) {
  if (m_pNewsBoxTree == nullptr || m_pNewsBoxTree->GetCount() > 0) return true;
  if (!m_pImageList) {
    auto images = std::make_unique<CImageList>();
    if (images->Create(IDB_NEWSBOX_IMAGES, kNewsBoxImageWidth, 0, kWhite)) m_pImageList = std::move(images);
  }
  if (m_pImageList) m_pNewsBoxTree->SetImageList(m_pImageList.get(), TVSIL_NORMAL);

  const CXMLElement* first = FirstNewsBox(publisher.m_newsBoxes);
  int count = 0;
  for (const CXMLElement* box = first; box != nullptr; box = box->FindNextSibling("NewsBox")) {
    AddNewsBox(*box);
    ++count;
  }
  if (count == 0) return false;

  m_pNewsBoxTree->Expand(m_pNewsBoxTree->GetRootItem(), TVE_EXPAND);

  if (!publisher.m_strNewsItemId.IsEmpty() && !publisher.m_strExistingNewsBoxId.IsEmpty()) {
    if (HTREEITEM item = FindNewsBoxItem(publisher.m_strExistingNewsBoxId)) {
      SelectAndShow(item);
      return true;
    }
  }
  if (const CXMLElement* fullName = first->FindChild("FullName")) {
    if (HTREEITEM item = FindOrCreatePathItem(CString(fullName->GetValue()))) SelectAndShow(item);
  }
  return true;
}

void NewsBoxTree::AddNewsBox(const CXMLElement& newsBox) {
  const CXMLElement* fullName = newsBox.FindChild("FullName");
  const CXMLElement* id = newsBox.FindChild("Id");
  if (fullName == nullptr || id == nullptr) return;
  HTREEITEM item = FindOrCreatePathItem(CString(fullName->GetValue()));
  if (item == nullptr) return;
  const CString newsBoxId(id->GetValue());
  SetItemNewsBoxId(item, newsBoxId);
  m_pNewsBoxTree->SetItemImage(item, kImageNewsBox, kImageNewsBox);
  m_boxItems[newsBoxId] = item;
}

HTREEITEM NewsBoxTree::FindOrCreatePathItem(const CString& path) {
  if (m_pNewsBoxTree == nullptr) return nullptr;
  // Split the path into its levels from the end: the last "/" (or a "//" pair) ends the
  // parent's path. A parent path without any "/" has no item, and then neither has this
  // path; a separator at the first byte puts the level at the tree's root.
  struct Level {
    int labelStart;
    int labelEnd;
    bool doubleSlash;
  };
  std::vector<Level> levels;
  const char* text = path.GetString();
  int end = path.GetLength();
  for (;;) {
    int last = end - 1;
    while (last >= 0 && text[last] != '/') --last;
    if (last < 0) return nullptr;
    const bool doubleSlash = last > 0 && text[last - 1] == '/';
    levels.push_back({last + 1, end, doubleSlash});
    const int separator = doubleSlash ? last - 1 : last;
    if (separator == 0) break;
    end = separator;
  }
  // Then walk down from the root, making the levels that have no item yet. Each level is
  // known by its parent's item, its separator and its label, which names the same item as
  // its whole path text would, without keeping a copy of every prefix.
  HTREEITEM parent = TVI_ROOT;
  for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
    PathKey key{parent, level->doubleSlash, CString(text + level->labelStart, level->labelEnd - level->labelStart)};
    const auto known = m_pathItems.find(key);
    if (known != m_pathItems.end()) {
      parent = known->second;
      continue;
    }
    HTREEITEM item = m_pNewsBoxTree->InsertItem(key.label, kImagePathLevel, kImagePathLevel, parent, TVI_LAST);
    if (item == nullptr) return nullptr;
    m_pathItems.emplace(std::move(key), item);
    parent = item;
  }
  return parent;
}

const char* NewsBoxTree::ItemNewsBoxId(HTREEITEM item) const {
  const auto it = m_itemIds.find(item);
  return it == m_itemIds.end() ? nullptr : it->second.get();
}

HTREEITEM NewsBoxTree::FindNewsBoxItem(const CString& newsBoxId) const {
  const auto it = m_boxItems.find(newsBoxId);
  return it == m_boxItems.end() ? nullptr : it->second;
}

void NewsBoxTree::SetItemNewsBoxId(HTREEITEM item, const CString& newsBoxId) {
  // A second NewsBox with the same full name replaces the first one's Id (and frees it).
  auto copy = std::make_unique<char[]>(static_cast<size_t>(newsBoxId.GetLength()) + 1);
  std::memcpy(copy.get(), newsBoxId.GetString(), static_cast<size_t>(newsBoxId.GetLength()) + 1);
  m_pNewsBoxTree->SetItemData(item, reinterpret_cast<std::uintptr_t>(copy.get()));
  m_itemIds[item] = std::move(copy);
}

void NewsBoxTree::SelectAndShow(HTREEITEM item) {
  m_pNewsBoxTree->SelectItem(item);
  m_pNewsBoxTree->EnsureVisible(item);
}

void NewsBoxTree::EmptyNewsBoxTree() {
  if (m_pNewsBoxTree != nullptr) {
    // Depth first, children before their parent, with a stack of our own so a deep tree
    // cannot exhaust the call stack.
    std::vector<HTREEITEM> order;
    std::vector<HTREEITEM> pending;
    for (HTREEITEM root = m_pNewsBoxTree->GetRootItem(); root; root = m_pNewsBoxTree->GetNextSiblingItem(root)) {
      pending.push_back(root);
    }
    while (!pending.empty()) {
      HTREEITEM item = pending.back();
      pending.pop_back();
      order.push_back(item);
      for (HTREEITEM child = m_pNewsBoxTree->GetChildItem(item); child;
           child = m_pNewsBoxTree->GetNextSiblingItem(child)) {
        pending.push_back(child);
      }
    }
    // `order` has every parent before its children; deleting from the back frees each
    // child before its parent.
    for (auto item = order.rbegin(); item != order.rend(); ++item) {
      m_pNewsBoxTree->SetItemData(*item, 0);
      m_itemIds.erase(*item);
      m_pNewsBoxTree->DeleteItem(*item);
    }
  }
  m_pathItems.clear();
  m_boxItems.clear();
  m_itemIds.clear();
}

}  // namespace brindle::wizard
