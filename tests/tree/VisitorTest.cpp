#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TreeTestSupport.h"
#include "common/AttributeTree.h"
#include "common/AttributeTreeFiller.h"
#include "common/AttributeTreeMerger.h"
#include "common/AttributeTreeVisitor.h"

using tree_test::describe;
using tree_test::describeAt;

namespace {

// Records every event as "event name"; beginNode returns 0 for the names in skip.
class RecordingVisitor : public AttributeTreeVisitor {
public:
    std::vector<std::string> events;
    std::vector<std::string> skip;

    int beginNode(const char* name, AttributeTree*) override {
        events.push_back("begin " + label(name));
        for (const auto& s : skip)
            if (name && s == name)
                return 0;
        return 1;
    }
    int endNode(const char* name, AttributeTree*) override { return record("end", name); }
    int text(const char* name, TextAttribute* leaf) override { return record("text", name, leaf->text()); }
    int integer(const char* name, IntegerAttribute* leaf) override {
        return record("integer", name, std::to_string(leaf->value()));
    }
    int binary(const char* name, BinaryAttribute* leaf) override {
        return record("binary", name, std::to_string(leaf->length()));
    }

private:
    static std::string label(const char* name) { return name ? "'" + std::string(name) + "'" : "null"; }
    int record(const char* event, const char* name, const std::string& value = "") {
        events.push_back(std::string(event) + " " + label(name) + (value.empty() ? "" : "=" + value));
        return 1;
    }
};

AttributeTree message() {
    AttributeTree tree;
    tree.setText("header.Agent", "bradm");
    tree.setInteger("header.MessageType", 4);
    tree.setInteger("ErrorCode", 0);
    tree.setText("Agent", "a");
    tree.setBinary("blob", 2, "xy");
    tree.setPlainInteger("plain", 9);
    tree.setText("data.props.Name", "n");
    return tree;
}

// --- Traversal ------------------------------------------------------------------------------

TEST(TreeTraversal, ReportsLeavesBeforeBranchesEachInNameOrder) {
    struct Case {
        int depth;
        std::vector<std::string> events;
    };
    const std::vector<std::string> full = {
        "begin 'root'", "text 'Agent'=a", "integer 'ErrorCode'=0", "binary 'blob'=2",
        "begin 'data'", "begin 'props'", "text 'Name'=n", "end 'props'", "end 'data'",
        "begin 'header'", "text 'Agent'=bradm", "integer 'MessageType'=4", "end 'header'", "end 'root'"};
    const Case cases[] = {
        {-1, full},
        {3, full},
        {0, {"begin 'root'", "end 'root'"}},
        {-2, {"begin 'root'", "end 'root'"}},
        {1,
         {"begin 'root'", "text 'Agent'=a", "integer 'ErrorCode'=0", "binary 'blob'=2", "begin 'data'",
          "end 'data'", "begin 'header'", "end 'header'", "end 'root'"}},
        {2,
         {"begin 'root'", "text 'Agent'=a", "integer 'ErrorCode'=0", "binary 'blob'=2", "begin 'data'",
          "begin 'props'", "end 'props'", "end 'data'", "begin 'header'", "text 'Agent'=bradm",
          "integer 'MessageType'=4", "end 'header'", "end 'root'"}},
    };
    AttributeTree tree = message();
    for (const Case& c : cases) {
        RecordingVisitor visitor;
        tree.accept(visitor, "root", c.depth);
        EXPECT_EQ(visitor.events, c.events) << "depth " << c.depth;
    }
}

TEST(TreeTraversal, RefusedBranchGetsNoChildrenAndNoEnd) {
    AttributeTree tree = message();
    RecordingVisitor visitor;
    visitor.skip = {"data"};
    visitor.visit(tree, nullptr, -1);
    const std::vector<std::string> expected = {
        "begin null", "text 'Agent'=a", "integer 'ErrorCode'=0", "binary 'blob'=2", "begin 'data'",
        "begin 'header'", "text 'Agent'=bradm", "integer 'MessageType'=4", "end 'header'", "end null"};
    EXPECT_EQ(visitor.events, expected);

    RecordingVisitor refuseRoot;
    refuseRoot.skip = {"r"};
    tree.accept(refuseRoot, "r", -1);
    EXPECT_EQ(refuseRoot.events, std::vector<std::string>{"begin 'r'"});
}

TEST(TreeTraversal, SingleNodesAreReportedUnderTheEmptyName) {
    struct Case {
        std::unique_ptr<AttributeNode> node;
        std::vector<std::string> events;
    };
    auto branch = std::make_unique<AttributeTree>();
    branch->setText("t", "v");
    Case cases[] = {
        {std::make_unique<TextAttribute>("v"), {"text ''=v"}},
        {std::make_unique<IntegerAttribute>(3), {"integer ''=3"}},
        {std::make_unique<BinaryAttribute>(1, "b"), {"binary ''=1"}},
        {std::make_unique<PlainIntegerAttribute>(3), {}},
        {std::move(branch), {"begin 'given'", "text 't'=v", "end 'given'"}},
    };
    for (Case& c : cases) {
        RecordingVisitor visitor;
        visitor.visit(*c.node, "given");
        EXPECT_EQ(visitor.events, c.events);
    }
}

TEST(TreeTraversal, EmptyChildNamesArePassedAsEmptyStrings) {
    AttributeTree tree;
    tree.adopt("", std::make_unique<IntegerAttribute>(1));
    RecordingVisitor visitor;
    tree.accept(visitor, "", -1);
    EXPECT_EQ(visitor.events, (std::vector<std::string>{"begin ''", "integer ''=1", "end ''"}));
}

// --- Merge ----------------------------------------------------------------------------------

enum class Kind { None, Text, Integer, Binary, Branch };

void place(AttributeTree& tree, const char* path, Kind kind, const char* text, int value) {
    switch (kind) {
    case Kind::None:
        break;
    case Kind::Text:
        tree.setText(path, text, "ttag");
        break;
    case Kind::Integer:
        tree.setInteger(path, value, "itag");
        break;
    case Kind::Binary:
        tree.setBinary(path, 2, "bb");
        break;
    case Kind::Branch:
        tree.setText((std::string(path) + ".inner").c_str(), "i");
        break;
    }
}

struct MergeCase {
    Kind target;
    Kind source;
    const char* sourceText;
    int sourceValue;
    const char* result;
};

class MergeConversions : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeConversions, StoreConvertOrLeaveAlone) {
    const MergeCase& c = GetParam();
    AttributeTree target;
    place(target, "x", c.target, "old", 5);
    AttributeTree source;
    place(source, "x", c.source, c.sourceText, c.sourceValue);
    source.find("x")->setIsSet(1);
    source.find("x")->setTag("srctag");

