#pragma once
// The children of a branch: named, owned nodes in byte order of their names (unsigned bytes, a
// proper prefix first), held in one contiguous array sorted by name.
//
// Read like an ordered map: iteration gives std::pair<std::string, std::unique_ptr<AttributeNode>>
// in name order (range-for, structured bindings, begin/end), and find, count, at, lower_bound,
// size and empty take a name as std::string_view (a C string or std::string converts).
// Against a node-based map this saves an allocation per child and keeps a branch's entries in
// one block: lookups are a binary search over adjacent memory, walks are linear, and storing a
// name after the last one (the order in which trees are built and read) is an append. Storing a
// name in the middle moves the entries behind it.
//
// Node pointers stay valid while their entries move; iterators and references to entries do
// not survive a change of the container (as the traversal rules already require).
//
// Everything is inline: the container holds no state of its own beyond the entries, so every
// library that uses it may carry its own copy of the code.
#include <algorithm>
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
    const_iterator begin() const noexcept { return entries_.begin(); }
    const_iterator end() const noexcept { return entries_.end(); }
    const_iterator cbegin() const noexcept { return entries_.cbegin(); }
    const_iterator cend() const noexcept { return entries_.cend(); }
    const_reverse_iterator rbegin() const noexcept { return entries_.rbegin(); }
    const_reverse_iterator rend() const noexcept { return entries_.rend(); }
    bool empty() const noexcept { return entries_.empty(); }
    size_type size() const noexcept { return entries_.size(); }

    // The first entry whose name is not below name.
    const_iterator lower_bound(std::string_view name) const {
        return std::lower_bound(entries_.begin(), entries_.end(), name, nameBelow);
    }
    const_iterator find(std::string_view name) const {
        if (entries_.size() <= LinearFindSize)
            return std::find_if(entries_.begin(), entries_.end(),
                                [name](const value_type& entry) { return sameName(entry.first, name); });
        const_iterator it = lower_bound(name);
        return it != entries_.end() && std::string_view(it->first) == name ? it : entries_.end();
    }
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
    iterator begin() noexcept { return entries_.begin(); }
    iterator end() noexcept { return entries_.end(); }
    iterator lower_bound(std::string_view name) {
        return std::lower_bound(entries_.begin(), entries_.end(), name, nameBelow);
    }
    iterator find(std::string_view name) {
        const_iterator found = static_cast<const AttributeChildren&>(*this).find(name);
        return entries_.begin() + (found - entries_.cbegin());
    }

    // Stores node under name, replacing the node of an existing entry; returns the entry. Name
    // is anything a std::string can be made from and a std::string_view can look at (a
    // std::string given as an rvalue is moved into the entry).
    template <typename Name>
    iterator insertOrAssign(Name&& name, std::unique_ptr<AttributeNode> node) {
        const std::string_view view(name);
        if (entries_.empty() || std::string_view(entries_.back().first) < view)
            return emplaceAt(entries_.end(), std::forward<Name>(name), std::move(node));
        iterator it = lower_bound(view);
        if (it != entries_.end() && std::string_view(it->first) == view) {
            it->second = std::move(node);
            return it;
        }
        return emplaceAt(it, std::forward<Name>(name), std::move(node));
    }
    // Inserts a new entry before position, which must keep the order (a lower_bound of name).
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
    iterator erase(const_iterator position) { return entries_.erase(position); }
    // Removes the entry of that name; false when there is none.
    bool erase(std::string_view name) {
        const_iterator it = static_cast<const AttributeChildren&>(*this).find(name);
        if (it == entries_.cend())
            return false;
        entries_.erase(it);
        return true;
    }
    void clear() noexcept { entries_.clear(); }
    // Removes the entries from position count on.
    void truncate(size_type count) {
        if (count < entries_.size())
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(count), entries_.end());
    }
    void reserve(size_type capacity) { entries_.reserve(capacity); }

    // For a reader that takes names in whatever order they arrive: appends without looking,
    // so the order may be broken (and names repeated) until restoreOrder, which must be called
    // before the container is used in any other way.
    template <typename Name>
    void appendUnordered(Name&& name, std::unique_ptr<AttributeNode> node) {
        entries_.emplace_back(std::piecewise_construct, std::forward_as_tuple(std::forward<Name>(name)),
                              std::forward_as_tuple(std::move(node)));
    }
    // Sorts by name and, of entries with the same name, keeps the one appended last.
    void restoreOrder() { entries_.erase(orderKeepingLast(entries_.begin(), entries_.end()), entries_.end()); }

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

    std::vector<value_type> entries_;
};
