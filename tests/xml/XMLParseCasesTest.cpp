// Parse results for the reader's rules: (flags, text) -> whole tree, or error message and the
// name of the element that reported it, plus the tree that survives the failure.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLMemorySource.h"
#include "xml/XMLTreeDump.h"

namespace {

const char kNoDeclaration[] = "Can't find beginning-of-XML tag (<?xml).";
const char kNoDeclarationAnyCase[] = "Can't find beginning-of-XML tag (<?xml) regardless of case.";
const char kNoDeclarationEnd[] = "Can't find the end of the end of the beginning-of-XML tag (?>).";
const char kNoMoreBytes[] = "There are no more bytes to parse. We ran out of bytes before we ran out of XML.";
const char kNoTerminator[] = "Could not find terminator. Premature end of data encountered.";
const char kBadTag[] = "Internal error: Could not parse tag.";
const char kOverlapping[] = "Overlapping tags detected.";

struct ParseCase {
    const char* label;
    uint32_t flags;
    std::string text;
    bool parsed;
    std::string tree;           // DumpXMLTree of the root after the parse
    std::string message;        // expected error message when not parsed
    std::string errorElement;   // name of the element that reported it
};

const std::vector<ParseCase>& Cases() {
    static const std::vector<ParseCase> cases = {
        // Declaration rules
        {"fragment reply", 24, "<Result><NewsBox/></Result>", true, "4:Result{4:NewsBox}", "", ""},
        {"reply without declaration, flags 8", 8, "<Result><NewsBox/></Result>", false, "1:", kNoDeclaration, ""},
        {"declaration ending the text", 8, "<?xml version=\"1.0\"?>", false, "1:", kNoDeclarationEnd, ""},
        {"declaration and one byte more", 8, "<?xml version=\"1.0\"?>\n", true, "1:xml[version=1.0]", "", ""},
        {"capital declaration, flags 9", 9, "<?XML VERSION=\"1.0\"?>\n<a/>", true, "1:XML[VERSION=1.0]{4:a}", "", ""},
        {"capital declaration, flags 8", 8, "<?XML VERSION=\"1.0\"?>\n<a/>", false, "1:", kNoDeclaration, ""},
        {"no declaration, flags 9", 9, "<a/>", false, "1:", kNoDeclarationAnyCase, ""},
        {"declaration in a fragment is the root", 24, "<?xml version=\"1.0\"?><Result/>", true,
         "1:xml[version=1.0]{4:Result}", "", ""},
        {"top-level elements under the declaration", 8, "<?xml version=\"1.0\"?><a/><b/>", true,
         "1:xml[version=1.0]{4:a 4:b}", "", ""},
        {"text after the top element is ignored", 24, "<a/>junk<b/>", true, "4:a", "", ""},
        {"blank before the top element", 24, " <Result></Result>", false, "4:", kOverlapping, ""},
        {"empty fragment", 24, "", false, "1:", kNoMoreBytes, ""},
        {"declaration version of one byte", 8, "<?xml version=\"1\"?>\n<a/>", false, "1:", kBadTag, "xml"},
        {"declaration version empty", 8, "<?xml version=\"\"?>\n<a/>", false, "1:", kBadTag, "xml"},
        {"declaration version dash", 8, "<?xml version=\"-\"?>\n<a/>", true, "1:xml[version=-]{4:a}", "", ""},
        {"one-byte version below the root", 24, "<a><b version=\"1\"/></a>", true, "4:a{4:b[version=1]}", "", ""},
        {"one-byte version on a fragment root", 24, "<a version=\"1\"/>", false, "4:", kBadTag, "a"},
        // Structure
        {"unterminated element accepted", 24, "<Result><Code>0</Code>", true, "4:Result{4:Code=\"0\"}", "", ""},
        {"end tag with a blank", 24, "<a>x</a >", true, "4:a=\"x\"", "", ""},
        {"self-closing tag with a blank", 24, "<a><br /></a>", true, "4:a{4:br}", "", ""},
        {"tag beginning with a blank", 24, "<a>< b/></a>", true, "4:a{4:}", "", ""},
        {"overlapping tags", 24, "<a><b></a></b>", false, "4:a", kOverlapping, "b"},
        {"end tag in other case", 24, "<a></A>", false, "4:", kOverlapping, "a"},
        // A root read where the text does not begin with "<" keeps its name untrimmed; its end
        // tag is read up to the first ">" and trimmed, so neither of these ever closes it.
        {"root name with a vertical tab at its edge", 24, "\vA >x</\vA>", false, "4:", kOverlapping, "\vA"},
        {"root name holding a greater-than", 24, "x![CDATA[a>b]]>t</x![CDATA[a>b]]>", false, "4:", kOverlapping,
         "x![CDATA[a>b]]"},
        {"end tag of a plain name with a form feed", 24, "<a>x</a\f>", true, "4:a=\"x\"", "", ""},
        {"processing instruction inside an element", 24, "<a><?pi x=\"1\"?></a>", false, "4:a", kOverlapping, "pi"},
        {"text ends inside a tag", 24, "<a><b", false, "4:a", kNoTerminator, ""},
        // Text merging
        {"last text run wins", 24, "<a>one<b/>two</a>", true, "4:a=\"two\"{4:b}", "", ""},
        {"blank run keeps the value", 24, "<a>one<b/> \t\r\n </a>", true, "4:a=\"one\"{4:b}", "", ""},
        {"vertical tab empties the value", 24, "<a>one<b/>\v</a>", true, "4:a{4:b}", "", ""},
        {"text at the end is not trimmed", 24, "<a> x ", true, "4:a=\" x \"", "", ""},
        {"unmerged text runs stay", 16, "<a> x <b/> y </a>", true, "4:a{5:=\"x\" 4:b 5:=\"y\"}", "", ""},
        {"unmerged blank run stays empty", 16, "<a>\n<b/></a>", true, "4:a{5: 4:b}", "", ""},
        {"unmerged text at the end", 16, "<a> x ", true, "4:a{5:=\" x \"}", "", ""},
        {"unmerged text is not decoded", 16, "<a>&amp;</a>", true, "4:a{5:=\"&amp;\"}", "", ""},
        // Entities
        {"entities in one pass", 24, "<a>&amp;lt; &apos; &#65; &lt;&gt;&quot;&amp;</a>", true,
         "4:a=\"&lt; &apos; &#65; <>\"&\"", "", ""},
        {"entities in attributes", 24, "<a x=\"a&amp;b&lt;&amp;gt;&unknown;\"/>", true, "4:a[x=a&b<&gt;&unknown;]",
         "", ""},
        // Attributes
        {"quotes and normalisation", 24, "<a x=\"p\r\nq\tr\ns\" y='say \"hi\"' z = \"3\"/>", true,
         "4:a[x=p q r s,y=say \"hi\",z=3]", "", ""},
        {"name without equals ignored", 24, "<a x=\"1\" flag/>", true, "4:a[x=1]", "", ""},
        {"greater-than inside a value", 24, "<a x=\"1>2\">tail</a>", true, "4:a[x=1]=\"2\">tail\"", "", ""},
        {"slash before greater-than inside a value", 24, "<a><b x=\"1/>text</a>", true, "4:a=\"text\"{4:b[x=1]}", "",
         ""},
        {"unquoted value", 24, "<Result><Code>0</Code><Bad x=1/></Result>", false, "4:Result{4:Code=\"0\"}", kBadTag,
         "Bad"},
        {"unquoted value under a declaration", 8, "<?xml version=\"1.0\"?><Result><Code>0</Code><Bad x=1/></Result>",
         false, "1:xml[version=1.0]", kBadTag, "Bad"},
        {"declaration value cut before its question mark", 8, "<?xml version=\"1.0>?>\n<a/>", false, "1:", kBadTag,
         "xml"},
        {"declaration value cut after its question mark", 8, "<?xml version=\"1.0?>\n<a/>", true,
         "1:xml[version=1.0]{4:a}", "", ""},
        // Comments, CDATA, declarations
        {"comments stay", 24, "<a><!--note--><!-- spaced --></a>", true, "4:a{2:!--note--=\"note\" 2:=\" spaced \"}",
         "", ""},
        {"CDATA child", 24, "<a>t<![CDATA[x<y]]></a>", true, "4:a=\"t\"{3:[CDATA[=\"x<y\"}", "", ""},
        {"CDATA with doubled terminator", 24, "<a><![CDATA[p]]>]]>q]]></a>", true, "4:a{3:[CDATA[=\"p]]>q\"}", "", ""},
        {"CDATA without terminator", 24, "<a><![CDATA[x</a>", false, "4:a", kNoTerminator, ""},
        {"CDATA cut after doubled terminator", 24, "<a><![CDATA[p]]>]]>q", false, "4:a", kBadTag, "[CDATA["},
        {"document type declaration", 8, "<?xml version=\"1.0\"?>\n<!DOCTYPE portal SYSTEM \"x.dtd\">\n<Result/>", true,
         "1:xml[version=1.0]{6:DOCTYPE=\"portal SYSTEM \"x.dtd\"\" 4:Result}", "", ""},
        {"short exclamation tag", 24, "<a><!x></a>", false, "4:a", kBadTag, "!x"},
        {"malformed section start", 24, "<a><![cdata[x]]></a>", true, "4:a{6:![cdata[x]]}", "", ""},
        {"short section start", 24, "<a><![C></a>", false, "4:a", kBadTag, "![C"},
    };
    return cases;
}

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.label;
}

