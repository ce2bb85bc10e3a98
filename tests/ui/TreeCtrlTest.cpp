#include "platform/ui/CTreeCtrl.h"

#include <gtest/gtest.h>

#include "platform/ui/CImageList.h"

namespace {

// A parent window that records the tree's notifications.
class Recorder : public CWnd {
 public:
  struct Change {
    HTREEITEM from;
    HTREEITEM to;
    int action;
  };
  std::vector<Change> changes;

  bool OnNotify(const CNotifyInfo& info, intptr_t* result) override {
    if (info.code != TVN_SELCHANGED) return false;
    changes.push_back({info.itemOld, info.itemNew, info.action});
    *result = 0;
    return true;
  }
};

class TreeCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_parent.Create(nullptr, 1, "parent", CRect(0, 0, 400, 300), WS_VISIBLE);
    m_tree.Create(&m_parent, 1006, "", CRect(0, 0, 200, 200), WS_VISIBLE | TVS_HASBUTTONS);
  }

  CString Labels(const std::vector<HTREEITEM>& items) const {
    CString joined;
    for (HTREEITEM item : items) joined += (joined.IsEmpty() ? "" : ",") + m_tree.GetItemText(item);
    return joined;
  }

  Recorder m_parent;
  CTreeCtrl m_tree;
};

TEST_F(TreeCtrlTest, NavigationFollowsParentsChildrenAndSiblings) {
  HTREEITEM a = m_tree.InsertItem("A", 1, 1);
  HTREEITEM b = m_tree.InsertItem("B", 1, 1, a);
  HTREEITEM c = m_tree.InsertItem("C", 3, 3, a);
  HTREEITEM d = m_tree.InsertItem("D");

  EXPECT_EQ(a, m_tree.GetRootItem());
  EXPECT_EQ(a, m_tree.GetChildItem(TVI_ROOT));
  EXPECT_EQ(b, m_tree.GetChildItem(a));
  EXPECT_EQ(c, m_tree.GetNextSiblingItem(b));
  EXPECT_EQ(nullptr, m_tree.GetNextSiblingItem(c));
  EXPECT_EQ(b, m_tree.GetPrevSiblingItem(c));
  EXPECT_EQ(d, m_tree.GetNextSiblingItem(a));
  EXPECT_EQ(a, m_tree.GetParentItem(c));
  EXPECT_EQ(nullptr, m_tree.GetParentItem(a));
  EXPECT_TRUE(m_tree.ItemHasChildren(a));
  EXPECT_FALSE(m_tree.ItemHasChildren(d));
  EXPECT_EQ("A,B,C,D", Labels(m_tree.GetAllItems()));
  EXPECT_EQ(c, m_tree.FindItemByPath("A/C"));
  EXPECT_EQ(nullptr, m_tree.FindItemByPath("A/C/E"));
  EXPECT_EQ(nullptr, m_tree.FindItemByPath(""));
  int image = 0, selected = 0;
  ASSERT_TRUE(m_tree.GetItemImage(c, image, selected));
  EXPECT_EQ(3, image);
  EXPECT_EQ(3, selected);
}

TEST_F(TreeCtrlTest, InsertPositions) {
  m_tree.InsertItem("m");
  m_tree.InsertItem("z", TVI_ROOT, TVI_SORT);
  m_tree.InsertItem("a", TVI_ROOT, TVI_SORT);
  HTREEITEM first = m_tree.InsertItem("first", TVI_ROOT, TVI_FIRST);
  m_tree.InsertItem("after-first", TVI_ROOT, first);
  m_tree.InsertItem("last");
  EXPECT_EQ("first,after-first,a,m,z,last", Labels(m_tree.GetAllItems()));
  HTREEITEM child = m_tree.InsertItem("child", first);
  EXPECT_EQ(nullptr, m_tree.InsertItem("bad", TVI_ROOT, child));  // `after` is not a root item
}

