// Path queries of the element tree and the tree operations they rest on.
#include <gtest/gtest.h>

#include <string>

#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLMemorySource.h"
#include "xml/XMLTreeDump.h"

namespace {

class ParsedReply {
public:
    ParsedReply(const char* text, uint32_t flags) {
        source.SetText(text);
        document.SetFlags(flags);
        parsed = document.Parse(source);
    }
    CXMLMemorySource source;
    CXMLDocument document;
    bool parsed = false;
};

const uint32_t kReplyFlags = XML_MERGE_TEXT | XML_FRAGMENT;

const char kNewsItems[] =
    "<Result><Standard_Result ResultCode=\"Success\"/>"
    "<NewsItem><Id>1</Id></NewsItem>"
    "<NewsItem><Id>2</Id><Action><Name>R</Name></Action><Action><Name>Q</Name></Action></NewsItem>"
    "</Result>";

TEST(XMLFindChild, DoesNotTryALaterChildOfTheSameName) {
    ParsedReply reply(kNewsItems, kReplyFlags);
    ASSERT_TRUE(reply.parsed);
    EXPECT_EQ(reply.document.FindElement("Result.NewsItem.Action"), nullptr);
    const CXMLElement* first = reply.document.FindElement("Result.NewsItem");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->FindChild("Id")->GetValue(), "1");
    const CXMLElement* second = first->FindNextSibling("NewsItem");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->FindChild("Action.Name")->GetValue(), "R");
}

TEST(XMLFindNextSibling, WalksLaterSiblingsOnly) {
    ParsedReply reply(kNewsItems, kReplyFlags);
    const CXMLElement* action = reply.document.FindElement("Result.NewsItem")->FindNextSibling("NewsItem")->FindChild("Action");
    ASSERT_NE(action, nullptr);
    std::string names;
    for (const CXMLElement* a = action; a; a = a->FindNextSibling("Action")) {
        names += a->FindChild("Name")->GetValue();
    }
    EXPECT_EQ(names, "RQ");
    const CXMLElement* last = action->FindNextSibling("Action");
    EXPECT_EQ(last->FindNextSibling("Action"), nullptr);
    EXPECT_EQ(last->FindNextSibling("Id"), nullptr);   // an earlier sibling
    const CXMLElement* status = reply.document.FindElement("Result.Standard_Result");
    EXPECT_EQ(status->FindNextSibling("Standard_Result"), nullptr);   // never itself
}

TEST(XMLFindElement, FirstComponentNamesTheRootOnlyInFragments) {
    const char* text = "<?xml version=\"1.0\"?>\n<Result><NewsBox Id=\"7\"/></Result>";
    ParsedReply fragment(text, kReplyFlags);
    ASSERT_TRUE(fragment.parsed);
    EXPECT_EQ(fragment.document.FindElement("Result.NewsBox"), nullptr);
    EXPECT_EQ(fragment.document.FindElement("xml"), fragment.document.GetRoot());
    EXPECT_NE(fragment.document.FindElement("xml.Result.NewsBox"), nullptr);

    ParsedReply whole(text, XML_MERGE_TEXT);
    ASSERT_TRUE(whole.parsed);
    const CXMLElement* box = whole.document.FindElement("Result.NewsBox");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->FindAttribute("Id")->GetValue(), "7");
    EXPECT_EQ(whole.document.FindElement("NewsBox"), nullptr);   // direct children of the root only
    EXPECT_EQ(whole.document.FindElement("xml.Result"), nullptr);
}

TEST(XMLFindElement, WithoutDotComparesTheRootNameOnly) {
    ParsedReply reply("<Result><Result/></Result>", kReplyFlags);
    const CXMLElement* root = reply.document.GetRoot();
    EXPECT_EQ(reply.document.FindElement("Result"), root);
    EXPECT_EQ(reply.document.FindElement("Result.Result"), root->GetFirstChild());
    EXPECT_EQ(reply.document.FindElement("Other"), nullptr);
}

