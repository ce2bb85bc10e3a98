#pragma once
// An XML source holding the whole text in memory (one owned buffer, reused by the next SetText).
#include <string>

#include "portal/xml/CXMLSource.h"

class CXMLMemorySource : public CXMLSource {
public:
    CXMLMemorySource() = default;
    ~CXMLMemorySource() override;

    void Clear() override;
    void Close() override;
    bool Find(const XMLPosition& from, std::string_view pattern, XMLPosition& out) const override;
    bool FindNoCase(const XMLPosition& from, std::string_view pattern, XMLPosition& out) const override;
    bool ReadCount(XMLPosition& position, size_t count, std::string& out) const override;
    char CharAt(uint32_t offset) const override;
    uint32_t GetLength() const override;
    bool ReadUntil(XMLPosition& position, std::string_view pattern, std::string& out) const override;
    bool ReadUntilChar(XMLPosition& position, char wanted, std::string& out) const override;
    using CXMLSource::SetText;
    bool SetText(std::string_view text) override;
    const char* GetContiguousText() const override;

private:
    template <typename Equal>
    bool FindWith(const XMLPosition& from, std::string_view pattern, XMLPosition& out, Equal equal) const;

    std::string m_text;
    size_t m_firstQuestionMark = std::string::npos;   // offset of the first "?" in m_text, npos: none
};
