#pragma once
// Changes to the children of a branch: storing, removing, merging and ordering the entries of
// an AttributeChildren. The libraries' own code (the tree, the tree format's reader, the
// message envelope) changes children through an editor; hosts only read them, so this header
// is not installed.
//
// Storing a name after the last one (the order in which trees are built and read) is an
// append. A name stored out of order, or while earlier ones are, is appended as a sorted run of
// its own without looking for an entry of that name; the last run is merged into the one before
// it as soon as it is as long, the newer of two equal names winning, so there are at most about
// log2(n) runs and storing costs O(log n) amortised in any order. Reading leaves the runs as
// they are or merges them all (AttributeChildren.h says which call does which).
//
// Everything but the merge of all runs (AttributeChildren::mergeRuns, exported with the tree)
// is inline, so a program that reads trees with its own copy of the reader needs nothing else
// from the library.
#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "common/AttributeChildren.h"

class AttributeChildrenEditor {
public:
    using value_type = AttributeChildren::value_type;
    using size_type = AttributeChildren::size_type;
    using iterator = std::vector<value_type>::iterator;
    using const_iterator = AttributeChildren::const_iterator;

    explicit AttributeChildrenEditor(AttributeChildren& children) noexcept : children_(children) {}

    // --- Reading, with entries that may be changed ------------------------------------------
    bool empty() const noexcept { return children_.empty(); }
    size_type size() const { return children_.size(); }
    iterator begin() {
        settle();
        return entries().begin();
    }
    iterator end() noexcept { return entries().end(); }
    iterator lower_bound(std::string_view name) { return mutableIterator(children_.lower_bound(name)); }
    iterator find(std::string_view name) { return mutableIterator(children_.find(name)); }

    // As find, for a caller that keeps no iterator: once the lookups since the last store have
    // cost about as much more, against settled entries, as merging the runs would, the runs
    // are merged first, so a branch built out of order and then read is soon as fast to read
    // as one built in order.
    static const_iterator lookup(const AttributeChildren& children, std::string_view name) {
        const std::unique_ptr<AttributeChildren::Runs>& runs = children.runs_;
        if (runs && ++runs->lookupsSinceStore * runs->starts.size() * LookupsPerMove >= children.entries_.size())
            children.settle();
        return children.find(name);
    }
    iterator lookup(std::string_view name) { return mutableIterator(lookup(children_, name)); }

    // Whether two names are the same bytes, compared as lookups compare them.
    static bool sameName(std::string_view a, std::string_view b) { return AttributeChildren::sameName(a, b); }

    // --- Storing ------------------------------------------------------------------------------
    // Stores node under name, replacing the node of an existing entry; returns the node stored.
    // Name is anything a std::string can be made from and a std::string_view can look at (a
    // std::string given as an rvalue is moved into the entry). While runs are pending the node
    // an entry had is freed at the next merge instead of at once.
    template <typename Name>
    AttributeNode* insertOrAssign(Name&& name, std::unique_ptr<AttributeNode> node) {
        const std::string_view view(name);
        if (!children_.runs_ && !followsLast(view)) {
            const iterator found = find(view);
            if (found != end()) {
                found->second = std::move(node);
                return found->second.get();
            }
        }
        return insertNew(std::forward<Name>(name), std::move(node));
    }
    // Stores node under a name no entry has (or, while runs are pending, one whose entry it is
    // to replace); returns the node stored.
    template <typename Name>
    AttributeNode* insertNew(Name&& name, std::unique_ptr<AttributeNode> node) {
        AttributeNode* stored = node.get();
        std::unique_ptr<AttributeChildren::Runs>& runs = children_.runs_;
        const bool appends = !runs && followsLast(std::string_view(name));
        if (entries().capacity() == 0)
            entries().reserve(FirstCapacity);
        entries().emplace_back(std::piecewise_construct, std::forward_as_tuple(std::forward<Name>(name)),
                               std::forward_as_tuple(std::move(node)));
        if (!appends) {
            if (!runs)
                runs = std::make_unique<AttributeChildren::Runs>();
            runs->lookupsSinceStore = 0;
            runs->starts.push_back(entries().size() - 1);
            mergeEqualRuns(children_);
        }
        return stored;
    }
    // Inserts a new entry before position, which must keep the order (a lower_bound of name, or
    // end() of a container in order when name follows its last one).
    // The first entry of an empty container makes room for a few, so that a small branch
    // built one child at a time grows once, not at every child.
    template <typename Name>
    iterator emplaceAt(const_iterator position, Name&& name, std::unique_ptr<AttributeNode> node) {
        if (entries().capacity() == 0) {
            entries().reserve(FirstCapacity);
            position = entries().cbegin();
        }
        return entries().emplace(position, std::piecewise_construct, std::forward_as_tuple(std::forward<Name>(name)),
                                 std::forward_as_tuple(std::move(node)));
    }
    void reserve(size_type capacity) { entries().reserve(capacity); }

    // For a reader that takes names in whatever order they arrive: appends without looking,
    // so the order may be broken (and names repeated) until restoreOrder, which must be called
    // before the container is used in any other way.
    template <typename Name>
    void appendUnordered(Name&& name, std::unique_ptr<AttributeNode> node) {
        settle();
        entries().emplace_back(std::piecewise_construct, std::forward_as_tuple(std::forward<Name>(name)),
                               std::forward_as_tuple(std::move(node)));
    }
    // Sorts by name and, of entries with the same name, keeps the one appended last.
    void restoreOrder() {
        children_.runs_.reset();
        entries().erase(orderKeepingLast(entries().begin(), entries().end()), entries().end());
    }

