#include "missions/mission_text.h"

#include <gtest/gtest.h>

namespace tavrin::mission_text {
namespace {

TEST(CompareCells, HexThenDecimalThenBytes) {
    struct Case {
        const char* a;
        const char* b;
        int order;
    };
    const Case cases[] = {
        {"9", "10", -1},                                     // hexadecimal values, not bytes
        {"ff", "1FF", -1},                                   // hexadecimal, either case
        {"000A", "a", 0},                                    // leading zeros do not count
        {"123456789abcdef0123", "123456789abcdef0124", -1},  // beyond 64 bits
        {"2.5", "10", -1},                                   // decimal numbers
        {"2.5%", "10%", -1},                                 // with a trailing "%"
        {"-3", "2", -1},
        {"+4", "4.0", 0},
        {"2.5%%", "10%", 1},   // two "%": bytes
        {"Zulu", "Alpha", 1},  // bytes, case-sensitive
        {"alpha", "Zulu", 1},
        {"\x96", "z", 1},  // bytes above 127 sort last
        {"", "a", -1},
        {"", "", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareCells(c.a, c.b), c.order) << c.a << " vs " << c.b;
        EXPECT_EQ(CompareCells(c.b, c.a), -c.order) << c.b << " vs " << c.a;
    }
}

}  // namespace
}  // namespace tavrin::mission_text
