// The children container: map-like reading in unsigned byte order, storing in any order through
// the editor, the reader's unordered appends, and nodes that move between threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/AttributeChildren.h"
#include "common/AttributeChildrenEditor.h"
#include "common/AttributeTree.h"

namespace {

std::vector<std::string> namesOf(const AttributeChildren& children) {
    std::vector<std::string> names;
    for (const auto& [name, node] : children)
        names.push_back(name);
    return names;
}

std::unique_ptr<AttributeNode> integer(std::int32_t value) { return std::make_unique<IntegerAttribute>(value); }

std::int32_t valueOf(const AttributeChildren& children, const char* name) {
    return static_cast<const IntegerAttribute&>(*children.at(name)).value();
}

TEST(AttributeChildren, StoresInUnsignedByteOrderAndReplacesByName) {
    AttributeChildren children;
    AttributeChildrenEditor edit(children);
    const char* order[] = {"b", "\xC3\xA9", "ab", "a", "B", "", "b"};
    std::int32_t value = 0;
    for (const char* name : order)
        edit.insertOrAssign(std::string_view(name), integer(value++));
    EXPECT_EQ(namesOf(children), (std::vector<std::string>{"", "B", "a", "ab", "b", "\xC3\xA9"}));
    EXPECT_EQ(valueOf(children, "b"), 6) << "the second b replaced the first";
    EXPECT_EQ(children.size(), 6u);
}

TEST(AttributeChildren, LooksUpLikeAnOrderedMap) {
    AttributeChildren children;
    AttributeChildrenEditor edit(children);
    for (const char* name : {"alpha", "beta", "gamma"})
        edit.insertOrAssign(std::string(name), integer(static_cast<std::int32_t>(std::string(name).size())));
    EXPECT_EQ(children.find("beta")->first, "beta");
    EXPECT_EQ(children.find("bet"), children.end());
    EXPECT_EQ(children.find(std::string("gamma"))->second.get(), children.at("gamma").get());
    EXPECT_EQ(children.count("alpha"), 1u);
    EXPECT_EQ(children.count("delta"), 0u);
    EXPECT_TRUE(children.contains("gamma"));
    EXPECT_EQ(children.lower_bound("b")->first, "beta");
    EXPECT_EQ(children.lower_bound("z"), children.end());
    EXPECT_THROW(children.at("delta"), std::out_of_range);
    EXPECT_TRUE(edit.erase("beta"));
    EXPECT_FALSE(edit.erase("beta"));
    EXPECT_EQ(namesOf(children), (std::vector<std::string>{"alpha", "gamma"}));
    edit.clear();
    EXPECT_TRUE(children.empty());
}

// Both ways of sorting (a short range and a long one) keep, of equal names, the last appended.
TEST(AttributeChildren, RestoringOrderKeepsTheLastOfEqualNames) {
    for (int count : {5, 16, 17, 500}) {
        SCOPED_TRACE(count);
        AttributeChildren children;
        AttributeChildrenEditor edit(children);
        for (int round = 0; round < 3; ++round)
            for (int i = count - 1; i >= 0; --i)
                edit.appendUnordered("n" + std::to_string(100000 + i), integer(round * 1000000 + i));
        edit.restoreOrder();
        ASSERT_EQ(children.size(), static_cast<std::size_t>(count));
        int i = 0;
        for (const auto& [name, node] : children) {
            EXPECT_EQ(name, "n" + std::to_string(100000 + i));
            EXPECT_EQ(static_cast<const IntegerAttribute&>(*node).value(), 2000000 + i);
            ++i;
        }
    }
}

// Names stored in an order that is not ascending wait in sorted runs; every way of reading must
// still see each name once, with its last value, in name order.
TEST(AttributeChildren, StoringInAnyOrderReadsAsAnOrderedMap) {
    struct Case {
        const char* label;
        int count;
        int (*numberAt)(int i, int count);
    };
    const Case cases[] = {
        {"ascending", 300, [](int i, int) { return i; }},
        {"descending", 300, [](int i, int count) { return count - 1 - i; }},
        {"scattered", 301, [](int i, int count) { return (i * 97) % count; }},
        {"descending then ascending", 300, [](int i, int count) { return i < count / 2 ? count / 2 - 1 - i : i; }},
        {"each name twice, scattered then descending", 300,
         [](int i, int count) { return i < count / 2 ? (i * 37) % (count / 2) : count - 1 - i; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        AttributeChildren children;
        AttributeChildrenEditor edit(children);
        std::map<std::string, std::int32_t> expected;
        for (int i = 0; i < c.count; ++i) {
            const std::string name = "n" + std::to_string(10000 + c.numberAt(i, c.count));
            edit.insertOrAssign(name, integer(i));
            expected[name] = i;
            // A lookup while runs are pending finds every name stored so far.
            ASSERT_TRUE(children.contains(name));
            ASSERT_EQ(valueOf(children, name.c_str()), i);
        }
        ASSERT_EQ(children.size(), expected.size());
        for (const auto& [name, value] : expected)
            EXPECT_EQ(valueOf(children, name.c_str()), value) << name;
        std::vector<std::string> names;
        for (const auto& [name, value] : expected)
            names.push_back(name);
        EXPECT_EQ(namesOf(children), names);
        EXPECT_EQ(children.lower_bound("n10100")->first, *std::lower_bound(names.begin(), names.end(), "n10100"));
        EXPECT_EQ(children.rbegin()->first, names.back());
    }
}

// Erasing and replacing while names wait in runs, checked against std::map step by step.
TEST(AttributeChildren, ChangesBetweenUnorderedStoresMatchAnOrderedMap) {
    AttributeChildren children;
    AttributeChildrenEditor edit(children);
    std::map<std::string, std::int32_t> expected;
    std::uint32_t state = 12345;
    auto next = [&state](std::uint32_t bound) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % bound;
    };
    for (std::int32_t step = 0; step < 4000; ++step) {
        const std::string name = "k" + std::to_string(next(500));
        switch (next(16)) {
        case 0:
            EXPECT_EQ(edit.erase(name), expected.erase(name) == 1) << name;
            break;
        case 1:
            if (next(4) == 0 && children.size() > 3) {
                edit.truncate(children.size() - 3);  // the last names in order
                expected.erase(std::prev(expected.end(), 3), expected.end());
            }
            break;
        default:
            edit.insertOrAssign(name, integer(step));
            expected[name] = step;
            break;
        }
        // lookup may merge the runs first, find never does; both see the same entries.
        const auto found = step % 2 == 0 ? children.find(name) : AttributeChildrenEditor::lookup(children, name);
        const auto wanted = expected.find(name);
        ASSERT_EQ(found == children.end(), wanted == expected.end()) << "step " << step << " " << name;
        if (wanted != expected.end()) {
            ASSERT_EQ(static_cast<const IntegerAttribute&>(*found->second).value(), wanted->second);
        }
        if (step % 500 == 0) {
            ASSERT_EQ(children.size(), expected.size()) << "step " << step;
            std::vector<std::string> names;
            for (const auto& [key, value] : expected)
                names.push_back(key);
            ASSERT_EQ(namesOf(children), names) << "step " << step;
        }
    }
}

// A tree built by path in descending order: lookups by path see every leaf before and after a
// walk puts the branch in order, and a copy is the same.
TEST(AttributeChildren, PathsStoredDescendingStayReachable) {
    AttributeTree tree;
    for (int i = 999; i >= 0; --i) {
        const std::string path = "data.k" + std::to_string(1000 + i);
        tree.setInteger(path.c_str(), i);
        tree.setInteger(("index.k" + std::to_string(1000 + i) + ".v").c_str(), i);
        ASSERT_EQ(tree.getInteger(path.c_str()), i);
    }
    EXPECT_EQ(tree.getBranch("data")->childCount(), 1000u);
    EXPECT_EQ(tree.getInteger("index.k1500.v"), 500);
    AttributeTree copy(tree);
    int expectedNumber = 1000;
    for (const auto& [name, node] : copy.getBranch("data")->children())
        EXPECT_EQ(name, "k" + std::to_string(expectedNumber++));
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(tree.getInteger(("data.k" + std::to_string(1000 + i)).c_str()), i);
}

TEST(AttributeChildren, NodesKeepTheirAddressWhileEntriesMove) {
    AttributeTree tree;
    const AttributeNode* last = tree.setInteger("z", 1);
    for (int i = 0; i < 1000; ++i)
        tree.setInteger(("a" + std::to_string(i)).c_str(), i);  // each one inserted before "z"
    EXPECT_EQ(tree.find("z"), last);
    EXPECT_EQ(tree.childCount(), 1001u);
}

// What a host sees of a branch's children only reads: entries come out const, and storing,
// removing and ordering are the editor's alone. Has<Change, T>: whether the change compiles on a T.
template <template <typename> class Change, typename T, typename = void>
struct Has : std::false_type {};
template <template <typename> class Change, typename T>
struct Has<Change, T, std::void_t<Change<T>>> : std::true_type {};

template <typename T>
using StoresByName = decltype(std::declval<T&>().insertOrAssign(std::string(), integer(0)));
template <typename T>
using ErasesByName = decltype(std::declval<T&>().erase(std::string_view()));
template <typename T>
using Clears = decltype(std::declval<T&>().clear());
template <typename T>
using AppendsUnordered = decltype(std::declval<T&>().appendUnordered(std::string(), integer(0)));
template <typename T>
using Truncates = decltype(std::declval<T&>().truncate(0));

template <typename T>
constexpr bool entriesAreConst =
    std::is_const_v<std::remove_reference_t<decltype(*std::declval<T&>().begin())>> &&
    std::is_const_v<std::remove_reference_t<decltype(*std::declval<T&>().find(std::string_view()))>>;

TEST(AttributeChildren, HostsOnlyRead) {
    EXPECT_TRUE(entriesAreConst<AttributeChildren>);
    EXPECT_FALSE((Has<StoresByName, AttributeChildren>::value));
    EXPECT_FALSE((Has<ErasesByName, AttributeChildren>::value));
    EXPECT_FALSE((Has<Clears, AttributeChildren>::value));
    EXPECT_FALSE((Has<AppendsUnordered, AttributeChildren>::value));
    EXPECT_FALSE((Has<Truncates, AttributeChildren>::value));
    // The same probes see the editor's changes, so they would see them on the container too.
    EXPECT_FALSE(entriesAreConst<AttributeChildrenEditor>);
    EXPECT_TRUE((Has<StoresByName, AttributeChildrenEditor>::value));
    EXPECT_TRUE((Has<ErasesByName, AttributeChildrenEditor>::value));
    EXPECT_TRUE((Has<Clears, AttributeChildrenEditor>::value));
    EXPECT_TRUE((Has<AppendsUnordered, AttributeChildrenEditor>::value));
    EXPECT_TRUE((Has<Truncates, AttributeChildrenEditor>::value));
}

// A host reads through the const container alone: every walk of a branch whose names wait in
// runs merges them first (out of line), whichever reading call comes first.
TEST(AttributeChildren, EveryReadingWalkSeesNameOrder) {
    using Read = std::vector<std::string> (*)(const AttributeChildren&);
    const std::pair<const char*, Read> reads[] = {
        {"begin", [](const AttributeChildren& c) { return namesOf(c); }},
        {"rbegin",
         [](const AttributeChildren& c) {
             std::vector<std::string> names;
             for (auto it = c.rbegin(); it != c.rend(); ++it)
                 names.insert(names.begin(), it->first);
             return names;
         }},
        {"lower_bound",
         [](const AttributeChildren& c) {
             std::vector<std::string> names;
             for (auto it = c.lower_bound(""); it != c.end(); ++it)
                 names.push_back(it->first);
             return names;
         }},
        {"size then iterators",
         [](const AttributeChildren& c) {
             std::vector<std::string> names(c.size());
             std::transform(c.cend() - static_cast<std::ptrdiff_t>(names.size()), c.cend(), names.begin(),
                            [](const AttributeChildren::value_type& entry) { return entry.first; });
             return names;
         }},
    };
    for (const auto& [label, read] : reads) {
        SCOPED_TRACE(label);
        AttributeTree tree;
        for (const char* name : {"m", "c", "x", "a", "q", "b"})
            tree.setInteger(name, 1);
        const AttributeChildren& children = tree.children();
        EXPECT_EQ(read(children), (std::vector<std::string>{"a", "b", "c", "m", "q", "x"}));
    }
}

// Node memory is reused per thread; a node may still be freed by any thread.
TEST(AttributeChildren, TreesMadeOnOneThreadMayBeDestroyedOnAnother) {
    auto build = [](int salt) {
        auto tree = std::make_unique<AttributeTree>();
        for (int i = 0; i < 2000; ++i) {
            const std::string name = "k" + std::to_string(i);
            switch (i % 4) {
            case 0: tree->setText(name.c_str(), ("text " + std::to_string(i + salt)).c_str()); break;
            case 1: tree->setInteger(name.c_str(), i + salt); break;
            case 2: tree->setBinary(name.c_str(), 3, "abc"); break;
            default: tree->setInteger((name + ".inner").c_str(), i + salt); break;
            }
        }
        return tree;
    };
    std::unique_ptr<AttributeTree> made;
    std::thread maker([&] { made = build(1); });
    maker.join();
    std::thread destroyer([&] { made.reset(); });
    destroyer.join();
    for (int round = 0; round < 3; ++round) {
        std::unique_ptr<AttributeTree> tree;
        std::thread again([&] {
            tree = build(round);
            auto copy = tree->clone(1, -1);
            tree = std::unique_ptr<AttributeTree>(static_cast<AttributeTree*>(copy.release()));
        });
        again.join();
        EXPECT_EQ(tree->getText("k8"), "text " + std::to_string(8 + round));
        EXPECT_EQ(tree->getInteger("k1997"), 1997 + round);
        EXPECT_EQ(tree->getInteger("k3.inner"), 3 + round);
        EXPECT_EQ(static_cast<const BinaryAttribute*>(tree->find("k2"))->length(), 3u);
    }
}

}  // namespace
