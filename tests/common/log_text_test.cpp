#include "common/log_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrin {
namespace {

using namespace std::string_literals;

TEST(LogText, EscapeControlBytes) {
    const struct {
        std::string text;
        std::string escaped;
    } cases[] = {
        {"", ""},
        {"Logged In", "Logged In"},
        {"a\r\n[00:00:00] User Logged out", "a\\r\\n[00:00:00] User Logged out"},
        {"tab\there", "tab\\there"},
        {"\x01\x1f\x7f"s, "\\x01\\x1F\\x7F"},
        {"nul\0in"s, "nul\\x00in"},
        {"\x1b[2J"s, "\\x1B[2J"},  // a terminal's clear-screen
        // Backslashes and Windows-1252 characters stay as they are.
        {"Warn\\DO NOT\\", "Warn\\DO NOT\\"},
        {"OFFENSIVE \x96 \xa0\xff", "OFFENSIVE \x96 \xa0\xff"},
        {" ~", " ~"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeControlBytes(c.text), c.escaped) << c.escaped;
        // Escaping an escaped text changes nothing.
        EXPECT_EQ(EscapeControlBytes(c.escaped), c.escaped) << c.escaped;
    }
}

TEST(LogText, EveryByteBelow32And127IsEscapedAndNoOtherIs) {
    for (int b = 0; b < 256; ++b) {
        const std::string escaped = EscapeControlBytes(std::string(1, static_cast<char>(b)));
        const bool control = b < 32 || b == 127;
        EXPECT_EQ(escaped.size() > 1, control) << b;
        for (unsigned char c : escaped) EXPECT_TRUE(c >= 32 && c != 127) << b;
    }
}

TEST(LogText, LongLinesAreCutWithTheFullSize) {
    const struct {
        const char* name;
        std::string text;
        size_t limit;
        std::string line;
    } cases[] = {
        {"at the limit", std::string(8, 'a'), 8, std::string(8, 'a')},
        {"one over", std::string(9, 'a'), 8, "aaaaaaaa ... [cut: 9 bytes]"},
        {"an escape is not split", "abcdef\r\n", 8, "abcdef\\r ... [cut: 8 bytes]"},
        {"nor one that would end past it", "abcdefg\x01", 8, "abcdefg ... [cut: 8 bytes]"},
        {"escapes count as written", "\n\n\n\n", 8, "\\n\\n\\n\\n"},
        {"60 KB reply", std::string(61440, 'x'), kMaxLogLineText,
         std::string(4096, 'x') + " ... [cut: 61440 bytes]"},
    };
    for (const auto& c : cases) EXPECT_EQ(LogLineText(c.text, c.limit), c.line) << c.name;
}

}  // namespace
}  // namespace tavrin
