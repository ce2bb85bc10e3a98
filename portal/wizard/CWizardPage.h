#pragma once
// The base of the wizard's pages: a property page with a help map for context help on
// its controls, and the finish sequence every page runs when Finish is pressed.

#include <cstdint>

#include "platform/ui/CPropertyPage.h"

class PortalPublisher;

class CWizardPage : public CPropertyPage {
  BR_DECLARE_RUNTIMECLASS(CWizardPage)

 public:
  // The topic of a control in a page's help map.
  static constexpr std::uint32_t kHelpContextBase = 0x20000;

  // `helpMap`: pairs (control id, help context id) ended by (0, 0), or none; not owned.
  CWizardPage(unsigned templateId, unsigned captionId, const std::uint32_t* helpMap);
  ~CWizardPage() override;

  const std::uint32_t* GetHelpMap() const { return m_pHelpMap; }

  // Context help on a control: pops up the control's topic from the wizard's help file.
  // Not handled (false) without a window, without a help map or for a label.
  bool OnHelpInfo(const CHelpInfo& info) override;
  void DoDataExchange(CDataExchange* pDX) override;

 protected:
  // Publishes after the page stored its data: on success closes the portal and answers
  // the base's finish (the run ends); on failure shows why and answers false (the run
  // stays on this page).
  bool RunFinishSequence(PortalPublisher& publisher);
  // Called after a failed publication, before the page answers.
  virtual void OnFinishFailed() {}

 private:
  const std::uint32_t* m_pHelpMap;
};
