// Arbitrary bytes as the server's reply to a request. receive either raises (a transport failure,
// or a header without its five values) or fills the message; either way the message must stay
// usable, and its reply is then read the way the operations read it: the getters of the login,
// publishing and object replies, the mirror list, clone, merge, fill, and the next request built
// on the same message and sent into memory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/AttributeTreeFiller.h"
#include "common/AttributeTreeMerger.h"
#include "common/BRMessage.h"
#include "common/CBRWebException.h"
#include "common/Tokenizer.h"
#include "fuzz/targets/FuzzSupport.h"

namespace {

void prepareRequest(BRMessage& message) {
    message.clear();
    message.Agent = "BRWebServer";
    message.MessageType = 4;
    AttributeTree& data = *message.dataBranch();
    data.setInteger("type", 100);
    data.setText("object", "/");
    data.setInteger("depth", -1);
    data.setInteger("thumbnail", 0);
}

// What the login, the publish functions and besGetLumoraServerInfo read.
void readScalarFields(const AttributeTree& data) {
    try {
        (void)data.getText("Mode");
        (void)data.getInteger("Secured");
        (void)data.getText("ServerNamespace");
        (void)data.getText("ACL");
    } catch (const AttributeTreeException&) {
    }
    (void)data.getInteger("permission", 0);
    for (const char* name : {"URL", "gateway", "content", "Revision", "FLD.Publish.Lumora_url"}) {
        if (const char* text = data.findText(name)) (void)std::strlen(text);
    }
    (void)std::to_string(data.getInteger("FLD.Publish.Lumora_port", 0));
    try {
        (void)data.getIntegerValue("FLD.Publish.Lumora_port");
    } catch (const AttributeTreeException&) {
    }
}

// The mirror list of besAppendMR and besRemoveMR: pieces between ";".
void readMirrorList(const AttributeTree& data) {
    const char* list = data.findText("Mirrors");
    Tokenizer pieces(list, ";");
    std::size_t total = 0;
    while (pieces.hasMoreTokens()) {
        const char* piece = pieces.nextToken();
        FUZZ_CHECK(*piece != '\0');
        total += std::strlen(piece);
    }
    FUZZ_CHECK(!list || total <= std::strlen(list));
}

// besGetProperties, besList, besSetProperties and the revision-guarded update.
void readObjectReply(const AttributeTree& data) {
    AttributeTree working;
    working.assign(data);  // deep copy, hidden children included
    FUZZ_CHECK(fuzzing::sameOnWire(working, data));

    AttributeTree query;
    query.setText("Name", "");
    query.setInteger("Revision", 0);
    query.setText("FLD.Publish.Lumora_url", "");
    query.setInteger("FLD.Publish.Lumora_port", 0);
    AttributeTreeFiller filler(working);
    query.accept(filler, "", -1);

    AttributeTree properties;
    properties.setText("Description", "changed");
    properties.setInteger("Priority", 3);
    properties.setText("FLD.Publish.Lumora_url", "http://portal/");
    try {
        AttributeTreeMerger merger(working, 1);
        merger.visit(properties, nullptr, -1);
    } catch (const AttributeTreeException&) {
    }
    working.setText("Path", "", nullptr)->setIsSet(1);

    try {
        if (const AttributeTree* content = data.getBranch("Content")) {
            AttributeTree listed;
            listed.assign(*content);
        }
    } catch (const AttributeTreeException&) {
    }

    std::unique_ptr<AttributeNode> copy = data.clone(1, -1);
    FUZZ_CHECK(fuzzing::sameOnWire(*copy, data));
    (void)data.clone(0, 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    BRMessage message;
    prepareRequest(message);
    CMemoryStream first;
    message.send(first, 0);  // the request goes out before the reply comes back

    CMemoryStream reply(bytes, size);
    bool complete = false;
    try {
        message.receive(reply);
        complete = true;
    } catch (const CBRWebException&) {
    } catch (const NodeNotFoundException&) {
    }

    // Whatever happened, the message is still a message.
    AttributeTree& header = message.header();
    FUZZ_CHECK(header.kind() == NodeKind::Branch);
    if (complete) {
        FUZZ_CHECK(message.ErrorCode == header.getInteger("ErrorCode"));
        FUZZ_CHECK(message.Agent == header.getText("Agent"));
    }
    if (AttributeTree* data = message.dataBranch()) {
        readScalarFields(*data);
        readMirrorList(*data);
        readObjectReply(*data);
    } else {
        FUZZ_CHECK(message.data().kind() != NodeKind::Branch);
    }

    // The next request on the same message carries the reply's header values and nothing else
    // of it: its header has exactly the five leaves.
    const std::int32_t errorCode = message.ErrorCode;
    const std::string descriptor = message.SecurityDescriptor;
    prepareRequest(message);
    for (int selective = 0; selective <= 1; ++selective) {
        CMemoryStream out;
        message.send(out, selective);
        FastTreeStreamer streamer;
        std::unique_ptr<AttributeNode> head = streamer.readTree(out);
        std::unique_ptr<AttributeNode> body = streamer.readTree(out);
        FUZZ_CHECK(out.remaining() == 0);
        FUZZ_CHECK(head->kind() == NodeKind::Branch && body->kind() == NodeKind::Branch);
        const auto& sentHeader = static_cast<const AttributeTree&>(*head);
        FUZZ_CHECK(sentHeader.childCount() == 5);
        FUZZ_CHECK(sentHeader.getInteger("ErrorCode") == errorCode);
        FUZZ_CHECK(sentHeader.getText("SecurityDescriptor") == descriptor.substr(0, descriptor.find('\0')));
    }
    return 0;
}
