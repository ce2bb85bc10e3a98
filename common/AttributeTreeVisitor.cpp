#include "common/AttributeTreeVisitor.h"

#include "common/AttributeTree.h"

AttributeTreeVisitor::~AttributeTreeVisitor() = default;

int AttributeTreeVisitor::beginNode(const char*, AttributeTree*) { return 1; }
int AttributeTreeVisitor::endNode(const char*, AttributeTree*) { return 1; }
int AttributeTreeVisitor::text(const char*, TextAttribute*) { return 1; }
int AttributeTreeVisitor::integer(const char*, IntegerAttribute*) { return 1; }
int AttributeTreeVisitor::binary(const char*, BinaryAttribute*) { return 1; }

void AttributeTreeVisitor::visit(AttributeTree& tree, const char* name, int depth) {
    tree.accept(*this, name, depth);
}

void AttributeTreeVisitor::visit(AttributeNode& node, const char* name) {
    switch (node.kind()) {
    case NodeKind::Branch:
        static_cast<AttributeTree&>(node).accept(*this, name, -1);
        break;
    case NodeKind::Integer:
        integer("", static_cast<IntegerAttribute*>(&node));
        break;
    case NodeKind::Text:
        text("", static_cast<TextAttribute*>(&node));
        break;
    case NodeKind::Binary:
        binary("", static_cast<BinaryAttribute*>(&node));
        break;
    case NodeKind::PlainInteger:
        break;
    }
}
