// One whole wizard run from piped input through the terminal driver, against the
// scripted outside systems.

#include <sstream>
#include <string>

#include "WizardTestSupport.h"
#include "fixtures/TerminalScreen.h"
#include "platform/ui/CTerminalDriver.h"

namespace wizard_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

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
      "name Quarterly figures\n"
      "description First line\\nSecond line\n"
      "next\n"
      "box /sales/ASIA\n"
      "next\n"
      "dimension\n"
      "uncheck Product\n"
      "next\n"
      "page\n"
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

// The screens between prompts, each with the prompt line it ends in.
std::vector<std::string> Screens(const std::string& shown) {
  std::vector<std::string> screens;
  size_t start = 0;
  for (size_t prompt = shown.find("\n> "); prompt != std::string::npos; prompt = shown.find("\n> ", start)) {
    screens.push_back(shown.substr(start, prompt + 3 - start));
    start = prompt + 3;
  }
  return screens;
}

TEST_F(TerminalWizardTest, EveryPageFitsTwentyFourLinesAndShowsNoNumbers) {
  Boxes many;
  for (int region = 0; region < 12; ++region) {
    for (int box = 0; box < 6; ++box) {
      many.push_back({"/Region " + std::to_string(region) + "/Box " + std::to_string(box),
                      "box-" + std::to_string(region * 10 + box)});
    }
  }
  ListNewsBoxes(many);
  // More dimension lines than a screen holds side by side.
  for (int line = 0; line < 60; ++line) {
    lineKeys.Add(("key" + std::to_string(line)).c_str());
    lineNames.Add(("Dimension line " + std::to_string(line)).c_str());
  }
  const unsigned char result = RunWithInput(
      "next\n"
      "expand /region 11\n"
      "box /Region 7/Box 3\n"
      "next\n"
      "help zero\n"
      "next\n"
      "summary\n"
      "finish\n");
  EXPECT_EQ(result, 1);
  const auto created = script.RequestsNamed("CreateNewsItem");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_THAT(created[0], HasSubstr("<ParentId>box-73</ParentId>"));

  const std::string shown = output.str();
  const std::vector<std::string> screens = Screens(shown);
  ASSERT_GE(screens.size(), 6u) << shown;
  for (const std::string& screen : screens) EXPECT_TRUE(fixtures::fitsTerminal(screen));
  // Nothing a person cannot use: no control numbers, resource numbers or help topics.
  for (const char* internal : {"[1000]", "1006", "19829", "bitmap", "131", "topic", "132"}) {
    EXPECT_THAT(shown, Not(HasSubstr(internal))) << shown;
  }
  // The tree opens on the first box's level; the others stay shut until asked for.
  EXPECT_THAT(shown, HasSubstr("Box 0   <- chosen"));
  EXPECT_THAT(shown, HasSubstr("[+] Region 5"));
  EXPECT_THAT(shown, HasSubstr("[-] Region 11"));
  EXPECT_THAT(shown, HasSubstr("more below (check ITEM works for every item)"));
  // Finish is plain about a NewsBox the person did not pick, until they pick one.
  EXPECT_THAT(shown, HasSubstr("Note: Finish uses /Region 0/Box 0,\n      which you did not pick "
                                     "(newsboxes PATH picks one)."));
  EXPECT_THAT(screens.back(), Not(HasSubstr("Note:")));
  EXPECT_THAT(shown, HasSubstr("Which one? Say more of the name, or quote it:\n  Summary row on all pages\n"
                               "  Summary column on all pages\n"));
  EXPECT_THAT(shown, HasSubstr("Help on \"Zero suppression\""));
}

TEST_F(TerminalWizardTest, FinishSaysWhenItWouldPublishWithoutTheNewsBoxPage) {
  KnowItem("item-7", "Portal name", "", "box-2");
  EXPECT_EQ(RunWithInput("cancel\n"), 0);
  EXPECT_THAT(output.str(), HasSubstr("Note: Finish goes ahead without your choice from \"Available NewsBoxes\" "
                                      "(page 2)."));
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
