#pragma once
// The children of a branch: named, owned nodes in byte order of their names (unsigned bytes, a
// proper prefix first), held in one contiguous array.
//
// Read like an ordered map: iteration gives std::pair<std::string, std::unique_ptr<AttributeNode>>
// in name order (range-for, structured bindings, begin/end), and find, count, at, lower_bound,
// size and empty take a name as std::string_view (a C string or std::string converts).
// Against a node-based map this saves an allocation per child and keeps a branch's entries in
// one block: lookups are a binary search over adjacent memory, walks are linear.
//
// Storing a name after the last one (the order in which trees are built and read) is an
// append. A name stored out of order, or while earlier ones are, is appended as a sorted run of
// its own without looking for an entry of that name; the last run is merged into the one before
// it as soon as it is as long, the newer of two equal names winning, so there are at most about
// log2(n) runs and storing costs O(log n) amortised in any order. find searches the runs, newest
// first, and leaves them as they are; everything that needs the entries settled (begin, rbegin,
// lower_bound, iteration, size, erasing) first merges the runs into one. So a reading walk may
// move entries: a branch changed by one thread is walked by one thread at a time, and an
// iterator from find is not used across a call to those.
//
// Node pointers stay valid while their entries move; iterators and references to entries do
// not survive a change of the container (as the traversal rules already require).
//
// Everything is inline: the container holds no state of its own beyond the entries, so every
// library that uses it may carry its own copy of the code.
#include <algorithm>
#include <array>
#include <iterator>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

// The entries own their nodes: destroying one needs the complete type.
#include "common/AttributeNode.h"

class AttributeChildren {
public:
    using key_type = std::string;
    using mapped_type = std::unique_ptr<AttributeNode>;
    using value_type = std::pair<std::string, std::unique_ptr<AttributeNode>>;
    using size_type = std::size_t;
    using iterator = std::vector<value_type>::iterator;
    using const_iterator = std::vector<value_type>::const_iterator;
    using const_reverse_iterator = std::vector<value_type>::const_reverse_iterator;

    AttributeChildren() = default;
    AttributeChildren(AttributeChildren&& other) noexcept = default;
    AttributeChildren& operator=(AttributeChildren&& other) noexcept = default;
    AttributeChildren(const AttributeChildren&) = delete;
    AttributeChildren& operator=(const AttributeChildren&) = delete;

    // --- Reading --------------------------------------------------------------------------
    const_iterator begin() const {
        settle();
        return entries_.begin();
    }
    const_iterator end() const noexcept { return entries_.end(); }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const noexcept { return entries_.cend(); }
    const_reverse_iterator rbegin() const {
        settle();
        return entries_.rbegin();
    }
    const_reverse_iterator rend() const noexcept { return entries_.rend(); }
    bool empty() const noexcept { return entries_.empty(); }
    size_type size() const {
        settle();
        return entries_.size();
    }

    // The first entry whose name is not below name.
    const_iterator lower_bound(std::string_view name) const {
        settle();
        return std::lower_bound(entries_.cbegin(), entries_.cend(), name, nameBelow);
    }
    // Searches the sorted runs, newest first; moves nothing.
    const_iterator find(std::string_view name) const {
        if (!runs_)
            return findIn(entries_.cbegin(), entries_.cend(), name);
        return findInRuns(name);
    }
    // As find, for a caller that keeps no iterator: once the lookups since the last store have
    // cost about as much more, against settled entries, as merging the runs would, the runs
    // are merged first, so a branch built out of order and then read is soon as fast to read
    // as one built in order.
    const_iterator lookup(std::string_view name) const {
        if (runs_ && ++runs_->lookupsSinceStore * runs_->starts.size() * LookupsPerMove >= entries_.size())
            settle();
        return find(name);
    }
    iterator lookup(std::string_view name) { return mutableIterator(static_cast<const AttributeChildren&>(*this).lookup(name)); }
    size_type count(std::string_view name) const { return find(name) != entries_.end() ? 1 : 0; }
    bool contains(std::string_view name) const { return find(name) != entries_.end(); }
    // The child of that name; throws std::out_of_range when there is none.
    const mapped_type& at(std::string_view name) const {
        const_iterator it = find(name);
        if (it == entries_.end())
            throw std::out_of_range("no child of that name");
        return it->second;
    }

