#include "common/cell_compare.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrin {
namespace {

TEST(CompareCells, HexThenDecimalThenDateTimeThenBytes) {
    struct Case {
        std::string a, b;
        int sign;
    };
    const Case cases[] = {
        {"A", "10", -1},  // hex 10 < 16
        {"ff", "FF", 0},
        {"0010", "10", 0},
        {"Bad", "Ace", 1},  // names that read as hex compare as numbers
        {"1" + std::string(20, '0'), std::string(19, 'F'), 1},  // no 32- or 64-bit wrap
        {"1.5", "10", -1},
        {"50%", "7.5%", 1},
        {"-3", "2", -1},
        {"+4", "4.0", 0},
        {"10%%", "9%", -1},           // two "%" are no number: bytes
        {"09-03-26", "10-02-26", 1},  // 9 March after 10 February
        {"31-12-99", "01-01-2100", -1},
        {"9:05:03", "10:00", -1},  // bytes would put "9" last
        {"07-03-26 09:05:03", "07-03-26 10:00:00", -1},
        {"32-01-26", "4-01-26", -1},  // no valid date: bytes
        {"25:00", "3:00", -1},        // no valid time: bytes
        {"Bob", "ann", -1},           // case-sensitive bytes
        {"\xE9", "z", 1},             // bytes above 127 sort after ASCII
        {"C", "10.5", 1},             // mixed kinds: bytes
        {"", "0", -1},
        {"", "", 0},
        {"123456789abcdef0123", "123456789abcdef0124", -1},  // beyond 64 bits
        {"\x96", "z", 1},
    };
    for (const auto& c : cases) {
        const int got = CompareCells(c.a, c.b);
        EXPECT_EQ((got > 0) - (got < 0), c.sign) << c.a << " vs " << c.b;
        const int back = CompareCells(c.b, c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.b << " vs " << c.a;
    }
}

}  // namespace
}  // namespace tavrin
