#include "portal/PortalRequests.h"

namespace brindle::portal {

std::string EscapeMarkup(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c; break;
    }
  }
  return out;
}

namespace {

// Appends open + escaped value + close.
void AppendElement(std::string& out, std::string_view open, std::string_view value,
                   std::string_view close) {
  out += open;
  out += EscapeMarkup(value);
  out += close;
}

}  // namespace

std::string NewsBoxListRequest() {
  return "<DescribeNewsBox NumLevels=\"All\" ObjectTypes=\"NewsBoxes\"><Filter>"
         "<Condition>up.canwrite</Condition></Filter></DescribeNewsBox>";
}

std::string CreateNewsItemRequest(std::string_view name, std::string_view newsBoxId,
                                  std::string_view description) {
  std::string out = "<CreateNewsItem>";
  AppendElement(out, "<Name>", name, "</Name>");
  AppendElement(out, "<ParentId>", newsBoxId, "</ParentId>");
  out += "<ProviderType>BRN</ProviderType>";
  AppendElement(out, "<Description>", description, "</Description>");
  out += "<Action><Name>View</Name><Label>View</Label><URL>dummy</URL></Action>"
         "<DefaultAction>View</DefaultAction></CreateNewsItem>";
  return out;
}

std::string SetNewsItemPropertiesRequest(std::string_view newsItemId, std::string_view gateway,
                                         std::string_view description, std::string_view content) {
  std::string out = "<SetNewsItemProperties>";
  AppendElement(out, "<Id>", newsItemId, "</Id>");
  AppendElement(out, "<BIGateway>", gateway, "</BIGateway>");
  if (!description.empty()) AppendElement(out, "<Description>", description, "</Description>");
  AppendElement(out, "<ContentName>", content, "</ContentName>");
  out += "<DefaultAction>R</DefaultAction>"
         "<Action><Name>R</Name><Label>View</Label><URL></URL></Action>"
         "<Action><Name>Q</Name><URL></URL></Action>"
         "<Action><Name>W</Name><URL></URL></Action>"
         "<Action><Name>Copy</Name><URL></URL></Action>"
         "<Action><Name>Delete</Name><URL></URL></Action>"
         "<Action><Name>Properties</Name><URL></URL></Action>"
         "<Action><Name>Launch</Name><URL></URL></Action>"
         "</SetNewsItemProperties>";
  return out;
}

std::string DescribeNewsItemRequest(std::string_view newsItemId) {
  std::string out = "<DescribeNewsItem>";
  AppendElement(out, "<Id>", newsItemId, "</Id></DescribeNewsItem>");
  return out;
}

std::string DeleteNewsItemRequest(std::string_view newsItemId) {
  std::string out = "<DeleteNewsItem>";
  AppendElement(out, "<Id>", newsItemId, "</Id></DeleteNewsItem>");
  return out;
}

}  // namespace brindle::portal
