#pragma once
// Receiver of the events of AttributeTree::accept. Only beginNode's result is looked at: 0
// skips the branch (no events for its children, no endNode). A visitor may change leaf values
// but must not add or remove children of the branches being traversed.
// name is the child's name in its parent ("" for an empty name), or whatever the caller passed
// for the branch at which the traversal starts (null allowed).
#include "brindle/export.h"

class AttributeNode;
class AttributeTree;
class TextAttribute;
class IntegerAttribute;
class BinaryAttribute;

class BRINDLE_EXPORT AttributeTreeVisitor {
public:
    virtual ~AttributeTreeVisitor();

    virtual int beginNode(const char* name, AttributeTree* branch);
    virtual int endNode(const char* name, AttributeTree* branch);
    virtual int text(const char* name, TextAttribute* leaf);
    virtual int integer(const char* name, IntegerAttribute* leaf);
    virtual int binary(const char* name, BinaryAttribute* leaf);

    // tree.accept(*this, name, depth).
    void visit(AttributeTree& tree, const char* name, int depth);
    // A branch is traversed to unlimited depth under name; a single leaf is reported under the
    // empty name whatever name says; a PlainInteger leaf yields nothing.
    void visit(AttributeNode& node, const char* name);
};
