#pragma once
// A list of texts with item data and selection (one item, or several with LBS_EXTENDEDSEL).
// Indexes outside the list are refused (LB_ERR results), never read.
#include <cstdint>
#include <vector>

#include "brindle/export.h"
#include "platform/ui/CWnd.h"

constexpr int LB_ERR = -1;

class BRINDLE_EXPORT CListBox : public CWnd {
  BR_DECLARE_RUNTIMECLASS(CListBox)

 public:
  CListBox();
  ~CListBox() override;
  UiControlKind GetKind() const override { return UiControlKind::ListBox; }

  int GetCount() const { return static_cast<int>(m_items.size()); }
  // Appends (or, with LBS_SORT, inserts in order); returns the new item's index.
  int AddString(const char* text);
  // Inserts before `index` (-1: at the end); returns the index or LB_ERR.
  int InsertString(int index, const char* text);
  // Returns the count left, or LB_ERR.
  int DeleteString(int index);
  void ResetContent();
  // The text of item `index`; the empty text (and LB_ERR) outside the list.
  CString GetText(int index) const;
  int GetText(int index, CString& text) const;
  int FindStringExact(int startAfter, const char* text) const;
  int SetItemData(int index, std::uintptr_t data);
  std::uintptr_t GetItemData(int index) const;
  // Single selection: the selected index or LB_ERR; -1 clears.
  int GetCurSel() const;
  int SetCurSel(int index);
  // Several selections: item `index` (-1: every item) selected or not.
  int SetSel(int index, bool select = true);
  int GetSel(int index) const;
  int GetSelCount() const;

  // What a user's choice of an item does, then LBN_SELCHANGE to the parent.
  bool UserSelect(int index);
  CString Describe() const override;

 protected:
  struct Item {
    CString text;
    std::uintptr_t data = 0;
    int check = 0;
    bool selected = false;
  };
  bool IsValidIndex(int index) const { return index >= 0 && index < GetCount(); }
  Item& ItemAt(int index) { return m_items[static_cast<size_t>(index)]; }
  const Item& ItemAt(int index) const { return m_items[static_cast<size_t>(index)]; }
  void CopyContentFrom(const CWnd& other) override;

 private:
  std::vector<Item> m_items;
};
