// The exported object administration functions. Each works over the current session's
// connection, which stays open, and returns 1 at once when there is no current session.
#include <string>

#include "admin/AdminSession.h"
#include "admin/CommandWord.h"
#include "admin/CurrentSession.h"
#include "admin/ExportedCall.h"
#include "admin/MirrorSet.h"
#include "admin/ReplyData.h"
#include "admin/RevisionGuardedUpdate.h"
#include "admin/ServerConnection.h"
#include "brindle/bradm.h"
#include "common/AttributeTreeFiller.h"
#include "common/AttributeTreeMerger.h"
#include "common/Tokenizer.h"

namespace {

// Shortest piece of a reference list that besAppendMR adds and besRemoveMR removes.
constexpr std::size_t ShortestAppendedReference = 5;
constexpr std::size_t ShortestRemovedReference = 7;

ServerConnection* currentConnection() {
    AdminSession* session = CurrentSession::get();
    return session ? session->connection() : nullptr;
}

void storeSetText(AttributeTree& tree, const char* path, const char* text) {
    tree.setText(path, text ? text : "")->setIsSet(1);
}

// Applies edit to the mirror set held in the working value's "Mirrors" for every piece of the
// caller's ";"-separated references at least shortest bytes long, then stores the list back.
template <typename Edit>
void editMirrors(AttributeTree& working, const char* references, std::size_t shortest,
                 Edit edit) {
    MirrorSet mirrors = MirrorSet::fromList(working.findText("Mirrors"));
    Tokenizer pieces(references, ";");
    while (pieces.hasMoreTokens()) {
        const std::string piece = pieces.nextToken();
        if (piece.size() >= shortest) edit(mirrors, MirrorSet::mirrorReference(piece));
    }
    storeSetText(working, "Mirrors", mirrors.join().c_str());
}

std::int32_t update(const char* objectPath, const RevisionGuardedUpdate::Change& change,
                    const AttributeTree* written = nullptr) {
    ServerConnection* connection = currentConnection();
    if (!connection) return LastErrorText::noSession();
    return RevisionGuardedUpdate(*connection, objectPath).run(change, written);
}

}  // namespace

