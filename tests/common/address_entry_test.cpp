#include "common/address_entry.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

// An address is taken exactly as typed or refused; nothing is rewritten.
TEST(AddressEntry, AnAddressIsAnIpv4AddressOrAHostName) {
    const struct {
        const char* typed;
        bool accepted;
    } cases[] = {
        {"", true},  // not set yet: Login says so
        {"127.0.0.1", true},
        {"255.255.255.255", true},
        {"0.0.0.0", true},
        {"localhost", true},
        {"game-1.example.org", true},
        {"a.b2", true},
        {"10.0.0.256", false},
        {"1922.168.1.5", false},
        {"999.1.1.1", false},
        {"10.1.", false},
        {"192.168..7", false},
        {"1.2.3.4.5", false},
        {"1234", false},
        {"010.001.0.9", false},  // read as octal by some resolvers
        {"1.2.3.-4", false},
        {" 1.2.3.4", false},
        {"-host", false},
        {"host-", false},
        {"host.", false},
        {"ho st", false},
        {"under_score", false},
        {"a.123", false},  // ends in a number: a mistyped address
    };
    for (const auto& c : cases) {
        const std::string refusal = AddressRefusal(c.typed);
        EXPECT_EQ(refusal.empty(), c.accepted) << '"' << c.typed << '"';
        if (!c.accepted) {
            EXPECT_NE(refusal.find(std::string("\"") + c.typed + "\""), std::string::npos)
                << refusal;
        }
    }
    EXPECT_FALSE(AddressRefusal(std::string(63, 'a') + "." + std::string(63, 'b')).size());
    EXPECT_TRUE(AddressRefusal(std::string(64, 'a')).size());
}

TEST(AddressEntry, APortIsANumberFromOneTo65535) {
    const struct {
        const char* typed;
        bool accepted;
    } cases[] = {
        {"", true},  // not set yet: Login says so
        {"1", true},      {"40000", true},  {"65535", true},   {"0", false},
        {"65536", false}, {"99999", false}, {"abc", false},    {"40000x", false},
        {"-1", false},    {" 80", false},   {"040000", false}, {"1234567", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortRefusal(c.typed).empty(), c.accepted) << '"' << c.typed << '"';
    EXPECT_EQ(PortRefusal("abc"), "\"abc\" is not a RAT port. A port is a number from 1 to 65535.");
}

}  // namespace
}  // namespace tavrin
