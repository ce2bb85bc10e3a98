#pragma once
// The kind of a CXMLElement, a 32-bit code. Codes above 6 given to an element are stored as
// XML_KIND_UNKNOWN.
#include <cstdint>

enum XMLNodeKind : int32_t {
    XML_KIND_UNKNOWN = 0,
    XML_KIND_PROCESSING_INSTRUCTION = 1,  // "<?...": also the "<?xml" declaration
    XML_KIND_COMMENT = 2,                 // "<!--" ... "-->"
    XML_KIND_CDATA = 3,                   // "<![CDATA[" ... "]]>"
    XML_KIND_ELEMENT = 4,                 // start tag, empty-element tag, end tag
    XML_KIND_TEXT = 5,                    // the bytes between two tags
    XML_KIND_DECLARATION = 6,             // any other "<!" tag, such as a document type
};
