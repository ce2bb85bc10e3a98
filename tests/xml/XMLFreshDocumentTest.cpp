// A new document per text, as the portal code makes them: each one takes over the elements a
// gone document of the same thread left behind, and must give the tree of its own text.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLMemorySource.h"
#include "xml/XMLTreeDump.h"

namespace {

struct FreshCase {
    uint32_t flags;
    std::string text;
    std::string tree;  // DumpXMLTree of the root, "failed: " in front when Parse fails
};

std::string ParseIntoNewDocument(const FreshCase& c) {
    CXMLMemorySource source;
    source.SetText(c.text);
    CXMLDocument document;
    document.SetFlags(c.flags);
    const bool parsed = document.Parse(source);
    return (parsed ? "" : "failed: ") + DumpXMLTree(document.GetRoot());
}

// Long names and values first, then shorter and empty ones in the same places, texts that fail
// half way and trees of other shapes.
const std::vector<FreshCase>& Cases() {
    static const std::vector<FreshCase> cases = {
        {24,
         "<Result><Description_of_the_box LongAttributeName=\"a value longer than sixteen bytes &amp; more\">"
         "A description longer than a short buffer</Description_of_the_box><Id>1</Id></Result>",
         "4:Result{4:Description_of_the_box[LongAttributeName=a value longer than sixteen bytes & more]"
         "=\"A description longer than a short buffer\" 4:Id=\"1\"}"},
        {24, "<Result><D a=\"\"/><Id/></Result>", "4:Result{4:D[a=] 4:Id}"},
        {24, "<Result><Id>2</Id><Bad x=1/></Result>", "failed: 4:Result{4:Id=\"2\"}"},
        {16, "<a> x <b/></a>", "4:a{5:=\"x\" 4:b}"},
        {8, "<?xml version=\"1.0\"?>\n<R><!-- note --></R>", "1:xml[version=1.0]{4:R{2:=\" note \"}}"},
        {24, "<R/>", "4:R"},
    };
    return cases;
}

TEST(XMLFreshDocument, GivesTheTreeOfItsOwnTextAfterOthersWent) {
    for (int round = 0; round < 3; ++round) {
        for (const FreshCase& c : Cases()) {
            EXPECT_EQ(ParseIntoNewDocument(c), c.tree) << "round " << round << ": " << c.text;
        }
    }
}

TEST(XMLFreshDocument, DocumentsAliveTogetherDoNotShareElements) {
    CXMLMemorySource first;
    first.SetText("<Result><Id>1</Id><Name>first</Name></Result>");
    CXMLMemorySource second;
    second.SetText("<Result><Id>2</Id></Result>");
    for (int round = 0; round < 3; ++round) {
        auto a = std::make_unique<CXMLDocument>();
        auto b = std::make_unique<CXMLDocument>();
        a->SetFlags(24);
        b->SetFlags(24);
        ASSERT_TRUE(a->Parse(first));
        ASSERT_TRUE(b->Parse(second));
        EXPECT_EQ(DumpXMLTree(a->GetRoot()), "4:Result{4:Id=\"1\" 4:Name=\"first\"}");
        EXPECT_EQ(DumpXMLTree(b->GetRoot()), "4:Result{4:Id=\"2\"}");
        // Both orders of going: the one left behind must keep its tree.
        if (round % 2) {
            a.reset();
            EXPECT_EQ(DumpXMLTree(b->GetRoot()), "4:Result{4:Id=\"2\"}");
        } else {
            b.reset();
            EXPECT_EQ(DumpXMLTree(a->GetRoot()), "4:Result{4:Id=\"1\" 4:Name=\"first\"}");
        }
    }
}

TEST(XMLFreshDocument, ATreeWithElementsAddedByHandGoesWhole) {
    for (int round = 0; round < 2; ++round) {
        CXMLMemorySource source;
        source.SetText("<Result><Id>1</Id></Result>");
        CXMLDocument document;
        document.SetFlags(24);
        ASSERT_TRUE(document.Parse(source));
        auto branch = CXMLElement::NewElement(XML_KIND_ELEMENT, nullptr);
        CXMLElement::NewElement(*branch, XML_KIND_COMMENT);
        document.FindElement("Result.Id")->AddChild(std::move(branch));
        EXPECT_EQ(DumpXMLTree(document.GetRoot()), "4:Result{4:Id=\"1\"{4:{2:}}}");
    }
    EXPECT_EQ(ParseIntoNewDocument({24, "<Result><Id>3</Id></Result>", ""}), "4:Result{4:Id=\"3\"}");
}

// Each thread keeps its own spare elements; a thread that ends frees them (the sanitizer build
// reports a leak otherwise).
TEST(XMLFreshDocument, ThreadsParseIntoTheirOwnDocuments) {
    std::vector<std::string> trees(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < trees.size(); ++t) {
        threads.emplace_back([&trees, t] {
            const std::string id = std::to_string(t);
            for (int round = 0; round < 50; ++round) {
                trees[t] = ParseIntoNewDocument({24, "<Result><Id>" + id + "</Id></Result>", ""});
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (size_t t = 0; t < trees.size(); ++t) {
        EXPECT_EQ(trees[t], "4:Result{4:Id=\"" + std::to_string(t) + "\"}");
    }
}

}  // namespace

// Parsed children removed or cleared by hand go back to the document's elements one by one; the
// next parse into the same document reuses them and must still give the tree of its text.
TEST(XMLFreshDocument, AKeptDocumentParsesAgainAfterChildrenWereRemovedByHand) {
    const std::string text = "<Result><A x=\"1\"><B>b</B><C/></A><D>d<E/></D><F>f</F></Result>";
    const std::string tree = ParseIntoNewDocument({24, text, ""});
    ASSERT_EQ(tree, "4:Result{4:A[x=1]{4:B=\"b\" 4:C} 4:D=\"d\"{4:E} 4:F=\"f\"}");
    CXMLMemorySource source;
    source.SetText(text);
    CXMLDocument document;
    document.SetFlags(24);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(document.Parse(source)) << "round " << round;
        EXPECT_EQ(DumpXMLTree(document.GetRoot()), tree) << "round " << round;
        CXMLElement* result = document.GetRoot();
        result->RemoveChild(document.FindElement("Result.A"));
        document.FindElement("Result.D")->Clear();  // name, value and children go
        EXPECT_EQ(DumpXMLTree(result), "4:Result{4: 4:F=\"f\"}") << "round " << round;
    }
    ASSERT_TRUE(document.Parse(source));
    EXPECT_EQ(DumpXMLTree(document.GetRoot()), tree);
}
