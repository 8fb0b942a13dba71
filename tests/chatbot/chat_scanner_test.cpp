#include "chatbot/chat_scanner.h"

#include <gtest/gtest.h>

#include "chatbot/chat_text.h"

namespace tavrin {
namespace {

TEST(ChatTextTest, LowerCasesWindows1252Capitals) {
    const std::pair<std::string, std::string> cases[] = {
        {"Hello WORLD 123!", "hello world 123!"},
        {"\xC0\xC9\xD1\xD6\xD8\xDE", "\xE0\xE9\xF1\xF6\xF8\xFE"},  // ÀÉÑÖØÞ
        {"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF"},                  // ŠŒŽŸ
        {"\xD7\xDF\xFF\x80", "\xD7\xDF\xFF\x80"},                  // × ß ÿ € stay
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(LowerCase1252(in), out) << in;
}

TEST(ChatTextTest, EraseAllRemovesEveryOccurrenceOnce) {
    EXPECT_EQ(EraseAll("abcabcab", "abc"), "ab");
    EXPECT_EQ(EraseAll("aaaa", "aa"), "");
    EXPECT_EQ(EraseAll("aabb", "ab"), "ab");  // one pass, no re-scan
    EXPECT_EQ(EraseAll("text", ""), "text");
}

TEST(SpeakerNameTest, CutsTheNameBeforeTheMessage) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"Bob: hi", "Bob"},
        {"Bob the Great: hi: there", "Bob the Great"},
        {"Bob:[TEAM]: attack", "Bob"},
        {"Bob: a :[ b", "Bob"},  // ":[" without "]: " is no team message
        {": hi", ""},
        {"Server restarting", std::nullopt},
        {"Bob:hi", std::nullopt},
    };
    for (const auto& [line, name] : cases) EXPECT_EQ(SpeakerName(line), name) << line;
}

TEST(BannedWordMatcherTest, MatchesLikeTheChatBot) {
    const BannedWordMatcher matcher({
        "1\\bad\\W\\[1 PPts]\\0\\",
        "0\\hello\\W\\[1 PPts]\\0\\",
        "0\\\xC9T\xC9\\W\\[1 PPts]\\0\\",  // ÉTÉ
        "0\\bob\\W\\[1 PPts]\\0\\",
    });
    const std::tuple<std::string, int, std::string> cases[] = {
        {"Ann: bad idea", 0, "Ann"},      // first word: the blank of ": " stays
        {"Ann: that is bad", 0, "Ann"},   // last word: a blank is appended
        {"Ann: nice badge", -1, ""},      // whole word only
        {"Ann: that is bad!", 0, "Ann"},  // the mark is deleted, not blanked
        {"Ann: b,a'd move", 0, "Ann"},
        {"Ann: BAD", 0, "Ann"},
        {"Ann: H*E*L*L*O", 1, "Ann"},
        {"Ann: sayhello", 1, "Ann"},        // anywhere
        {"Ann: bad hello", 0, "Ann"},       // list order decides
        {"Ann: \xE9t\xE9 time", 2, "Ann"},  // été
        {"Ann: \xC9T\xC9", 2, "Ann"},
        {"Bob: hi there", -1, ""},     // the name itself is not searched
        {"Bob: BOB rules", 3, "Bob"},  // the name is deleted case-sensitively
        {"Ann:[TEAM]: bad", 0, "Ann"},
        {"Game restarting: bad map", 0, "Game restarting"},
        {"no chat line is bad", -1, ""},
    };
    for (const auto& [line, word, speaker] : cases) {
        const auto caught = matcher.Match(line);
        if (word < 0) {
            EXPECT_FALSE(caught) << line;
            continue;
        }
        ASSERT_TRUE(caught) << line;
        EXPECT_EQ(caught->word, static_cast<size_t>(word)) << line;
        EXPECT_EQ(caught->speaker, speaker) << line;
    }
}

TEST(BannedWordMatcherTest, AnEmptyWordCatchesEveryChatLine) {
    const BannedWordMatcher matcher({"", "0\\bad\\W\\[1 PPts]\\0\\"});
    EXPECT_TRUE(matcher.Match("Ann: fine words"));
    EXPECT_TRUE(matcher.Match(": x"));
    EXPECT_FALSE(matcher.Match("no chat line"));
}