extern "C" {

std::int32_t besCreateObject(const char* cls, const char* name, const char* description,
                             const char* localSource, const char* mirrors) {
    return ExportedCall::run([&]() -> std::int32_t {
        ServerConnection* connection = currentConnection();
        if (!connection) return LastErrorText::noSession();
        AttributeTree properties;
        storeSetText(properties, "Name", name);
        storeSetText(properties, "Description", description);
        storeSetText(properties, "Class", cls);
        storeSetText(properties, "LocalSource", localSource);
        storeSetText(properties, "Mirrors", mirrors);
        storeSetText(properties, "Lumora_URL", "");
        return connection->createObject(name, properties).ErrorCode;
    });
}

std::int32_t besGetProperties(const char* objectPath, std::int32_t depth, std::int32_t thumbnail,
                              AttributeTree* tree) {
    return ExportedCall::run([&]() -> std::int32_t {
        ServerConnection* connection = currentConnection();
        if (!connection) return LastErrorText::noSession();
        if (!tree) return AdminSession::MissingArgument;
        BRMessage& reply = connection->getObject(objectPath, depth, thumbnail);
        if (reply.ErrorCode != 0) return reply.ErrorCode;
        const AttributeTree& description = replyData(reply);
        if (tree->childCount() == 0) {
            tree->assign(description);
        } else {
            AttributeTreeFiller filler(description);  // reads the reply, never changes it
            tree->accept(filler, "", -1);
        }
        return AdminSession::Success;
    });
}

std::int32_t besList(const char* objectPath, AttributeTree* tree) {
    return ExportedCall::run([&]() -> std::int32_t {
        ServerConnection* connection = currentConnection();
        if (!connection) return LastErrorText::noSession();
        if (!tree) return AdminSession::MissingArgument;
        BRMessage& reply = connection->getObject(objectPath, -1, 1);
        if (reply.ErrorCode != 0) return reply.ErrorCode;
        const AttributeTree* content = replyData(reply).getBranch("Content");
        if (!content) throw NodeNotFoundException();  // a leaf "Content" is no folder content
        tree->assign(*content);
        return AdminSession::Success;
    });
}

std::int32_t besSetProperties(const char* objectPath, const AttributeTree* properties) {
    return ExportedCall::run([&]() -> std::int32_t {
        if (!currentConnection()) return LastErrorText::noSession();
        if (!properties) return AdminSession::MissingArgument;
        return update(objectPath, [properties](AttributeTree& working) {
            AttributeTreeMerger merger(working, 1);
            // The merger only reads the visited tree; visiting needs a modifiable node.
            merger.visit(const_cast<AttributeTree&>(*properties), nullptr);
        });
    });
}

std::int32_t besResetProperties(const char* objectPath, const AttributeTree* value) {
    return ExportedCall::run([&]() -> std::int32_t {
        if (!currentConnection()) return LastErrorText::noSession();
        if (!value) return AdminSession::MissingArgument;
        return update(objectPath, nullptr, value);
    });
}

__attribute__((alias("besResetProperties"))) std::int32_t besResetBelow(
    const char* objectPath, const AttributeTree* value);

std::int32_t besRemovePath(const char* objectPath, std::int32_t) {
    return ExportedCall::run([&]() -> std::int32_t {
        return update(objectPath,
                      [](AttributeTree& working) { storeSetText(working, "Path", ""); });
    });
}

std::int32_t besAppendMR(const char* objectPath, const char* references) {
    return ExportedCall::run([&]() -> std::int32_t {
        return update(objectPath, [references](AttributeTree& working) {
            editMirrors(working, references, ShortestAppendedReference,
                        [](MirrorSet& set, const std::string& reference) { set.insert(reference); });
        });
    });
}

std::int32_t besRemoveMR(const char* objectPath, const char* references) {
    return ExportedCall::run([&]() -> std::int32_t {
        return update(objectPath, [references](AttributeTree& working) {
            editMirrors(working, references, ShortestRemovedReference,
                        [](MirrorSet& set, const std::string& reference) { set.erase(reference); });
        });
    });
}

std::int32_t besEnableObject(const char* objectPath, const char* word) {
    return ExportedCall::run([&]() -> std::int32_t {
        ServerConnection* connection = currentConnection();
        if (!connection) return LastErrorText::noSession();
        const std::int32_t command = CommandWord::number(word);
        if (command == CommandWord::None) return AdminSession::MissingArgument;
        RevisionGuardedUpdate object(*connection, objectPath);
        const std::int32_t readResult = object.read();
        if (readResult != AdminSession::Success) return readResult;
        std::string revision;
        if (!object.revision(revision)) return AdminSession::NoRevision;
        return connection->commandObject(objectPath, revision.c_str(), command).ErrorCode;
    });
}

std::int32_t besCopyObject(const char* objectPath, const char* newName) {
    return ExportedCall::run([&]() -> std::int32_t {
        ServerConnection* connection = currentConnection();
        if (!connection) return LastErrorText::noSession();
        return connection->copyObject(objectPath, newName).ErrorCode;
    });
}

std::int32_t besMoveObject(const char* objectPath, const char* newName) {
    return ExportedCall::run([&]() -> std::int32_t {
        ServerConnection* connection = currentConnection();
        if (!connection) return LastErrorText::noSession();
        return connection->moveObject(objectPath, newName).ErrorCode;
    });
}

std::int32_t besRemoveObject(const char* objectPath) {
    return ExportedCall::run([&]() -> std::int32_t {
        ServerConnection* connection = currentConnection();
        if (!connection) return LastErrorText::noSession();
        return connection->removeObject(objectPath, 0).ErrorCode;
    });
}

std::int32_t besRemoveFolder(const char* objectPath) {
    return ExportedCall::run([&]() -> std::int32_t {
        ServerConnection* connection = currentConnection();
        if (!connection) return LastErrorText::noSession();
        return connection->removeObject(objectPath, 1).ErrorCode;
    });
}

}  // extern "C"