TEST(XMLFindElement, NamesAreCaseSensitive) {
    ParsedReply reply("<Result><NewsBox/></Result>", kReplyFlags);
    EXPECT_NE(reply.document.FindElement("Result.NewsBox"), nullptr);
    EXPECT_EQ(reply.document.FindElement("result.newsbox"), nullptr);
    EXPECT_EQ(reply.document.FindElement("Result.newsbox"), nullptr);
}

TEST(XMLFindElement, EmptyComponentsMatchEmptyNames) {
    ParsedReply reply("<Result><!-- note --><NewsBox/>< ><Id>7</Id></></Result>", kReplyFlags);
    ASSERT_TRUE(reply.parsed) << reply.document.GetErrorMessage();
    const CXMLElement* empty = reply.document.FindElement("Result.");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->GetKind(), XML_KIND_COMMENT);   // the first child with an empty name
    EXPECT_EQ(reply.document.FindElement("Result..Id"), nullptr);   // the comment has no children
    EXPECT_EQ(reply.document.FindElement(""), nullptr);

    ParsedReply nameless("<Result>< ><Id>7</Id></><!-- note --></Result>", kReplyFlags);
    ASSERT_TRUE(nameless.parsed);
    EXPECT_EQ(nameless.document.FindElement("Result..Id")->GetValue(), "7");
}

TEST(XMLFindElement, NoTreeGivesNone) {
    CXMLDocument document;
    document.Reset();
    EXPECT_EQ(document.GetRoot(), nullptr);
    EXPECT_EQ(document.FindElement("xml"), nullptr);
}

TEST(XMLFindAttribute, FindsTheFirstOfTheName) {
    ParsedReply reply("<Result><Box a=\"1\" b=\"2\" a=\"3\"/></Result>", kReplyFlags);
    const CXMLElement* box = reply.document.FindElement("Result.Box");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->FindAttribute("a")->GetValue(), "1");
    EXPECT_EQ(box->FindAttribute("b")->GetValue(), "2");
    EXPECT_EQ(box->FindAttribute("B"), nullptr);
    EXPECT_EQ(box->GetAttributeCount(), 3u);
    EXPECT_EQ(box->GetAttribute(2)->GetValue(), "3");
    EXPECT_EQ(box->GetAttribute(3), nullptr);
}

TEST(XMLDocument, StartsWithAPlaceholderDeclaration) {
    CXMLDocument document;
    EXPECT_EQ(document.GetFlags(), XML_MERGE_TEXT);
    EXPECT_EQ(DumpXMLTree(document.GetRoot()), "1:xml[version=1.0,standalone=yes]");
    EXPECT_FALSE(document.HasError());
    EXPECT_EQ(document.SetFlags(24), XML_MERGE_TEXT);
    EXPECT_EQ(document.SetFlags(0), 24u);
}

TEST(XMLAddAttribute, RootVersionRule) {
    struct VersionCase {
        const char* value;
        bool acceptedOnRoot;
    };
    const VersionCase cases[] = {{"", false}, {"x", false}, {"-", true}, {"1.0", true}, {"\r\n", false}, {"\n\n", true}};
    for (const VersionCase& c : cases) {
        auto root = CXMLElement::NewElement(XML_KIND_ELEMENT, nullptr);
        EXPECT_EQ(root->AddAttribute("version", c.value), c.acceptedOnRoot) << '"' << c.value << '"';
        EXPECT_EQ(root->GetAttributeCount(), c.acceptedOnRoot ? 1u : 0u);
        EXPECT_TRUE(root->AddAttribute("Version", c.value));
        CXMLElement* child = CXMLElement::NewElement(*root, XML_KIND_ELEMENT);
        EXPECT_TRUE(child->AddAttribute("version", c.value));
    }
}

