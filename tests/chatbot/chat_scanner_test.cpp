#include "chatbot/chat_scanner.h"

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
        {"Bob: Bob  Warning NO BAD WORDS ", false},  // a player quotes it
        {"Bob: Admin: Bob  Warning NO BAD WORDS ", false},
        {"Admin: Bob  Warning NO BAD WORDS  bad", false},
        {"Admin: bad Bob  Warning NO BAD WORDS ", false},
        {"Admin:[TEAM]: Bob  Warning NO BAD WORDS ", false},
        {"admin: Bob  Warning NO BAD WORDS ", false},
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

// The tracker's rules stated with plain searches, as a yardstick: the tracker
// must find the same lines, however it searches.
class PlainTracker {
  public:
    NewLines TakeReply(const std::string& reply) {
        const int before = static_cast<int>(lines.size());
        if (!reply.empty() && reply.find("\r\n") == std::string::npos) return {};
        if (known.empty() && lines.empty()) {
            known = reply;
            Split(reply);
            return {0, false};
        }
        if (reply == known) return {};
        if (reply.empty()) {
            known.clear();
            return {};
        }
        if (known.empty() ||
            static_cast<double>(reply.size()) < 0.8 * static_cast<double>(known.size())) {
            known = reply;
            Split(reply);
            return {before, true};
        }
        if (lines.size() < 40 || reply.find(known) != std::string::npos) {
            Split(PlainErase(reply, known));
            known = reply;
            return {before, true};
        }
        bool found = false;
        std::string tail = known;
        for (size_t end = tail.find("\r\n"); end != std::string::npos; end = tail.find("\r\n")) {
            tail.erase(0, end + 2);
            if (tail.empty()) break;
            if (reply.find(tail) != std::string::npos) {
                Split(PlainErase(reply, tail));
                found = true;
                break;
            }
        }
        if (!found) Split(reply);
        known = reply;
        return {before, true};
    }

    std::string known;
    std::deque<std::string> lines;

  private:
    static std::string PlainErase(const std::string& text, const std::string& what) {
        std::string out;
        size_t from = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, from)) {
            out.append(text, from, at - from);
            from = at + what.size();
        }
        return out.append(text, from);
    }
    void Split(const std::string& text) {
        size_t from = 0;
        for (size_t end = text.find("\r\n"); end != std::string::npos;
             end = text.find("\r\n", from)) {
            if (end > from) lines.push_back(text.substr(from, end - from));
            from = end + 2;
        }
    }
};

// Feeds the replies to both trackers, cutting both to 45 lines after each as
// the ChatBot does; true when they agreed on every step.
::testing::AssertionResult SameAsPlainTracker(const std::vector<std::string>& replies) {
    ChatLineTracker tracker;
    PlainTracker plain;
    for (size_t i = 0; i < replies.size(); ++i) {
        const NewLines got = tracker.TakeReply(replies[i]);
        const NewLines want = plain.TakeReply(replies[i]);
        if (got.first != want.first || got.match != want.match || tracker.Lines() != plain.lines ||
            tracker.KnownText() != plain.known)
            return ::testing::AssertionFailure() << "differs at reply " << i;
        tracker.CutTo(kMaxChatLines);
        while (plain.lines.size() > kMaxChatLines) plain.lines.pop_front();
    }
    return ::testing::AssertionSuccess();
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

// Replies whose known text is missing from them once 40 lines are buffered:
// the tracker then looks for the longest tail of the known text, starting at
// a line, that the reply holds, and removes every occurrence of it.
TEST(ChatLineTrackerTest, FindsTheSameTailsAsAPlainSearch) {
    const std::string x40 = Lines(1, 40);
    std::string xs;
    for (int i = 0; i < 60; ++i) xs += "x\r\n";
    const struct {
        const char* name;
        std::vector<std::string> replies;
    } cases[] = {
        {"tail held twice", {x40, Lines(2, 40) + "Bo: a\r\n" + Lines(2, 40)}},
        {"occurrences of the tail overlap",
         {x40 + "a\r\na\r\n", Lines(3, 40) + "a\r\nb\r\na\r\na\r\na\r\n"}},
        {"tail at the end of the reply", {x40, "Bo: new\r\n" + Lines(20, 40)}},
        {"longest common suffix begins inside a line",
         {x40, "Bo: x\r\nne 37\r\n" + Lines(38, 40) + "Bo: y\r\n"}},
        {"known text ends inside a line", {x40 + "Ann: par", Lines(5, 40) + "Ann: part\r\n"}},
        {"only the empty tail is left", {x40, Lines(1, 39) + "Ann: line 4\r\n"}},
        {"last line alternates", {x40 + "a\r\n", x40 + "b\r\n", x40 + "a\r\n"}},
        {"identical lines, last alternates", {xs + "a\r\n", xs + "b\r\n", xs + "a\r\n"}},
        {"identical lines, one dropped", {xs + "a\r\n", xs.substr(3) + "a\r\nb\r\n"}},
        {"lone CR and LF inside lines",
         {x40 + "a\r\r\n\nb\r\n", Lines(4, 40) + "a\r\r\n\nb\r\n\r\nc\r\n"}},
        {"tail straddles the reply's lines", {x40, Lines(30, 40).substr(3) + "\r\n"}},
    };
    for (const auto& c : cases) EXPECT_TRUE(SameAsPlainTracker(c.replies)) << c.name;

    // Many more from a few short lines, so that tails recur and overlap.
    std::mt19937 random(2026);
    const std::vector<std::string> pieces = {"a", "b", "ab", "a\r", "\nb", "aa"};
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    for (int run = 0; run < 300; ++run) {
        std::vector<std::string> lines;
        for (int i = 0; i < 45; ++i) lines.push_back(pieces[pick(pieces.size())]);
        std::vector<std::string> replies{Joined(lines)};
        for (int step = 0; step < 6; ++step) {
            // The server drops a few old lines and adds a few new ones.
            lines.erase(lines.begin(), lines.begin() + static_cast<long>(pick(4)));
            for (size_t add = pick(4); add > 0; --add) lines.push_back(pieces[pick(pieces.size())]);
            std::string reply = Joined(lines);
            if (pick(4) == 0) reply.pop_back();  // a line end cut in half
            replies.push_back(reply);
        }
        ASSERT_TRUE(SameAsPlainTracker(replies)) << "run " << run;
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
