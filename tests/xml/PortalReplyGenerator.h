#pragma once
// Generates well-formed portal replies: NewsBox lists, NewsItems with their actions and
// Standard_Result replies, compact or indented, with entities in texts and attribute values.
// Deterministic for a seed. Used by the comparison test and by the benchmarks.
#include <cstddef>
#include <cstdint>
#include <string>

class PortalReplyGenerator {
public:
    explicit PortalReplyGenerator(uint32_t seed) : m_state(seed * 2654435761u + 1) {}

    // A DescribeNewsBox reply of at least targetBytes bytes.
    std::string NewsBoxList(size_t targetBytes) {
        std::string out;
        Open(out, 0, "Result", "");
        AppendStandardResult(out, 1, true);
        while (out.size() < targetBytes) {
            AppendNewsBox(out, 1);
        }
        Close(out, 0, "Result");
        return out;
    }

    // A DescribeNewsItem reply with the given number of actions.
    std::string NewsItemReply(int actions) {
        std::string out;
        Open(out, 0, "Result", "");
        AppendStandardResult(out, 1, true);
        Open(out, 1, "NewsItem", Attribute("Type", "BRN"));
        Leaf(out, 2, "Id", std::to_string(Next() % 100000));
        Leaf(out, 2, "Name", Text());
        Leaf(out, 2, "ParentId", std::to_string(Next() % 1000));
        Leaf(out, 2, "Description", Text());
        for (int i = 0; i < actions; ++i) {
            Open(out, 2, "Action", Next() % 2 ? Attribute("Default", i == 0 ? "yes" : "no") : "");
            Leaf(out, 3, "Name", Word());
            Leaf(out, 3, "Label", Text());
            Leaf(out, 3, "URL", "http://portal:8020/gateway?DC=R&amp;E=" + Word() + "&amp;n=" + std::to_string(i));
            Close(out, 2, "Action");
        }
        Close(out, 1, "NewsItem");
        Close(out, 0, "Result");
        return out;
    }

    // A bare Standard_Result reply, successful or not.
    std::string StandardResultReply() {
        std::string out;
        Open(out, 0, "Result", "");
        AppendStandardResult(out, 1, Next() % 2 == 0);
        Close(out, 0, "Result");
        return out;
    }

    // One of the three shapes, small enough for a test.
    std::string AnyReply() {
        switch (Next() % 3) {
        case 0:
            return NewsBoxList(200 + Next() % 3000);
        case 1:
            return NewsItemReply(static_cast<int>(Next() % 8));
        default:
            return StandardResultReply();
        }
    }

    // Indented replies have line feeds and blanks between the tags.
    void SetIndented(bool indented) { m_indented = indented; }

private:
    uint32_t Next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }

    std::string Word() {
        static const char* const kWords[] = {"Sales", "East", "Reports", "Q3", "Finance", "R", "Q", "W", "Copy",
                                             "Launch", "Properties", "Marketing", "archive", "2024", "Delete"};
        return kWords[Next() % (sizeof kWords / sizeof kWords[0])];
    }

    // Text content: words with the four entities and other bytes a reply may hold.
    std::string Text() {
        static const char* const kPieces[] = {"&amp;", "&lt;b&gt;", "&quot;", "&amp;lt;", " - ", "'", "/", ",", "(1)"};
        std::string text = Word();
        const uint32_t words = Next() % 6;
        for (uint32_t i = 0; i < words; ++i) {
            text += Next() % 3 == 0 ? kPieces[Next() % (sizeof kPieces / sizeof kPieces[0])] : " ";
            text += Word();
        }
        return text;
    }

    // name="value" (or with single quotes); values may hold entities, tabs and line breaks.
    std::string Attribute(const std::string& name, const std::string& value) {
        const bool single = Next() % 4 == 0;
        std::string text = value;
        if (!single && Next() % 3 == 0) {
            text += " R&amp;D &quot;" + Word() + "&quot; &lt;" + Word() + "&gt;";
        }
        if (Next() % 5 == 0) {
            text += Next() % 2 ? "\r\n" + Word() : "\t" + Word();
        }
        return " " + name + "=" + (single ? "'" : "\"") + text + (single ? "'" : "\"");
    }

    void Indent(std::string& out, int depth) {
        if (m_indented && !out.empty()) {   // nothing may precede the top element
            out += '\n';
            out.append(static_cast<size_t>(depth) * 2, ' ');
        }
    }

    void Open(std::string& out, int depth, const char* name, const std::string& attributes) {
        Indent(out, depth);
        out += '<';
        out += name;
        out += attributes;
        out += '>';
    }

    void Close(std::string& out, int depth, const char* name) {
        Indent(out, depth);
        out += "</";
        out += name;
        out += '>';
    }

    void Leaf(std::string& out, int depth, const char* name, const std::string& text) {
        Indent(out, depth);
        out += '<';
        out += name;
        out += '>';
        out += text;
        out += "</";
        out += name;
        out += '>';
    }

    void AppendStandardResult(std::string& out, int depth, bool success) {
        const std::string code = success ? "Success" : "Failure";
        if (success && Next() % 2) {
            Indent(out, depth);
            out += "<Standard_Result ResultCode=\"" + code + "\"/>";
            return;
        }
        Open(out, depth, "Standard_Result", Attribute("ResultCode", code));
        Leaf(out, depth + 1, "Message", Text());
        Close(out, depth, "Standard_Result");
    }

    void AppendNewsBox(std::string& out, int depth) {
        const std::string id = std::to_string(Next() % 100000);
        Open(out, depth, "NewsBox", Attribute("Id", id) + Attribute("Title", Word()));
        Leaf(out, depth + 1, "Id", id);
        Leaf(out, depth + 1, "FullName", "/" + Word() + "/" + Word() + "/" + Word());
        if (Next() % 2) {
            Leaf(out, depth + 1, "Description", Text());
        }
        if (Next() % 4 == 0) {
            Indent(out, depth + 1);
            out += "<Writable" + Attribute("Value", "1") + "/>";
        }
        Close(out, depth, "NewsBox");
    }

    uint32_t m_state;
    bool m_indented = true;
};