TEST(XMLAddAttribute, NormalisesLineBreaksAndTabs) {
    auto element = CXMLElement::NewElement(XML_KIND_ELEMENT, nullptr);
    ASSERT_TRUE(element->AddAttribute("v", "a\r\nb\tc\rd\ne\r\r\nf"));
    ASSERT_TRUE(element->AddAttribute("w", "&amp;"));
    EXPECT_EQ(element->FindAttribute("v")->GetValue(), "a b c d e  f");
    EXPECT_EQ(element->FindAttribute("w")->GetValue(), "&amp;");   // taken as given
}

TEST(XMLAddAttribute, KeepsTheChainAcrossGrowth) {
    auto element = CXMLElement::NewElement(XML_KIND_ELEMENT, nullptr);
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(element->AddAttribute("a" + std::to_string(i), std::to_string(i)));
    }
    int count = 0;
    for (const CXMLAttribute* a = element->GetFirstAttribute(); a; a = a->GetNext()) {
        EXPECT_EQ(a->GetValue(), std::to_string(count));
        ++count;
    }
    EXPECT_EQ(count, 100);
}

// The name and value may be views of the element's own attributes, which grow and move
// while the new one is stored (a use after free under the address sanitizer otherwise).
TEST(XMLAddAttribute, TakesNameAndValueFromItsOwnAttributes) {
    auto element = CXMLElement::NewElement(XML_KIND_ELEMENT, nullptr);
    const std::string name = "a name longer than any short-string buffer";
    const std::string value = "a value longer than any short-string buffer, too";
    ASSERT_TRUE(element->AddAttribute(name, value));
    for (int i = 0; i < 40; ++i) {
        const CXMLAttribute* last = element->GetFirstAttribute();
        while (last->GetNext()) last = last->GetNext();
        ASSERT_TRUE(element->AddAttribute(last->GetName(), last->GetValue()));
    }
    int count = 0;
    for (const CXMLAttribute* a = element->GetFirstAttribute(); a; a = a->GetNext(), ++count) {
        EXPECT_EQ(a->GetName(), name);
        EXPECT_EQ(a->GetValue(), value);
    }
    EXPECT_EQ(count, 41);
}

TEST(XMLReportError, KeepsTheFirstErrorOnly) {
    CXMLDocument document;
    auto element = CXMLElement::NewElement(XML_KIND_ELEMENT, &document);
    element->ReportError("first");
    auto other = CXMLElement::NewElement(XML_KIND_ELEMENT, &document);
    other->ReportError("second");
    EXPECT_EQ(document.GetErrorMessage(), "first");

    document.Reset();
    element->ReportError(nullptr);
    EXPECT_TRUE(document.HasError());
    EXPECT_EQ(document.GetErrorMessage(), "");

    document.Reset();
    const std::string longText(3000, 'm');
    element->ReportError(longText.c_str());
    EXPECT_EQ(document.GetErrorMessage(), std::string(1023, 'm'));

    auto loose = CXMLElement::NewElement(XML_KIND_ELEMENT, nullptr);
    loose->ReportError("nowhere to go");   // no document: nothing happens, no crash
}

TEST(XMLReportError, CutsLongElementNames) {
    const std::string name(2000, 'n');
    ParsedReply reply(("<" + name + " x=1/>").c_str(), kReplyFlags);
    EXPECT_FALSE(reply.parsed);
    EXPECT_EQ(reply.document.GetErrorElement(), std::string(1023, 'n'));
}

TEST(XMLElement, UnknownKindsAreStoredAsZeroAndCannotBeParsed) {
    CXMLDocument document;
    auto element = CXMLElement::NewElement(static_cast<XMLNodeKind>(9), &document);
    EXPECT_EQ(element->GetKind(), XML_KIND_UNKNOWN);
    CXMLMemorySource source;
    source.SetText("<a/>");
    EXPECT_FALSE(element->Parse(XMLPosition(), source));
    EXPECT_EQ(document.GetErrorMessage(), "Type of element is unknown. Could not parse element data.");
}

