#pragma once
// Writing XML text: values are escaped for the four entities our reader decodes (&amp; &lt;
// &gt; &quot;), which covers element content and double-quoted attribute values.
#include <string>
#include <string_view>

inline void appendEscaped(std::string& out, std::string_view value) {
    for (char c : value) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out.push_back(c);
        }
    }
}

inline std::string escaped(std::string_view value) {
    std::string out;
    appendEscaped(out, value);
    return out;
}

// <name>escaped value</name>
inline void appendElement(std::string& out, std::string_view name, std::string_view value) {
    out.append("<").append(name).append(">");
    appendEscaped(out, value);
    out.append("</").append(name).append(">");
}
