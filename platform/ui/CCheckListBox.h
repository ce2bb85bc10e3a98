#pragma once
// A list box that shows a check box before every item.
#include "brindle/export.h"
#include "platform/ui/CListBox.h"

class BRINDLE_EXPORT CCheckListBox : public CListBox {
  BR_DECLARE_RUNTIMECLASS(CCheckListBox)

 public:
  CCheckListBox();
  ~CCheckListBox() override;
  UiControlKind GetKind() const override { return UiControlKind::CheckListBox; }

  // 0 unchecked, 1 checked; false outside the list.
  bool SetCheck(int index, int check);
  // The check of item `index`; LB_ERR outside the list.
  int GetCheck(int index) const;
  // What a user's click on an item's box does, then CLBN_CHKCHANGE to the parent.
  // False when the list is not usable or the index is outside it.
  bool UserSetCheck(int index, int check);
  CString Describe() const override;
};