TEST(XMLElement, RemoveChildKeepsTheSiblingChain) {
    auto parent = CXMLElement::NewElement(XML_KIND_ELEMENT, nullptr);
    CXMLElement* a = CXMLElement::NewElement(*parent, XML_KIND_ELEMENT);
    CXMLElement* b = CXMLElement::NewElement(*parent, XML_KIND_TEXT);
    CXMLElement* c = CXMLElement::NewElement(*parent, XML_KIND_COMMENT);
    EXPECT_EQ(b->GetParent(), parent.get());
    auto stranger = CXMLElement::NewElement(XML_KIND_ELEMENT, nullptr);
    parent->RemoveChild(stranger.get());
    parent->RemoveChild(nullptr);
    EXPECT_EQ(parent->GetChildCount(), 3u);
    parent->RemoveChild(b);
    EXPECT_EQ(a->GetNextSibling(), c);
    parent->RemoveChild(c);
    EXPECT_EQ(a->GetNextSibling(), nullptr);
    EXPECT_EQ(parent->GetLastChild(), a);
    parent->RemoveChild(a);
    EXPECT_EQ(parent->GetFirstChild(), nullptr);
}

TEST(XMLElement, AddChildLinksTheSubtreeToTheDocument) {
    CXMLDocument document;
    auto branch = CXMLElement::NewElement(XML_KIND_ELEMENT, nullptr);
    CXMLElement* leaf = CXMLElement::NewElement(*branch, XML_KIND_ELEMENT);
    CXMLElement* added = document.GetRoot()->AddChild(std::move(branch));
    EXPECT_EQ(added->GetParent(), document.GetRoot());
    EXPECT_EQ(added->GetDocument(), &document);
    EXPECT_EQ(leaf->GetDocument(), &document);
    EXPECT_EQ(document.GetRoot()->AddChild(nullptr), nullptr);
    EXPECT_EQ(document.FindElement(""), added);
}

TEST(XMLElement, ClearKeepsKindAndPositions) {
    CXMLMemorySource source;
    source.SetText("<?xml version=\"1.0\"?>\n<a x=\"1\"><b/>t</a>");
    CXMLDocument document;
    ASSERT_TRUE(document.Parse(source));
    CXMLElement* a = document.GetRoot()->GetFirstChild();
    ASSERT_NE(a, nullptr);
    const XMLPosition start = a->GetStartPosition();
    const XMLPosition end = a->GetCurrentPosition();
    a->Clear();
    EXPECT_EQ(DumpXMLTree(a), "4:");
    EXPECT_FALSE(a->IsClosed());
    EXPECT_EQ(a->GetStartPosition(), start);
    EXPECT_EQ(a->GetCurrentPosition(), end);
}

TEST(XMLElement, ParsesAChildInPlace) {
    CXMLMemorySource source;
    source.SetText("<Id>7</Id><Id>8</Id>");
    CXMLDocument document;
    CXMLElement* child = CXMLElement::NewElement(*document.GetRoot(), XML_KIND_ELEMENT);
    ASSERT_TRUE(child->Parse(XMLPosition(10, 11, 1), source));
    EXPECT_EQ(child->GetValue(), "8");
    EXPECT_TRUE(child->IsClosed());
    EXPECT_EQ(child->GetCurrentPosition().offset, 20u);
}

}  // namespace

