#include "tools/bradmtool/TreePrinter.h"

#include <cstdio>
#include <ostream>
#include <vector>

namespace {

constexpr std::size_t ShownBinaryBytes = 32;

std::string spaces(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

std::string hexByte(unsigned char byte) {
  char buffer[3];
  std::snprintf(buffer, sizeof buffer, "%02x", byte);
  return buffer;
}

}  // namespace

void TreePrinter::outline(const AttributeTree& tree, int indent) {
  forEachChild(tree, [&](const std::string& name, const AttributeNode& node) {
    if (node.kind() == NodeKind::Branch) {
      out_ << spaces(indent) << (name.empty() ? quoted(name) : name) << '\n';
      outline(static_cast<const AttributeTree&>(node), indent + 2);
    } else {
      outlineLeaf(name, node, indent);
    }
  });
}

void TreePrinter::outlineLeaf(const std::string& name, const AttributeNode& leaf, int indent) {
  out_ << spaces(indent) << (name.empty() ? quoted(name) : name) << " = " << leafValue(leaf);
  if (leaf.tag() != nullptr) out_ << " (tag " << quoted(leaf.tag()) << ')';
  if (showFlags_ && leaf.isSet() != 0) out_ << " [set]";
  out_ << '\n';
}

std::string TreePrinter::leafValue(const AttributeNode& leaf) const {
  switch (leaf.kind()) {
    case NodeKind::Text:
      return quoted(static_cast<const TextAttribute&>(leaf).text());
    case NodeKind::Integer:
      return std::to_string(static_cast<const IntegerAttribute&>(leaf).value());
    case NodeKind::PlainInteger:
      return std::to_string(static_cast<const PlainIntegerAttribute&>(leaf).value());
    case NodeKind::Binary: {
      const auto& binary = static_cast<const BinaryAttribute&>(leaf);
      std::string shown = "<" + std::to_string(binary.length()) + " bytes";
      if (binary.length() != 0) shown += ":";
      for (std::uint32_t i = 0; i < binary.length() && i < ShownBinaryBytes; ++i)
        shown += " " + hexByte(binary.bytes()[i]);
      if (binary.length() > ShownBinaryBytes) shown += " ...";
      return shown + ">";
    }
    case NodeKind::Branch:
      break;
  }
  return "";
}

std::string TreePrinter::quoted(const std::string& text) {
  std::string result = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': result += "\\\""; break;
      case '\\': result += "\\\\"; break;
      case '\n': result += "\\n"; break;
      case '\r': result += "\\r"; break;
      case '\t': result += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) result += "\\x" + hexByte(byte);
        else result += c;
    }
  }
  return result + "\"";
}

std::string TreePrinter::base64(const unsigned char* bytes, std::size_t count) {
  static const char alphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string result;
  result.reserve((count + 2) / 3 * 4);
  for (std::size_t i = 0; i < count; i += 3) {
    const std::uint32_t a = bytes[i];
    const std::uint32_t b = i + 1 < count ? bytes[i + 1] : 0;
    const std::uint32_t c = i + 2 < count ? bytes[i + 2] : 0;
    const std::uint32_t triple = (a << 16) | (b << 8) | c;
    result += alphabet[(triple >> 18) & 0x3F];
    result += alphabet[(triple >> 12) & 0x3F];
    result += i + 1 < count ? alphabet[(triple >> 6) & 0x3F] : '=';
    result += i + 2 < count ? alphabet[triple & 0x3F] : '=';
  }
  return result;
}
