#include "chatbot/chat_line_tracker.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>

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

TEST(ChatTextTest, TextSearchFindsLikeAPlainSearch) {
    const std::pair<std::string, std::string> cases[] = {
        {"abcabcabd", "abcabd"}, {"aaaaab", "aab"}, {"abababa", "aba"},
        {"xyz", "xyzz"},         {"aaaa", ""},      {"", "a"},
        {"a\r\na\r\n", "\r\n"},
    };
    for (const auto& [text, pattern] : cases) {
        const TextSearch search(pattern);
        for (size_t from = 0; from <= text.size() + 1; ++from)
            EXPECT_EQ(search.FindIn(text, from), text.find(pattern, from))
                << text << " / " << pattern << " from " << from;
    }
}

TEST(ChatTextTest, LongestPrefixThatOccurs) {
    const std::tuple<std::string, std::string, size_t> cases[] = {
        {"xxabcx", "abcd", 3}, {"aabaab", "aabaaa", 5}, {"zzz", "abc", 0},     {"abc", "abc", 3},
        {"abcabc", "", 0},     {"", "abc", 0},          {"ababac", "abac", 4},
    };
    for (const auto& [text, pattern, longest] : cases)
        EXPECT_EQ(TextSearch(pattern).LongestPrefixIn(text), longest) << text << " / " << pattern;
}

TEST(SpeakerNameTest, CutsTheNameBeforeTheMessage) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"Bob: hi", "Bob"},
        {"Bob the Great: hi: there", "Bob the Great"},
        {"Bob:[TEAM]: attack", "Bob"},
        {"Bob: a :[ b", "Bob"},  // ":[" without "]: " is no team message
        // A ":[" typed after the first ": " marks no team: the name ends first.
        {"Mallory: you noob :[x]: yes", "Mallory"},
        {"Bob:[TEAM]: you noob :[x]: yes", "Bob"},
        {"Bob: a]: b:[c", "Bob"},
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
        // Whatever a player types after the name is searched.
        {"Mallory: you bad :[x]: yes", 0, "Mallory"},
        {"Mallory: :[x]: bad", 0, "Mallory"},
        {"Ann:[TEAM]: bad :[x]: y", 0, "Ann"},
        {"bad: that is bad", 0, "bad"},  // the name is left out only where it heads the line
        {"b: bob", 3, "b"},
        {"hello: say hello", 1, "hello"},
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

TEST(OwnChatLinesTest, OnlyTheWholeEchoOfASentLineIsExcused) {
    const std::string sent = "chat send Bob  Warning NO BAD WORDS ";
    const std::pair<std::string, bool> cases[] = {
        {"Admin: Bob  Warning NO BAD WORDS ", true},
        {"Admin: Bob  Warning NO BAD WORDS", true},  // the game trimmed the blank
        {"Bob  Warning NO BAD WORDS ", true},        // echoed without a speaker
        {"Host: Bob  Warning NO BAD WORDS ", true},  // the game's own name for the console
        {"Server: Bob  Warning NO BAD WORDS", true},
        {"admin: Bob  Warning NO BAD WORDS ", true},
        {"Bob: Admin: Bob  Warning NO BAD WORDS ", false},
        {"Admin: Bob  Warning NO BAD WORDS  bad", false},
        {"Admin: bad Bob  Warning NO BAD WORDS ", false},
        {"Admin:[TEAM]: Bob  Warning NO BAD WORDS ", false},
        {"Host: Bob  Warning NO BAD WORDS bad", false},
        {"Host:[TEAM]: Bob  Warning NO BAD WORDS ", false},
        {"Admin:  Bob  Warning NO BAD WORDS ", false},
        {"Admin: Bob Warning NO BAD WORDS ", false},
    };
    for (const auto& [line, echo] : cases) {
        OwnChatLines own;
        own.CommandSent(sent);
        EXPECT_EQ(own.TakeEcho(line), echo) << line;
    }
}

