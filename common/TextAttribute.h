#pragma once
// Text leaf: a byte string kept with its length, with isSet and tag.
#include <cstring>
#include <string>
#include <string_view>

#include "common/AttributeNode.h"

class BRINDLE_EXPORT TextAttribute : public AttributeNode {
public:
    // A null text gives the empty text.
    explicit TextAttribute(const char* text = nullptr, const char* tag = nullptr);
    TextAttribute(std::string text, const char* tag);
    ~TextAttribute() override;

    // Keeps tag and isSet.
    std::unique_ptr<AttributeNode> clone(int includeHidden, int depth) const override;

    const std::string& text() const { return text_; }
    void setText(const char* text) { text_ = text ? text : ""; }
    void setText(std::string text) { text_ = std::move(text); }
    // Copies the bytes into the text this leaf has, keeping its memory; a text of the same
    // length is copied over it where it lies.
    void assignText(std::string_view text) {
        if (text.size() == text_.size()) {
            if (!text.empty())
                std::memmove(&text_[0], text.data(), text.size());
            return;
        }
        text_.assign(text.data(), text.size());
    }

private:
    // The tree format's reader overwrites the values of recycled nodes in place.
    friend class FastTreeStreamer;

    std::string text_;
};
