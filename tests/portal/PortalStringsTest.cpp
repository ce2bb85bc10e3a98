// The string table's texts and the library's place in the resource chain while loaded.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "platform/ui/CResourceChain.h"
#include "portal/PortalStrings.h"

namespace {

using namespace brindle::portal;

const std::pair<unsigned, const char*> kExpected[] = {
    {2000, "A NewsItem was successfully published or updated."},
    {2001, "&Next >"},
    {2002, "&Finish"},
    {2003, "Failed to connect to Lumora."},
    {2004, "Failed to save the Brindle report in XML format."},
    {2005, "Login to Sentrel failed."},
    {2006, "Login to Lumora failed."},
    {2007, "Failed to get  the available NewsBoxes from the Lumora server."},
    {2008, "Failed to publish the report to Brindle Enterprise Server."},
    {2009, "Failed to re-publish the report because the  NewsItem information is missing ."},
    {2010, "Failed to find NewsBox."},
    {2011, "You do not have publishing rights to any NewsBoxes."},
};

TEST(PortalStrings, TableHoldsTheExactTexts) {
  ASSERT_EQ(std::size(kPortalStrings), std::size(kExpected));
  for (size_t i = 0; i < std::size(kExpected); ++i) {
    EXPECT_EQ(kPortalStrings[i].id, kExpected[i].first);
    EXPECT_STREQ(kPortalStrings[i].text, kExpected[i].second);
    EXPECT_EQ(PortalMessage(static_cast<PortalStringId>(kExpected[i].first)), kExpected[i].second);
  }
}

TEST(PortalStrings, LibraryJoinsTheChainWhileLoaded) {
  CString text;
  ASSERT_FALSE(CResourceChain::LoadString(2007, text)) << "no module holds the strings yet";
  void* library = dlopen("libBRCUtil.so", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  for (const auto& [id, expected] : kExpected) {
    EXPECT_EQ(CResourceChain::GetString(id), expected) << id;
  }
  ASSERT_EQ(dlclose(library), 0);
  EXPECT_FALSE(CResourceChain::LoadString(2007, text)) << "the module left the chain";
}

TEST(PortalStrings, HostsOwnTextWinsThroughTheChain) {
  CResourceModule host("host");
  host.AddString(2005, "Sign-on refused.");
  CResourceChain::SetApplicationModule(&host);
  EXPECT_EQ(PortalMessage(IDS_SIGN_ON_FAILED), "Sign-on refused.");
  CResourceChain::SetApplicationModule(nullptr);
  EXPECT_EQ(PortalMessage(IDS_SIGN_ON_FAILED), "Login to Sentrel failed.");
}

}  // namespace
