#pragma once
// The children of a branch as AttributeTree::children() hands them out: named, owned nodes in
// byte order of their names (unsigned bytes, a proper prefix first), held in one contiguous
// array.
//
// A read-only ordered map: iteration gives std::pair<std::string, std::unique_ptr<AttributeNode>>
// in name order (range-for, structured bindings, begin/end, rbegin/rend), and find, count,
// contains, at and lower_bound take a name as std::string_view (a C string or std::string
// converts). The nodes may be changed through their pointers; which children there are is
// changed only through the owning AttributeTree.
//
// A branch may hold names stored out of order in sorted runs behind its ordered entries. find,
// count, contains and at search them as they are; begin, rbegin, lower_bound and size first
// merge them into name order. So a reading walk may move entries: a branch is read by one
// thread at a time, and an iterator from find is not kept across a call to those. Node
// pointers stay valid while entries move; iterators and references to entries do not survive
// a change of the branch.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "brindle/export.h"
// The entries own their nodes: destroying one needs the complete type.
#include "common/AttributeNode.h"

class BRINDLE_EXPORT AttributeChildren {
public:
    using key_type = std::string;
    using mapped_type = std::unique_ptr<AttributeNode>;
    using value_type = std::pair<std::string, std::unique_ptr<AttributeNode>>;
    using size_type = std::size_t;
    using const_iterator = std::vector<value_type>::const_iterator;
    using const_reverse_iterator = std::vector<value_type>::const_reverse_iterator;
    // Entries are read only: both kinds of iterator are the const ones.
    using iterator = const_iterator;
    using reverse_iterator = const_reverse_iterator;

    AttributeChildren() = default;
    AttributeChildren(AttributeChildren&& other) noexcept = default;
    AttributeChildren& operator=(AttributeChildren&& other) noexcept = default;
    AttributeChildren(const AttributeChildren&) = delete;
    AttributeChildren& operator=(const AttributeChildren&) = delete;

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
    // The entry of that name, else end(). Moves nothing.
    const_iterator find(std::string_view name) const {
        if (!runs_)
            return findIn(entries_.cbegin(), entries_.cend(), name);
        return findInRuns(name);
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

private:
    // Storing, merging and ordering live with the libraries' own code.
    friend class AttributeChildrenEditor;

    // Where the runs after the first start: entries [0, starts[0]), [starts[0], starts[1]), ...
    // and [starts.back(), size) are each in name order. Made only while names wait in runs.
    struct Runs {
        std::vector<size_type> starts;
        size_type lookupsSinceStore = 0;
    };

    // Up to this many entries a walk that compares lengths first beats a binary search.
    static constexpr size_type LinearFindSize = 8;

    // Puts the entries in name order when names wait in runs.
    void settle() const {
        if (runs_)
            mergeRuns();
    }
    // Merges every run into one (AttributeChildren.cpp).
    void mergeRuns() const;

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

    template <typename Word>
    static Word load(const char* bytes) {
        Word word;
        std::memcpy(&word, bytes, sizeof word);
        return word;
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

    // Searches the runs newest first, so that a name stored again is found in its newest entry.
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

    // Mutable: walks in order merge the runs. No runs_ means the whole array is in order.
    mutable std::vector<value_type> entries_;
    mutable std::unique_ptr<Runs> runs_;
};
