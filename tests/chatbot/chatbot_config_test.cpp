#include "chatbot/chatbot_config.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/text_file.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "support/unreadable_file.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct FieldCase {
    std::string record;
    int field;
    std::string expected;
};

TEST(RecordFieldTest, ReadsFieldsBetweenBackslashes) {
    const FieldCase cases[] = {
        {"1\\bad\\DONT\\[1 PPts]\\4\\", 1, "1"},
        {"1\\bad\\DONT\\[1 PPts]\\4\\", 2, "bad"},
        {"1\\bad\\DONT\\[1 PPts]\\4\\", 5, "4"},
        {"1\\bad\\DONT\\", 4, ""},  // missing field
        {"0\\bad", 2, ""},          // a field needs its closing backslash
        {"abc", 1, ""},
        {"", 3, ""},
        // A backslash inside the word shifts every later field.
        {"0\\a\\b\\DONT\\Monitor Only\\0\\", 3, "b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecordField(c.record, c.field), c.expected) << c.record << " field " << c.field;
}

TEST(RecordFieldTest, PuntPointsFollowThePenaltyText) {
    const std::pair<std::string, int> cases[] = {
        {"Monitor Only", kMonitorOnly},
        {"[0 PPts] - Warn Only", 0},
        {"[1 PPts]", 1},
        {"[2 PPts]", 2},
        {"[3 PPts]", 3},
        {"[4 PPts] - Punt Only", 4},
        {"", kUnknownPenalty},
        {"monitor only", kUnknownPenalty},
        {"Monitor Only ", kUnknownPenalty},
        {"punt [2 or [1", 1},  // marks are tried from "[0" up, wherever they stand
    };
    for (const auto& [penalty, points] : cases)
        EXPECT_EQ(PuntPoints("0\\w\\warn\\" + penalty + "\\0\\"), points) << penalty;
}

TEST(RecordFieldTest, WholeWordLooksAtTheFirstCharacterOnly) {
    EXPECT_TRUE(IsWholeWord("1\\w\\"));
    EXPECT_TRUE(IsWholeWord("10\\w\\"));
    EXPECT_FALSE(IsWholeWord("0\\w\\"));
    EXPECT_FALSE(IsWholeWord(" 1\\w\\"));
    EXPECT_FALSE(IsWholeWord(""));
}

TEST(RecordFieldTest, SettingTheFoundCountKeepsEveryOtherByte) {
    const std::tuple<std::string, int, std::string> cases[] = {
        {"0\\w\\x\\Monitor Only\\7\\", 8, "0\\w\\x\\Monitor Only\\8\\"},
        {"0\\w\\x\\Monitor Only\\\\", 1, "0\\w\\x\\Monitor Only\\1\\"},
        {"0\\w\\x\\[1 PPts]\\", 1, "0\\w\\x\\[1 PPts]\\1\\"},
        {"", 1, "\\\\\\\\1\\"},
        {"0\\a\\b\\w\\p\\3\\", 1, "0\\a\\b\\w\\1\\3\\"},
    };
    for (const auto& [record, count, expected] : cases) {
        EXPECT_EQ(WithFoundCount(record, count), expected) << record;
        EXPECT_EQ(FoundCount(expected), count) << record;
    }
}

struct ParseCase {
    const char* name;
    std::string text;
    ChatBotConfig expected;
};

TEST(ChatBotConfigTest, ParsesSections) {
    const ParseCase cases[] = {
        {"default text",
         std::string(kDefaultChatBotConfig),
         {{"0\\NEWWORD\\EDIT_THIS_WARNING\\Monitor Only\\0\\"}, {"1\\EDIT_THIS_WARNING\\"}, 1}},
        {"empty line is an empty word", "[WORDS]\n\n[WARNINGS]\n[DEFAULT]\n3", {{""}, {}, 3}},
        {"no line feed after the index",
         "[WORDS]\n1\\a\\b\\c\\0\\\n[WARNINGS]\n0\\w\\\n[DEFAULT]\n4",
         {{"1\\a\\b\\c\\0\\"}, {"0\\w\\"}, 4}},
        {"repeated header", "[WORDS]\n[WORDS]\nw\n[WARNINGS]\nx\n[DEFAULT]\n2", {{"w"}, {"x"}, 2}},
        {"no warnings section: the rest is the number", "[WORDS]\na\n7", {{"a"}, {}, 7}},
        {"empty text", "", {{}, {}, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseChatBotConfig(c.text), c.expected) << c.name;
}

TEST(ChatBotConfigTest, FormatHasNoLineFeedAfterTheIndexAndReadsBack) {
    const ChatBotConfig config{{"1\\bad\\DONT\\[2 PPts]\\5\\", ""}, {"1\\DONT\\", "0\\STOP\\"}, 4};
    const std::string text = FormatChatBotConfig(config);
    EXPECT_EQ(text,
              "[WORDS]\n1\\bad\\DONT\\[2 PPts]\\5\\\n\n[WARNINGS]\n1\\DONT\\\n0\\STOP\\\n"
              "[DEFAULT]\n4");
    EXPECT_EQ(ParseChatBotConfig(text), config);
}

class ChatBotConfigFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(MakeDirectory(dir.Path() + "Configs")); }
    std::string FileText() {
        std::string text;
        EXPECT_TRUE(ReadTextFile(dir.Path() + "Configs/chatbot.cfg", text));
        return text;
    }
    testing::TempDir dir;
};

TEST_F(ChatBotConfigFileTest, MissingFileGivesAndWritesTheDefaults) {
    const ChatBotConfig config = LoadChatBotConfig(dir.Path());
    ASSERT_EQ(config.words.size(), 1u);
    EXPECT_EQ(RecordField(config.words[0], 2), "NEWWORD");
    EXPECT_EQ(PuntPoints(config.words[0]), kMonitorOnly);
    EXPECT_FALSE(IsWholeWord(config.words[0]));
    EXPECT_EQ(FoundCount(config.words[0]), 0);
    EXPECT_EQ(config.warnings, std::vector<std::string>{"1\\EDIT_THIS_WARNING\\"});
    EXPECT_EQ(config.defaultPenalty, 1);
    EXPECT_EQ(FileText(), kDefaultChatBotConfig);
}

TEST_F(ChatBotConfigFileTest, SavedFileLoadsBackTheSame) {
    const ChatBotConfig config{{"0\\x\\y\\[4 PPts] - Punt Only\\2\\"}, {"1\\y\\"}, 6};
    std::string failure;
    ASSERT_TRUE(SaveChatBotConfig(dir.Path(), config, &failure)) << failure;
    EXPECT_EQ(FileText(), FormatChatBotConfig(config));
    EXPECT_EQ(LoadChatBotConfig(dir.Path()), config);
}

TEST(ChatBotConfigWordTest, BlankWords) {
    const std::pair<std::string, bool> cases[] = {
        {"", true},   {" ", true},    {"\t \xa0", true}, {"\r\n\v\f", true},
        {"a", false}, {" a ", false}, {"_", false},      {"\x96", false},
    };
    for (const auto& [word, blank] : cases)
        EXPECT_EQ(IsBlankWord(word), blank) << '"' << word << '"';
}

// A blank line in the file used to become an empty banned word, which matched
// every chat line.
TEST_F(ChatBotConfigFileTest, BlankWordsAreSkippedEachWithALogLine) {
    testing::WriteBytes(dir.Path() + "Configs/chatbot.cfg",
                        "[WORDS]\r\n"
                        "\r\n"
                        "0\\bad\\DONT\\[1 PPts]\\0\\\r\n"
                        "1\\ \\DONT\\[1 PPts]\\0\\\r\n"
                        "0\\\\DONT\\Monitor Only\\0\\\r\n"
                        "[WARNINGS]\r\n1\\DONT\\\r\n[DEFAULT]\r\n3");
    testing::RecordingLog log;
    testing::ScriptedDialogs dialogs;
    const ChatBotConfig config = LoadChatBotConfig(dir.Path(), log, dialogs);
    EXPECT_EQ(config, (ChatBotConfig{{"0\\bad\\DONT\\[1 PPts]\\0\\"}, {"1\\DONT\\"}, 3}));
    const std::string path = dir.Path() + "Configs/chatbot.cfg";
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "ChatBot: banned word 1 of " + path + " is blank and was skipped",
                             "ChatBot: banned word 3 of " + path + " is blank and was skipped",
                             "ChatBot: banned word 4 of " + path + " is blank and was skipped",
                         }));
    EXPECT_TRUE(dialogs.messages.empty());
    // Without anyone to tell, they are skipped all the same.
    EXPECT_EQ(LoadChatBotConfig(dir.Path()), config);
}

