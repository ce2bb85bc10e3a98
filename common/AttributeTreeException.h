#pragma once
// Exceptions of the attribute tree. They carry no data; throw by value, catch by reference.
#include <exception>

#include "brindle/export.h"

// Base of the tree's failures; never thrown by itself.
class BRINDLE_EXPORT AttributeTreeException : public std::exception {
public:
    const char* what() const noexcept override;
};

// A path leads to no node, or not to a node of the kind the operation needs.
class BRINDLE_EXPORT NodeNotFoundException : public AttributeTreeException {
public:
    const char* what() const noexcept override;
};

// An operation would turn the branch itself into something other than a branch.
class BRINDLE_EXPORT CantAlterShapeException : public AttributeTreeException {
public:
    const char* what() const noexcept override;
};
