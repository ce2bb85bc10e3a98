#include "portal/wizard/CWizardPanePDFReportStyle.h"

#include "platform/ui/CDataExchange.h"
#include "portal/PortalPublisher.h"
#include "portal/wizard/CWizardSheet.h"
#include "portal/wizard/WizardResources.h"

using namespace brindle::wizard;

BR_IMPLEMENT_RUNTIMECLASS(CWizardPanePDFReportStyle, CWizardPage)

namespace {

const std::uint32_t kHelpMap[] = {
    IDC_PAGE_LAYOUT,       CWizardPage::kHelpContextBase + IDC_PAGE_LAYOUT,
    IDC_SELECTED_DISPLAYS, CWizardPage::kHelpContextBase + IDC_SELECTED_DISPLAYS,
    IDC_AXES,              CWizardPage::kHelpContextBase + IDC_AXES,
    IDC_SUMMARY_ROW,       CWizardPage::kHelpContextBase + IDC_SUMMARY_ROW,
    IDC_SUMMARY_COLUMN,    CWizardPage::kHelpContextBase + IDC_SUMMARY_COLUMN,
    IDC_TITLE,             CWizardPage::kHelpContextBase + IDC_TITLE,
    IDC_LEGEND,            CWizardPage::kHelpContextBase + IDC_LEGEND,
    IDC_FONT_SUBSTITUTION, CWizardPage::kHelpContextBase + IDC_FONT_SUBSTITUTION,
    IDC_ENTIRE_REPORT,     CWizardPage::kHelpContextBase + IDC_ENTIRE_REPORT,
    0,                     0,
};

// The check boxes and the bits they show.
struct CheckBoxBit {
  unsigned id;
  int bit;
};
constexpr CheckBoxBit kCheckBoxes[] = {
    {IDC_AXES, kPdfAxes},   {IDC_SUMMARY_ROW, kPdfSummaryRow}, {IDC_SUMMARY_COLUMN, kPdfSummaryColumn},
    {IDC_TITLE, kPdfTitle}, {IDC_LEGEND, kPdfLegend},          {IDC_FONT_SUBSTITUTION, kPdfFontSubstitution},
};

}  // namespace

CWizardPanePDFReportStyle::CWizardPanePDFReportStyle(PortalPublisher& publisher, std::uint32_t* pdfOptions,
                                                     int displayKind)
    : CWizardPage(IDD_WIZARD_PDF, 0, kHelpMap),
      m_pPublisher(&publisher),
      m_pPdfOptions(pdfOptions),
      m_flags(pdfOptions ? *pdfOptions : 0),
      m_nDisplayKind(displayKind) {}

CWizardPanePDFReportStyle::~CWizardPanePDFReportStyle() = default;

void CWizardPanePDFReportStyle::DoDataExchange(CDataExchange* pDX) {
  CWizardPage::DoDataExchange(pDX);
  for (const CheckBoxBit& box : kCheckBoxes) {
    int checked = m_flags.Get(box.bit) ? 1 : 0;
    DDX_Check(pDX, box.id, checked);
    if (pDX->m_bSaveAndValidate) m_flags.Set(box.bit, checked != 0);
  }
}

bool CWizardPanePDFReportStyle::OnInitDialog() {
  CWizardPage::OnInitDialog();
  // Selected displays cannot be chosen here; it shows only when the host's word asks for it.
  if (CWnd* selected = GetDlgItem(IDC_SELECTED_DISPLAYS)) selected->EnableWindow(false);
  unsigned mode = IDC_ENTIRE_REPORT;
  if (m_flags.Get(kPdfPageLayout)) {
    mode = IDC_PAGE_LAYOUT;
  } else if (m_flags.Get(kPdfSelectedDisplays)) {
    mode = IDC_SELECTED_DISPLAYS;
  }
  ApplyEnablingRule(mode != IDC_PAGE_LAYOUT);
  CheckRadioButton(IDC_PAGE_LAYOUT, IDC_ENTIRE_REPORT, mode);
  for (const CheckBoxBit& box : kCheckBoxes) CheckDlgButton(box.id, m_flags.Get(box.bit) ? 1 : 0);
  return true;
}

bool CWizardPanePDFReportStyle::OnCommand(unsigned id, unsigned notifyCode) {
  if (notifyCode == BN_CLICKED &&
      (id == IDC_PAGE_LAYOUT || id == IDC_SELECTED_DISPLAYS || id == IDC_ENTIRE_REPORT)) {
    SelectMode(id);
    return true;
  }
  return CWizardPage::OnCommand(id, notifyCode);
}

void CWizardPanePDFReportStyle::SelectMode(unsigned radioId) {
  m_flags.Set(kPdfPageLayout, radioId == IDC_PAGE_LAYOUT);
  m_flags.Set(kPdfSelectedDisplays, radioId == IDC_SELECTED_DISPLAYS);
  m_flags.Set(kPdfEntireReport, radioId == IDC_ENTIRE_REPORT);
  CheckRadioButton(IDC_PAGE_LAYOUT, IDC_ENTIRE_REPORT, radioId);
  ApplyEnablingRule(radioId != IDC_PAGE_LAYOUT);
}

void CWizardPanePDFReportStyle::ApplyEnablingRule(bool displays) {
  const PdfEnabledOptions enabled = m_flags.Enabled(m_nDisplayKind, displays);
  auto enable = [this](unsigned id, bool on) {
    if (CWnd* box = GetDlgItem(id)) box->EnableWindow(on);
  };
  enable(IDC_AXES, enabled.axes);
  enable(IDC_LEGEND, enabled.legend);
  enable(IDC_TITLE, enabled.title);
  enable(IDC_SUMMARY_ROW, enabled.summaryRow);
  enable(IDC_SUMMARY_COLUMN, enabled.summaryColumn);
}

bool CWizardPanePDFReportStyle::OnSetActive() {
  EnableWizardButtons(GetSheet(), true, false, m_pPublisher->CanFinish());
  return CWizardPage::OnSetActive();
}

void CWizardPanePDFReportStyle::StoreOptions() {
  UpdateData(true);
  if (m_pPdfOptions) *m_pPdfOptions = m_flags.Store(*m_pPdfOptions);
}

long CWizardPanePDFReportStyle::OnWizardBack() {
  StoreOptions();
  return CWizardPage::OnWizardBack();
}

bool CWizardPanePDFReportStyle::OnWizardFinish() {
  StoreOptions();
  return RunFinishSequence(*m_pPublisher);
}
