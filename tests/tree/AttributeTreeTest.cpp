#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

#include "TreeTestSupport.h"
#include "common/AttributeTree.h"
#include "common/Tokenizer.h"

using tree_test::describe;
using tree_test::describeAt;

namespace {

std::vector<std::string> childNames(const AttributeTree& tree) {
    std::vector<std::string> names;
    for (const auto& entry : tree.children())
        names.push_back(entry.first);
    return names;
}

// --- Paths ----------------------------------------------------------------------------------

TEST(TreePaths, PathsWithoutTokensDesignateTheBranchItself) {
    AttributeTree tree;
    tree.setText("a", "x");
    for (const char* path : {static_cast<const char*>(nullptr), "", ".{}", "..."}) {
        EXPECT_EQ(tree.find(path), &tree);
        EXPECT_EQ(tree.getBranch(path), &tree);
    }
}

TEST(TreePaths, LookupsSplitPathsExactlyLikeTheTokenizer) {
    const char* paths[] = {"data.props", "data{props}", "{data}{props}", ".data..props.", "a{b}c", "x", "{x}",
                           "A.a.A", "\xC3\xA9{\xFF}"};
    for (const char* path : paths) {
        AttributeTree tree;
        // Build the node with one put per token, so the lookup below is checked against the tokenizer.
        AttributeTree* branch = &tree;
        Tokenizer tokenizer(path, ".{}");
        std::vector<std::string> tokens;
        while (tokenizer.hasMoreTokens())
            tokens.emplace_back(tokenizer.nextToken());
        ASSERT_FALSE(tokens.empty());
        for (std::size_t i = 0; i + 1 < tokens.size(); ++i)
            branch = static_cast<AttributeTree*>(branch->adopt(tokens[i], std::make_unique<AttributeTree>()));
        branch->adopt(tokens.back(), std::make_unique<TextAttribute>("found"));
        EXPECT_EQ(tree.getText(path), "found") << path;
    }
}

TEST(TreePaths, NamesAreMatchedExactlyAndCaseDistinct) {
    AttributeTree tree;
    tree.setText("Name", "upper");
    tree.setText("name", "lower");
    EXPECT_EQ(tree.childCount(), 2u);
    EXPECT_EQ(tree.getText("Name"), "upper");
    EXPECT_EQ(tree.getText("name"), "lower");
    EXPECT_THROW(tree.find("NAME"), NodeNotFoundException);
}

TEST(TreePaths, FindThroughALeafOrAMissingNameThrows) {
    AttributeTree tree;
    tree.setText("header", "leaf");
    EXPECT_THROW(tree.find("header.Agent"), NodeNotFoundException);
    EXPECT_THROW(tree.find("missing"), NodeNotFoundException);
    EXPECT_THROW(tree.getBranch("missing"), NodeNotFoundException);
    EXPECT_EQ(tree.getBranch("header"), nullptr);
}

// --- Storing ------------------------------------------------------------------------------

TEST(TreePut, SetTextMakesBranchesAndASecondSetterReplacesTheKind) {
    AttributeTree tree;
    TextAttribute* agent = tree.setText("header.Agent", "bradm");
    ASSERT_NE(agent, nullptr);
    EXPECT_EQ(agent->isSet(), 0);
    EXPECT_EQ(describe(tree), "{header: {Agent: Text[bradm] set=0 tag=-} set=0 tag=-} set=0 tag=-");
    IntegerAttribute* number = tree.setInteger("header.Agent", 4);
    EXPECT_EQ(tree.find("header.Agent"), number);
    EXPECT_EQ(describeAt(tree, "header.Agent"), "Integer[4] set=0 tag=-");
}

TEST(TreePut, LeavesInTheWayBecomeBranches) {
    AttributeTree tree;
    tree.setInteger("header", 1);
    tree.setText("header.Agent.Name", "x");
    EXPECT_EQ(describeAt(tree, "header"),
              "{Agent: {Name: Text[x] set=0 tag=-} set=0 tag=-} set=0 tag=-");
}

TEST(TreePut, NullNodeRemovesTheLastNameButKeepsTheBranchesOnTheWay) {
    AttributeTree tree;
    EXPECT_EQ(tree.put("header.Agent", nullptr), nullptr);
    EXPECT_EQ(describe(tree), "{header: {} set=0 tag=-} set=0 tag=-");

    tree.setText("header.Agent", "x");
    EXPECT_EQ(tree.put("header.Agent", nullptr), nullptr);
    EXPECT_EQ(describeAt(tree, "header"), "{} set=0 tag=-");
    EXPECT_EQ(tree.put("never.there", nullptr), nullptr);
}

TEST(TreePut, StoresADeepCopyWithTagAndIsSetAndTheCallerKeepsTheOriginal) {
    TextAttribute leaf("value", "note");
    leaf.setIsSet(1);
    AttributeTree tree;
    AttributeNode* stored = tree.put("a.b", &leaf);
    ASSERT_NE(stored, &leaf);
    EXPECT_EQ(describe(*stored), "Text[value] set=1 tag=note");
    leaf.setText("changed");
    EXPECT_EQ(tree.getText("a.b"), "value");
}

TEST(TreePut, StoredBranchCopiesKeepHiddenChildrenButNotTheirOwnFlag) {
    AttributeTree branch;
    branch.setIsSet(5);
    branch.setTag("t");
    branch.setText("~hidden.deep", "h");
    AttributeTree tree;
    tree.put("copy", &branch);
    EXPECT_EQ(describeAt(tree, "copy"), "{~hidden: {deep: Text[h] set=0 tag=-} set=0 tag=-} set=0 tag=-");
}

TEST(TreePut, EmptyPathNeedsABranch) {
    AttributeTree tree;
    tree.setText("keep", "k");
    const std::string before = describe(tree);
    TextAttribute leaf("x");
    EXPECT_THROW(tree.put("", &leaf), CantAlterShapeException);
    EXPECT_THROW(tree.put(nullptr, nullptr), CantAlterShapeException);
    EXPECT_THROW(tree.put(".", nullptr), CantAlterShapeException);
    EXPECT_EQ(describe(tree), before);
}

TEST(TreePut, EmptyPathWithABranchReplacesAllChildrenAndKeepsOwnFlags) {
    AttributeTree tree;
    tree.setIsSet(2);
    tree.setTag("root");
    tree.setText("old", "o");
    AttributeTree other;
    other.setIsSet(9);
    other.setInteger("new.n", 1);
    EXPECT_EQ(tree.put("", &other), &tree);
    EXPECT_EQ(describe(tree), "{new: {n: Integer[1] set=0 tag=-} set=0 tag=-} set=2 tag=root");
}

TEST(TreePut, SettersWithAnEmptyPathThrowAndChangeNothing) {
    AttributeTree tree;
    tree.setText("keep", "k");
    const std::string before = describe(tree);
    const unsigned char bytes[] = {1, 2};
    EXPECT_THROW(tree.setText("", "x"), CantAlterShapeException);
    EXPECT_THROW(tree.setInteger(nullptr, 1), CantAlterShapeException);
    EXPECT_THROW(tree.setBinary("{}", 2, bytes), CantAlterShapeException);
    EXPECT_THROW(tree.setPlainInteger(".", 3), CantAlterShapeException);
    EXPECT_EQ(describe(tree), before);
}

TEST(TreePut, SettersStoreTheirTagAndIsSetZero) {
    AttributeTree tree;
    const unsigned char bytes[] = {0, 0xFF, 'a'};
    tree.setText("t", nullptr, "tagged");
    tree.setInteger("i", -3, "null");
    tree.setBinary("b", 3, bytes);
    tree.setBinary("e", 0, bytes);
    tree.setPlainInteger("p", 8);
    EXPECT_EQ(describe(tree),
              "{b: Binary[\\x00\\xFFa] set=0 tag=-, e: Binary[] set=0 tag=-, i: Integer[-3] set=0 tag=-, "
              "p: Plain[8] set=0 tag=-, t: Text[] set=0 tag=tagged} set=0 tag=-");
    EXPECT_EQ(static_cast<BinaryAttribute*>(tree.find("e"))->bytes(), nullptr);
}

// Storing a node that lies inside the child it replaces: the copy is taken first.
TEST(TreePut, NodeInsideTheReplacedChildIsCopiedFirst) {
    AttributeTree tree;
    tree.setText("a.b.c", "deep");
    tree.setInteger("a.x", 1);
    tree.put("a", tree.find("a.b"));
    EXPECT_EQ(describeAt(tree, "a"), "{c: Text[deep] set=0 tag=-} set=0 tag=-");

    tree.put("", tree.find("a"));
    EXPECT_EQ(describe(tree), "{c: Text[deep] set=0 tag=-} set=0 tag=-");

    tree.put("", &tree);
    EXPECT_EQ(describe(tree), "{c: Text[deep] set=0 tag=-} set=0 tag=-");

    tree.setText("p.q", "v");
    tree.assign(*tree.getBranch("p"));
    EXPECT_EQ(describe(tree), "{q: Text[v] set=0 tag=-} set=0 tag=-");

    tree.setBinary("bin", 3, "abc");
    auto* bin = static_cast<BinaryAttribute*>(tree.find("bin"));
    tree.setBinary("bin", bin->length(), bin->bytes());
    EXPECT_EQ(describeAt(tree, "bin"), "Binary[abc] set=0 tag=-");
    bin = static_cast<BinaryAttribute*>(tree.find("bin"));
    bin->setData(2, bin->bytes() + 1);
    EXPECT_EQ(describeAt(tree, "bin"), "Binary[bc] set=0 tag=-");
}

TEST(TreePut, PutOwnedStoresTheNodeItself) {
    AttributeTree tree;
    auto leaf = std::make_unique<IntegerAttribute>(3);
    IntegerAttribute* raw = leaf.get();
    EXPECT_EQ(tree.putOwned("a.b", std::move(leaf)), raw);
    EXPECT_EQ(tree.find("a.b"), raw);
    EXPECT_THROW(tree.putOwned("", std::make_unique<TextAttribute>("x")), CantAlterShapeException);
}

// --- Removing -----------------------------------------------------------------------------

TEST(TreeRemove, RemovesOnlyAnExistingNode) {
    struct Case {
        const char* path;
        const char* after;
    };
    const Case cases[] = {
        {"missing", "{a: {b: Text[x] set=0 tag=-} set=0 tag=-, l: Integer[1] set=0 tag=-} set=0 tag=-"},
        {"l.below", "{a: {b: Text[x] set=0 tag=-} set=0 tag=-, l: Integer[1] set=0 tag=-} set=0 tag=-"},
        {"", "{a: {b: Text[x] set=0 tag=-} set=0 tag=-, l: Integer[1] set=0 tag=-} set=0 tag=-"},
        {nullptr, "{a: {b: Text[x] set=0 tag=-} set=0 tag=-, l: Integer[1] set=0 tag=-} set=0 tag=-"},
        {"a.b", "{a: {} set=0 tag=-, l: Integer[1] set=0 tag=-} set=0 tag=-"},
        {"{a}", "{l: Integer[1] set=0 tag=-} set=0 tag=-"},
        {"l", "{a: {b: Text[x] set=0 tag=-} set=0 tag=-} set=0 tag=-"},
    };
    for (const Case& c : cases) {
        AttributeTree tree;
        tree.setText("a.b", "x");
        tree.setInteger("l", 1);
        tree.remove(c.path);
        EXPECT_EQ(describe(tree), c.after) << (c.path ? c.path : "(null)");
    }
}

// --- Order, direct access -------------------------------------------------------------------

TEST(TreeOrder, ChildrenFollowUnsignedByteOrderWithPrefixesFirst) {
    AttributeTree tree;
    for (const char* name : {"header", "\xC3\xA9t\xC3\xA9", "data", "z", "ErrorCode", "ab", "Agent", "a", "~h", "_"})
        tree.setInteger(name, 0);
    const std::vector<std::string> expected = {"Agent", "ErrorCode", "_", "a", "ab", "data", "header", "z", "~h",
                                               "\xC3\xA9t\xC3\xA9"};
    EXPECT_EQ(childNames(tree), expected);
}

TEST(TreeAdopt, StoresUnderTheExactNameInAnyOrderReplacingOrRemoving) {
    AttributeTree tree;
    tree.adopt("b", std::make_unique<IntegerAttribute>(1));
    tree.adopt("d", std::make_unique<IntegerAttribute>(2));
    tree.adopt("a", std::make_unique<IntegerAttribute>(3));
    AttributeNode* replaced = tree.adopt("b", std::make_unique<TextAttribute>("new"));
    tree.adopt("with.dot", std::make_unique<TextAttribute>("unreachable"));
    tree.adopt("", std::make_unique<TextAttribute>("empty"));
    EXPECT_EQ(tree.find("b"), replaced);
    EXPECT_EQ(tree.adopt("d", nullptr), nullptr);
    EXPECT_EQ(tree.adopt("never", nullptr), nullptr);
    EXPECT_EQ(childNames(tree), (std::vector<std::string>{"", "a", "b", "with.dot"}));
    EXPECT_EQ(tree.getText("b"), "new");
    EXPECT_THROW(tree.find("with.dot"), NodeNotFoundException);
}

// --- Tags and texts -------------------------------------------------------------------------

TEST(TreeLeaves, NullEmptyAndTheWordNullClearTheTag) {
    struct Case {
        const char* tag;
        const char* stored;
    };
    const Case cases[] = {{nullptr, nullptr}, {"", nullptr}, {"null", nullptr},
                          {"Null", "Null"},   {"nul", "nul"}, {"null ", "null "}};
    for (const Case& c : cases) {
        TextAttribute leaf("x", "before");
        leaf.setTag(c.tag);
        if (c.stored)
            EXPECT_STREQ(leaf.tag(), c.stored);
        else
            EXPECT_EQ(leaf.tag(), nullptr) << (c.tag ? c.tag : "(null)");
        EXPECT_EQ(IntegerAttribute(1, c.tag).tag() == nullptr, c.stored == nullptr);
    }
    TextAttribute leaf;
    leaf.setTag(std::string("null"));
    EXPECT_EQ(leaf.tag(), nullptr);
}

TEST(TreeLeaves, TextsKeepTheirLengthThroughCopies) {
    AttributeTree tree;
    tree.adopt("t", std::make_unique<TextAttribute>(std::string("a\0b", 3), nullptr));
    AttributeTree copy(tree);
    EXPECT_EQ(copy.getText("t"), std::string("a\0b", 3));
    auto clone = tree.clone(1, -1);
    EXPECT_EQ(static_cast<AttributeTree&>(*clone).getText("t").size(), 3u);
}

TEST(TreeLeaves, BinaryDataIsCopiedAndNullBytesStoreNothing) {
    unsigned char source[] = {9, 8, 7};
    BinaryAttribute leaf(3, source);
    source[0] = 0;
    ASSERT_EQ(leaf.length(), 3u);
    EXPECT_EQ(leaf.bytes()[0], 9);
    leaf.setData(5, nullptr);
    EXPECT_EQ(leaf.length(), 0u);
    EXPECT_EQ(leaf.bytes(), nullptr);
    unsigned char* buffer = leaf.allocate(2);
    buffer[0] = 'o';
    buffer[1] = 'k';
    EXPECT_EQ(describe(leaf), "Binary[ok] set=0 tag=-");
    EXPECT_EQ(leaf.allocate(0), nullptr);
    EXPECT_EQ(leaf.length(), 0u);
}

// --- Getters --------------------------------------------------------------------------------

// Every getter against every kind of node found at the path.
TEST(TreeGetters, FollowTheGetterTable) {
    AttributeTree tree;
    tree.setInteger("int", 5);
    tree.setText("digits", "12");
    tree.setText("empty", nullptr);
    tree.setBinary("bin", 2, "xy");
    tree.setPlainInteger("plain", 4);
    tree.setText("branch.leaf", "x");

    const char* const kThrows = "throws";
    struct Row {
        const char* path;
        std::string getInteger, getIntegerDefault, getText, getTextDefault, findText, getIntegerValue;
    };
    const Row rows[] = {
        {"int", "5", "5", kThrows, "dflt", "null", "5"},
        {"digits", kThrows, "7", "12", "12", "12", "12"},
        {"empty", kThrows, "7", "", "", "", "0"},
        {"bin", kThrows, "7", kThrows, "dflt", "null", kThrows},
        {"plain", kThrows, "7", kThrows, "dflt", "null", kThrows},
        {"branch", kThrows, "7", kThrows, "dflt", "null", kThrows},
        {"", kThrows, "7", kThrows, "dflt", "null", kThrows},
        {"missing", kThrows, "7", kThrows, "dflt", "null", kThrows},
        {"int.below", kThrows, "7", kThrows, "dflt", "null", kThrows},
    };
    auto attempt = [](auto get) -> std::string {
        try {
            return get();
        } catch (const NodeNotFoundException&) {
            return "throws";
        }
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        const char* p = row.path;
        EXPECT_EQ(attempt([&] { return std::to_string(tree.getInteger(p)); }), row.getInteger);
        EXPECT_EQ(std::to_string(tree.getInteger(p, 7)), row.getIntegerDefault);
        EXPECT_EQ(attempt([&] { return tree.getText(p); }), row.getText);
        EXPECT_EQ(tree.getText(p, "dflt"), row.getTextDefault);
        const char* found = tree.findText(p);
        EXPECT_EQ(found ? std::string(found) : std::string("null"), row.findText);
        EXPECT_EQ(attempt([&] { return std::to_string(tree.getIntegerValue(p)); }), row.getIntegerValue);
    }
}

TEST(TreeGetters, FindTextPointsIntoTheTree) {
    AttributeTree tree;
    TextAttribute* leaf = tree.setText("a", "value");
    EXPECT_EQ(tree.findText("a"), leaf->text().c_str());
    EXPECT_EQ(tree.getText("missing", nullptr), "");
}

TEST(TreeGetters, GetIntegerValueConvertsTheLeadingDecimalNumber) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {
        {"12", 12},
        {"12abc", 12},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"+", 0},
        {"+5", 5},
        {"-12", -12},
        {" \t\n\v\f\r42", 42},
        {"- 5", 0},
        {"--5", 0},
        {"\xA0" "5", 0},
        {"0042", 42},
        {"1.9", 1},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MIN},
        {"-2147483648", INT_MIN},
        {"4294967297", 1},
        {"-4294967295", 1},
    };
    for (const Case& c : cases) {
        AttributeTree tree;
        tree.setText("t", c.text);
        EXPECT_EQ(tree.getIntegerValue("t"), c.value) << tree_test::printable(c.text);
    }
    // 10^20 - 1 modulo 2^32.
    std::uint64_t wrapped = 0;
    for (int i = 0; i < 20; ++i)
        wrapped = (wrapped * 10 + 9) % 4294967296ull;
    AttributeTree tree;
    tree.setText("t", "99999999999999999999");
    EXPECT_EQ(static_cast<std::uint32_t>(tree.getIntegerValue("t")), wrapped);
}

