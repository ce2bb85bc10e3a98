#include "admin/MirrorSet.h"

#include <algorithm>
#include <string_view>

#include "common/Tokenizer.h"

namespace {

std::string_view comparedPart(const std::string& reference) {
    const auto colon = reference.find(':');
    std::string_view view(reference);
    return colon == std::string::npos ? view : view.substr(colon + 1);
}

unsigned char lowered(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

}  // namespace

bool MirrorSet::Order::operator()(const std::string& a, const std::string& b) const {
    const std::string_view x = comparedPart(a);
    const std::string_view y = comparedPart(b);
    return std::lexicographical_compare(
        x.begin(), x.end(), y.begin(), y.end(),
        [](char l, char r) { return lowered(l) < lowered(r); });
}

MirrorSet MirrorSet::fromList(const char* list) {
    MirrorSet set;
    Tokenizer pieces(list, ";");
    while (pieces.hasMoreTokens()) set.insert(pieces.nextToken());
    return set;
}

void MirrorSet::insert(const std::string& reference) { elements_.insert(reference); }

void MirrorSet::erase(const std::string& reference) { elements_.erase(reference); }

std::string MirrorSet::mirrorReference(const std::string& piece) {
    const bool hasSlashes = piece.compare(0, 2, "//") == 0;
    return (hasSlashes ? "lpwq:" : "lpwq://") + piece;
}

std::string MirrorSet::join() const {
    std::string list;
    for (const std::string& element : elements_) {
        if (!list.empty()) list += ';';
        list += element;
    }
    return list;
}
