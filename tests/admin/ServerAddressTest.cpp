#include <gtest/gtest.h>

#include <ostream>

#include "admin/ServerAddress.h"

namespace {

struct AddressCase {
    const char* text;
    const char* host;
    int port;  // -1: no usable port
};

// Names the case by its text in test listings.
void PrintTo(const AddressCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class ServerAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(ServerAddressTest, SplitsHostAndPort) {
    const AddressCase& c = GetParam();
    const ServerAddress address(c.text);
    EXPECT_EQ(address.host(), c.host);
    if (c.port < 0) {
        EXPECT_FALSE(address.hasValidPort());
    } else {
        ASSERT_TRUE(address.hasValidPort());
        EXPECT_EQ(address.port(), c.port);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, ServerAddressTest,
    ::testing::Values(AddressCase{"reports", "reports", 8010},
                      AddressCase{"reports:9000", "reports", 9000},
                      AddressCase{"reports:", "reports", 8010},
                      AddressCase{"reports:abc", "reports", 8010},
                      AddressCase{"reports:0", "reports", 8010},
                      AddressCase{"reports:81x2", "reports", 81},
                      AddressCase{"reports: \t+8020", "reports", 8020},
                      AddressCase{"10.0.0.1:8011:9", "10.0.0.1", 8011},
                      AddressCase{":8011", "", 8011},
                      AddressCase{"", "", 8010},
                      AddressCase{"reports:65535", "reports", 65535},
                      AddressCase{"reports:65536", "reports", -1},
                      AddressCase{"reports:-5", "reports", -1},
                      AddressCase{"reports:99999999999999999999999", "reports", -1}));

}  // namespace
