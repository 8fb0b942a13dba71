#include "chatbot/banned_word_matcher.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>

#include "chatbot/chatbot.h"
#include "chatbot/reference_word_matcher.h"
#include "support/fakes.h"
#include "support/silent_host.h"

namespace tavrin {
namespace {

using testing::ReferenceWordMatcher;

// A word record; `word` may hold any byte but a backslash.
std::string Record(bool wholeWord, const std::string& word) {
    return std::string(wholeWord ? "1" : "0") + "\\" + word + "\\W\\[1 PPts]\\0\\";
}

// The catch as "index speaker", or "-" for none, so that a failure shows both.
std::string Shown(const std::optional<ChatCatch>& caught) {
    return caught ? std::to_string(caught->word) + " " + caught->speaker : "-";
}

// Both layouts of the matcher, the full table and the compact trie.
struct Matchers {
    explicit Matchers(const std::vector<std::string>& records)
        : table(records), trie(records, 0), reference(records) {}
    BannedWordMatcher table;
    BannedWordMatcher trie;
    ReferenceWordMatcher reference;
};

TEST(BannedWordMatcherTest, LayoutFollowsTheTableBound) {
    const std::vector<std::string> records = {Record(false, "bad"), Record(true, "worse")};
    EXPECT_TRUE(BannedWordMatcher(records).UsesTable());
    EXPECT_FALSE(BannedWordMatcher(records, 0).UsesTable());
    EXPECT_FALSE(BannedWordMatcher().Match("Ann: anything"));
}

// Lists where one search text overlaps, contains or repeats another, and
// lines at the edges of whole words.
TEST(BannedWordMatcherTest, HardCasesMatchTheFirstWordInListOrder) {
    struct Case {
        std::vector<std::string> records;
        std::string line;
        std::string expected;
    };
    // No backslash after the word: the word is empty, a whole word of it two blanks.
    const std::string kNoSeparator = "1\\bad";
    const Case cases[] = {
        // Overlapping words: the one that occurs wins, whatever its place.
        {{Record(false, "abcd"), Record(false, "bc")}, "Ann: xabcx", "1 Ann"},
        {{Record(false, "bcd"), Record(false, "abc")}, "Ann: abcd", "0 Ann"},
        {{Record(false, "aab"), Record(false, "ab")}, "Ann: aaab", "0 Ann"},
        {{Record(false, "abab"), Record(false, "bab")}, "Ann: ababab", "0 Ann"},
        // A word that is a prefix or suffix of another.
        {{Record(false, "badge"), Record(false, "bad")}, "Ann: badg", "1 Ann"},
        {{Record(false, "bad"), Record(false, "badge")}, "Ann: badge", "0 Ann"},
        {{Record(false, "xbad"), Record(false, "ad")}, "Ann: xba xbad", "0 Ann"},
        {{Record(false, "xbad"), Record(false, "ad")}, "Ann: ybad", "1 Ann"},
        {{Record(false, "bcde"), Record(false, "abcdf"), Record(false, "cd")},
         "Ann: abcdf",
         "1 Ann"},
        // Repeated words keep the first position.
        {{Record(false, "bad"), Record(false, "bad")}, "Ann: bad", "0 Ann"},
        {{Record(true, "bad"), Record(false, "bad")}, "Ann: badge", "1 Ann"},
        {{Record(false, "x"), Record(true, "bad"), Record(true, "bad")}, "Ann: so bad", "1 Ann"},
        // Whole words: first and last word, marks deleted, other separators.
        {{Record(true, "bad")}, "Ann: bad idea", "0 Ann"},
        {{Record(true, "bad")}, "Ann: so bad", "0 Ann"},
        {{Record(true, "bad")}, "Ann: so bad!?", "0 Ann"},
        {{Record(true, "bad")}, "Ann: so b*a*d", "0 Ann"},
        {{Record(true, "bad")}, "Ann: so bad.", "-"},
        {{Record(true, "bad")}, "Ann: so\tbad\t", "-"},
        {{Record(true, "bad")}, "Ann: abad bada", "-"},
        {{Record(true, "bad")}, "Ann:[T]: bad", "0 Ann"},
        {{Record(true, "go away")}, "Ann: just go away now", "0 Ann"},
        {{Record(true, "a")}, "Ann: a", "0 Ann"},
        {{Record(true, "a")}, "Ann:a b", "-"},
        // Case and bytes of 128 and above.
        {{Record(false, "BaD")}, "Ann: bAd", "0 Ann"},
        {{Record(false, "\xC9T\xC9")}, "Ann: \xE9t\xE9", "0 Ann"},  // ÉTÉ / été
        {{Record(false, "\xFF")}, "Ann: \x9F", "0 Ann"},            // ÿ / Ÿ
        {{Record(false, "\x9F")}, "Ann: \xFF", "0 Ann"},            // the word is lowered too
        {{Record(false, "\x80\xD7")}, "Ann: a\x80\xD7", "0 Ann"},   // € × have no case
        {{Record(false, "\xDF")}, "Ann: ss", "-"},                  // ß stays ß
        {{Record(false, "a\xE9")}, "Ann: a\xC9", "0 Ann"},
        // Words that can never be found: an ignored character inside.
        {{Record(false, "b!d"), Record(false, "bd")}, "Ann: b!d", "1 Ann"},
        {{Record(false, "b!d")}, "Ann: b!d", "-"},
        {{Record(false, "b*d"), Record(false, "zz")}, "Ann: bd zz", "1 Ann"},
        // Empty words and blank lines.
        {{Record(false, ""), Record(false, "bad")}, "Ann: bad", "0 Ann"},
        {{Record(false, "bad"), Record(false, "")}, "Ann: bad", "0 Ann"},
        {{Record(false, "bad"), Record(false, "")}, "Ann: fine", "1 Ann"},
        {{Record(true, "")}, "Ann: a", "-"},
        {{Record(true, "")}, "Ann:  a", "0 Ann"},
        {{Record(true, "")}, ": ", "0 "},
        {{Record(false, "")}, "", "-"},
        {{Record(false, "")}, "no chat line", "-"},
        {{Record(false, "a")}, "Ann: ", "-"},
        {{Record(false, " ")}, "Ann: ", "0 Ann"},
        {{Record(false, "  ")}, "Ann: ", "0 Ann"},
        {{Record(false, "   ")}, "Ann: ", "-"},
        // Odd records: the word is field 2, the flag the first byte.
        {{"", Record(false, "bad")}, "Ann: bad", "0 Ann"},
        {{kNoSeparator, Record(false, "x")}, "Ann: fine", "-"},
        {{kNoSeparator, Record(false, "x")}, "Ann:  fine", "0 Ann"},
        {{"1\\\\", Record(false, "x")}, "Ann: a  b", "0 Ann"},
        {{"1"}, "Ann: a", "-"},
        // The speaker's name is not searched, only the text after it.
        {{Record(false, "bob")}, "Bob: hi", "-"},
        {{Record(false, "bob")}, "Bob: BOB", "0 Bob"},
        {{Record(false, "ann")}, "Ann:[ann]: x", "0 Ann"},  // the team is searched
        {{Record(false, ": ")}, "Ann: x", "0 Ann"},
        {{Record(false, ":[")}, "Ann:[T]: x", "0 Ann"},
    };
    for (const auto& c : cases) {
        const Matchers m(c.records);
        const std::string trace = "line \"" + c.line + "\", first word \"" +
                                  (c.records.empty() ? "" : c.records[0]) + "\"";
        EXPECT_EQ(Shown(m.reference.Match(c.line)), c.expected) << trace;
        EXPECT_EQ(Shown(m.table.Match(c.line)), c.expected) << trace;
        EXPECT_EQ(Shown(m.trie.Match(c.line)), c.expected) << trace;
    }
}

// Random word lists and lines over a small alphabet, so that words overlap,
// repeat and contain one another, compared with the matcher that searches
// word by word.
class RandomChat {
  public:
    explicit RandomChat(uint32_t seed) : m_random(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    std::string Text(int maxLength) {
        // Letters in both cases, the blank, ignored marks, the separators of a
        // chat line, and bytes of 128 and above with and without a case.
        static constexpr char kBytes[] = "abAB  !*:[]\xC9\xE9\x9F\xFF\x80\t";
        std::string text;
        for (int n = Below(maxLength + 1); n > 0; --n)
            text += kBytes[Below(static_cast<int>(sizeof kBytes) - 1)];
        return text;
    }

    std::vector<std::string> Words(int count) {
        std::vector<std::string> words;
        for (int i = 0; i < count; ++i) {
            if (!words.empty() && Below(4) == 0) {
                // A copy, a prefix or a suffix of an earlier word.
                const std::string& other = words[static_cast<size_t>(Below(i))];
                const size_t cut = static_cast<size_t>(Below(static_cast<int>(other.size()) + 1));
                const int how = Below(3);
                words.push_back(how == 0   ? other
                                : how == 1 ? other.substr(0, cut)
                                           : other.substr(cut));
            } else {
                words.push_back(Text(4));
            }
        }
        return words;
    }

    std::vector<std::string> Records(const std::vector<std::string>& words) {
        std::vector<std::string> records;
        for (const auto& word : words) {
            switch (Below(12)) {
                case 0:
                    records.push_back("1\\" + word);  // the word lacks its backslash
                    break;
                case 1:
                    records.push_back(Text(2));  // no fields at all
                    break;
                default:
                    records.push_back(Record(Below(2) == 0, word));
            }
        }
        return records;
    }

    // A line that often holds some of the words, in any case, with marks
    // and blanks around them.
    std::string Line(const std::vector<std::string>& words) {
        static const char* const kSpeakers[] = {"Ann", "a", "ab", "", "A b", "Bob:[T]"};
        static const char* const kSeparators[] = {": ", ":[T]: ", ":", " ", ": :[x]: "};
        std::string line = Below(8) == 0 ? "" : kSpeakers[Below(6)];
        line += kSeparators[Below(5)];
        for (int parts = Below(6); parts > 0; --parts) {
            if (!words.empty() && Below(2) == 0) {
                std::string word =
                    words[static_cast<size_t>(Below(static_cast<int>(words.size())))];
                for (char& c : word)
                    if (Below(3) == 0)
                        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                if (Below(4) == 0 && !word.empty())
                    word.insert(static_cast<size_t>(Below(static_cast<int>(word.size()))), "*");
                line += word;
            } else {
                line += Text(3);
            }
        }
        return line;
    }

  private:
    std::mt19937 m_random;
};

TEST(BannedWordMatcherTest, MatchesLikeTheWordByWordSearchOnRandomLists) {
    RandomChat chat(20260307);
    int caught = 0;
    int missed = 0;
    for (int list = 0; list < 3000; ++list) {
        // Mostly short lists, where every word meets every other; now and
        // then a long one, where the table grows.
        const int size = list % 50 == 0 ? 200 + chat.Below(300) : chat.Below(12);
        const auto words = chat.Words(size);
        const auto records = chat.Records(words);
        const Matchers m(records);
        for (int n = 0; n < 20; ++n) {
            const std::string line = chat.Line(words);
            const std::string expected = Shown(m.reference.Match(line));
            ASSERT_EQ(Shown(m.table.Match(line)), expected) << "list " << list << ": " << line;
            ASSERT_EQ(Shown(m.trie.Match(line)), expected) << "list " << list << ": " << line;
            (expected == "-" ? missed : caught) += 1;
        }
    }
    // Both outcomes are common, so neither went untested.
    EXPECT_GT(caught, 10000);
    EXPECT_GT(missed, 10000);
}

// The ChatBot keeps its matcher from one reply to the next; it must catch
// exactly what a matcher built afresh for every reply catches.
class ChatBotMatchingTest : public ::testing::Test {
  protected:
    // The rows a reply added, newest first, against a list built from `words`.
    std::vector<int> ExpectedImages(const std::vector<std::string>& words, size_t added) {
        const ReferenceWordMatcher reference(words);
        std::vector<int> images;
        const auto& lines = bot.Lines().Lines();
        for (size_t i = lines.size() - added; i < lines.size(); ++i)
            images.insert(images.begin(), reference.Match(lines[i]) ? kImageCaught : kImageClean);
        return images;
    }
    std::vector<int> Images(size_t count) const {
        std::vector<int> images;
        for (size_t i = 0; i < count; ++i) images.push_back(bot.ChatRows()[i].image);
        return images;
    }

