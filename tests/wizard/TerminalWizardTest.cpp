// One whole wizard run from piped input through the terminal driver, against the
// scripted outside systems.

#include <sstream>
#include <string>

#include "WizardTestSupport.h"
#include "platform/ui/CTerminalDriver.h"

namespace wizard_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class TerminalWizardTest : public WizardRun {
 protected:
  TerminalWizardTest() {
    for (const char* key : {"k1", "k2"}) lineKeys.Add(key);
    for (const char* name : {"Region", "Product"}) lineNames.Add(name);
  }

  unsigned char RunWithInput(const std::string& input) {
    std::istringstream in(input);
    CTerminalDriver terminal(in, output);
    CUiDriverScope scope(terminal);
    return Run();
  }

  std::ostringstream output;
};

TEST_F(TerminalWizardTest, PipedCommandsPublishThroughAllFourPages) {
  const unsigned char result = RunWithInput(
      "set 1000 Quarterly figures\n"
      "set 1001 First line\\nSecond line\n"
      "next\n"
      "select 1006 Sales/Asia\n"
      "next\n"
      "click 19822\n"
      "check 19829 1 off\n"
      "next\n"
      "click 1014\n"
      "finish\n");

  EXPECT_EQ(result, 1);
  const auto created = script.RequestsNamed("CreateNewsItem");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_THAT(created[0], HasSubstr("<Name>Quarterly figures</Name><ParentId>box-2</ParentId>"));
  EXPECT_THAT(created[0], HasSubstr("<Description>First line\nSecond line</Description>"));
  EXPECT_EQ(newsItemId, "item-new");
  EXPECT_EQ(pdfWord, 0x4u);
  EXPECT_EQ(options.m_bDimensionLineFiltering, 1);
  ASSERT_EQ(options.m_filterableLines.GetCount(), 1);
  EXPECT_EQ(options.m_filterableLines.GetHead(), "k1");

  const std::string shown = output.str();
  for (const char* caption : {"Publish to Lumora Wizard - Welcome", "Publish to Lumora Wizard - NewsBoxes",
                              "Publish to Lumora Wizard - Report Prompts", "Publish to Lumora Wizard - PDF Options"}) {
    EXPECT_THAT(shown, HasSubstr(caption));
  }
  EXPECT_THAT(shown, HasSubstr("Finance"));
  EXPECT_THAT(shown, HasSubstr(kPublishedText));
}

TEST_F(TerminalWizardTest, InputThatEndsEarlyCancelsTheRun) {
  newsItemId = "item-7";
  script.replies["DescribeNewsItem"] = DescribedItemReply("Portal name", "", "box-2");
  EXPECT_EQ(RunWithInput("next\n"), 0);
  EXPECT_EQ(newsItemId, "item-7");
  EXPECT_TRUE(script.publishCalls.empty());
  EXPECT_TRUE(PortalClosed());
}

}  // namespace
}  // namespace wizard_test
