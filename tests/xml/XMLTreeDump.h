#pragma once
// A one-line text of an element tree, so that tests can state a whole expected tree:
//   kind:name[attr=value,...]="value"{child child ...}
// Attributes, value and children appear only when present.
#include <string>

#include "portal/xml/CXMLElement.h"

inline std::string DumpXMLTree(const CXMLElement* element) {
    if (!element) {
        return "(none)";
    }
    std::string out = std::to_string(element->GetKind()) + ":" + element->GetName();
    if (element->GetAttributeCount() != 0) {
        out += "[";
        for (const CXMLAttribute* a = element->GetFirstAttribute(); a; a = a->GetNext()) {
            out += a->GetName() + "=" + a->GetValue() + (a->GetNext() ? "," : "");
        }
        out += "]";
    }
    if (!element->GetValue().empty()) {
        out += "=\"" + element->GetValue() + "\"";
    }
    if (element->GetChildCount() != 0) {
        out += "{";
        for (const CXMLElement* c = element->GetFirstChild(); c; c = c->GetNextSibling()) {
            out += DumpXMLTree(c) + (c->GetNextSibling() ? " " : "");
        }
        out += "}";
    }
    return out;
}
