// Trees and texts as JSON: member order, leaf kinds, texts that are not UTF-8, ports.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tools/bradmtool/JsonTree.h"

namespace {

TEST(JsonTree, BranchesAreObjectsInTheOrderOfTheWire) {
  AttributeTree tree;
  tree.setText("b.inner", "x");
  tree.setText("c", "text");
  tree.setInteger("a", -7);
  const unsigned char bytes[] = {0x00, 0xff, 0x10};
  tree.setBinary("d", sizeof bytes, bytes);
  std::ostringstream out;
  JsonTree::print(out, JsonTree::of(tree));
  EXPECT_EQ(out.str(),
            "{\n"
            "  \"a\": -7,\n"
            "  \"c\": \"text\",\n"
            "  \"d\": {\n"
            "    \"binary\": \"AP8Q\"\n"
            "  },\n"
            "  \"b\": {\n"
            "    \"inner\": \"x\"\n"
            "  }\n"
            "}\n");
}

TEST(JsonTree, TextsBecomeValidUtf8WithoutLosingAByte) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"plain", "plain"},
      {"gr\xc3\xbc\xc3\x9f", "gr\xc3\xbc\xc3\x9f"},        // UTF-8 stays as it is
      {"caf\xe9", "caf\xc3\xa9"},                          // a lone byte is its code point
      {"\xc3\x28", "\xc3\x83("},                           // a broken sequence too
      {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xc2\x80"},        // an encoded surrogate is no UTF-8
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(JsonTree::text(c.bytes), c.text);
    // nlohmann/json refuses to write invalid UTF-8; every text here must pass.
    EXPECT_NO_THROW(Json(JsonTree::text(c.bytes)).dump());
  }
  EXPECT_EQ(Json(JsonTree::text(std::string("q\"\\\x01", 4))).dump(), "\"q\\\"\\\\\\u0001\"");
}

TEST(JsonTree, PortsAreNumbersWhenTheyAreDigits) {
  EXPECT_EQ(JsonTree::numberOrText("8020").dump(), "8020");
  EXPECT_EQ(JsonTree::numberOrText("0").dump(), "0");
  for (const char* text : {"", "80 80", "-1", "8020x", "99999999999999999999"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(JsonTree::numberOrText(text), Json(text));
  }
}

}  // namespace
