#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "AdminTestSupport.h"
#include "admin/CurrentSession.h"
#include "common/AttributeTreeException.h"
#include "common/CBRWebIOStreamException.h"

namespace admin_test {
namespace {

class ObjectAdministrationTest : public AdminTest {
protected:
    // Logs in to a server that then answers replies in turn; run the calls, then stop() and look
    // at requests() (the login's pre-login request is left out).
    void start(FakeReportServer::ConnectionScript replies) {
        replies.insert(replies.begin(), openLogin());
        server_ = std::make_unique<FakeReportServer>(
            std::vector<FakeReportServer::ConnectionScript>{std::move(replies)});
        logIn(*server_);
    }
    const std::vector<RecordedRequest>& requests() {
        server_->stop();
        requests_.assign(server_->connection(0).requests.begin() + 1,
                         server_->connection(0).requests.end());
        return requests_;
    }

    std::unique_ptr<FakeReportServer> server_;
    std::vector<RecordedRequest> requests_;
};

void expectGetObject(const RecordedRequest& request, const char* object, int depth, int thumbnail) {
    EXPECT_EQ(request.header.getInteger("MessageType"), 4);
    EXPECT_EQ(typeOf(request), 100);
    EXPECT_EQ(request.data.getText("object"), object);
    EXPECT_EQ(request.data.getInteger("depth"), depth);
    EXPECT_EQ(request.data.getInteger("thumbnail"), thumbnail);
    EXPECT_EQ(request.data.childCount(), 4u);
}

// The revision-guarded updates, each called on "/r".
struct Update {
    const char* name;
    std::function<std::int32_t()> call;
};

std::vector<Update> updates() {
    static AttributeTree properties = [] {
        AttributeTree tree;
        tree.setText("Name", "renamed");
        return tree;
    }();
    return {
        {"besSetProperties", [] { return besSetProperties("/r", &properties); }},
        {"besResetProperties", [] { return besResetProperties("/r", &properties); }},
        {"besResetBelow", [] { return besResetBelow("/r", &properties); }},
        {"besRemovePath", [] { return besRemovePath("/r", 5); }},
        {"besAppendMR", [] { return besAppendMR("/r", "//host/a"); }},
        {"besRemoveMR", [] { return besRemoveMR("/r", "//host/a"); }},
        {"besEnableObject", [] { return besEnableObject("/r", "enable"); }},
    };
}

TEST_F(ObjectAdministrationTest, UpdateWithoutUsableRevisionGives1102AfterOneExchange) {
    AttributeTree revisionAsInteger = object(nullptr);
    revisionAsInteger.setInteger("Revision", 4);
    const struct {
        const char* name;
        ScriptedReply answer;
    } objects[] = {
        {"empty Revision", reply(object(""))},
        {"no Revision", reply(object(nullptr))},
        {"Revision not a text", reply(revisionAsInteger)},
        {"data is a leaf document", ScriptedReply::leafData(TextAttribute("7"))},
    };
    for (const Update& update : updates()) {
        for (const auto& o : objects) {
            SCOPED_TRACE(std::string(update.name) + ", " + o.name);
            start({o.answer});
            EXPECT_EQ(update.call(), 1102);
            EXPECT_NE(CurrentSession::get(), nullptr);
            const auto& sent = requests();
            ASSERT_EQ(sent.size(), 1u);
            expectGetObject(sent[0], "/r", -1, 0);
        }
    }
}

TEST_F(ObjectAdministrationTest, UpdateStopsAtAServerCodeOnTheRead) {
    for (const Update& update : updates()) {
        SCOPED_TRACE(update.name);
        start({errorReply(404)});
        EXPECT_EQ(update.call(), 404);
        EXPECT_EQ(requests().size(), 1u);
    }
}

TEST_F(ObjectAdministrationTest, UpdateReturnsTheServerCodeOfTheWrite) {
    for (const Update& update : updates()) {
        SCOPED_TRACE(update.name);
        start({reply(object("12")), errorReply(409)});
        EXPECT_EQ(update.call(), 409);
        const auto& sent = requests();
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[1].data.getText("revision"), "12");
        EXPECT_EQ(sent[1].data.getText("object"), "/r");
    }
}

TEST_F(ObjectAdministrationTest, SetPropertiesMergesAndWritesSelectively) {
    AttributeTree current = object("12");
    current.setText("Description", "unchanged");        // isSet 0 on the wire: not written back
    current.setText("Owner", "ann")->setIsSet(1);        // the server marked it set: written back
    current.setInteger("Size", 10);
    current.setText("~hidden", "h")->setIsSet(1);
    current.setText("Sub.Deep", "x");                   // a branch with only an unset leaf
    start({reply(current), errorReply(0)});
    AttributeTree properties;
    properties.setText("Name", "renamed");
    properties.setText("Size", "42");
    properties.setInteger("Pages", 3);
    properties.setText("Sub.New", "n");
    EXPECT_EQ(besSetProperties("/r", &properties), 0);
    const auto& sent = requests();
    ASSERT_EQ(sent.size(), 2u);
    const RecordedRequest& write = sent[1];
    EXPECT_EQ(write.header.getInteger("MessageType"), 4);
    EXPECT_EQ(typeOf(write), 101);
    EXPECT_EQ(write.data.getText("object"), "/r");
    EXPECT_EQ(write.data.getText("revision"), "12");
    const AttributeTree* value = write.data.getBranch("value");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->getText("Name"), "renamed");
    EXPECT_EQ(value->getInteger("Size"), 42);
    EXPECT_EQ(value->getInteger("Pages"), 3);
    EXPECT_EQ(value->getText("Owner"), "ann");
    EXPECT_EQ(value->getText("~hidden"), "h");
    EXPECT_EQ(value->getText("Sub.New"), "n");
    EXPECT_EQ(value->findText("Description"), nullptr);
    EXPECT_EQ(value->findText("Revision"), nullptr);  // unset in the reply, so not written
    EXPECT_EQ(value->findText("Sub.Deep"), nullptr);
    // Every leaf that went out carries isSet 1 on the wire.
    EXPECT_EQ(value->find("Name")->isSet(), 1);
    EXPECT_EQ(write.data.find("object")->isSet(), 1);
    EXPECT_EQ(write.data.find("type")->isSet(), 1);
    EXPECT_EQ(write.data.find("revision")->isSet(), 1);
    // The caller's tree is unchanged.
    EXPECT_EQ(properties.getText("Size"), "42");
    EXPECT_EQ(properties.find("Name")->isSet(), 0);
}