    AttributeTreeMerger merger(target, 3);
    merger.visit(source, nullptr);
    EXPECT_EQ(describeAt(target, "x"), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Merger, MergeConversions,
    ::testing::Values(
        MergeCase{Kind::None, Kind::Text, "abc", 0, "Text[abc] set=3 tag=-"},
        MergeCase{Kind::Text, Kind::Text, "new", 0, "Text[new] set=3 tag=ttag"},
        MergeCase{Kind::Integer, Kind::Text, "12", 0, "Integer[12] set=3 tag=itag"},
        MergeCase{Kind::Integer, Kind::Text, "", 0, "Integer[0] set=3 tag=itag"},
        MergeCase{Kind::Integer, Kind::Text, "0042", 0, "Integer[42] set=3 tag=itag"},
        MergeCase{Kind::Integer, Kind::Text, "4294967298", 0, "Integer[2] set=3 tag=itag"},
        MergeCase{Kind::Integer, Kind::Text, "-12", 0, "Integer[5] set=0 tag=itag"},
        MergeCase{Kind::Integer, Kind::Text, "+12", 0, "Integer[5] set=0 tag=itag"},
        MergeCase{Kind::Integer, Kind::Text, "1.5", 0, "Integer[5] set=0 tag=itag"},
        MergeCase{Kind::Integer, Kind::Text, "12 ", 0, "Integer[5] set=0 tag=itag"},
        MergeCase{Kind::Integer, Kind::Text, " 12", 0, "Integer[5] set=0 tag=itag"},
        MergeCase{Kind::Integer, Kind::Text, "1\xD9", 0, "Integer[5] set=0 tag=itag"},
        MergeCase{Kind::Binary, Kind::Text, "t", 0, "Binary[bb] set=0 tag=-"},
        MergeCase{Kind::Branch, Kind::Text, "t", 0, "{inner: Text[i] set=0 tag=-} set=0 tag=-"},
        MergeCase{Kind::None, Kind::Integer, "", -7, "Integer[-7] set=3 tag=-"},
        MergeCase{Kind::Integer, Kind::Integer, "", 9, "Integer[9] set=3 tag=itag"},
        MergeCase{Kind::Text, Kind::Integer, "", -7, "Text[-7] set=3 tag=ttag"},
        MergeCase{Kind::Text, Kind::Integer, "", 0, "Text[0] set=3 tag=ttag"},
        MergeCase{Kind::Binary, Kind::Integer, "", 1, "Binary[bb] set=0 tag=-"},
        MergeCase{Kind::None, Kind::Binary, "", 0, "Binary[bb] set=3 tag=-"},
        MergeCase{Kind::Text, Kind::Binary, "", 0, "Binary[bb] set=3 tag=-"},
        MergeCase{Kind::Integer, Kind::Binary, "", 0, "Binary[bb] set=3 tag=-"},
        MergeCase{Kind::Branch, Kind::Binary, "", 0, "Binary[bb] set=3 tag=-"},
        MergeCase{Kind::None, Kind::Branch, "", 0, "{inner: Text[i] set=3 tag=-} set=0 tag=-"},
        MergeCase{Kind::Text, Kind::Branch, "", 0, "{inner: Text[i] set=3 tag=-} set=0 tag=-"},
        MergeCase{Kind::Binary, Kind::Branch, "", 0, "{inner: Text[i] set=3 tag=-} set=0 tag=-"}));

TEST(TreeMerger, AddsMissingBranchesAndKeepsWhatTheSourceDoesNotMention) {
    AttributeTree target;
    target.setText("props.keep", "k")->setIsSet(1);
    target.setInteger("props.count", 1);
    AttributeTree source;
    source.setInteger("props.count", 2);
    source.setText("props.new.deep", "d");
    source.setText("other.x", "x");

    AttributeTreeMerger merger(target, 1);
    merger.visit(source, nullptr);
    EXPECT_EQ(describe(target),
              "{other: {x: Text[x] set=1 tag=-} set=0 tag=-, props: {count: Integer[2] set=1 tag=-, keep: Text[k] "
              "set=1 tag=-, new: {deep: Text[d] set=1 tag=-} set=0 tag=-} set=0 tag=-} set=0 tag=-");
    // The merger is back at the target's root: a second tree merges from the top again.
    AttributeTree more;
    more.setInteger("top", 7);
    merger.visit(more, nullptr);
    EXPECT_EQ(target.getInteger("top"), 7);
}

TEST(TreeMerger, SingleLeavesUseTheEmptyName) {
    AttributeTree target;
    target.setText("t", "t");
    const std::string before = describe(target);
    AttributeTreeMerger merger(target, 1);
    TextAttribute text("x");
    IntegerAttribute integer(1);
    BinaryAttribute binary(1, "b");
    merger.visit(text, "t");
    merger.visit(integer, "t");
    EXPECT_EQ(describe(target), before);
    EXPECT_THROW(merger.visit(binary, "t"), CantAlterShapeException);
    EXPECT_EQ(describe(target), before);
}

// --- Fill -----------------------------------------------------------------------------------

struct FillCase {
    Kind source;
    const char* sourceText;
    int sourceValue;
    Kind query;
    const char* result;
};

class FillConversions : public ::testing::TestWithParam<FillCase> {};

TEST_P(FillConversions, FillOrLeaveAlone) {
    const FillCase& c = GetParam();
    AttributeTree source;
    place(source, "data.x", c.source, c.sourceText, c.sourceValue);
    const std::string sourceBefore = describe(source);
    AttributeTree query;
    place(query, "data.x", c.query, "q", 77);

    AttributeTreeFiller filler(source);
    query.accept(filler, "", -1);
    EXPECT_EQ(describeAt(query, "data.x"), c.result);
    EXPECT_EQ(describe(source), sourceBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Filler, FillConversions,
    ::testing::Values(FillCase{Kind::Text, "abc", 0, Kind::Text, "Text[abc] set=1 tag=ttag"},
                      FillCase{Kind::Text, "", 0, Kind::Text, "Text[] set=1 tag=ttag"},
                      FillCase{Kind::Integer, "", 0, Kind::Text, "Text[0] set=1 tag=ttag"},
                      FillCase{Kind::Integer, "", -5, Kind::Text, "Text[-5] set=1 tag=ttag"},
                      FillCase{Kind::Binary, "", 0, Kind::Text, "Text[q] set=0 tag=ttag"},
                      FillCase{Kind::Branch, "", 0, Kind::Text, "Text[q] set=0 tag=ttag"},
                      FillCase{Kind::None, "", 0, Kind::Text, "Text[q] set=0 tag=ttag"},
                      FillCase{Kind::Integer, "", -5, Kind::Integer, "Integer[-5] set=1 tag=itag"},
                      FillCase{Kind::Text, "0042", 0, Kind::Integer, "Integer[42] set=1 tag=itag"},
                      FillCase{Kind::Text, "", 0, Kind::Integer, "Integer[0] set=1 tag=itag"},
                      FillCase{Kind::Text, "-1", 0, Kind::Integer, "Integer[77] set=0 tag=itag"},
                      FillCase{Kind::Text, "4x", 0, Kind::Integer, "Integer[77] set=0 tag=itag"},
                      FillCase{Kind::Binary, "", 0, Kind::Integer, "Integer[77] set=0 tag=itag"},
                      FillCase{Kind::Branch, "", 0, Kind::Integer, "Integer[77] set=0 tag=itag"},
                      FillCase{Kind::None, "", 0, Kind::Integer, "Integer[77] set=0 tag=itag"},
                      FillCase{Kind::Text, "t", 0, Kind::Binary, "Binary[bb] set=0 tag=-"}));

TEST(TreeFiller, MissingOrLeafSourceBranchesLeaveTheQueryUntouched) {
    AttributeTree source;
    source.setText("present.a", "A");
    source.setText("leafy", "not a branch");
    AttributeTree query;
    query.setText("present.a", "?");
    query.setText("missing.deeper.a", "?");
    query.setText("leafy.a", "?");
    query.setText("present.gone.a", "?");
    AttributeTreeFiller filler(source);
    query.accept(filler, "", -1);
    EXPECT_EQ(query.getText("present.a"), "A");
    EXPECT_EQ(describeAt(query, "missing.deeper.a"), "Text[?] set=0 tag=-");
    EXPECT_EQ(describeAt(query, "leafy.a"), "Text[?] set=0 tag=-");
    EXPECT_EQ(describeAt(query, "present.gone.a"), "Text[?] set=0 tag=-");
    // Back at the source's root after the traversal.
    AttributeTree second;
    second.setText("leafy", "?");
    filler.visit(second, nullptr, -1);
    EXPECT_EQ(second.getText("leafy"), "not a branch");
}

}  // namespace
