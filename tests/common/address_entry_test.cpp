#include "common/address_entry.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(AddressEntry, AcceptsWhatCanBeTypedOnTheWayToAnAddress) {
    const struct {
        const char* typed;
        bool accepted;
        const char* value;
    } cases[] = {
        {"", true, "0.0.0.0"},
        {"127.0.0.1", true, "127.0.0.1"},
        {"10.1.", true, "10.1.0.0"},
        {"192.168..7", true, "192.168.0.7"},
        {"...", true, "0.0.0.0"},
        {"255.255.255.255", true, "255.255.255.255"},
        {"010.001.0.9", true, "10.1.0.9"},
        {"256.0.0.1", false, "256.0.0.1"},
        {"1.2.3.4.", false, "1.2.3.4."},
        {"1.2.3.4.5", false, "1.2.3.4.5"},
        {"1234", false, "1234"},
        {"localhost", false, "localhost"},
        {"1.2.3.-4", false, "1.2.3.-4"},
        {" 1.2.3.4", false, " 1.2.3.4"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AcceptsAddressEntry(c.typed), c.accepted) << '"' << c.typed << '"';
        EXPECT_EQ(AddressEntryValue(c.typed), c.value) << '"' << c.typed << '"';
    }
}

}  // namespace
}  // namespace tavrin
