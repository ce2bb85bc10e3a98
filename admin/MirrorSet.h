#pragma once
// The mirror list of an object ("Mirrors": references separated by ";") while it is changed: an
// ordered set whose order and equality look at the part of each reference after its first ":"
// (the whole text when it has none), compared bytewise with ASCII capitals taken as small letters.
#include <set>
#include <string>

class MirrorSet {
public:
    // Every non-empty ";"-separated piece of list, unchanged (null gives the empty set).
    static MirrorSet fromList(const char* list);

    // An element equal to one present leaves the present one, with its letter case, in place.
    void insert(const std::string& reference);
    // Removes the element equal to reference, whatever its letter case; absent changes nothing.
    void erase(const std::string& reference);

    // "lpwq:" + "//" (unless the caller's text begins with it) + the caller's text.
    static std::string mirrorReference(const std::string& piece);

    // Elements in set order separated by ";" (the empty set gives "").
    std::string join() const;
    std::size_t size() const { return elements_.size(); }

private:
    struct Order {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::set<std::string, Order> elements_;
};