    ManualClock clock;
    testing::RecordingLog log;
    testing::RecordingCommands commands;
    testing::SilentDialogs dialogs;
    struct : ChatLogSink {
        void AppendChatLog(const std::string&, const std::string&) override {}
    } chatLog;
    // The folder does not exist, so the setup stays in memory.
    CChatBot bot{"/nonexistent-tavrin-test/",
                 clock,
                 log,
                 commands,
                 dialogs,
                 chatLog,
                 [](const std::string&) { return std::string(); }};
};

TEST_F(ChatBotMatchingTest, ANewListTakesEffectAtTheNextReply) {
    bot.AcceptBannedWords({{Record(false, "bad")}, {"1\\W\\"}, 1});
    bot.SetOn(true);
    bot.ProcessChatReply("Ann: hi\r\n");
    bot.ProcessChatReply("Ann: hi\r\nAnn: bad\r\n");
    EXPECT_EQ(bot.ChatRows()[0].image, kImageCaught);
    bot.AcceptBannedWords({{Record(false, "worse")}, {"1\\W\\"}, 1});
    bot.ProcessChatReply("Ann: hi\r\nAnn: bad\r\nBob: bad\r\nBob: worse\r\n");
    EXPECT_EQ(Images(2), (std::vector<int>{kImageCaught, kImageClean}));
}

TEST_F(ChatBotMatchingTest, AWordGainedWithTheCountIsLookedForFromTheNextReply) {
    // No backslash after "abc": the word is empty and catches every chat
    // line, until the count written after the first catch closes the field.
    bot.AcceptBannedWords({{"0\\abc"}, {"1\\W\\"}, 1});
    bot.SetOn(true);
    bot.ProcessChatReply("Ann: hi\r\n");
    bot.ProcessChatReply("Ann: hi\r\nAnn: one\r\nAnn: two\r\n");
    EXPECT_EQ(Images(2), (std::vector<int>{kImageCaught, kImageCaught}));
    EXPECT_EQ(RecordField(bot.Config().words[0], 2), "abc");
    bot.ProcessChatReply("Ann: hi\r\nAnn: one\r\nAnn: two\r\nAnn: three\r\nAnn: xabcx\r\n");
    EXPECT_EQ(Images(2), (std::vector<int>{kImageCaught, kImageClean}));
}

TEST_F(ChatBotMatchingTest, CatchesLikeAMatcherBuiltForEveryReply) {
    RandomChat chat(77);
    for (int round = 0; round < 60; ++round) {
        const auto words = chat.Words(chat.Below(30));
        bot.AcceptBannedWords({chat.Records(words), {"1\\W\\"}, 1});
        bot.SetOn(true);
        bot.Reset();
        bot.ProcessChatReply("first\r\n");
        std::string reply = "first\r\n";
        for (int step = 0; step < 8; ++step) {
            for (int n = 1 + chat.Below(4); n > 0; --n) reply += chat.Line(words) + "\r\n";
            const std::vector<std::string> before = bot.Config().words;
            bot.ProcessChatReply(reply);
            const size_t added = static_cast<size_t>(std::stoi(bot.Scan().linesToScan));
            ASSERT_EQ(Images(added), ExpectedImages(before, added)) << "round " << round;
        }
    }
}

}  // namespace
}  // namespace tavrin