namespace {

std::string ParseAndDump(CXMLDocument& document, const std::string& text, uint32_t flags = XML_MERGE_TEXT | XML_FRAGMENT) {
    CXMLMemorySource source;
    source.SetText(text);
    document.SetFlags(flags);
    const bool parsed = document.Parse(source);
    return (parsed ? "" : "failed: ") + DumpXMLTree(document.GetRoot());
}

TEST(XMLDocumentReuse, GivesTheSameTreesAsFreshDocuments) {
    const std::string texts[] = {
        "<Result><NewsBox Id=\"1\"><Id>1</Id><FullName>/a/b</FullName></NewsBox><NewsBox Id=\"2\"/></Result>",
        "<Result><Code>0</Code></Result>",
        "<Result><A><B><C>deep</C></B></A><D x=\"&amp;\"/><Bad x=1/></Result>",
        "<Other/>",
        "<Result><NewsBox Id=\"1\"><Id>1</Id><FullName>/a/b</FullName></NewsBox><NewsBox Id=\"2\"/></Result>",
    };
    CXMLDocument reused;
    for (int round = 0; round < 3; ++round) {
        for (const std::string& text : texts) {
            CXMLDocument fresh;
            EXPECT_EQ(ParseAndDump(reused, text), ParseAndDump(fresh, text)) << text;
        }
    }
}

// A reused element writes its new name and value over the bytes of its last use: longer ones,
// then shorter and empty ones in the same places, nodes that lose their value or name, and
// trees cut short by failures must all come out as from a fresh document.
TEST(XMLDocumentReuse, ShorterAndEmptyNamesAndValuesReplaceLongerOnes) {
    const std::string texts[] = {
        "<Result><Description_of_the_box>A description longer than a short buffer &amp; more</Description_of_the_box>"
        "<LongElementNameHere attribute_name_long=\"a value longer than sixteen bytes\" b='&lt;x&gt;'/>"
        "<Message>text before<Inner>inner text of some length</Inner>text after</Message></Result>",
        "<Result><D/><L a=\"\"/><Message><Inner/></Message></Result>",
        "<Result>run<!-- a comment with blanks --><Child>c</Child>last run</Result>",
        "<R><A>x</B></R>",
        "<Result><Open>unterminated text at the end",
        "<Result><Bad x=1/></Result>",
        "<?xml version=\"1.0\"?>\n<Result>  \n  <Id>7</Id>\n</Result>",
        "<Result><Id>1</Id></Result>",
    };
    const uint32_t flagSets[] = {XML_MERGE_TEXT | XML_FRAGMENT, XML_FRAGMENT, XML_MERGE_TEXT};
    CXMLDocument reused;
    for (int round = 0; round < 2; ++round) {
        for (uint32_t flags : flagSets) {
            for (const std::string& text : texts) {
                CXMLDocument fresh;
                EXPECT_EQ(ParseAndDump(reused, text, flags), ParseAndDump(fresh, text, flags))
                    << "flags " << flags << ": " << text;
                EXPECT_EQ(reused.GetErrorMessage(), fresh.GetErrorMessage()) << text;
                EXPECT_EQ(reused.GetErrorElement(), fresh.GetErrorElement()) << text;
            }
        }
    }
}

TEST(XMLDocumentReuse, ElementsAddedByHandAreDestroyedWithTheTree) {
    CXMLDocument document;
    ASSERT_EQ(ParseAndDump(document, "<Result><Id>1</Id></Result>"), "4:Result{4:Id=\"1\"}");
    auto branch = CXMLElement::NewElement(XML_KIND_ELEMENT, nullptr);
    CXMLElement::NewElement(*branch, XML_KIND_COMMENT);
    CXMLElement* id = document.FindElement("Result.Id");
    id->AddChild(std::move(branch));
    CXMLElement::NewElement(*id, XML_KIND_TEXT);
    EXPECT_EQ(DumpXMLTree(document.GetRoot()), "4:Result{4:Id=\"1\"{4:{2:} 5:}}");
    EXPECT_EQ(ParseAndDump(document, "<Result><Id>2</Id><Id>3</Id></Result>"), "4:Result{4:Id=\"2\" 4:Id=\"3\"}");
    EXPECT_EQ(ParseAndDump(document, "<R/>"), "4:R");
}

}  // namespace
