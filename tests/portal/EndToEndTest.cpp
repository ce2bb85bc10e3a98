// Publishing through libBRCUtil.so against brindle-server and the stand-in security and
// portal libraries: the report reaches the report server, and the NewsItem on the portal
// points at what it serves.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "ServerProcess.h"
#include "brindle/BRCUtil.h"
#include "portal/PortalPublisher.h"
#include "portal/PortalRequests.h"

namespace portal_test {
namespace {

using PublishFn = decltype(&brPublishToLumoraNoUi);
using RepublishFn = decltype(&brRepublishToLumoraNoUi);

std::string g_reportFolder;
std::string g_reportContent;
int g_saves = 0;

// Writes the current report content to a new file, as a host saving its report would.
unsigned char SaveReport(uint32_t, CString* reportPath, CPromptProperties*, uint32_t) {
  const std::string path = g_reportFolder + "/report-" + std::to_string(++g_saves) + ".xml";
  std::ofstream(path, std::ios::binary) << g_reportContent;
  *reportPath = path.c_str();
  return 1;
}

class PortalEndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new ServerProcess();
    library_ = dlopen("libBRCUtil.so", RTLD_NOW | RTLD_LOCAL);
    if (library_ != nullptr) {
      publish_ = reinterpret_cast<PublishFn>(dlsym(library_, "brPublishToLumoraNoUi"));
      republish_ = reinterpret_cast<RepublishFn>(dlsym(library_, "brRepublishToLumoraNoUi"));
    }
    g_reportFolder = server_->folder();
  }
  static void TearDownTestSuite() {
    if (library_ != nullptr) dlclose(library_);
    library_ = nullptr;
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    ASSERT_EQ(server_->failure(), "");
    ASSERT_NE(library_, nullptr) << dlerror();
    ASSERT_NE(publish_, nullptr);
    ASSERT_NE(republish_, nullptr);
  }

  std::string PortalAddress() const { return "127.0.0.1:" + std::to_string(server_->portalPort()); }

  // What the portal says about a NewsItem, read with a run of our own.
  struct Described {
    std::string name, parentId, gateway, content, boxIdOfEurope;
  };
  Described Describe(const CString& id) const {
    Described d;
    PortalPublisher reader(nullptr, 0, nullptr, nullptr);
    reader.m_strUserName = "demo";
    reader.m_strPassword = "demo";
    reader.m_strPortalAddress = PortalAddress().c_str();
    CString error;
    CXMLDocument reply;
    EXPECT_TRUE(reader.SendRequest(brindle::portal::DescribeNewsItemRequest(id.str()).c_str(),
                                   reply, error))
        << error;
    if (const CXMLElement* item = reply.FindElement("Result.NewsItem")) {
      auto child = [item](const char* name) {
        const CXMLElement* c = item->FindChild(name);
        return c ? c->GetValue() : std::string();
      };
      d.name = child("Name");
      d.parentId = child("ParentId");
      d.gateway = child("BIGateway");
      d.content = child("ContentName");
    }
    if (reader.FindNewsBox("/Sales/Europe")) d.boxIdOfEurope = reader.m_strNewsBoxId.str();
    return d;
  }

  // The report the portal serves for a content name.
  std::string Served(const std::string& content) const {
    std::string error;
    std::string body = HttpGet(server_->portalPort(), "/gateway?DC=R&E=" + content, error);
    EXPECT_EQ(error, "");
    return body;
  }

  static ServerProcess* server_;
  static void* library_;
  static PublishFn publish_;
  static RepublishFn republish_;
};

ServerProcess* PortalEndToEnd::server_ = nullptr;
void* PortalEndToEnd::library_ = nullptr;
PublishFn PortalEndToEnd::publish_ = nullptr;
RepublishFn PortalEndToEnd::republish_ = nullptr;

TEST_F(PortalEndToEnd, PublishCreatesTheItemAndRepublishUpdatesIt) {
  g_reportContent = "<Report><Title>First &amp; only</Title></Report>\n";
  CString portalAddress, error, newsItemId;
  ASSERT_EQ(publish_("R&D <draft> \"one\"", "Figures", "/sales/EUROPE",
                     server_->reportServer().c_str(), &portalAddress, &SaveReport, 0, "demo",
                     "demo", &error, &newsItemId),
            1)
      << error;
  ASSERT_FALSE(newsItemId.IsEmpty());
  EXPECT_EQ(portalAddress, PortalAddress().c_str());

  Described first = Describe(newsItemId);
  EXPECT_EQ(first.name, "R&D <draft> \"one\"");
  EXPECT_FALSE(first.boxIdOfEurope.empty());
  EXPECT_EQ(first.parentId, first.boxIdOfEurope);
  EXPECT_EQ(first.gateway, "http://127.0.0.1:" + std::to_string(server_->portalPort()) + "/gateway");
  ASSERT_FALSE(first.content.empty());
  EXPECT_EQ(Served(first.content), g_reportContent);

  g_reportContent = "<Report><Title>Second edition</Title></Report>\n";
  const CString knownId = newsItemId;
  ASSERT_EQ(republish_("Figures, revised", server_->reportServer().c_str(), &portalAddress,
                       &SaveReport, 0, "demo", "demo", &error, &newsItemId),
            1)
      << error;
  EXPECT_EQ(newsItemId, knownId);
  Described second = Describe(newsItemId);
  EXPECT_EQ(second.name, first.name);
  EXPECT_EQ(second.parentId, first.parentId);
  ASSERT_FALSE(second.content.empty());
  EXPECT_EQ(Served(second.content), g_reportContent);
}

TEST_F(PortalEndToEnd, NewsBoxMatchingNothingGives2010) {
  g_reportContent = "<Report/>\n";
  const int savesBefore = g_saves;
  CString portalAddress, error, newsItemId;
  EXPECT_EQ(publish_("Lost", "", "/No/Such/Box", server_->reportServer().c_str(), &portalAddress,
                     &SaveReport, 0, "demo", "demo", &error, &newsItemId),
            0);
  EXPECT_EQ(error, "Failed to find NewsBox.");
  EXPECT_EQ(newsItemId, "");
  EXPECT_EQ(portalAddress, "");
  EXPECT_EQ(g_saves, savesBefore);
}

TEST_F(PortalEndToEnd, WrongCredentialsGive2005) {
  CString portalAddress, error, newsItemId;
  EXPECT_EQ(publish_("Denied", "", "/Sales", server_->reportServer().c_str(), &portalAddress,
                     &SaveReport, 0, "demo", "not the password", &error, &newsItemId),
            0);
  EXPECT_EQ(error, "Login to Sentrel failed.");
}

}  // namespace
}  // namespace portal_test
