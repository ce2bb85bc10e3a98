#pragma once
// The wizard's last page: what is printed to PDF and with which options. It loads its
// flags from the host's PDF options word when it is made and writes the word in place
// when the user leaves it with Back or Finish.

#include <cstdint>

#include "portal/wizard/CWizardPage.h"
#include "portal/wizard/PdfOptionFlags.h"

class CWizardPanePDFReportStyle : public CWizardPage {
  BR_DECLARE_RUNTIMECLASS(CWizardPanePDFReportStyle)

 public:
  // `pdfOptions`: the host's word (not owned). `displayKind`: the kind of the report's
  // current display, 0 to 8; any other value enables no display option.
  CWizardPanePDFReportStyle(PortalPublisher& publisher, std::uint32_t* pdfOptions, int displayKind);
  ~CWizardPanePDFReportStyle() override;

  const brindle::wizard::PdfOptionFlags& GetFlags() const { return m_flags; }

  void DoDataExchange(CDataExchange* pDX) override;
  bool OnInitDialog() override;
  bool OnCommand(unsigned id, unsigned notifyCode) override;
  bool OnSetActive() override;
  long OnWizardBack() override;
  bool OnWizardFinish() override;

 private:
  void SelectMode(unsigned radioId);
  // Enables the selected-display check boxes by the current flags and display kind.
  void ApplyEnablingRule(bool displays);
  void StoreOptions();

  PortalPublisher* m_pPublisher;
  std::uint32_t* m_pPdfOptions;
  brindle::wizard::PdfOptionFlags m_flags;
  int m_nDisplayKind;
};