// Chat lines "<who>: line <n>" as the game server lists them.
std::string Lines(int from, int to, const std::string& who = "Ann") {
    std::string text;
    for (int n = from; n <= to; ++n) text += who + ": line " + std::to_string(n) + "\r\n";
    return text;
}

std::vector<std::string> LineList(int from, int to, const std::string& who = "Ann") {
    std::vector<std::string> out;
    for (int n = from; n <= to; ++n) out.push_back(who + ": line " + std::to_string(n));
    return out;
}

struct TrackerCase {
    const char* name;
    std::vector<std::string> before;  // replies taken in first
    std::string reply;
    NewLines expected;
    std::vector<std::string> added;
    std::string known;
};

TEST(ChatLineTrackerTest, TellsNewLinesFromOverlappingReplies) {
    const TrackerCase cases[] = {
        {"first reply", {}, Lines(1, 2), {0, false}, LineList(1, 2), Lines(1, 2)},
        {"same again", {Lines(1, 2)}, Lines(1, 2), {-1, false}, {}, Lines(1, 2)},
        {"empty reply forgets the known text", {Lines(1, 2)}, "", {-1, false}, {}, ""},
        {"after an empty reply",
         {Lines(1, 2), ""},
         Lines(3, 3),
         {2, true},
         LineList(3, 3),
         Lines(3, 3)},
        {"shrunk below four fifths",
         {Lines(1, 5)},
         Lines(6, 6),
         {5, true},
         LineList(6, 6),
         Lines(6, 6)},
        {"grown", {Lines(1, 2)}, Lines(1, 4), {2, true}, LineList(3, 4), Lines(1, 4)},
        {"small buffer takes a shifted reply whole",
         {Lines(1, 2)},
         Lines(2, 3),
         {2, true},
         LineList(2, 3),
         Lines(2, 3)},
        {"full buffer, grown",
         {Lines(1, 40)},
         Lines(1, 41),
         {40, true},
         LineList(41, 41),
         Lines(1, 41)},
        {"full buffer, server dropped old lines",
         {Lines(1, 40)},
         Lines(3, 42),
         {40, true},
         LineList(41, 42),
         Lines(3, 42)},
        {"full buffer, shrunk: taken whole",
         {Lines(1, 40)},
         Lines(35, 41),
         {40, true},
         LineList(35, 41),
         Lines(35, 41)},
        {"full buffer, nothing in common",
         {Lines(1, 40)},
         Lines(1, 40, "Bea"),
         {40, true},
         LineList(1, 40, "Bea"),
         Lines(1, 40, "Bea")},
        {"partial last line and empty lines",
         {},
         "\r\n\r\nAnn: a\r\nAnn: b",
         {0, false},
         {"Ann: a"},
         "\r\n\r\nAnn: a\r\nAnn: b"},
        {"no line end at all: not chat, ignored",
         {Lines(1, 1)},
         "Time set",
         {-1, false},
         {},
         Lines(1, 1)},
        {"no line end in a first reply", {}, "Time set", {-1, false}, {}, ""},
    };
    for (const auto& c : cases) {
        ChatLineTracker tracker;
        for (const auto& r : c.before) tracker.TakeReply(r);
        const size_t before = tracker.Lines().size();
        const NewLines got = tracker.TakeReply(c.reply);
        EXPECT_EQ(got.first, c.expected.first) << c.name;
        EXPECT_EQ(got.match, c.expected.match) << c.name;
        std::vector<std::string> added(tracker.Lines().begin() + static_cast<long>(before),
                                       tracker.Lines().end());
        EXPECT_EQ(added, c.added) << c.name;
        EXPECT_EQ(tracker.KnownText(), c.known) << c.name;
    }
}

TEST(ChatLineTrackerTest, CutDropsTheOldestLines) {
    ChatLineTracker tracker;
    tracker.TakeReply(Lines(1, 50));
    EXPECT_EQ(tracker.CutTo(kMaxChatLines), 5u);
    EXPECT_EQ(tracker.Lines().front(), "Ann: line 6");
    EXPECT_EQ(tracker.Lines().size(), kMaxChatLines);
    EXPECT_EQ(tracker.CutTo(kMaxChatLines), 0u);
    tracker.Clear();
    EXPECT_TRUE(tracker.Lines().empty());
    EXPECT_TRUE(tracker.KnownText().empty());
}

}  // namespace
}  // namespace tavrin