TEST(OwnChatLinesTest, EachSentLineExcusesOneLineAndFewAreKept) {
    OwnChatLines own;
    for (const char* command : {"chat get", "player punt 7", "chat sendhi", "chat send ",
                                "chat send    ", "mission list"})
        own.CommandSent(command);
    EXPECT_EQ(own.Size(), 0u);

    own.CommandSent("chat send hi");
    own.CommandSent("CHAT SEND hi");
    EXPECT_TRUE(own.TakeEcho("Admin: hi"));
    EXPECT_TRUE(own.TakeEcho("Admin: hi"));
    EXPECT_FALSE(own.TakeEcho("Admin: hi"));

    for (size_t i = 0; i <= OwnChatLines::kRemembered; ++i)
        own.CommandSent("chat send line " + std::to_string(i));
    EXPECT_EQ(own.Size(), OwnChatLines::kRemembered);
    EXPECT_FALSE(own.TakeEcho("Admin: line 0"));  // the oldest went
    EXPECT_TRUE(own.TakeEcho("Admin: line 1"));
    EXPECT_TRUE(own.TakeEcho("Admin: line " + std::to_string(OwnChatLines::kRemembered)));
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
        {"server dropped an old line",
         {Lines(1, 2)},
         Lines(2, 3),
         {2, true},
         LineList(3, 3),
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
        {"server trimmed its buffer to its newest lines",
         {Lines(1, 40)},
         Lines(35, 41),
         {40, true},
         LineList(41, 41),
         Lines(35, 41)},
        {"the same words again after the known tail",
         {Lines(1, 3)},
         Lines(2, 3) + Lines(3, 3),
         {3, true},
         LineList(3, 3),
         Lines(2, 3) + Lines(3, 3)},
        {"a line before the known tail that was never seen",
         {Lines(1, 3)},
         "Srv: chat\r\n" + Lines(2, 4),
         {3, true},
         LineList(4, 4),
         "Srv: chat\r\n" + Lines(2, 4)},
        {"padding after the last line end",
         {Lines(1, 3) + "\n....."},
         Lines(1, 4) + "\n...",
         {3, true},
         LineList(4, 4),
         Lines(1, 4) + "\n..."},
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

// The overlap rule stated with plain searches, as a yardstick: the linear
// search must find the same run, however the lines repeat.
size_t PlainContinuing(const std::vector<std::string>& seen,
                       const std::vector<std::string_view>& reply) {
    const size_t m = seen.size();
    auto runAt = [&](size_t at, size_t k) {
        for (size_t i = 0; i < k; ++i)
            if (reply[at + i] != seen[m - k + i]) return false;
        return true;
    };
    for (size_t k = std::min(m, reply.size()); k > 0; --k)
        if (runAt(0, k)) return k;
    for (size_t k = std::min(m, reply.size()); k > 0; --k)
        for (size_t at = 0; at + k <= reply.size(); ++at)
            if (runAt(at, k)) return at + k;
    return 0;
}

TEST(ChatLineTrackerTest, FindsTheSameOverlapAsAPlainSearch) {
    const struct {
        std::vector<std::string> seen;
        std::vector<std::string_view> reply;
        size_t old;
    } cases[] = {
        {{"a", "b", "c"}, {"b", "c", "d"}, 2},
        {{"a", "b", "c"}, {"a", "b", "c", "a", "b", "c"}, 3},  // all said again
        {{"x", "a", "b"}, {"b", "b"}, 1},                      // the last line again
        {{"a", "b", "c"}, {"h", "b", "c", "d"}, 3},            // held after a line never seen
        {{"a", "b", "c"}, {"d", "e"}, 0},
        {{"a", "b", "c"}, {"c", "x", "a", "b", "c"}, 1},  // starting with a tail wins
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LinesContinuing(c.seen, c.reply), c.old);
        EXPECT_EQ(PlainContinuing(c.seen, c.reply), c.old);
    }
    // Many more from two lines, so that runs recur and overlap.
    std::mt19937 random(2026);
    const std::vector<std::string> pieces = {"a", "b"};
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    for (int run = 0; run < 3000; ++run) {
        std::vector<std::string> seen(pick(9));
        for (auto& line : seen) line = pieces[pick(2)];
        std::vector<std::string_view> reply(pick(9));
        for (auto& line : reply) line = pieces[pick(2)];
        ASSERT_EQ(LinesContinuing(seen, reply), PlainContinuing(seen, reply)) << "run " << run;
    }
}

// A reset (the button, every connect) empties the list, not the memory of the
// lines seen: the next reply is shown whole and only its newer lines are new.
TEST(ChatLineTrackerTest, AfterAResetOnlyLinesNotSeenAreNew) {
    const struct {
        const char* name;
        std::string reply;
        int seenAgain;
    } cases[] = {
        {"same buffer", Lines(1, 5), 5},
        {"grown", Lines(1, 7), 5},
        {"trimmed and grown", Lines(4, 7), 2},
        {"another server", Lines(1, 3, "Bea"), 0},
    };
    for (const auto& c : cases) {
        ChatLineTracker tracker;
        tracker.TakeReply(Lines(1, 5));
        tracker.Clear();
        const NewLines got = tracker.TakeReply(c.reply);
        EXPECT_EQ(got.first, 0) << c.name;
        EXPECT_FALSE(got.match) << c.name;
        EXPECT_EQ(got.seenAgain, c.seenAgain) << c.name;
        EXPECT_EQ(tracker.Lines().size(), ChatLinesOf(c.reply).size()) << c.name;
    }
    // An empty buffer forgets what was seen: the same words then are new.
    ChatLineTracker tracker;
    tracker.TakeReply(Lines(1, 5));
    tracker.TakeReply("");
    tracker.Clear();
    EXPECT_EQ(tracker.TakeReply(Lines(5, 5)).seenAgain, 0);
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
