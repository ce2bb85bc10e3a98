// Arbitrary portal replies (and report server answers) through a publishing run that talks to a
// scripted portal connection, security library and report server. Each input picks a scenario:
// judging one reply, describing a known NewsItem, republishing it (the report URL taken from the
// described item and split into gateway and content), or a whole first publication (portal
// address from the report server's settings, NewsBox list and search, create, publish, set
// properties), or building the wizard's NewsBox tree from a NewsBox list. The run must end with a result and, on failure, an error text, never worse.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/targets/ByteScript.h"
#include "fuzz/targets/FuzzSupport.h"
#include "portal/PortalPublisher.h"
#include "portal/xml/CXMLMemorySource.h"
#ifdef BRINDLE_FUZZ_NEWSBOX_TREE
#include "platform/ui/CTreeCtrl.h"
#include "portal/wizard/NewsBoxTree.h"
#endif

using namespace brindle::portal;

namespace {

// A text as the outside libraries hand them over: NUL-terminated.
std::string takeText(fuzzing::ByteScript& input, std::size_t most) {
    std::string text = input.ConsumeRandomLengthString(most);
    return text.substr(0, text.find('\0'));
}

// Copies text into a caller's buffer of capacity bytes, NUL included, cut to fit.
void copyInto(const std::string& text, char* buffer, std::size_t capacity) {
    if (capacity == 0) return;
    const std::size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

// The portal library's contract: a reply that needs more than *size bytes with its NUL is cut to
// fit, *size gets its full length and the result is LC_MORE_DATA; the rest is fetched with
// ordinal 7 into a buffer of that length plus one.
constexpr int32_t kLogOnAnswers[] = {LC_TICKET_REFUSED, LC_NOT_SET_UP, LC_OK};

class ScriptedPortal : public PortalConnection {
public:
    explicit ScriptedPortal(fuzzing::ByteScript& input) : input_(input) {}

    int32_t SetUp(const char*, int32_t) override { return LC_OK; }
    int32_t LogOn(LC_HANDLE* handle, const char*) override {
        *handle = 7;
        return input_.ConsumeBool() ? LC_OK : input_.PickValueInArray(kLogOnAnswers);
    }
    int32_t Send(LC_HANDLE handle, const char* request, char* reply, uint32_t* size, const char*) override {
        FUZZ_CHECK(handle != 0 && request != nullptr && reply != nullptr && size != nullptr && *size > 0);
        (void)std::strlen(request);
        pending_ = takeText(input_, 1 << 15);
        if (pending_.size() + 1 > *size) {
            copyInto(pending_, reply, *size);
            *size = static_cast<uint32_t>(pending_.size());
            return LC_MORE_DATA;
        }
        copyInto(pending_, reply, *size);
        *size = static_cast<uint32_t>(pending_.size());
        return input_.ConsumeBool() ? LC_OK : input_.ConsumeIntegralInRange<int32_t>(2, 14);
    }
    int32_t LogOff(LC_HANDLE) override { return LC_OK; }
    int32_t ShutDown() override { return LC_OK; }
    int32_t FetchReply(LC_HANDLE, char* buffer, uint32_t* size) override {
        FUZZ_CHECK(*size >= pending_.size());
        copyInto(pending_, buffer, static_cast<std::size_t>(*size) + 1);
        return LC_OK;
    }

private:
    fuzzing::ByteScript& input_;
    std::string pending_;
};

class ScriptedSecurity : public SecurityLibrary {
public:
    explicit ScriptedSecurity(fuzzing::ByteScript& input) : input_(input) {}
    int32_t Init(uint32_t, uint32_t, SN_HANDLE* handle, uint32_t) override {
        *handle = 3;
        return SN_OK;
    }
    int32_t GetLastErrorMsg(char* buffer, int32_t capacity) override {
        copyInto("", buffer, static_cast<std::size_t>(capacity));
        return SN_OK;
    }
    int32_t GetDefaultNamespace(SN_HANDLE, char* buffer) override {
        copyInto("default", buffer, SN_NAMESPACE_BUFFER_SIZE);
        return SN_OK;
    }
    int32_t GetSessionLastErrorMsg(SN_HANDLE, char* buffer, int32_t capacity) override {
        copyInto("", buffer, static_cast<std::size_t>(capacity));
        return SN_OK;
    }
    int32_t AuthenticateUser(SN_HANDLE, const char*, const char*, const char*, int32_t, SN_LogonInfo*,
                             char* ticket) override {
        copyInto(takeText(input_, 300), ticket, SN_TICKET_BUFFER_SIZE);
        return input_.ConsumeBool() ? SN_OK : SN_LOGON_REFUSED;
    }

private:
    fuzzing::ByteScript& input_;
};

// The report server's two calls, answering within the capacities they are given.
class ScriptedReportServer : public ReportServer {
public:
    explicit ScriptedReportServer(fuzzing::ByteScript& input) : input_(input) {}
    int32_t GetLumoraServerInfo(const char*, char* url, int32_t urlCapacity, char* port, int32_t portCapacity) override {
        FUZZ_CHECK(urlCapacity > 0 && portCapacity > 0);
        copyInto(takeText(input_, 300), url, static_cast<std::size_t>(urlCapacity));
        copyInto(std::to_string(input_.ConsumeIntegral<int32_t>()), port, static_cast<std::size_t>(portCapacity));
        return input_.ConsumeBool() ? 0 : input_.ConsumeIntegral<int32_t>();
    }
    int32_t PublishReport(const char*, const char*, const char*, const char*, char* url, int32_t urlCapacity) override {
        FUZZ_CHECK(urlCapacity > 0);
        (void)std::strlen(url);
        if (input_.ConsumeBool()) copyInto(takeText(input_, 300), url, static_cast<std::size_t>(urlCapacity));
        return input_.ConsumeBool() ? 0 : input_.ConsumeIntegralInRange<int32_t>(1, 1102);
    }

private:
    fuzzing::ByteScript& input_;
};

unsigned char saveReport(std::uint32_t, CString* reportPath, CPromptProperties*, std::uint32_t) {
    *reportPath = "/tmp/report.xml";
    return 1;
}

std::unique_ptr<PortalPublisher> makePublisher(fuzzing::ByteScript& input) {
    PortalServices services;
    services.security = std::make_unique<ScriptedSecurity>(input);
    services.portal = std::make_unique<ScriptedPortal>(input);
    services.reportServer = std::make_unique<ScriptedReportServer>(input);
    auto publisher = std::make_unique<PortalPublisher>(saveReport, 0, nullptr, nullptr, std::move(services));
    publisher->m_strUserName = "user";
    publisher->m_strPassword = "secret";
    publisher->m_strReportServer = "127.0.0.1:1";
    return publisher;
}

// A connected run with a ticket, as after Open.
void connect(PortalPublisher& publisher) {
    publisher.m_hPortal = 7;
    publisher.m_strTicket = "ticket";
    publisher.m_bCreateNew = 0;
}

void judgeOneReply(fuzzing::ByteScript& input) {
    auto publisher = makePublisher(input);
    const std::string reply = takeText(input, 1 << 14);
    CXMLMemorySource source;
    source.SetText(reply);
    CXMLDocument document;
    document.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
    document.Parse(source);
    CString error("untouched");
    const bool success = publisher->CheckResult(document, error);
    const CXMLElement* result = document.FindElement("Result.Standard_Result");
    const CXMLAttribute* code = result ? result->FindAttribute("ResultCode") : nullptr;
    FUZZ_CHECK(success == (code != nullptr && CString(code->GetValue()).CompareNoCase("Success") == 0));
    if (!code) FUZZ_CHECK(error == "untouched");
}

void describeKnownItem(fuzzing::ByteScript& input) {
    auto publisher = makePublisher(input);
    connect(*publisher);
    publisher->m_strNewsItemId = "42";
    CString name, description;
    if (publisher->FillNewsItemFields(name, description)) FUZZ_CHECK(publisher->m_strExistingName == name);
}

void republish(fuzzing::ByteScript& input) {
    auto publisher = makePublisher(input);
    connect(*publisher);
    publisher->m_strNewsItemId = "42";
    publisher->m_strDescription = takeText(input, 64).c_str();
    CString error;
    publisher->Republish(error);
}

void firstPublication(fuzzing::ByteScript& input) {
    auto publisher = makePublisher(input);
    publisher->m_strNewsItemName = takeText(input, 64).c_str();
    publisher->m_strNewsBoxName = takeText(input, 64).c_str();
    if (input.ConsumeBool()) publisher->m_strTicket = "ticket";
    CString error;
    const bool published = publisher->Publish(error);
    if (published) FUZZ_CHECK(!publisher->m_strNewsItemId.IsEmpty());
    publisher->ClosePortal();
    FUZZ_CHECK(publisher->m_hPortal == 0);
}

#ifdef BRINDLE_FUZZ_NEWSBOX_TREE
// The wizard's NewsBox tree built from a NewsBox list reply: every NewsBox with a full name
// beginning with "/" and an Id gets an item, more paths can be added, and closing the portal empties
// the tree.
void buildNewsBoxTree(fuzzing::ByteScript& input) {
    auto publisher = makePublisher(input);
    connect(*publisher);
    CXMLMemorySource source;
    source.SetText(takeText(input, 1 << 14));
    publisher->m_newsBoxes.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
    publisher->m_newsBoxes.Parse(source);
    if (input.ConsumeBool()) {
        publisher->m_strNewsItemId = "42";
        publisher->m_strExistingNewsBoxId = takeText(input, 32).c_str();
    }
    CTreeCtrl tree;
    brindle::wizard::NewsBoxTree& state = brindle::wizard::NewsBoxTree::Of(*publisher);
    state.SetTreeControl(&tree);
    const CXMLElement* first = publisher->m_newsBoxes.FindElement("Result.NewsBox");
    FUZZ_CHECK(state.FillNewsBoxTree(*publisher) == (first != nullptr));
    for (const CXMLElement* box = first; box; box = box->FindNextSibling("NewsBox")) {
        const CXMLElement* name = box->FindChild("FullName");
        const CXMLElement* id = box->FindChild("Id");
        if (name && id && !name->GetValue().empty() && name->GetValue()[0] == '/')
            FUZZ_CHECK(state.FindNewsBoxItem(CString(id->GetValue())) != nullptr);
    }
    for (int i = 0; i < 4 && input.remaining_bytes() > 0; ++i) {
        const CString path(takeText(input, 128).c_str());
        HTREEITEM item = state.FindOrCreatePathItem(path);
        // Levels hang from the root, so only a path that begins with "/" has an item.
        FUZZ_CHECK((item != nullptr) == (!path.IsEmpty() && path.GetString()[0] == '/'));
        if (item) FUZZ_CHECK(state.FindOrCreatePathItem(path) == item);
    }
    publisher->ClosePortal();
    FUZZ_CHECK(tree.GetCount() == 0);
    state.SetTreeControl(nullptr);
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::ByteScript input(data, size);
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:
        judgeOneReply(input);
        break;
    case 1:
        describeKnownItem(input);
        break;
    case 2:
        republish(input);
        break;
    case 3:
        firstPublication(input);
        break;
    default:
#ifdef BRINDLE_FUZZ_NEWSBOX_TREE
        buildNewsBoxTree(input);
#endif
        break;
    }
    return 0;
}