TEST_F(TreeCtrlTest, SelectionChangesReachTheParent) {
  HTREEITEM a = m_tree.InsertItem("A");
  HTREEITEM b = m_tree.InsertItem("B", a);
  ASSERT_TRUE(m_tree.SelectItem(a));
  EXPECT_TRUE(m_tree.SelectItem(a));  // no change, no notification
  ASSERT_TRUE(m_tree.UserSelect(b));
  ASSERT_EQ(2u, m_parent.changes.size());
  EXPECT_EQ(nullptr, m_parent.changes[0].from);
  EXPECT_EQ(a, m_parent.changes[0].to);
  EXPECT_EQ(TVC_UNKNOWN, m_parent.changes[0].action);
  EXPECT_EQ(a, m_parent.changes[1].from);
  EXPECT_EQ(b, m_parent.changes[1].to);
  EXPECT_EQ(TVC_BYMOUSE, m_parent.changes[1].action);
  EXPECT_TRUE(m_tree.IsExpanded(a));  // a user's choice opens the way to it

  // Deleting the branch that holds the selection clears it (and says so).
  ASSERT_TRUE(m_tree.DeleteItem(a));
  EXPECT_EQ(nullptr, m_tree.GetSelectedItem());
  ASSERT_EQ(3u, m_parent.changes.size());
  EXPECT_EQ(nullptr, m_parent.changes[2].to);
  EXPECT_EQ(0, m_tree.GetCount());
}

TEST_F(TreeCtrlTest, StaleAndMadeUpHandlesAreRefused) {
  HTREEITEM a = m_tree.InsertItem("A");
  HTREEITEM b = m_tree.InsertItem("B", a);
  CTreeCtrl other;
  HTREEITEM foreign = other.InsertItem("X");
  m_tree.DeleteItem(a);

  EXPECT_FALSE(m_tree.IsItem(a));
  EXPECT_FALSE(m_tree.IsItem(b));
  EXPECT_FALSE(m_tree.SelectItem(b));
  EXPECT_FALSE(m_tree.SetItemData(foreign, 1));
  EXPECT_EQ(0u, m_tree.GetItemData(foreign));
  EXPECT_EQ("", m_tree.GetItemText(b));
  EXPECT_EQ(nullptr, m_tree.InsertItem("child", b));
  EXPECT_FALSE(m_tree.DeleteItem(b));
  EXPECT_FALSE(m_tree.EnsureVisible(TVI_LAST));
  EXPECT_EQ(nullptr, m_tree.GetNextSiblingItem(TVI_ROOT));
}

TEST_F(TreeCtrlTest, ExpandEnsureVisibleDataAndDeleteAll) {
  HTREEITEM a = m_tree.InsertItem("A");
  HTREEITEM b = m_tree.InsertItem("B", a);
  HTREEITEM c = m_tree.InsertItem("C", b);
  EXPECT_TRUE(m_tree.Expand(a, TVE_EXPAND));
  EXPECT_TRUE(m_tree.Expand(a, TVE_TOGGLE));
  EXPECT_FALSE(m_tree.IsExpanded(a));
  EXPECT_TRUE(m_tree.EnsureVisible(c));
  EXPECT_TRUE(m_tree.IsExpanded(a));
  EXPECT_TRUE(m_tree.IsExpanded(b));
  EXPECT_EQ(c, m_tree.GetLastEnsuredVisible());

  static const char kId[] = "box-1";
  EXPECT_TRUE(m_tree.SetItemData(c, reinterpret_cast<std::uintptr_t>(kId)));
  EXPECT_STREQ(kId, reinterpret_cast<const char*>(m_tree.GetItemData(c)));

  m_tree.SelectItem(c);
  EXPECT_EQ("       - A", m_tree.DescribeItems().Left(10));
  EXPECT_NE(-1, m_tree.DescribeItems().Find("*  C"));
  m_tree.DeleteAllItems();
  EXPECT_EQ(0, m_tree.GetCount());
  EXPECT_EQ(nullptr, m_tree.GetRootItem());
  EXPECT_EQ(nullptr, m_tree.GetLastEnsuredVisible());
}

TEST_F(TreeCtrlTest, DisabledTreeRefusesTheUserButNotTheProgram) {
  HTREEITEM a = m_tree.InsertItem("A");
  m_tree.EnableWindow(false);
  EXPECT_FALSE(m_tree.UserSelect(a));
  EXPECT_TRUE(m_tree.SelectItem(a));
}

TEST_F(TreeCtrlTest, ImageListIsHeldNotOwned) {
  CImageList images;
  EXPECT_EQ(nullptr, m_tree.SetImageList(&images, TVSIL_NORMAL));
  EXPECT_EQ(&images, m_tree.GetImageList(TVSIL_NORMAL));
  EXPECT_EQ(nullptr, m_tree.GetImageList(TVSIL_STATE));
}

}  // namespace