// The revision is read from the working value after the change: a "Revision" merged in by the
// caller is the one the write carries, even where the object's own was empty.
TEST_F(ObjectAdministrationTest, SetPropertiesWritesUnderTheRevisionOfTheMergedValue) {
    start({reply(object("")), errorReply(0)});
    AttributeTree properties;
    properties.setText("Revision", "5");
    EXPECT_EQ(besSetProperties("/r", &properties), 0);
    const auto& sent = requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].data.getText("revision"), "5");
    EXPECT_EQ(sent[1].data.getText("value.Revision"), "5");
}

// A binary value under the empty name cannot be merged (the branch itself would become a leaf):
// the failure reaches the caller after the read and nothing is written.
TEST_F(ObjectAdministrationTest, SetPropertiesWithABinaryUnderTheEmptyNameWritesNothing) {
    start({reply(object("12")), errorReply(0)});
    AttributeTree properties;
    properties.adopt("", std::make_unique<BinaryAttribute>(2, "xy"));
    EXPECT_THROW(besSetProperties("/r", &properties), CantAlterShapeException);
    EXPECT_NE(CurrentSession::get(), nullptr);
    EXPECT_EQ(requests().size(), 1u);
}

TEST_F(ObjectAdministrationTest, SetObjectSendsEveryBranchButNoUnsetLeaf) {
    AttributeTree value;
    value.setText("Revision", "3")->setIsSet(1);
    value.setText("Kept", "k")->setIsSet(1);
    value.setText("Dropped", "d");
    value.setInteger("DroppedNumber", 9);
    value.setText("Empty.Branch.Leaf", "unset");
    value.setBinary("Blob", 3, "abc");
    start({reply(object("3")), errorReply(0)});
    EXPECT_EQ(besResetProperties("/r", &value), 0);
    const auto& sent = requests();
    ASSERT_EQ(sent.size(), 2u);
    const AttributeTree* written = sent[1].data.getBranch("value");
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->getText("Kept"), "k");
    EXPECT_EQ(written->getText("Revision"), "3");
    EXPECT_EQ(written->findText("Dropped"), nullptr);
    EXPECT_EQ(written->getInteger("DroppedNumber", -1), -1);
    ASSERT_NE(written->getBranch("Empty.Branch"), nullptr);
    EXPECT_EQ(written->getBranch("Empty.Branch")->childCount(), 0u);
    EXPECT_NE(written->getBranch("Empty"), nullptr);
    EXPECT_EQ(written->find("Blob")->kind(), NodeKind::Binary);
    // The object's own value only served to learn the revision.
    EXPECT_EQ(written->findText("Name"), nullptr);
}