// A getter override that fails in another way: the defaulting getters must let that through.
class FailingTree : public AttributeTree {
public:
    std::int32_t getInteger(const char*) const override { throw std::runtime_error("storage failure"); }
    std::string getText(const char*) const override { throw CantAlterShapeException(); }
    using AttributeTree::getInteger;
    using AttributeTree::getText;
};

TEST(TreeGetters, DefaultingGettersCatchOnlyNodeNotFound) {
    FailingTree tree;
    EXPECT_THROW(tree.getInteger("x", 1), std::runtime_error);
    EXPECT_THROW(tree.getText("x", "d"), CantAlterShapeException);
}

// --- Clone, shape, copies ---------------------------------------------------------------------

AttributeTree sampleWithHidden() {
    AttributeTree tree;
    tree.setIsSet(1);
    tree.setTag("root");
    tree.setText("~secret", "s")->setIsSet(1);
    tree.setText("name", "n", "tag")->setIsSet(3);
    tree.setInteger("sub.value", 4);
    tree.setText("sub.~hidden", "h");
    tree.setText("sub.deeper.leaf", "d");
    tree.setBinary("bin", 1, "b");
    return tree;
}

TEST(TreeClone, HonoursHiddenChildrenAndDepth) {
    struct Case {
        int includeHidden;
        int depth;
        const char* result;
    };
    const Case cases[] = {
        {1, -1,
         "{bin: Binary[b] set=0 tag=-, name: Text[n] set=3 tag=tag, sub: {deeper: {leaf: Text[d] set=0 tag=-} set=0 "
         "tag=-, value: Integer[4] set=0 tag=-, ~hidden: Text[h] set=0 tag=-} set=0 tag=-, ~secret: Text[s] set=1 "
         "tag=-} set=0 tag=-"},
        {0, -1,
         "{bin: Binary[b] set=0 tag=-, name: Text[n] set=3 tag=tag, sub: {deeper: {leaf: Text[d] set=0 tag=-} set=0 "
         "tag=-, value: Integer[4] set=0 tag=-} set=0 tag=-} set=0 tag=-"},
        {1, 0, "{} set=0 tag=-"},
        {1, -2, "{} set=0 tag=-"},
        {0, 1,
         "{bin: Binary[b] set=0 tag=-, name: Text[n] set=3 tag=tag, sub: {} set=0 tag=-} set=0 tag=-"},
        {1, 2,
         "{bin: Binary[b] set=0 tag=-, name: Text[n] set=3 tag=tag, sub: {deeper: {} set=0 tag=-, value: Integer[4] "
         "set=0 tag=-, ~hidden: Text[h] set=0 tag=-} set=0 tag=-, ~secret: Text[s] set=1 tag=-} set=0 tag=-"},
    };
    const AttributeTree tree = sampleWithHidden();
    for (const Case& c : cases)
        EXPECT_EQ(describe(*tree.clone(c.includeHidden, c.depth)), c.result)
            << "includeHidden " << c.includeHidden << " depth " << c.depth;
}

