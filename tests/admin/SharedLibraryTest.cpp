// A host of libbradm.so: loads the library, calls its functions by name and catches the
// exceptions it raises by their types.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "AdminTestSupport.h"
#include "common/AttributeTreeException.h"
#include "common/CBRWebIOStreamException.h"
#include "common/CEndofStreamException.h"

namespace admin_test {
namespace {

std::string sharedLibraryPath() {
    if (const char* build = std::getenv("BRINDLE_BUILD_DIR")) {
        return std::string(build) + "/lib/libbradm.so";
    }
    char self[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string bin = length > 0 ? std::string(self, static_cast<std::size_t>(length)) : "./x";
    bin.erase(bin.rfind('/'));
    return bin + "/../lib/libbradm.so";
}

class SharedLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        handle_ = ::dlopen(sharedLibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << ::dlerror();
    }
    void TearDown() override {
        if (handle_) ::dlclose(handle_);
    }
    template <typename Function>
    Function* function(const char* name) {
        return reinterpret_cast<Function*>(::dlsym(handle_, name));
    }

    void* handle_ = nullptr;
};

TEST_F(SharedLibraryTest, TransportFailureIsCaughtByItsType) {
    auto* publish = function<decltype(besPublishReport)>("besPublishReport");
    ASSERT_NE(publish, nullptr);
    FakeReportServer server({{ScriptedReply::closeAtOnce()}});
    char url[8] = "";
    try {
        publish(server.address().c_str(), "n", "d", "/r.brx", url, sizeof url);
        ADD_FAILURE() << "no exception";
    } catch (const CEndofStreamException& e) {
        EXPECT_EQ(e.code, 0);
        EXPECT_EQ(e.systemError, 1055);
    }
}

TEST_F(SharedLibraryTest, MissingReplyFieldIsCaughtByItsType) {
    auto* login = function<decltype(besLogin)>("besLogin");
    auto* logout = function<decltype(besLogout)>("besLogout");
    auto* list = function<decltype(besList)>("besList");
    ASSERT_TRUE(login && logout && list);
    FakeReportServer server({{openLogin(), reply(object("1"))}});
    ASSERT_EQ(login(server.address().c_str(), "pw"), 0);
    AttributeTree tree;
    EXPECT_THROW(list("/f", &tree), NodeNotFoundException);
    EXPECT_THROW(list("/f", &tree), CBRWebIOStreamException);  // unscripted: the server closes
    logout();
}

}  // namespace
}  // namespace admin_test
