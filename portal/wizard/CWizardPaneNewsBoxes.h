#pragma once
// The wizard's second page: the tree of NewsBoxes the user may publish into, and the
// choice between overwriting the known NewsItem and creating a new one. Overwriting is
// offered only while the known NewsItem's own NewsBox is selected.

#include <cstdint>

#include "portal/wizard/CWizardPage.h"

class CTreeCtrl;

class CWizardPaneNewsBoxes : public CWizardPage {
  BR_DECLARE_RUNTIMECLASS(CWizardPaneNewsBoxes)

 public:
  // The radio choice.
  static constexpr int kOverwrite = 0;
  static constexpr int kCreateNew = 1;
  static constexpr int kNoChoice = -1;

  explicit CWizardPaneNewsBoxes(PortalPublisher& publisher);
  ~CWizardPaneNewsBoxes() override;

  int GetChoice() const { return m_nChoice; }

  void DoDataExchange(CDataExchange* pDX) override;
  bool OnInitDialog() override;
  bool OnSetActive() override;
  bool OnNotify(const CNotifyInfo& info, intptr_t* result) override;
  long OnWizardBack() override;
  long OnWizardNext() override;
  bool OnWizardFinish() override;
  void OnCancel() override;

 private:
  CTreeCtrl* TreeControl() const;
  void OnSelectionChanged();
  // The radio buttons after a selection change.
  void UpdateRadioButtons();
  void StoreChoice();

  std::int32_t m_nChoice = kNoChoice;
  PortalPublisher* m_pPublisher;
};