TEST(TreeClone, LeafClonesKeepFlagsOnlyForTextAndInteger) {
    TextAttribute text("t", "tag");
    IntegerAttribute integer(1, "tag");
    BinaryAttribute binary(1, "b");
    PlainIntegerAttribute plain(2);
    for (AttributeNode* node : std::initializer_list<AttributeNode*>{&text, &integer, &binary, &plain})
        node->setIsSet(7);
    binary.setTag("tag");
    EXPECT_EQ(describe(*text.clone(0, 0)), "Text[t] set=7 tag=tag");
    EXPECT_EQ(describe(*integer.clone(0, 0)), "Integer[1] set=7 tag=tag");
    EXPECT_EQ(describe(*binary.clone(1, -1)), "Binary[b] set=0 tag=-");
    EXPECT_EQ(describe(*plain.clone(1, -1)), "Plain[2] set=0 tag=-");
}

TEST(TreeShape, PairsChildrenInOrderIgnoringAsciiCase) {
    auto tree = [](std::initializer_list<std::pair<const char*, NodeKind>> children) {
        AttributeTree t;
        for (const auto& [path, kind] : children) {
            if (kind == NodeKind::Text)
                t.setText(path, "v");
            else if (kind == NodeKind::Integer)
                t.setInteger(path, 1);
            else if (kind == NodeKind::Binary)
                t.setBinary(path, 0, nullptr);
            else if (kind == NodeKind::Branch)
                t.put(path, std::make_unique<AttributeTree>().get());
        }
        return t;
    };
    using K = NodeKind;
    struct Case {
        AttributeTree a, b;
        int same;
        const char* what;
    };
    const Case cases[] = {
        {tree({{"Name", K::Text}}), tree({{"nAME", K::Text}}), 1, "names equal ignoring case"},
        {tree({{"a", K::Text}, {"b", K::Integer}}), tree({{"a", K::Text}}), 1, "shorter list ends the walk"},
        {tree({}), tree({{"x", K::Binary}}), 1, "empty branch"},
        {tree({{"a", K::Text}}), tree({{"b", K::Text}}), 0, "different names"},
        {tree({{"a", K::Text}}), tree({{"a", K::Integer}}), 0, "different kinds"},
        {tree({{"s.x", K::Text}}), tree({{"s.x", K::Binary}}), 0, "nested kind differs"},
        {tree({{"s.X", K::Integer}}), tree({{"S.x", K::Integer}}), 1, "nested case differs"},
        {tree({{"a", K::Text}, {"B", K::Text}}), tree({{"A", K::Text}, {"b", K::Text}}), 0,
         "case changes the pairing order"},
        {tree({{"s", K::Branch}}), tree({{"s", K::Text}}), 0, "branch against leaf"},
        {tree({{"\xC3\xA9", K::Text}}), tree({{"\xC3\x89", K::Text}}), 0, "only ASCII letters fold"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a.sameShape(c.b), c.same) << c.what;
        EXPECT_EQ(c.b.sameShape(c.a), c.same) << c.what;
    }
}

