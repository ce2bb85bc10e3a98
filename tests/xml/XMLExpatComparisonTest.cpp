// Generated well-formed portal replies parsed by our reader (flags 24, and flags 8 with a
// declaration) and by expat must give the same element names, nesting, attribute values and
// merged text for every element.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLMemorySource.h"
#include "xml/PortalReplyGenerator.h"

#ifdef BRINDLE_HAVE_EXPAT
#include <expat.h>
#endif

namespace {

// The comparable shape of an element: a one-line text of name, attributes, value and children.
struct Shape {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string value;
    std::vector<Shape> children;
};

std::string Describe(const Shape& shape) {
    std::string out = shape.name;
    for (const auto& a : shape.attributes) {
        out += " " + a.first + "=[" + a.second + "]";
    }
    out += " value=[" + shape.value + "]";
    if (!shape.children.empty()) {
        out += " {";
        for (const Shape& child : shape.children) {
            out += "\n" + Describe(child);
        }
        out += "\n}";
    }
    return out;
}

Shape ShapeOf(const CXMLElement& element) {
    Shape shape;
    shape.name = element.GetName();
    for (const CXMLAttribute* a = element.GetFirstAttribute(); a; a = a->GetNext()) {
        shape.attributes.emplace_back(a->GetName(), a->GetValue());
    }
    shape.value = element.GetValue();
    for (const CXMLElement* child = element.GetFirstChild(); child; child = child->GetNextSibling()) {
        shape.children.push_back(ShapeOf(*child));
    }
    return shape;
}

#ifdef BRINDLE_HAVE_EXPAT

// Builds Shapes from expat's events. A text run ends at a child's start tag or at the end tag;
// the last run that is not blank only, trimmed, becomes the value.
class ExpatShapeBuilder {
public:
    bool Parse(const std::string& text) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &ExpatShapeBuilder::OnStart, &ExpatShapeBuilder::OnEnd);
        XML_SetCharacterDataHandler(parser, &ExpatShapeBuilder::OnText);
        const bool ok = XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
        if (!ok) {
            m_error = XML_ErrorString(XML_GetErrorCode(parser));
        }
        XML_ParserFree(parser);
        return ok;
    }
    const Shape& Top() const { return m_top; }
    const std::string& Error() const { return m_error; }

private:
    static void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        auto* self = static_cast<ExpatShapeBuilder*>(data);
        self->EndRun();
        Shape shape;
        shape.name = name;
        for (const XML_Char** a = attributes; *a; a += 2) {
            shape.attributes.emplace_back(a[0], a[1]);
        }
        self->m_open.push_back(std::move(shape));
    }

    static void OnEnd(void* data, const XML_Char*) {
        auto* self = static_cast<ExpatShapeBuilder*>(data);
        self->EndRun();
        Shape done = std::move(self->m_open.back());
        self->m_open.pop_back();
        if (self->m_open.empty()) {
            self->m_top = std::move(done);
        } else {
            self->m_open.back().children.push_back(std::move(done));
        }
    }

    static void OnText(void* data, const XML_Char* text, int length) {
        static_cast<ExpatShapeBuilder*>(data)->m_run.append(text, static_cast<size_t>(length));
    }

    void EndRun() {
        const size_t first = m_run.find_first_not_of(" \t\r\n");
        if (first != std::string::npos && !m_open.empty()) {
            const size_t last = m_run.find_last_not_of(" \t\r\n");
            m_open.back().value = m_run.substr(first, last - first + 1);
        }
        m_run.clear();
    }

    std::vector<Shape> m_open;
    Shape m_top;
    std::string m_run;
    std::string m_error;
};

void ExpectSameAsExpat(const std::string& reply, int index) {
    ExpatShapeBuilder expat;
    ASSERT_TRUE(expat.Parse(reply)) << "generated reply " << index << " is not well-formed: " << expat.Error() << "\n"
                                    << reply;
    const std::string expected = Describe(expat.Top());

    CXMLMemorySource source;
    ASSERT_TRUE(source.SetText(reply));
    CXMLDocument fragment;
    fragment.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
    ASSERT_TRUE(fragment.Parse(source)) << fragment.GetErrorMessage() << "\n" << reply;
    EXPECT_EQ(Describe(ShapeOf(*fragment.GetRoot())), expected) << "reply " << index << ":\n" << reply;

    ASSERT_TRUE(source.SetText("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + reply + "\n"));
    CXMLDocument whole;
    ASSERT_TRUE(whole.Parse(source)) << whole.GetErrorMessage();
    ASSERT_EQ(whole.GetRoot()->GetChildCount(), 1u);
    EXPECT_EQ(Describe(ShapeOf(*whole.GetRoot()->GetFirstChild())), expected) << "reply " << index;
}

TEST(XMLExpatComparison, GeneratedPortalRepliesAgree) {
    for (int seed = 1; seed <= 120; ++seed) {
        PortalReplyGenerator generator(static_cast<uint32_t>(seed));
        generator.SetIndented(seed % 3 != 0);
        ExpectSameAsExpat(generator.AnyReply(), seed);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST(XMLExpatComparison, LargeNewsBoxListAgrees) {
    PortalReplyGenerator generator(7);
    ExpectSameAsExpat(generator.NewsBoxList(256 * 1024), 0);
}

#else

TEST(XMLExpatComparison, GeneratedPortalRepliesAgree) {
    GTEST_SKIP() << "expat is not installed (apt-get install libexpat1-dev)";
}

#endif

}  // namespace
