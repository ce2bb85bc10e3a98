#pragma once
// The wizard's third page: which report items the portal's readers may change, and which
// dimension lines they may filter. It edits the run's copy of the host's prompt options
// record (PortalPublisher::m_pOptions).

#include <cstdint>

#include "platform/ui/CCheckListBox.h"
#include "platform/ui/CStringArray.h"
#include "portal/wizard/CWizardPage.h"

class CWizardPanePromptProperties : public CWizardPage {
  BR_DECLARE_RUNTIMECLASS(CWizardPanePromptProperties)

 public:
  // `lineKeys` and `lineNames` are parallel (same index, same dimension line); not owned.
  // Of `pdfOptions` only bits 0 and 1 are used: they disable the currency and the
  // category names check boxes.
  CWizardPanePromptProperties(PortalPublisher& publisher, const CStringArray& lineKeys,
                              const CStringArray& lineNames, std::uint32_t pdfOptions);
  ~CWizardPanePromptProperties() override;

  void DoDataExchange(CDataExchange* pDX) override;
  bool OnInitDialog() override;
  bool OnCommand(unsigned id, unsigned notifyCode) override;
  bool OnSetActive() override;
  bool OnWizardFinish() override;
  void OnCancel() override;

 private:
  void FillLineList();
  void RebuildFilterableLines();
  bool IsFilteringChecked() const;
  void CheckAllLines(bool checked);
  void EnableLineList();

  CCheckListBox m_lineList;
  const CStringArray* m_pLineKeys;
  const CStringArray* m_pLineNames;
  PortalPublisher* m_pPublisher;
  std::uint32_t m_pdfOptions;
};