TEST_F(ObjectAdministrationTest, RemovePathEmptiesPath) {
    AttributeTree current = object("5");
    current.setText("Path", "/old/place");
    start({reply(current), errorReply(0)});
    EXPECT_EQ(besRemovePath("/r", 123), 0);
    const auto& sent = requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].data.getText("value.Path"), "");
    EXPECT_EQ(sent[1].data.find("value.Path")->isSet(), 1);
}

struct MirrorCase {
    const char* name;
    bool append;
    const char* existing;  // null: no "Mirrors"
    const char* references;
    const char* written;
};

TEST_F(ObjectAdministrationTest, MirrorListChanges) {
    const MirrorCase cases[] = {
        {"short pieces re-joined in set order", true, "lpwq://b;lpwq://a", "ab;cd",
         "lpwq://a;lpwq://b"},
        {"slashes added to the reference", true, "", "//host/a", "lpwq://host/a"},
        {"slashes not doubled", true, nullptr, "host/a", "lpwq://host/a"},
        {"equal ignoring case keeps the present one", true, "lpwq://host/a", "//HOST/A",
         "lpwq://host/a"},
        {"ordered after the first colon", true, "lpwq://b", "//a12", "lpwq://a12;lpwq://b"},
        {"several pieces, empty ones skipped", true, "lpwq://m", ";//z1234;;//a1234;",
         "lpwq://a1234;lpwq://m;lpwq://z1234"},
        {"five bytes are appended", true, "", "abcde", "lpwq://abcde"},
        {"null references add nothing", true, "lpwq://b;lpwq://a", nullptr, "lpwq://a;lpwq://b"},
        {"removed whatever its case", false, "lpwq://HOST/A;lpwq://b", "//host/a", "lpwq://b"},
        {"four bytes remove nothing", false, "lpwq://abcd", "abcd", "lpwq://abcd"},
        {"five bytes remove nothing", false, "lpwq://abcde", "abcde", "lpwq://abcde"},
        {"six bytes remove nothing", false, "lpwq://abcdef", "abcdef", "lpwq://abcdef"},
        {"seven bytes are removed", false, "lpwq://abcdefg;lpwq://z", "abcdefg", "lpwq://z"},
        {"entry without colon compared whole", false, "//host/a;lpwq://c", "//host/a",
         "lpwq://c"},
        {"absent reference changes nothing", false, "lpwq://c", "//host/a", "lpwq://c"},
        {"last one removed", false, "lpwq://host/a", "//host/a", ""},
    };
    for (const MirrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        AttributeTree current = object("8");
        if (c.existing) current.setText("Mirrors", c.existing);
        start({reply(current), errorReply(0)});
        EXPECT_EQ(c.append ? besAppendMR("/r", c.references) : besRemoveMR("/r", c.references), 0);
        const auto& sent = requests();
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[1].data.getText("value.Mirrors"), c.written);
        EXPECT_EQ(sent[1].data.find("value.Mirrors")->isSet(), 1);
    }
}