TEST(TreeShape, LeavesCompareKindsOnly) {
    AttributeTree branch;
    EXPECT_TRUE(TextAttribute("a").sameShape(TextAttribute("b", "tag")));
    EXPECT_TRUE(IntegerAttribute(1).sameShape(IntegerAttribute(2)));
    EXPECT_FALSE(IntegerAttribute(1).sameShape(PlainIntegerAttribute(1)));
    EXPECT_FALSE(TextAttribute("a").sameShape(branch));
    EXPECT_FALSE(branch.sameShape(TextAttribute("a")));
}

TEST(TreeCopy, CopiesAreDeepAndIndependent) {
    AttributeTree original = sampleWithHidden();
    const std::string before = describe(original);
    {
        AttributeTree copy(original);
        EXPECT_EQ(describe(copy), before);
        copy.setText("name", "changed");
        copy.remove("sub.deeper");
        copy.setTag(nullptr);
        EXPECT_EQ(describe(original), before);
    }
    EXPECT_EQ(describe(original), before);

    AttributeTree assigned;
    assigned.setText("gone", "g");
    assigned = original;
    EXPECT_EQ(describe(assigned), before);
    static_cast<TextAttribute*>(assigned.find("sub.deeper.leaf"))->setText("other");
    EXPECT_EQ(original.getText("sub.deeper.leaf"), "d");

    const AttributeTree& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.getText("sub.deeper.leaf"), "other");

    AttributeTree moved(std::move(assigned));
    EXPECT_EQ(moved.getText("sub.deeper.leaf"), "other");
}

TEST(TreeCopy, AssignCopiesChildrenButKeepsOwnFlags) {
    AttributeTree tree;
    tree.setIsSet(4);
    tree.setTag("mine");
    tree.setText("old", "o");
    const AttributeTree source = sampleWithHidden();
    tree.assign(source);
    EXPECT_EQ(tree.isSet(), 4);
    EXPECT_STREQ(tree.tag(), "mine");
    EXPECT_THROW(tree.find("old"), NodeNotFoundException);
    EXPECT_EQ(tree.getText("~secret"), "s");
    EXPECT_EQ(tree.childCount(), source.childCount());
}

TEST(TreeCopy, DeepTreesCopyAndDestroyCleanly) {
    AttributeTree tree;
    AttributeTree* branch = &tree;
    for (int level = 0; level < 1000; ++level) {
        branch->setInteger("n", level);
        branch = static_cast<AttributeTree*>(branch->adopt("d", std::make_unique<AttributeTree>()));
    }
    AttributeTree copy(tree);
    std::string path;
    for (int level = 0; level < 999; ++level)
        path += "d.";
    EXPECT_EQ(copy.getInteger((path + "n").c_str()), 999);
}

}  // namespace
