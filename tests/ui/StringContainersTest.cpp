#include <gtest/gtest.h>

#include "platform/ui/CStringArray.h"
#include "platform/ui/CStringList.h"

namespace {

CStringList ListOf(std::initializer_list<const char*> texts) {
  CStringList list;
  for (const char* text : texts) list.AddTail(text);
  return list;
}

TEST(CStringListTest, AssignmentReplacesTheWholeList) {
  CStringList five = ListOf({"a", "b", "c", "d", "e"});
  const CStringList three = ListOf({"x", "y", "z"});
  five = three;
  EXPECT_EQ(3, five.GetCount());
  EXPECT_EQ(three, five);
  const CStringList& alias = five;
  five = alias;  // self-assignment keeps the list
  EXPECT_EQ(three, five);
}

TEST(CStringListTest, OrderAndLookup) {
  CStringList list = ListOf({"b"});
  list.AddHead("a");
  list.AddTail("c");
  EXPECT_EQ("a", list.GetHead());
  EXPECT_EQ("c", list.GetTail());
  EXPECT_EQ("b", list.GetAt(1));
  EXPECT_EQ(2, list.Find("c"));
  EXPECT_EQ(-1, list.Find("C"));  // byte for byte
  EXPECT_TRUE(list.Contains("a"));
  EXPECT_EQ("a", list.RemoveHead());
  EXPECT_EQ("c", list.RemoveTail());
  EXPECT_EQ(1, list.GetCount());
  list.AddTail(list);  // appending itself doubles it
  EXPECT_EQ(ListOf({"b", "b"}), list);
}

TEST(CStringListTest, EmptyAndOutOfRangeAreSafe) {
  CStringList list;
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ("", list.GetHead());
  EXPECT_EQ("", list.GetTail());
  EXPECT_EQ("", list.RemoveHead());
  EXPECT_EQ("", list.GetAt(0));
  EXPECT_FALSE(list.SetAt(0, "x"));
  EXPECT_FALSE(list.RemoveAt(-1));
}

TEST(CStringArrayTest, IndexedAccessWithinBounds) {
  CStringArray keys;
  EXPECT_EQ(0, keys.Add("k0"));
  EXPECT_EQ(1, keys.Add("k1"));
  keys.InsertAt(1, "mid");
  EXPECT_EQ("mid", keys[1]);
  EXPECT_EQ("k1", keys.GetAt(2));
  EXPECT_EQ("", keys.GetAt(3));
  EXPECT_EQ("", keys[-1]);
  EXPECT_FALSE(keys.SetAt(5, "x"));
  EXPECT_TRUE(keys.SetAtGrow(5, "x"));
  EXPECT_EQ(6, keys.GetSize());
  EXPECT_EQ("", keys[4]);
  keys.RemoveAt(1, 100);
  EXPECT_EQ(1, keys.GetSize());
  EXPECT_EQ(1, keys.Append(keys));  // appending itself
  EXPECT_EQ(2, keys.GetSize());
  EXPECT_EQ(0, keys.Find("k0"));
}

TEST(CStringArrayTest, DuplicatesStayDistinctEntries) {
  CStringArray names;
  names.Add("Region");
  names.Add("Region");
  EXPECT_EQ(2, names.GetSize());
  CStringArray copy(names);
  copy.SetAt(1, "Other");
  EXPECT_EQ("Region", names[1]);
}

}  // namespace
