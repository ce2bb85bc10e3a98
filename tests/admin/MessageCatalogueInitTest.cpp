#include <gtest/gtest.h>

#include "brindle/bradm.h"
#include "common/CatalogueEntry.h"
#include "platform/external/bradmtoolMsg.h"

namespace {

// The message library of the build is found on the library search path (LD_LIBRARY_PATH is the
// build's lib/ folder under CTest).
TEST(MessageCatalogueInit, LoadsTheMessageLibraryOnceAndKeepsItsEntry) {
    CatalogueEntry* first = besMsgInitialize();
    ASSERT_NE(first, nullptr) << "libbradmtoolMsg.so not on the library search path";
    ASSERT_NE(first->module, nullptr);
    ASSERT_NE(first->getMessage, nullptr);
    EXPECT_EQ(besMsgInitialize(), first);
    const auto getMessage = reinterpret_cast<BrwebGetMessageFn>(first->getMessage);
    EXPECT_NE(getMessage(1102), nullptr);
}

}  // namespace