class XMLParseCase : public testing::TestWithParam<ParseCase> {};

TEST_P(XMLParseCase, GivesTreeOrError) {
    const ParseCase& c = GetParam();
    CXMLMemorySource source;
    ASSERT_TRUE(source.SetText(c.text));
    CXMLDocument document;
    document.SetFlags(c.flags);
    EXPECT_EQ(document.Parse(source), c.parsed);
    EXPECT_EQ(DumpXMLTree(document.GetRoot()), c.tree);
    EXPECT_EQ(document.HasError(), !c.parsed);
    EXPECT_EQ(document.GetErrorMessage(), c.message);
    EXPECT_EQ(document.GetErrorElement(), c.errorElement);
}

std::string CaseName(const testing::TestParamInfo<ParseCase>& info) {
    std::string name;
    for (const char* p = info.param.label; *p; ++p) {
        const char c = *p;
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        name += keep ? c : '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Rules, XMLParseCase, testing::ValuesIn(Cases()), CaseName);

XMLPosition At(uint32_t offset, int32_t column, int32_t line) {
    return XMLPosition(offset, column, line);
}

TEST(XMLParseErrorRecord, HoldsPositionsOfTheReportingElement) {
    CXMLMemorySource source;
    source.SetText("<a>\n  <b x=1/></a>");
    CXMLDocument document;
    document.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
    ASSERT_FALSE(document.Parse(source));
    const XMLErrorRecord& error = document.GetError();
    EXPECT_EQ(error.flag, 1);
    EXPECT_EQ(error.element, "b");
    EXPECT_EQ(error.start, At(6, 3, 2));
    EXPECT_EQ(error.position, At(14, 11, 2));
}

TEST(XMLParseErrorRecord, DocumentErrorsKeepStartPositions) {
    CXMLMemorySource source;
    source.SetText("\n\n<a/>");
    CXMLDocument document;
    ASSERT_FALSE(document.Parse(source));
    EXPECT_EQ(document.GetError().start, XMLPosition());
    EXPECT_EQ(document.GetError().position, XMLPosition());
    EXPECT_EQ(document.GetErrorElement(), "");
}

TEST(XMLParsePositions, ElementsCoverTheirText) {
    CXMLMemorySource source;
    source.SetText("<Result>\r\n<Id>7</Id>\n</Result>");
    CXMLDocument document;
    document.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
    ASSERT_TRUE(document.Parse(source));
    const CXMLElement* id = document.FindElement("Result.Id");
    ASSERT_NE(id, nullptr);
    EXPECT_EQ(id->GetStartPosition(), At(10, 1, 2));
    EXPECT_EQ(id->GetCurrentPosition(), At(20, 11, 2));
    EXPECT_EQ(document.GetRoot()->GetCurrentPosition(), At(30, 10, 3));
    EXPECT_TRUE(document.GetRoot()->IsClosed());
}

std::string Nested(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) {
        text += "<e>";
    }
    text += "x";
    for (int i = 0; i < depth; ++i) {
        text += "</e>";
    }
    return text;
}

TEST(XMLParseDepth, AcceptsTheDeepestAllowedNesting) {
    CXMLMemorySource source;
    source.SetText(Nested(XML_MAX_NESTING_DEPTH));
    CXMLDocument document;
    document.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
    ASSERT_TRUE(document.Parse(source));
    const CXMLElement* element = document.GetRoot();
    int depth = 1;
    while (element->GetFirstChild()) {
        element = element->GetFirstChild();
        ++depth;
    }
    EXPECT_EQ(depth, XML_MAX_NESTING_DEPTH);
    EXPECT_EQ(element->GetValue(), "x");
}

TEST(XMLParseDepth, FailsOneLevelDeeperWithoutOverflowingTheStack) {
    for (int depth : {XML_MAX_NESTING_DEPTH + 1, 100000}) {
        CXMLMemorySource source;
        source.SetText(Nested(depth));
        CXMLDocument document;
        document.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
        EXPECT_FALSE(document.Parse(source)) << depth;
        EXPECT_EQ(document.GetErrorMessage(), "Elements are nested too deeply.");
        EXPECT_EQ(document.GetErrorElement(), "e");
        EXPECT_EQ(document.GetError().start.offset, 3u * XML_MAX_NESTING_DEPTH);
        EXPECT_EQ(DumpXMLTree(document.GetRoot()), "4:e");
    }
}

TEST(XMLParseDepth, EndTagsAndLeavesDoNotCountAsNesting) {
    std::string text = Nested(XML_MAX_NESTING_DEPTH - 1);
    text.insert(3 * (XML_MAX_NESTING_DEPTH - 1), "<leaf/><!-- c --><![CDATA[d]]>");
    CXMLMemorySource source;
    source.SetText(text);
    CXMLDocument document;
    document.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
    EXPECT_TRUE(document.Parse(source)) << document.GetErrorMessage();
}

// Texts and attribute values of every length up to a few blocks of 16 bytes, with the special
// bytes at every place and the text ending right after them: the searches read whole blocks
// where they may and must neither miss a byte nor look past the text.
TEST(XMLParseLengths, ValuesOfEveryLengthAndEndingAtTheTextsEnd) {
    for (size_t length = 0; length <= 40; ++length) {
        const std::string run(length, 'x');
        struct Case {
            std::string text;
            std::string tree;
        };
        const Case cases[] = {
            {"<a>" + run + "&amp;</a>", "4:a=\"" + run + "&\""},
            {"<a>&lt;" + run + "</a>", "4:a=\"<" + run + "\""},
            {"<a>" + run + "&amp", "4:a=\"" + run + "&amp\""},
            {"<a>\n " + run + "\t\n</a>", length ? "4:a=\"" + run + "\"" : "4:a"},
            {"<a v=\"" + run + "&quot;\tz\"/>", "4:a[v=" + run + "\" z]"},
            {"<a v='" + run + "'/>", "4:a[v=" + run + "]"},
            {"<a" + std::string(length + 1, ' ') + "v=\"1\"></a" + std::string(length + 1, ' ') + ">", "4:a[v=1]"},
            {"<a_" + run + ">" + run + "</a_" + run + ">", "4:a_" + run + (length ? "=\"" + run + "\"" : "")},
            {"<a>" + run + "\r\n" + run + "</a>", length ? "4:a=\"" + run + "\r\n" + run + "\"" : "4:a"},
        };
        for (const Case& c : cases) {
            CXMLMemorySource source;
            source.SetText(c.text);
            CXMLDocument document;
            document.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
            EXPECT_TRUE(document.Parse(source)) << c.text << ": " << document.GetErrorMessage();
            EXPECT_EQ(DumpXMLTree(document.GetRoot()), c.tree) << c.text;
            const XMLPosition end = document.GetRoot()->GetCurrentPosition();
            EXPECT_EQ(end.offset, c.text.size()) << c.text;
        }
    }
}

// Rewritten values (entities, line breaks, tabs) on both sides of 128 bytes (shorter ones are
// walked byte by byte, longer ones searched a block at a time) and of some hundred bytes, with
// the replaced bytes at many places. Parsed one after another into the same document, each
// value lands in the buffers of the one before, longer or shorter.
TEST(XMLParseLengths, RewrittenValuesOfManyLengths) {
    CXMLDocument document;
    document.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
    CXMLMemorySource source;
    const size_t lengths[] = {240, 250, 251, 252, 253, 254, 255, 256, 257, 258, 270, 511, 512, 513, 3000, 1, 260,
                              55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 0, 65};
    for (size_t length : lengths) {
        const std::string run(length, 'x');
        const std::string text =
            "<a v=\"" + run + "&lt;\r\n" + run + "&quot;\t\">" + run + "&amp;" + run + "&gt;\r\n</a>";
        const std::string tree = "4:a[v=" + run + "< " + run + "\" ]=\"" + run + "&" + run + ">\"";
        source.SetText(text);
        ASSERT_TRUE(document.Parse(source)) << length << ": " << document.GetErrorMessage();
        EXPECT_EQ(DumpXMLTree(document.GetRoot()), tree) << length;

        CXMLElement* root = document.GetRoot();
        ASSERT_TRUE(root->AddAttribute("w", run + "\t" + run + "\r\n"));
        ASSERT_EQ(root->GetAttributeCount(), 2u);
        EXPECT_EQ(root->GetAttribute(1)->GetValue(), run + " " + run + " ") << length;
    }
}

TEST(XMLParseDocument, ParsesOneTextAfterAnother) {
    CXMLDocument document;
    document.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
    CXMLMemorySource source;
    source.SetText("<Result><Bad x=1/></Result>");
    ASSERT_FALSE(document.Parse(source));
    source.SetText("<Result><Id>1</Id><Id>2</Id></Result>");
    ASSERT_TRUE(document.Parse(source));
    EXPECT_FALSE(document.HasError());
    EXPECT_EQ(document.GetErrorMessage(), "");
    EXPECT_EQ(DumpXMLTree(document.GetRoot()), "4:Result{4:Id=\"1\" 4:Id=\"2\"}");
    source.SetText("<Other a=\"x\"/>");
    ASSERT_TRUE(document.Parse(source));
    EXPECT_EQ(DumpXMLTree(document.GetRoot()), "4:Other[a=x]");
}

}  // namespace
