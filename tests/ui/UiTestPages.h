#pragma once
// A tiny two-page wizard for the framework's tests: templates 901 and 902 in a module of
// their own, and pages that record what the sheet asked of them.
#include <vector>

#include "platform/ui/CButton.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CDialogTemplate.h"
#include "platform/ui/CExtensionModule.h"
#include "platform/ui/CPropertyPage.h"
#include "platform/ui/CPropertySheet.h"
#include "platform/ui/CTreeCtrl.h"

namespace uitest {

constexpr unsigned kNamePage = 901;
constexpr unsigned kChoicePage = 902;
constexpr unsigned kNameEdit = 1000;
constexpr unsigned kNotesEdit = 1001;
constexpr unsigned kAgreeCheck = 1002;
constexpr unsigned kTree = 1006;
constexpr unsigned kRadioA = 1028;
constexpr unsigned kRadioB = 1029;
constexpr unsigned kCountEdit = 1030;

// Attaches the test templates to the resource chain for the life of the object.
class TestResources {
 public:
  TestResources() : m_module("uitest") {
    CDialogTemplate name(kNamePage, "Test - Name", 266, 214);
    name.Add(IDC_STATIC, UiControlKind::Static, "&Name:", 122, 35, 78, 8)
        .Add(kNameEdit, UiControlKind::Edit, "", 122, 45, 143, 12, ES_AUTOHSCROLL | WS_TABSTOP)
        .Add(kNotesEdit, UiControlKind::Edit, "", 122, 77, 143, 135, ES_MULTILINE | ES_WANTRETURN)
        .Add(kAgreeCheck, UiControlKind::CheckBox, "&Agree", 0, 0, 100, 10);
    CDialogTemplate choice(kChoicePage, "Test - Choice", 267, 214);
    choice.Add(kTree, UiControlKind::TreeView, "", 0, 27, 265, 158, TVS_HASBUTTONS | TVS_LINESATROOT)
        .Add(kRadioA, UiControlKind::RadioButton, "&Overwrite", 0, 190, 265, 10, WS_GROUP)
        .Add(kRadioB, UiControlKind::RadioButton, "&Create", 0, 204, 227, 10)
        .Add(kCountEdit, UiControlKind::Edit, "", 0, 0, 40, 12, WS_GROUP);
    m_module.Resources().AddDialogTemplate(name);
    m_module.Resources().AddDialogTemplate(choice);
    m_module.Init();
  }

 private:
  CExtensionModule m_module;
};

// Page one: a name (Next only when it is not empty), notes and a check box.
class NamePage : public CPropertyPage {
 public:
  NamePage() : CPropertyPage(kNamePage) {}

  CString m_name = "default";
  CString m_notes;
  bool m_agree = false;
  int m_initCount = 0;
  int m_setActiveCount = 0;
  int m_cancelCount = 0;
  bool m_refuseKillActive = false;

  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, kNameEdit, m_name);
    DDX_Text(pDX, kNotesEdit, m_notes);
    DDX_Check(pDX, kAgreeCheck, m_agree);
  }
  bool OnInitDialog() override {
    ++m_initCount;
    return CPropertyPage::OnInitDialog();
  }
  bool OnSetActive() override {
    ++m_setActiveCount;
    GetSheet()->SetWizardButtons(PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
  }
  bool OnKillActive() override { return !m_refuseKillActive && CPropertyPage::OnKillActive(); }
  void OnCancel() override { ++m_cancelCount; }
};

// Page two: a tree whose selection enables Finish, a radio pair and a number.
class ChoicePage : public CPropertyPage {
 public:
  ChoicePage() : CPropertyPage(kChoicePage) {}

  int m_choice = 1;
  int m_count = 3;
  int m_selectionChanges = 0;
  HTREEITEM m_lastNew = nullptr;
  bool m_failFinish = false;
  int m_finishCount = 0;

  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Radio(pDX, kRadioA, m_choice);
    DDX_Text(pDX, kCountEdit, m_count);
  }
  bool OnInitDialog() override {
    CPropertyPage::OnInitDialog();
    auto* tree = static_cast<CTreeCtrl*>(GetDlgItem(kTree));
    HTREEITEM a = tree->InsertItem("A");
    tree->InsertItem("B", a);
    tree->InsertItem("C", a);
    tree->InsertItem("D");
    return true;
  }
  bool OnSetActive() override {
    UpdateButtons();
    return CPropertyPage::OnSetActive();
  }
  bool OnNotify(const CNotifyInfo& info, intptr_t* result) override {
    if (info.idFrom != kTree || info.code != TVN_SELCHANGED) return false;
    ++m_selectionChanges;
    m_lastNew = info.itemNew;
    UpdateButtons();
    *result = 0;
    return true;
  }
  bool OnWizardFinish() override {
    ++m_finishCount;
    if (m_failFinish) {
      MessageBox("Finish failed.");
      return false;
    }
    return UpdateData(true);
  }

 private:
  void UpdateButtons() {
    auto* tree = static_cast<CTreeCtrl*>(GetDlgItem(kTree));
    const bool chosen = tree && tree->GetSelectedItem() != nullptr;
    GetSheet()->SetWizardButtons(PSWIZB_BACK | (chosen ? PSWIZB_FINISH : PSWIZB_DISABLEDFINISH));
  }
};

}  // namespace uitest
