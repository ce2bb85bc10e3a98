// The request texts exactly as the portal receives them, the escaping of inserted
// values, and the query parameter lookup that splits a report URL.

#include <gtest/gtest.h>

#include "PortalFakes.h"
#include "portal/PortalRequests.h"
#include "portal/QueryParameter.h"

namespace portal_test {
namespace {

using namespace brindle::portal;

const char kActions[] =
    "<DefaultAction>R</DefaultAction>"
    "<Action><Name>R</Name><Label>View</Label><URL></URL></Action>"
    "<Action><Name>Q</Name><URL></URL></Action>"
    "<Action><Name>W</Name><URL></URL></Action>"
    "<Action><Name>Copy</Name><URL></URL></Action>"
    "<Action><Name>Delete</Name><URL></URL></Action>"
    "<Action><Name>Properties</Name><URL></URL></Action>"
    "<Action><Name>Launch</Name><URL></URL></Action>"
    "</SetNewsItemProperties>";

struct RequestCase {
  const char* name;
  std::string text;
  std::string expected;
};

const RequestCase kRequestCases[] = {
    {"NewsBoxList", NewsBoxListRequest(),
     "<DescribeNewsBox NumLevels=\"All\" ObjectTypes=\"NewsBoxes\"><Filter><Condition>up.canwrite"
     "</Condition></Filter></DescribeNewsBox>"},
    {"Create", CreateNewsItemRequest("Sales Q3", "box-1", "Quarterly figures"),
     "<CreateNewsItem><Name>Sales Q3</Name><ParentId>box-1</ParentId><ProviderType>BRN"
     "</ProviderType><Description>Quarterly figures</Description><Action><Name>View</Name>"
     "<Label>View</Label><URL>dummy</URL></Action><DefaultAction>View</DefaultAction>"
     "</CreateNewsItem>"},
    {"CreateEscapesMarkup", CreateNewsItemRequest("R&D <draft>", "a\"b", "x</Description><Id>9"),
     "<CreateNewsItem><Name>R&amp;D &lt;draft&gt;</Name><ParentId>a&quot;b</ParentId>"
     "<ProviderType>BRN</ProviderType><Description>x&lt;/Description&gt;&lt;Id&gt;9"
     "</Description><Action><Name>View</Name><Label>View</Label><URL>dummy</URL></Action>"
     "<DefaultAction>View</DefaultAction></CreateNewsItem>"},
    {"CreateEmptyValues", CreateNewsItemRequest("", "", ""),
     "<CreateNewsItem><Name></Name><ParentId></ParentId><ProviderType>BRN</ProviderType>"
     "<Description></Description><Action><Name>View</Name><Label>View</Label><URL>dummy</URL>"
     "</Action><DefaultAction>View</DefaultAction></CreateNewsItem>"},
    {"SetProperties", SetNewsItemPropertiesRequest("item-7", "http://r:8010/gateway", "Figures", "c-1"),
     std::string("<SetNewsItemProperties><Id>item-7</Id><BIGateway>http://r:8010/gateway"
                 "</BIGateway><Description>Figures</Description><ContentName>c-1</ContentName>") +
         kActions},
    {"SetPropertiesWithoutDescription",
     SetNewsItemPropertiesRequest("item-7", "http://r:8010/gateway", "", "c-1"),
     std::string("<SetNewsItemProperties><Id>item-7</Id><BIGateway>http://r:8010/gateway"
                 "</BIGateway><ContentName>c-1</ContentName>") +
         kActions},
    {"SetPropertiesEscapesMarkup",
     SetNewsItemPropertiesRequest("<i>", "http://r/g&x", "\"quoted\"", "a&b"),
     std::string("<SetNewsItemProperties><Id>&lt;i&gt;</Id><BIGateway>http://r/g&amp;x"
                 "</BIGateway><Description>&quot;quoted&quot;</Description>"
                 "<ContentName>a&amp;b</ContentName>") +
         kActions},
    {"Describe", DescribeNewsItemRequest("item-7"),
     "<DescribeNewsItem><Id>item-7</Id></DescribeNewsItem>"},
    {"DescribeEscapesMarkup", DescribeNewsItemRequest("1&2"),
     "<DescribeNewsItem><Id>1&amp;2</Id></DescribeNewsItem>"},
    {"Delete", DeleteNewsItemRequest("item-7"), "<DeleteNewsItem><Id>item-7</Id></DeleteNewsItem>"},
    {"DeleteEscapesMarkup", DeleteNewsItemRequest("</Id>"),
     "<DeleteNewsItem><Id>&lt;/Id&gt;</Id></DeleteNewsItem>"},
};

class RequestTextTest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestTextTest, IsExactlyThePortalsText) { EXPECT_EQ(GetParam().text, GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Texts, RequestTextTest, ::testing::ValuesIn(kRequestCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PortalRequestText, PublisherSendsItsFieldsInTheCreateRequest) {
  PortalScript script;
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  ConnectPublisher(*publisher);
  publisher->m_strNewsItemName = "R&D <draft>";
  publisher->m_strNewsBoxId = "box-2";
  publisher->m_strDescription = "Plan";
  CString error;
  ASSERT_TRUE(publisher->CreateNewsItem(error));
  ASSERT_EQ(script.RequestsNamed("CreateNewsItem").size(), 1u);
  EXPECT_EQ(script.RequestsNamed("CreateNewsItem")[0],
            CreateNewsItemRequest("R&D <draft>", "box-2", "Plan"));
  EXPECT_NE(script.RequestsNamed("CreateNewsItem")[0].find("<Name>R&amp;D &lt;draft&gt;</Name>"),
            std::string::npos);
  EXPECT_EQ(publisher->m_strNewsItemId, "item-new");
}

struct QueryCase {
  const char* url;
  const char* key;
  const char* value;
};

const QueryCase kQueryCases[] = {
    {"http://r:8010/gateway?DC=R&E=abc&x=1", "E", "abc"},
    {"http://r:8010/gateway?DC=R&E=abc", "E", "abc"},
    {"http://r:8010/gateway?DC=R&nic=abc", "E", ""},
    {"http://r:8010/gateway?DC=R&nic=abc", "nic", "abc"},
    {"http://r:8010/gateway?DATE=5", "E", "5"},  // a plain substring search
    {"http://r:8010/gateway?DC=R&E=", "E", ""},
    {"http://r:8010/gateway", "E", ""},
    {"", "E", ""},
};

TEST(QueryParameter, TakesTheValueAfterTheFirstKeyMatch) {
  for (const QueryCase& c : kQueryCases) {
    EXPECT_EQ(QueryParameter(c.url, c.key), c.value) << c.url << " key " << c.key;
  }
}

}  // namespace
}  // namespace portal_test
