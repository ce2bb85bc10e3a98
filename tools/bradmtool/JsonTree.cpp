#include "tools/bradmtool/JsonTree.h"

#include <ostream>

#include "tools/bradmtool/TreePrinter.h"

namespace {

// Length of the UTF-8 sequence starting at text[i], or 0 when none starts there.
std::size_t utf8SequenceLength(const std::string& text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  std::uint32_t smallest = 0;
  std::uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) { length = 2; smallest = 0x80; code = lead & 0x1F; }
  else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; smallest = 0x800; code = lead & 0x0F; }
  else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; smallest = 0x10000; code = lead & 0x07; }
  else return 0;
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

bool isValidUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) { ++i; continue; }
    const std::size_t length = utf8SequenceLength(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string bytesAsCodePoints(const std::string& bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

}  // namespace

Json JsonTree::of(const AttributeNode& node) {
  switch (node.kind()) {
    case NodeKind::Text:
      return text(static_cast<const TextAttribute&>(node).text());
    case NodeKind::Integer:
      return static_cast<const IntegerAttribute&>(node).value();
    case NodeKind::PlainInteger:
      return static_cast<const PlainIntegerAttribute&>(node).value();
    case NodeKind::Binary: {
      const auto& binary = static_cast<const BinaryAttribute&>(node);
      return Json{{"binary", TreePrinter::base64(binary.bytes(), binary.length())}};
    }
    case NodeKind::Branch:
      break;
  }
  Json object = Json::object();
  TreePrinter::forEachChild(static_cast<const AttributeTree&>(node),
                            [&](const std::string& name, const AttributeNode& child) {
                              object[text(name)] = of(child);
                            });
  return object;
}

std::string JsonTree::text(const std::string& bytes) {
  return isValidUtf8(bytes) ? bytes : bytesAsCodePoints(bytes);
}

Json JsonTree::numberOrText(const std::string& digits) {
  if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
    return text(digits);
  return std::stol(digits);
}

void JsonTree::print(std::ostream& out, const Json& value) { out << value.dump(2) << '\n'; }