// The file holds the user's words and warnings: one that is there but cannot
// be read is never replaced by the defaults.
TEST(ChatBotConfigUnreadableTest, IsLeftAloneAndReportedWhileTheDefaultsAreUsed) {
    for (testing::UnreadableKind kind : testing::UnreadableKinds()) {
        testing::TempDir dir;
        ASSERT_TRUE(MakeDirectory(dir.Path() + "Configs"));
        const std::string path = ChatBotConfigPath(dir.Path());
        MakeUnreadable(kind, path);
        testing::RecordingLog log;
        testing::ScriptedDialogs dialogs;
        EXPECT_EQ(LoadChatBotConfig(dir.Path(), log, dialogs),
                  ParseChatBotConfig(kDefaultChatBotConfig))
            << KindName(kind);
        EXPECT_TRUE(LeftAlone(kind, path)) << KindName(kind);
        EXPECT_THAT(dialogs.messages, ElementsAre(HasSubstr("Couldn't read: " + path)))
            << KindName(kind);
        EXPECT_EQ(log.lines, dialogs.messages);
        // Loaded without anyone to tell, it is left alone all the same.
        EXPECT_EQ(LoadChatBotConfig(dir.Path()), ParseChatBotConfig(kDefaultChatBotConfig));
        EXPECT_TRUE(LeftAlone(kind, path)) << KindName(kind);
    }
}

TEST(ChatBotConfigNoFolderTest, LoadWithoutConfigsFolderStillGivesDefaults) {
    testing::TempDir dir;
    EXPECT_EQ(LoadChatBotConfig(dir.Path()), ParseChatBotConfig(kDefaultChatBotConfig));
    std::string failure;
    EXPECT_FALSE(SaveChatBotConfig(dir.Path(), {}, &failure));
    EXPECT_FALSE(failure.empty());
}

}  // namespace
}  // namespace tavrin
