#pragma once
// A wizard run against the publishing flow's scripted outside systems: a fixture holds
// the script (tests/portal/PortalFakes), the host's values and a scripted driver, and Run()
// publishes through the wizard as the exported entry points do.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CCheckListBox.h"
#include "platform/ui/CPropertySheet.h"
#include "platform/ui/CScriptedDriver.h"
#include "platform/ui/CStringArray.h"
#include "platform/ui/CTreeCtrl.h"
#include "platform/ui/CUiApp.h"
#include "portal/PortalFakes.h"
#include "portal/wizard/WizardPublishing.h"

namespace wizard_test {

// Texts of the library's string table the tests look for.
constexpr const char* kPublishedText = "A NewsItem was successfully published or updated.";
constexpr const char* kPublishFailedText = "Failed to publish the report to Brindle Enterprise Server.";
constexpr const char* kNoNewsBoxesText = "Failed to get  the available NewsBoxes from the Lumora server.";

using Boxes = std::vector<std::pair<std::string, std::string>>;

// The reply that describes a known NewsItem in NewsBox `parentId`.
std::string DescribedItemReply(const std::string& name, const std::string& description,
                               const std::string& parentId);

// Attaches the library's extension module (strings, dialogs, bitmaps) for every test.
void AttachLibraryResources();

class WizardRun : public ::testing::Test {
 public:
  // State of the running sheet, for Do() steps.
  static CWnd* Control(CPropertySheet& sheet, unsigned id);
  static CButton* Button(CPropertySheet& sheet, unsigned id);
  static bool IsEnabled(CPropertySheet& sheet, unsigned id);
  static bool IsChecked(CPropertySheet& sheet, unsigned id);
  static CTreeCtrl* Tree(CPropertySheet& sheet);
  static CCheckListBox* LineList(CPropertySheet& sheet);
  // The NewsBox Id a tree item carries; empty for none.
  static std::string ItemId(CTreeCtrl& tree, HTREEITEM item);

 protected:
  WizardRun();
  ~WizardRun() override;

  // The portal lists these NewsBoxes.
  void ListNewsBoxes(const Boxes& boxes);
  // The host knows NewsItem `id` in NewsBox `parentId`, and the portal describes it.
  void KnowItem(const std::string& id, const std::string& name, const std::string& description,
                const std::string& parentId);

  // Publishes through the wizard with the first entry point's arguments (no portal
  // address) or, with the portal address, the second one's.
  unsigned char Run(bool withPortalAddress = false);

  std::vector<std::string> MessageTexts() const;
  bool PortalClosed() const;

  portal_test::PortalScript script;
  CScriptedDriver driver;
  CString newsItemId;
  CString portalAddress = "portal.example:8020";
  CPromptProperties options;
  std::uint32_t pdfWord = 0;
  CStringArray lineKeys;
  CStringArray lineNames;
  int displayKind = 0;
  CString documentName = "Sales Report";

 private:
  CUiDriverScope m_driverScope;
};

}  // namespace wizard_test