    // --- Removing -----------------------------------------------------------------------------
    iterator erase(const_iterator position) {
        if (children_.runs_) {
            // An older entry of that name may wait in another run: settle, then look again.
            const std::string name = position->first;
            settle();
            position = AttributeChildren::findIn(entries().cbegin(), entries().cend(), name);
        }
        return entries().erase(position);
    }
    // Removes the entry of that name; false when there is none.
    bool erase(std::string_view name) {
        settle();
        const const_iterator it = AttributeChildren::findIn(entries().cbegin(), entries().cend(), name);
        if (it == entries().cend())
            return false;
        entries().erase(it);
        return true;
    }
    void clear() noexcept {
        entries().clear();
        children_.runs_.reset();
    }
    // Removes the entries from position count on, in name order.
    void truncate(size_type count) {
        if (count >= entries().size())
            return;
        settle();
        entries().erase(entries().begin() + static_cast<std::ptrdiff_t>(count), entries().end());
    }

    // --- Ordering -----------------------------------------------------------------------------
    // Merges the sorted runs into one, so that the entries lie in name order.
    void settle() { children_.settle(); }
    // What AttributeChildren::mergeRuns does.
    static void mergeAllRuns(const AttributeChildren& children) {
        while (children.runs_)
            mergeLastRun(children);
    }

    // Orders the entries of [first, last) by name, stably, and moves the last entry of every
    // run of equal names to the front of the range; returns the end of the kept entries (those
    // behind it are left to be erased).
    static iterator orderKeepingLast(iterator first, iterator last) {
        if (last - first <= SmallRange)
            insertionSort(first, last);
        else
            std::stable_sort(first, last, [](const value_type& a, const value_type& b) { return a.first < b.first; });
        iterator kept = first;
        for (iterator it = first; it != last;) {
            iterator next = it + 1;
            while (next != last && next->first == it->first)
                it = next++;
            if (kept != it)
                *kept = std::move(*it);
            ++kept;
            it = next;
        }
        return kept;
    }

private:
    static constexpr size_type FirstCapacity = 8;
    // Up to this many entries an insertion sort beats a merge sort and needs no buffer.
    static constexpr std::ptrdiff_t SmallRange = 16;
    // A lookup among runs costs about this many entry moves of a merge more than a settled one.
    static constexpr size_type LookupsPerMove = 16;
    // A run merged away of up to this many entries is set aside on the stack.
    static constexpr std::size_t SmallRun = 8;

    std::vector<value_type>& entries() noexcept { return children_.entries_; }

    iterator mutableIterator(const_iterator it) { return entries().begin() + (it - entries().cbegin()); }

    bool followsLast(std::string_view name) const {
        const std::vector<value_type>& entries = children_.entries_;
        return entries.empty() || std::string_view(entries.back().first) < name;
    }

    static void insertionSort(iterator first, iterator last) {
        for (iterator i = first + (first != last); i < last; ++i) {
            if (!(i->first < (i - 1)->first))
                continue;
            value_type moving = std::move(*i);
            iterator j = i;
            do {
                *j = std::move(*(j - 1));
                --j;
            } while (j != first && moving.first < (j - 1)->first);
            *j = std::move(moving);
        }
    }

    // Keeps each run shorter than the one before it: the runs' lengths at least halve from the
    // first to the last, so every entry is merged at most about log2(n) times.
    static void mergeEqualRuns(const AttributeChildren& children) {
        while (children.runs_) {
            const std::vector<size_type>& starts = children.runs_->starts;
            const size_type lastStart = starts.back();
            const size_type previousStart = starts.size() > 1 ? starts[starts.size() - 2] : 0;
            if (children.entries_.size() - lastStart < lastStart - previousStart)
                return;
            mergeLastRun(children);
        }
    }

    // Merges the last run into the run before it, which is not longer. Of two entries with the
    // same name the one of the last run stays; the other's node is freed.
    static void mergeLastRun(const AttributeChildren& children) {
        std::vector<value_type>& entries = children.entries_;
        std::vector<size_type>& starts = children.runs_->starts;
        const size_type previousStart = starts.size() > 1 ? starts[starts.size() - 2] : 0;
        const auto first = entries.begin() + static_cast<std::ptrdiff_t>(previousStart);
        const auto middle = entries.begin() + static_cast<std::ptrdiff_t>(starts.back());
        starts.pop_back();
        if (starts.empty())
            children.runs_.reset();
        const auto older = static_cast<std::size_t>(middle - first);
        if (older <= SmallRun) {
            std::array<value_type, SmallRun> moved;
            entries.erase(
                mergeInto(first, moved.begin(), std::move(first, middle, moved.begin()), middle, entries.end()),
                entries.end());
        } else {
            std::vector<value_type> moved(std::make_move_iterator(first), std::make_move_iterator(middle));
            entries.erase(mergeInto(first, moved.begin(), moved.end(), middle, entries.end()), entries.end());
        }
    }

    // Merges the older entries [older, olderEnd) (moved out of the array) and the newer ones
    // [newer, newerEnd) (behind out in the array) into out on; returns the end of the result.
    // The writing never passes the newer entries not yet read.
    template <typename Moved>
    static iterator mergeInto(iterator out, Moved older, Moved olderEnd, iterator newer, iterator newerEnd) {
        while (older != olderEnd && newer != newerEnd) {
            if (older->first < newer->first) {
                *out++ = std::move(*older++);
                continue;
            }
            if (!(newer->first < older->first))
                ++older;  // the same name: the newer entry replaces it
            if (out != newer)
                *out = std::move(*newer);
            ++out;
            ++newer;
        }
        out = std::move(older, olderEnd, out);
        if (out == newer)
            return newerEnd;
        return std::move(newer, newerEnd, out);
    }

    AttributeChildren& children_;
};