TEST_F(ObjectAdministrationTest, EnableObjectSendsTheCommandNumberUnderTheRevision) {
    const struct {
        const char* word;
        int command;
    } cases[] = {{"enable", 1}, {"Enable", 1}, {"ENABLE", 1}, {"disable", 2},
                 {"Disable", 2}, {"kill", 3},  {"KiLL", 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        start({reply(object("21")), errorReply(0)});
        EXPECT_EQ(besEnableObject("/r", c.word), 0);
        const auto& sent = requests();
        ASSERT_EQ(sent.size(), 2u);
        expectGetObject(sent[0], "/r", -1, 0);
        const AttributeTree& data = sent[1].data;
        EXPECT_EQ(typeOf(sent[1]), 106);
        EXPECT_EQ(data.getText("object"), "/r");
        EXPECT_EQ(data.getText("revision"), "21");
        EXPECT_EQ(data.find("revision")->isSet(), 1);
        EXPECT_EQ(data.find("object")->isSet(), 0);
        EXPECT_EQ(data.getInteger("command"), c.command);
        EXPECT_EQ(data.childCount(), 4u);
    }
}

TEST_F(ObjectAdministrationTest, EnableObjectRefusesOtherWordsWithoutSending) {
    for (const char* word : {"start", "", "ENABLED", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(word ? word : "(null)");
        start({});
        EXPECT_EQ(besEnableObject("/r", word), 3);
        EXPECT_TRUE(requests().empty());
    }
}

TEST_F(ObjectAdministrationTest, GetPropertiesWithEmptyTreeTakesTheWholeDescription) {
    AttributeTree current = object("2");
    current.setText("~hidden", "h");
    current.setInteger("Sub.Count", 4);
    start({reply(current)});
    AttributeTree tree;
    EXPECT_EQ(besGetProperties("/r", 2, 1, &tree), 0);
    EXPECT_EQ(tree.getText("Revision"), "2");
    EXPECT_EQ(tree.getText("Name"), "sales");
    EXPECT_EQ(tree.getText("~hidden"), "h");
    EXPECT_EQ(tree.getInteger("Sub.Count"), 4);
    EXPECT_EQ(tree.childCount(), current.childCount());
    const auto& sent = requests();
    ASSERT_EQ(sent.size(), 1u);
    expectGetObject(sent[0], "/r", 2, 1);
}

TEST_F(ObjectAdministrationTest, GetPropertiesWithQueryTreeFillsOnlyItsLeaves) {
    AttributeTree current = object("2");
    current.setInteger("Size", 77);
    start({reply(current)});
    AttributeTree query;
    query.setText("Name", "?");
    query.setText("Size", "?");
    query.setText("Missing", "keep");
    query.setText("Deeper.Leaf", "keep too");
    EXPECT_EQ(besGetProperties("/r", -1, 0, &query), 0);
    EXPECT_EQ(query.getText("Name"), "sales");
    EXPECT_EQ(query.find("Name")->isSet(), 1);
    EXPECT_EQ(query.getText("Size"), "77");
    EXPECT_EQ(query.getText("Missing"), "keep");
    EXPECT_EQ(query.find("Missing")->isSet(), 0);
    EXPECT_EQ(query.getText("Deeper.Leaf"), "keep too");
    EXPECT_EQ(query.childCount(), 4u);
    EXPECT_EQ(query.findText("Revision"), nullptr);
}

TEST_F(ObjectAdministrationTest, GetPropertiesLeavesTheTreeOnAServerCode) {
    start({errorReply(44)});
    AttributeTree tree;
    tree.setText("Name", "?");
    EXPECT_EQ(besGetProperties("/r", -1, 0, &tree), 44);
    EXPECT_EQ(tree.getText("Name"), "?");
    EXPECT_EQ(tree.find("Name")->isSet(), 0);
}

TEST_F(ObjectAdministrationTest, ListReplacesTheTreeByTheFolderContent) {
    AttributeTree folder = object("1");
    folder.setText("Content.a.Class", "Report");
    folder.setText("Content.b.Class", "Folder");
    start({reply(folder)});
    AttributeTree tree;
    tree.setText("stale", "x");
    EXPECT_EQ(besList("/f", &tree), 0);
    EXPECT_EQ(tree.childCount(), 2u);
    EXPECT_EQ(tree.getText("a.Class"), "Report");
    EXPECT_EQ(tree.getText("b.Class"), "Folder");
    const auto& sent = requests();
    ASSERT_EQ(sent.size(), 1u);
    expectGetObject(sent[0], "/f", -1, 1);
}

TEST_F(ObjectAdministrationTest, ListWithoutContentBranchRaisesNodeNotFound) {
    AttributeTree leafContent = object("1");
    leafContent.setText("Content", "not a folder");
    const struct {
        const char* name;
        ScriptedReply answer;
    } cases[] = {
        {"no Content", reply(object("1"))},
        {"Content is a leaf", reply(leafContent)},
        {"data is a leaf document", ScriptedReply::leafData(TextAttribute("x"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        start({c.answer});
        AttributeTree tree;
        tree.setText("kept", "x");
        EXPECT_THROW(besList("/f", &tree), NodeNotFoundException);
        EXPECT_EQ(tree.getText("kept"), "x");
        EXPECT_NE(CurrentSession::get(), nullptr);
        requests();
    }
}

TEST_F(ObjectAdministrationTest, ListPassesTheServerCode) {
    start({errorReply(3001)});
    AttributeTree tree;
    tree.setText("kept", "x");
    EXPECT_EQ(besList("/f", &tree), 3001);
    EXPECT_EQ(tree.childCount(), 1u);
}

TEST_F(ObjectAdministrationTest, CreateObjectSendsTheNameTwice) {
    start({errorReply(0)});
    EXPECT_EQ(besCreateObject("Report", "/f/new", nullptr, "C:/src.brx", "lpwq://m"), 0);
    const auto& sent = requests();
    ASSERT_EQ(sent.size(), 1u);
    const AttributeTree& data = sent[0].data;
    EXPECT_EQ(typeOf(sent[0]), 102);
    EXPECT_EQ(data.getText("object"), "/f/new");
    const AttributeTree* props = data.getBranch("props");
    ASSERT_NE(props, nullptr);
    const struct {
        const char* name;
        const char* value;
    } fields[] = {{"Name", "/f/new"},          {"Description", ""}, {"Class", "Report"},
                  {"LocalSource", "C:/src.brx"}, {"Mirrors", "lpwq://m"}, {"Lumora_URL", ""}};
    for (const auto& f : fields) {
        EXPECT_EQ(props->getText(f.name), f.value) << f.name;
        EXPECT_EQ(props->find(f.name)->isSet(), 1) << f.name;
    }
    EXPECT_EQ(props->childCount(), 6u);
    EXPECT_EQ(data.childCount(), 3u);
}

TEST_F(ObjectAdministrationTest, SingleRequestOperations) {
    const struct {
        const char* name;
        std::function<std::int32_t()> call;
        int type;
        const char* field;  // the field after "object", if any
        const char* text;
        int integer;
    } cases[] = {
        {"copy", [] { return besCopyObject("/r", "/copy"); }, 105, "newname", "/copy", 0},
        {"move", [] { return besMoveObject("/r", nullptr); }, 104, "newname", "", 0},
        {"remove object", [] { return besRemoveObject("/r"); }, 103, "recurse", nullptr, 0},
        {"remove folder", [] { return besRemoveFolder("/r"); }, 103, "recurse", nullptr, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        start({errorReply(0), errorReply(75)});
        EXPECT_EQ(c.call(), 0);
        EXPECT_EQ(c.call(), 75);
        const auto& sent = requests();
        ASSERT_EQ(sent.size(), 2u);
        const AttributeTree& data = sent[0].data;
        EXPECT_EQ(typeOf(sent[0]), c.type);
        EXPECT_EQ(data.getText("object"), "/r");
        if (c.text) {
            EXPECT_EQ(data.getText(c.field), c.text);
        } else {
            EXPECT_EQ(data.getInteger(c.field), c.integer);
        }
        EXPECT_EQ(data.childCount(), 3u);
    }
}

TEST_F(ObjectAdministrationTest, NullTreeIsAMissingArgument) {
    start({});
    EXPECT_EQ(besGetProperties("/r", -1, 0, nullptr), 3);
    EXPECT_EQ(besList("/r", nullptr), 3);
    EXPECT_EQ(besSetProperties("/r", nullptr), 3);
    EXPECT_EQ(besResetProperties("/r", nullptr), 3);
    EXPECT_TRUE(requests().empty());
}

TEST_F(ObjectAdministrationTest, TransportFailureReachesTheCallerAndKeepsTheSession) {
    start({ScriptedReply::closeAtOnce()});
    EXPECT_THROW(besRemoveObject("/r"), CBRWebIOStreamException);
    EXPECT_NE(CurrentSession::get(), nullptr);
    // The broken connection is noticed again by the next exchange.
    EXPECT_THROW(besRemoveObject("/r"), CBRWebIOStreamException);
    EXPECT_NE(CurrentSession::get(), nullptr);
}

}  // namespace
}  // namespace admin_test
