#include "chatbot/chat_list_tools.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(CaughtWordSpan, FindsTheWordAsTheMatcherSeesIt) {
    struct Case {
        std::string line;
        std::string word;
        std::optional<TextSpan> span;
    };
    const Case cases[] = {
        {"Bob: you are BAD", "bad", TextSpan{13, 3}},
        {"Bob: H*E*L*L*O there", "hello", TextSpan{5, 9}},
        {"Bob: a bad! day", " bad ", TextSpan{7, 3}},
        // The name is not the message: Badger's own name does not light up.
        {"Badger: bad", "bad", TextSpan{8, 3}},
        {"Bob: fine", "bad", std::nullopt},
        {"Bob: fine", "", std::nullopt},
        {"no speaker bad", "bad", TextSpan{11, 3}},
    };
    for (const auto& c : cases) EXPECT_EQ(CaughtWordSpan(c.line, c.word), c.span) << c.line;
}

TEST(FindChatText, WrapsRoundFromTheRowGiven) {
    const std::vector<std::string> rows = {"Bob: hi", "Ann: Hello", "Bob: hello again"};
    EXPECT_EQ(FindChatText(rows, "HELLO", 0), 1u);
    EXPECT_EQ(FindChatText(rows, "hello", 2), 2u);
    EXPECT_EQ(FindChatText(rows, "bob", 1), 2u);
    EXPECT_EQ(FindChatText(rows, "ann", 2), 1u);
    EXPECT_EQ(FindChatText(rows, "zed", 0), std::nullopt);
    EXPECT_EQ(FindChatText(rows, "", 0), std::nullopt);
}

TEST(SendHistory, UpAndDownWalkTheTextsSent) {
    SendHistory h;
    EXPECT_EQ(h.Older("x"), std::nullopt);
    h.Add("one");
    h.Add("two");
    h.Add("two");
    EXPECT_EQ(h.Texts().size(), 2u);
    EXPECT_EQ(h.Newer(), std::nullopt);
    EXPECT_EQ(h.Older("typing"), "two");
    EXPECT_EQ(h.Older("ignored"), "one");
    EXPECT_EQ(h.Older("ignored"), std::nullopt);
    EXPECT_EQ(h.Newer(), "two");
    EXPECT_EQ(h.Newer(), "typing");
    EXPECT_EQ(h.Newer(), std::nullopt);
    h.Add("three");
    EXPECT_EQ(h.Older(""), "three");
}

}  // namespace
}  // namespace tavrin
