#include "tools/bradmtool/ObjectListing.h"

#include <algorithm>
#include <ostream>

#include "tools/bradmtool/TreePrinter.h"

namespace {

std::string textOrDash(const AttributeTree& object, const char* field) {
  const char* text = object.findText(field);
  return text == nullptr || *text == '\0' ? "-" : text;
}

std::string padded(const std::string& text, std::size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

}  // namespace

ObjectListing::ObjectListing(const AttributeTree& content) {
  for (const auto& [name, node] : content.children()) {
    if (node->kind() != NodeKind::Branch) continue;
    const auto& object = static_cast<const AttributeTree&>(*node);
    rows_.push_back({textOrDash(object, "Class"), textOrDash(object, "Revision"),
                     textOrDash(object, "Status"), shownName(name)});
  }
}

void ObjectListing::print(std::ostream& out) const {
  std::size_t classWidth = 0, revisionWidth = 0, statusWidth = 0;
  for (const Row& row : rows_) {
    classWidth = std::max(classWidth, row.objectClass.size());
    revisionWidth = std::max(revisionWidth, row.revision.size());
    statusWidth = std::max(statusWidth, row.status.size());
  }
  for (const Row& row : rows_) {
    // Revisions are numbers: right-aligned like the sizes in `ls -l`.
    const std::string revision =
        std::string(revisionWidth - row.revision.size(), ' ') + row.revision;
    out << padded(row.objectClass, classWidth) << "  " << revision << "  "
        << padded(row.status, statusWidth) << "  " << row.name << '\n';
  }
}

std::string ObjectListing::shownName(const std::string& name) {
  const bool plain =
      !name.empty() && name.front() != ' ' && name.back() != ' ' &&
      std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F || c == '"';
      });
  return plain ? name : TreePrinter::quoted(name);
}