    // Whether two names are the same bytes. Names are short: 4 to 16 bytes are compared with
    // two overlapping loads each, without a call.
    static bool sameName(std::string_view a, std::string_view b) {
        const std::size_t n = a.size();
        if (n != b.size())
            return false;
        if (n >= 8 && n <= 16)
            return ((load<std::uint64_t>(a.data()) ^ load<std::uint64_t>(b.data())) |
                    (load<std::uint64_t>(a.data() + n - 8) ^ load<std::uint64_t>(b.data() + n - 8))) == 0;
        if (n >= 4 && n < 8)
            return ((load<std::uint32_t>(a.data()) ^ load<std::uint32_t>(b.data())) |
                    (load<std::uint32_t>(a.data() + n - 4) ^ load<std::uint32_t>(b.data() + n - 4))) == 0;
        return a == b;
    }

    // --- Changing (the owning branch's business) --------------------------------------------
    iterator begin() {
        settle();
        return entries_.begin();
    }
    iterator end() noexcept { return entries_.end(); }
    iterator lower_bound(std::string_view name) {
        settle();
        return std::lower_bound(entries_.begin(), entries_.end(), name, nameBelow);
    }
    iterator find(std::string_view name) { return mutableIterator(static_cast<const AttributeChildren&>(*this).find(name)); }

