// Arbitrary text (as the portal hands it over: up to the first NUL) parsed with each flag
// combination the reader is used with, into one reused document and into a fresh one, then every
// path query the portal code makes, and a walk that checks the tree's links and the error record.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/targets/FuzzSupport.h"
#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLMemorySource.h"

namespace {

constexpr std::uint32_t Flags[] = {0, 1, 8, 9, 16, 24, 25};

void touch(const std::string& text) {
    volatile std::size_t sum = 0;
    for (char c : text) sum = sum + static_cast<unsigned char>(c);
}

// The queries of the publisher: result check, NewsBox list and search, created item, described
// item with its actions.
void portalQueries(const CXMLDocument& document) {
    if (const CXMLElement* result = document.FindElement("Result.Standard_Result")) {
        if (const CXMLAttribute* code = result->FindAttribute("ResultCode")) touch(code->GetValue());
        if (const CXMLElement* message = result->FindChild("Message")) touch(message->GetValue());
    }
    int boxes = 0;
    for (const CXMLElement* box = document.FindElement("Result.NewsBox"); box; box = box->FindNextSibling("NewsBox")) {
        FUZZ_CHECK(box->GetName() == "NewsBox");
        if (const CXMLElement* name = box->FindChild("FullName")) touch(name->GetValue());
        if (const CXMLElement* id = box->FindChild("Id")) touch(id->GetValue());
        FUZZ_CHECK(++boxes <= 1 << 20);
    }
    if (const CXMLElement* id = document.FindElement("Result.Id")) touch(id->GetValue());
    if (const CXMLElement* item = document.FindElement("Result.NewsItem")) {
        for (const char* child : {"Name", "Description", "ParentId", "BIGateway", "ContentName", "DefaultAction"})
            if (const CXMLElement* found = item->FindChild(child)) touch(found->GetValue());
        for (const CXMLElement* action = item->FindChild("Action"); action; action = action->FindNextSibling("Action")) {
            if (const CXMLElement* name = action->FindChild("Name")) touch(name->GetValue());
            if (const CXMLElement* url = action->FindChild("URL")) touch(url->GetValue());
        }
    }
    (void)document.FindElement("");
    (void)document.FindElement(".");
    (void)document.FindElement("Result..");
}

// Links, attribute chains and positions of every node; returns the node count.
std::size_t walk(const CXMLElement& element, const CXMLDocument& document, std::uint32_t length, int depth) {
    FUZZ_CHECK(depth <= 100000);
    FUZZ_CHECK(element.GetDocument() == &document);
    FUZZ_CHECK(element.GetKind() <= 6);
    FUZZ_CHECK(element.GetCurrentPosition().offset <= length);
    std::size_t attributes = 0;
    for (const CXMLAttribute* a = element.GetFirstAttribute(); a; a = a->GetNext()) {
        touch(a->GetName());
        touch(a->GetValue());
        FUZZ_CHECK(a == element.GetAttribute(attributes));
        ++attributes;
    }
    FUZZ_CHECK(attributes == element.GetAttributeCount());
    if (attributes) FUZZ_CHECK(element.FindAttribute(element.GetAttribute(0)->GetName()) == element.GetAttribute(0));
    touch(element.GetName());
    touch(element.GetValue());

    std::size_t count = 1;
    const CXMLElement* previous = nullptr;
    for (std::size_t i = 0; i < element.GetChildCount(); ++i) {
        const CXMLElement* child = element.GetChild(i);
        FUZZ_CHECK(child && child->GetParent() == &element);
        if (previous) FUZZ_CHECK(previous->GetNextSibling() == child);
        // A path of one component finds the first child of that name.
        if (child->GetName().find('.') == std::string::npos) {
            const CXMLElement* first = element.FindChild(child->GetName());
            FUZZ_CHECK(first && first->GetName() == child->GetName());
        }
        previous = child;
        count += walk(*child, document, length, depth + 1);
    }
    if (previous) FUZZ_CHECK(previous->GetNextSibling() == nullptr);
    FUZZ_CHECK(element.GetFirstChild() == element.GetChild(0));
    return count;
}

void parseAndQuery(CXMLDocument& document, const CXMLMemorySource& source, std::uint32_t flags) {
    document.SetFlags(flags);
    FUZZ_CHECK(document.GetFlags() == flags);
    const bool parsed = document.Parse(source);
    if (!parsed) FUZZ_CHECK(document.HasError());
    const XMLErrorRecord& error = document.GetError();
    FUZZ_CHECK(error.element.size() <= 1023 && error.message.size() <= 1023);
    if (const CXMLElement* root = document.GetRoot()) {
        FUZZ_CHECK(root->GetParent() == nullptr);
        walk(*root, document, source.GetLength(), 1);
        if ((flags & XML_FRAGMENT) && root->GetName().find('.') == std::string::npos)
            FUZZ_CHECK(document.FindElement(root->GetName()) == root);
    }
    portalQueries(document);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    CXMLMemorySource source;
    FUZZ_CHECK(source.SetText(text));
    FUZZ_CHECK(source.GetLength() == text.size());

    CXMLDocument reused;
    for (std::uint32_t flags : Flags) {
        parseAndQuery(reused, source, flags);
        CXMLDocument fresh;
        parseAndQuery(fresh, source, flags);
        FUZZ_CHECK(fresh.HasError() == reused.HasError());
        FUZZ_CHECK(fresh.GetError().message == reused.GetError().message);
    }
    reused.Reset();
    FUZZ_CHECK(reused.GetRoot() == nullptr && reused.FindElement("Result") == nullptr);
    return 0;
}
