#pragma once
// Option bits of a CXMLDocument; other bits are ignored.
#include <cstdint>

// If "<?xml" is not found exactly, look for it again ignoring letter case.
constexpr uint32_t XML_PROLOG_ANY_CASE = 0x01;
// Text between tags becomes the value of the enclosing element (the last run that is not
// blank only, trimmed and entity-decoded); no text node remains in the tree. Set by default.
constexpr uint32_t XML_MERGE_TEXT = 0x08;
// The text need not carry a "<?xml" declaration; the root is then the node at offset 0 and
// FindElement paths begin with the root element's own name.
constexpr uint32_t XML_FRAGMENT = 0x10;

constexpr uint32_t XML_DEFAULT_FLAGS = XML_MERGE_TEXT;

// Elements that open content may be nested this deep (the root counts as 1); a deeper one fails
// the parse with "Elements are nested too deeply.".
constexpr int XML_MAX_NESTING_DEPTH = 256;
