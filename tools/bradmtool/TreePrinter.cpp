#include "tools/bradmtool/TreePrinter.h"

#include <cstdio>
#include <ostream>
#include <vector>

namespace {

constexpr std::size_t ShownBinaryBytes = 32;

std::string spaces(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

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

std::string hexByte(unsigned char byte) {
  char buffer[3];
  std::snprintf(buffer, sizeof buffer, "%02x", byte);
  return buffer;
}

// Leaves first, then branches, each group in name order: the order of the wire.
template <typename Visit>
void forEachChild(const AttributeTree& tree, Visit visit) {
  for (const auto& [name, node] : tree.children())
    if (node->kind() != NodeKind::Branch) visit(name, *node);
  for (const auto& [name, node] : tree.children())
    if (node->kind() == NodeKind::Branch) visit(name, *node);
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

void TreePrinter::json(const AttributeNode& node, int indent) {
  switch (node.kind()) {
    case NodeKind::Text:
      out_ << jsonString(static_cast<const TextAttribute&>(node).text());
      return;
    case NodeKind::Integer:
      out_ << static_cast<const IntegerAttribute&>(node).value();
      return;
    case NodeKind::PlainInteger:
      out_ << static_cast<const PlainIntegerAttribute&>(node).value();
      return;
    case NodeKind::Binary: {
      const auto& binary = static_cast<const BinaryAttribute&>(node);
      out_ << "{\"binary\": \"" << base64(binary.bytes(), binary.length()) << "\"}";
      return;
    }
    case NodeKind::Branch:
      break;
  }
  const auto& tree = static_cast<const AttributeTree&>(node);
  if (tree.childCount() == 0) {
    out_ << "{}";
    return;
  }
  out_ << "{";
  bool first = true;
  forEachChild(tree, [&](const std::string& name, const AttributeNode& child) {
    out_ << (first ? "\n" : ",\n") << spaces(indent + 2) << jsonString(name) << ": ";
    json(child, indent + 2);
    first = false;
  });
  out_ << "\n" << spaces(indent) << "}";
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

std::string TreePrinter::jsonString(const std::string& text) {
  const bool utf8 = isValidUtf8(text);
  std::string result = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': result += "\\\""; break;
      case '\\': result += "\\\\"; break;
      case '\n': result += "\\n"; break;
      case '\r': result += "\\r"; break;
      case '\t': result += "\\t"; break;
      case '\b': result += "\\b"; break;
      case '\f': result += "\\f"; break;
      default:
        if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && !utf8))
          result += "\\u00" + hexByte(byte);
        else
          result += c;
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