    // Stores node under name, replacing the node of an existing entry; returns the node stored.
    // Name is anything a std::string can be made from and a std::string_view can look at (a
    // std::string given as an rvalue is moved into the entry). While runs are pending the node
    // an entry had is freed at the next merge instead of at once.
    template <typename Name>
    AttributeNode* insertOrAssign(Name&& name, std::unique_ptr<AttributeNode> node) {
        const std::string_view view(name);
        if (!runs_ && !followsLast(view)) {
            const iterator found = find(view);
            if (found != entries_.end()) {
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
        const bool appends = !runs_ && followsLast(std::string_view(name));
        if (entries_.capacity() == 0)
            entries_.reserve(FirstCapacity);
        entries_.emplace_back(std::piecewise_construct, std::forward_as_tuple(std::forward<Name>(name)),
                              std::forward_as_tuple(std::move(node)));
        if (!appends) {
            if (!runs_)
                runs_ = std::make_unique<Runs>();
            runs_->lookupsSinceStore = 0;
            runs_->starts.push_back(entries_.size() - 1);
            mergeEqualRuns();
        }
        return stored;
    }
    // Inserts a new entry before position, which must keep the order (a lower_bound of name, or
    // end() of a container in order when name follows its last one).
    // The first entry of an empty container makes room for a few, so that a small branch
    // built one child at a time grows once, not at every child.
    template <typename Name>
    iterator emplaceAt(const_iterator position, Name&& name, std::unique_ptr<AttributeNode> node) {
        if (entries_.capacity() == 0) {
            entries_.reserve(FirstCapacity);
            position = entries_.cbegin();
        }
        return entries_.emplace(position, std::piecewise_construct, std::forward_as_tuple(std::forward<Name>(name)),
                                std::forward_as_tuple(std::move(node)));
    }
    iterator erase(const_iterator position) {
        if (runs_) {
            // An older entry of that name may wait in another run: settle, then look again.
            const std::string name = position->first;
            settle();
            position = findIn(entries_.cbegin(), entries_.cend(), name);
        }
        return entries_.erase(position);
    }
    // Removes the entry of that name; false when there is none.
    bool erase(std::string_view name) {
        settle();
        const_iterator it = findIn(entries_.cbegin(), entries_.cend(), name);
        if (it == entries_.cend())
            return false;
        entries_.erase(it);
        return true;
    }
    void clear() noexcept {
        entries_.clear();
        runs_.reset();
    }
    // Removes the entries from position count on, in name order.
    void truncate(size_type count) {
        if (count >= entries_.size())
            return;
        settle();
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(count), entries_.end());
    }
    void reserve(size_type capacity) { entries_.reserve(capacity); }

    // For a reader that takes names in whatever order they arrive: appends without looking,
    // so the order may be broken (and names repeated) until restoreOrder, which must be called
    // before the container is used in any other way.
    template <typename Name>
    void appendUnordered(Name&& name, std::unique_ptr<AttributeNode> node) {
        settle();
        entries_.emplace_back(std::piecewise_construct, std::forward_as_tuple(std::forward<Name>(name)),
                              std::forward_as_tuple(std::move(node)));
    }
    // Sorts by name and, of entries with the same name, keeps the one appended last.
    void restoreOrder() {
        runs_.reset();
        entries_.erase(orderKeepingLast(entries_.begin(), entries_.end()), entries_.end());
    }

    // Merges the sorted runs into one, so that the entries lie in name order.
    void settle() const {
        while (runs_)
            mergeLastRun();
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
    template <typename Word>
    static Word load(const char* bytes) {
        Word word;
        std::memcpy(&word, bytes, sizeof word);
        return word;
    }

    static constexpr size_type FirstCapacity = 8;
    // Up to this many entries a walk that compares lengths first beats a binary search.
    static constexpr size_type LinearFindSize = 8;
    // Up to this many entries an insertion sort beats a merge sort and needs no buffer.
    static constexpr std::ptrdiff_t SmallRange = 16;
    // A lookup among runs costs about this many entry moves of a merge more than a settled one.
    static constexpr size_type LookupsPerMove = 16;
    // A run merged away of up to this many entries is set aside on the stack.
    static constexpr std::size_t SmallRun = 8;

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

    static bool nameBelow(const value_type& entry, std::string_view name) {
        return std::string_view(entry.first) < name;
    }

    // The entry of that name within one sorted run [first, last), else last. Inlined whatever
    // the compiler's estimate: a lookup through a path costs a tenth more with the call.
    __attribute__((always_inline)) static const_iterator findIn(const_iterator first, const_iterator last,
                                                                std::string_view name) {
        if (last - first <= static_cast<std::ptrdiff_t>(LinearFindSize))
            return std::find_if(first, last, [name](const value_type& entry) { return sameName(entry.first, name); });
        const const_iterator it = std::lower_bound(first, last, name, nameBelow);
        return it != last && std::string_view(it->first) == name ? it : last;
    }

    iterator mutableIterator(const_iterator it) { return entries_.begin() + (it - entries_.cbegin()); }

    const_iterator findInRuns(std::string_view name) const {
        const_iterator last = entries_.cend();
        for (auto run = runs_->starts.rbegin(); run != runs_->starts.rend(); ++run) {
            const const_iterator first = entries_.cbegin() + static_cast<std::ptrdiff_t>(*run);
            const const_iterator found = findIn(first, last, name);
            if (found != last)
                return found;
            last = first;
        }
        const const_iterator found = findIn(entries_.cbegin(), last, name);
        return found != last ? found : entries_.cend();
    }

    bool followsLast(std::string_view name) const {
        return entries_.empty() || std::string_view(entries_.back().first) < name;
    }

    // Keeps each run shorter than the one before it: the runs' lengths at least halve from the
    // first to the last, so every entry is merged at most about log2(n) times.
    void mergeEqualRuns() const {
        while (runs_) {
            const std::vector<size_type>& starts = runs_->starts;
            const size_type lastStart = starts.back();
            const size_type previousStart = starts.size() > 1 ? starts[starts.size() - 2] : 0;
            if (entries_.size() - lastStart < lastStart - previousStart)
                return;
            mergeLastRun();
        }
    }

    // Merges the last run into the run before it, which is not longer. Of two entries with the
    // same name the one of the last run stays; the other's node is freed.
    void mergeLastRun() const {
        std::vector<size_type>& starts = runs_->starts;
        const size_type previousStart = starts.size() > 1 ? starts[starts.size() - 2] : 0;
        const auto first = entries_.begin() + static_cast<std::ptrdiff_t>(previousStart);
        const auto middle = entries_.begin() + static_cast<std::ptrdiff_t>(starts.back());
        starts.pop_back();
        if (starts.empty())
            runs_.reset();
        const auto older = static_cast<std::size_t>(middle - first);
        if (older <= SmallRun) {
            std::array<value_type, SmallRun> moved;
            entries_.erase(mergeInto(first, moved.begin(), std::move(first, middle, moved.begin()), middle,
                                     entries_.end()),
                           entries_.end());
        } else {
            std::vector<value_type> moved(std::make_move_iterator(first), std::make_move_iterator(middle));
            entries_.erase(mergeInto(first, moved.begin(), moved.end(), middle, entries_.end()), entries_.end());
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

    // Where the runs after the first start: entries [0, starts[0]), [starts[0], starts[1]), ...
    // and [starts.back(), size) are each in name order. Made only while names wait in runs.
    struct Runs {
        std::vector<size_type> starts;
        size_type lookupsSinceStore = 0;
    };

    // Mutable: walks in order merge the runs. No runs_ means the whole array is in order.
    mutable std::vector<value_type> entries_;
    mutable std::unique_ptr<Runs> runs_;
};
