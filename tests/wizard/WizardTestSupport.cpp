#include "WizardTestSupport.h"

#include "portal/BRCUtilModule.h"

namespace wizard_test {

std::string DescribedItemReply(const std::string& name, const std::string& description,
                               const std::string& parentId) {
  return portal_test::ResultReply(
      "Success", "<NewsItem><Name>" + name + "</Name><Description>" + description + "</Description><ParentId>" +
                     parentId + "</ParentId><BIGateway>http://reports:8010/gateway</BIGateway>" +
                     "<ContentName>content-old</ContentName><DefaultAction>R</DefaultAction></NewsItem>");
}

void AttachLibraryResources() {
  CExtensionModule& module = brindle::portal::BRCUtilModule();
  if (!module.IsAttached()) module.Init();
}

WizardRun::WizardRun() : m_driverScope(driver) {
  AttachLibraryResources();
  ListNewsBoxes({{"/Sales/Europe", "box-1"}, {"/Sales/Asia", "box-2"}, {"/Finance", "box-3"}});
  script.replies["CreateNewsItem"] = portal_test::ResultReply("Success", "<Id>item-new</Id>");
  // The wizard signs on without the logon dialog only with a user name, which it never has.
  script.dialogResult = SN_OK;
}

WizardRun::~WizardRun() = default;

void WizardRun::ListNewsBoxes(const Boxes& boxes) {
  script.replies["DescribeNewsBox"] = portal_test::NewsBoxListReply(boxes);
}

void WizardRun::KnowItem(const std::string& id, const std::string& name, const std::string& description,
                         const std::string& parentId) {
  newsItemId = id.c_str();
  script.replies["DescribeNewsItem"] = DescribedItemReply(name, description, parentId);
}

unsigned char WizardRun::Run(bool withPortalAddress) {
  brindle::wizard::WizardPublication call;
  call.documentName = documentName;
  call.reportServer = "reports:8010";
  call.portalAddress = withPortalAddress ? &portalAddress : nullptr;
  call.saveReport = &portal_test::FakeSaveReport;
  call.saveReportData = 5;
  call.lineKeys = &lineKeys;
  call.lineNames = &lineNames;
  call.options = &options;
  call.pdfOptions = &pdfWord;
  call.displayKind = displayKind;
  call.newsItemId = &newsItemId;
  return brindle::wizard::PublishWithWizard(call, script.Services());
}

CWnd* WizardRun::Control(CPropertySheet& sheet, unsigned id) { return sheet.FindControl(id); }

CButton* WizardRun::Button(CPropertySheet& sheet, unsigned id) {
  return dynamic_cast<CButton*>(sheet.FindControl(id));
}

bool WizardRun::IsEnabled(CPropertySheet& sheet, unsigned id) {
  CWnd* control = sheet.FindControl(id);
  return control != nullptr && control->IsWindowEnabled();
}

bool WizardRun::IsChecked(CPropertySheet& sheet, unsigned id) {
  CButton* button = Button(sheet, id);
  return button != nullptr && button->GetCheck() == 1;
}

CTreeCtrl* WizardRun::Tree(CPropertySheet& sheet) { return dynamic_cast<CTreeCtrl*>(sheet.FindControl(1006)); }

CCheckListBox* WizardRun::LineList(CPropertySheet& sheet) {
  return dynamic_cast<CCheckListBox*>(sheet.FindControl(19829));
}

std::string WizardRun::ItemId(CTreeCtrl& tree, HTREEITEM item) {
  const auto* id = reinterpret_cast<const char*>(tree.GetItemData(item));
  return id ? std::string(id) : std::string();
}

std::vector<std::string> WizardRun::MessageTexts() const {
  std::vector<std::string> texts;
  for (const CMessageBoxRequest& box : driver.MessageBoxes()) texts.push_back(box.text.str());
  return texts;
}

bool WizardRun::PortalClosed() const {
  // Logged off and shut down, with nothing sent afterwards.
  const auto& calls = script.calls;
  return calls.size() >= 2 && calls[calls.size() - 2] == "logoff" && calls.back() == "shutdown";
}

}  // namespace wizard_test
