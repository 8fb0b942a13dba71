#include "common/value_text.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(ValueText, IntToText) {
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(-42), "-42");
    EXPECT_EQ(IntToText(INT32_MIN), "-2147483648");
}

TEST(ValueText, TextToInt) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"  \t42", 42},
        {"-17x", -17},
        {"+8", 8},
        {"12 34", 12},
        {"-", 0},
        {"7.9", 7},
        {"99999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-99999999999", INT32_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(TextToInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(ValueText, BoolToTextIsTrueOnlyForOne) {
    EXPECT_EQ(BoolToText(1), "true");
    EXPECT_EQ(BoolToText(0), "false");
    EXPECT_EQ(BoolToText(2), "false");
    EXPECT_EQ(BoolToText(255), "false");
}

TEST(ValueText, IntToHex4) {
    const struct {
        int32_t n;
        const char* hex;
    } cases[] = {{0, "0000"},     {10, "000A"},     {255, "00FF"},   {4096, "1000"},
                 {16383, "3FFF"}, {65536, "10000"}, {-1, "FFFFFFFF"}};
    for (const auto& c : cases) EXPECT_EQ(IntToHex4(c.n), c.hex) << c.n;
}

TEST(ValueText, HexToInt) {
    const struct {
        const char* text;
        uint32_t value;
    } cases[] = {
        {"3FFF", 16383},
        {"3fff", 16383},
        {"", 0},
        {"12g4", 18},
        {"FFFFFFFF", 0xFFFFFFFFu},
        {"0A", 10},
        // A character above 127 stops the parse.
        {"1\xC1"
         "2",
         1},
        // A non-digit below 'A' enters the sum with its own (negative) value.
        {"1:", 16 + 10},
        {"1 ", static_cast<uint32_t>(16 - 16)},
    };
    for (const auto& c : cases) EXPECT_EQ(HexToInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(ValueText, GetKeyValue) {
    const struct {
        const char* text;
        const char* key;
        const char* value;
    } cases[] = {
        {"\\a\\1\\b\\2\\", "b", "2"},
        {"\\a\\1\\b\\2", "b", "Failed"},  // value not closed
        {"\\a\\\\b\\2\\", "a", ""},
        {"\\a\\1\\b\\2\\", "\\b\\", "2"},  // a key with its backslashes is used as given
        {"\\a\\1\\", "c", "Failed"},
        {"\\A\\1\\", "a", "Failed"},  // case-sensitive
        {"", "a", "Failed"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetKeyValue(c.text, c.key), c.value) << c.text << " / " << c.key;
}

}  // namespace
}  // namespace tavrin
