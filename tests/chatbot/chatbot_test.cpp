#include "chatbot/chatbot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "chatbot/printers.h"
#include "common/text_file.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

class RecordingChatLog final : public ChatLogSink {
  public:
    void AppendChatLog(const std::string& date, const std::string& block) override {
        blocks.push_back(date + "|" + block);
    }
    std::vector<std::string> blocks;
};

constexpr const char* kWords[] = {
    "1\\bad\\NO BAD WORDS\\[1 PPts]\\0\\",
    "0\\spy\\NO SPYING\\Monitor Only\\0\\",
    "0\\boom\\BYE\\[4 PPts] - Punt Only\\0\\",
};

class ChatBotTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(MakeDirectory(dir.Path() + "Configs"));
        ASSERT_TRUE(WriteTextFile(
            ChatBotConfigPath(dir.Path()),
            FormatChatBotConfig(
                {{std::begin(kWords), std::end(kWords)}, {"1\\NO BAD WORDS\\", "0\\BE NICE\\"}, 2}),
            WriteMode::Replace));
        bot.LoadConfiguration();
    }

    std::vector<int> Images() const {
        std::vector<int> out;
        for (const auto& row : bot.ChatRows()) out.push_back(row.image);
        return out;
    }
    // Takes in a first reply so that the next replies are matched.
    void Prime() {
        bot.SetOn(true);
        bot.ProcessChatReply("Ann: hi\r\n");
    }

    testing::TempDir dir;
    ManualClock clock{{2026, 3, 7, 14, 5, 9}};
    testing::RecordingLog log;
    testing::RecordingCommands commands;
    testing::ScriptedDialogs dialogs;
    RecordingChatLog chatLog;
    std::map<std::string, std::string> playerIds{{"Ann", "3"}, {"Bob", "7"}};
    CChatBot bot{
        dir.Path(), clock, log, commands, dialogs, chatLog, [this](const std::string& name) {
            auto it = playerIds.find(name);
            return it == playerIds.end() ? std::string() : it->second;
        }};
};

TEST_F(ChatBotTest, FirstReplyIsShownButNeitherMatchedNorLogged) {
    bot.SetOn(true);
    bot.ProcessChatReply("Ann: bad\r\nBob: hello\r\n");
    ASSERT_EQ(bot.ChatRows().size(), 2u);
    EXPECT_EQ(bot.ChatRows()[0], (ChatRow{kImageShown, "[14:05:09] ", "Bob: hello", ""}));
    EXPECT_EQ(Images(), (std::vector<int>{kImageShown, kImageShown}));
    EXPECT_TRUE(chatLog.blocks.empty());
    EXPECT_TRUE(bot.Shamed().Rows().empty());
    EXPECT_EQ(bot.Scan().preLines, "0");
    EXPECT_EQ(bot.Scan().knownLength, "0");
    EXPECT_EQ(bot.Scan().newLength, "22");
    EXPECT_EQ(bot.Scan().postLines, "2");
    EXPECT_EQ(bot.Scan().linesToScan, "None");
}

TEST_F(ChatBotTest, NewLinesAreMatchedLoggedAndCaught) {
    Prime();
    clock.Set({2026, 3, 7, 14, 6, 0});
    bot.ProcessChatReply("Ann: hi\r\nBob: you are bad\r\nAnn: fine\r\n");
    EXPECT_EQ(Images(), (std::vector<int>{kImageClean, kImageCaught, kImageShown}));
    EXPECT_EQ(bot.ChatRows()[1].caught, "bad") << "the tab highlights the word caught";
    EXPECT_EQ(bot.ChatRows()[0].caught, "");
    EXPECT_EQ(bot.Scan().linesToScan, "2");
    EXPECT_EQ(chatLog.blocks, std::vector<std::string>{
                                  "07-03-26|[14:06:00] Bob: you are bad\n[14:06:00] Ann: fine\n"});
    EXPECT_EQ(FoundCount(bot.Config().words[0]), 1);
    ASSERT_EQ(bot.Shamed().Rows().size(), 1u);
    EXPECT_EQ(bot.Shamed().Rows()[0], (CShamed::Row{"Bob", 1, "NO BAD WORDS", "bad", true}));
}

TEST_F(ChatBotTest, MonitorOnlyWordsAreCountedButNobodyIsListed) {
    Prime();
    bot.ProcessChatReply("Ann: hi\r\nBob: I spy\r\n");
    EXPECT_EQ(Images().front(), kImageCaught);
    EXPECT_EQ(FoundCount(bot.Config().words[1]), 1);
    EXPECT_TRUE(bot.Shamed().Rows().empty());
}

TEST_F(ChatBotTest, WhileOffLinesAreShownOnly) {
    Prime();
    bot.SetOn(false);
    bot.ProcessChatReply("Ann: hi\r\nBob: bad\r\n");
    EXPECT_EQ(Images().front(), kImageShown);
    EXPECT_EQ(chatLog.blocks.size(), 1u);
    EXPECT_TRUE(bot.Shamed().Rows().empty());
}

TEST_F(ChatBotTest, IdenticalRepliesAddNothing) {
    Prime();
    bot.ProcessChatReply("Ann: hi\r\n");
    EXPECT_EQ(bot.Scan().linesToScan, "None");
    EXPECT_EQ(bot.ChatRows().size(), 1u);
}

TEST_F(ChatBotTest, AnotherCommandsAnswerDoesNotRepeatOldLines) {
    std::string chat;
    for (int i = 1; i <= 41; ++i) chat += "Bob: bad " + std::to_string(i) + "\r\n";
    Prime();
    bot.ProcessChatReply(chat);
    ASSERT_EQ(bot.Shamed().Rows().size(), 1u);
    EXPECT_EQ(bot.Shamed().Rows()[0].puntPts, 41);
    bot.ProcessChatReply("Time of day set");  // not chat: the router passes it on anyway
    bot.ProcessChatReply(chat + "Ann: hi again\r\n");
    EXPECT_EQ(bot.Shamed().Rows()[0].puntPts, 41);
    EXPECT_EQ(FoundCount(bot.Config().words[0]), 41);
    ASSERT_EQ(chatLog.blocks.size(), 2u);
    EXPECT_EQ(chatLog.blocks[1], "07-03-26|[14:05:09] Ann: hi again\n");
}

TEST_F(ChatBotTest, FirstReplyAfterResetIsLoggedButNotMatched) {
    Prime();
    bot.ProcessChatReply("Ann: hi\r\nAnn: more\r\n");
    bot.Reset();
    EXPECT_TRUE(bot.ChatRows().empty());
    EXPECT_TRUE(bot.Lines().KnownText().empty());
    bot.ProcessChatReply("Bob: bad\r\n");
    EXPECT_EQ(Images(), std::vector<int>{kImageShown});
    EXPECT_EQ(chatLog.blocks.size(), 2u);
    EXPECT_EQ(chatLog.blocks.back(), "07-03-26|[14:05:09] Bob: bad\n");
}

TEST_F(ChatBotTest, ListIsCutToTheNewest45Lines) {
    Prime();
    std::string reply = "Ann: hi\r\n";
    for (int i = 1; i <= 49; ++i) reply += "Ann: line " + std::to_string(i) + "\r\n";
    bot.ProcessChatReply(reply);
    EXPECT_EQ(bot.Scan().postLines, "50");
    EXPECT_EQ(bot.Scan().excessLines, "5");
    ASSERT_EQ(bot.ChatRows().size(), kMaxChatLines);
    EXPECT_EQ(bot.Lines().Lines().size(), kMaxChatLines);
    EXPECT_EQ(bot.ChatRows().front().text, "Ann: line 49");
    EXPECT_EQ(bot.ChatRows().back().text, "Ann: line 5");
}

TEST_F(ChatBotTest, SendPostsARawCommandOrAChatLine) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"$player list", {"player list"}},
        {"$$pla$yer list", {"player list"}},
        {"hello", {"chat send hello"}},
        {"", {"chat send "}},
        {"a$b", {"chat send a$b"}},
        {"$", {}},
        {"$$$", {}},
    };
    for (const auto& [text, sent] : cases) {
        commands.commands.clear();
        bot.Send(text);
        EXPECT_EQ(commands.Texts(), sent) << text;
        for (const auto& c : commands.commands) {
            EXPECT_EQ(c.pauseAfterMs, 250);
            EXPECT_EQ(c.route, PacedCommand::Route::Request);
        }
    }
}

TEST_F(ChatBotTest, SendRefusesACommandLongerThanTheBuffer) {
    bot.Send(std::string(117, 'x'));  // "chat send " + 117 = 127
    EXPECT_EQ(commands.commands.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
    bot.Send(std::string(118, 'x'));
    bot.Send("$" + std::string(128, 'y'));
    EXPECT_EQ(commands.commands.size(), 1u);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_NE(dialogs.messages[0].find("127"), std::string::npos);
}

TEST_F(ChatBotTest, RequestChatAndStartStopLabel) {
    bot.RequestChat();
    EXPECT_EQ(commands.Texts(), std::vector<std::string>{"chat get"});
    EXPECT_STREQ(bot.StartStopLabel(), "Start ChatBot");
    bot.SetOn(true);
    EXPECT_STREQ(bot.StartStopLabel(), "Stop ChatBot");
}

TEST_F(ChatBotTest, RightClickWarnsTheSpeakerAfterAYes) {
    bot.ProcessChatReply("Game over\r\nBob:[TEAM]: go\r\n");
    EXPECT_FALSE(bot.MenuForChatRow(1));  // "Game over" names nobody
    EXPECT_FALSE(bot.MenuForChatRow(2));
    const auto menu = bot.MenuForChatRow(0);
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->speaker, "Bob");
    EXPECT_EQ(menu->warnings, (std::vector<std::string>{"NO BAD WORDS", "BE NICE"}));

    dialogs.yesNoAnswers = {false, true};
    bot.WarnSpeaker(menu->speaker, "BE NICE");
    EXPECT_TRUE(commands.commands.empty());
    bot.WarnSpeaker(menu->speaker, "BE NICE");
    EXPECT_EQ(dialogs.questions, std::vector<std::string>(2, "Warn: this player > BE NICE"));
    EXPECT_EQ(commands.commands, (std::vector<PacedCommand>{{"chat send Bob  > BE NICE", 250,
                                                             PacedCommand::Route::Request}}));
}

TEST_F(ChatBotTest, ClockTickRunsTheSanctionsPassOnlyWhenOnAndConnected) {
    const std::tuple<bool, bool, bool> cases[] = {
        {true, true, true}, {true, false, false}, {false, true, false}, {false, false, false}};
    for (const auto& [on, connected, runs] : cases) {
        bot.Shamed().ClearList();
        bot.Shamed().RecordCatch("Bob", 1, "NO BAD WORDS", "bad", false);
        commands.commands.clear();
        bot.SetOn(on);
        const std::vector<std::string> shown = bot.OnClockTick(connected);
        EXPECT_EQ(commands.commands.size(), runs ? 1u : 0u) << on << connected;
        // What the pass does reaches the "Rat Command" field through its result.
        EXPECT_EQ(shown, runs ? std::vector<std::string>{"Warning Bob NO BAD WORDS bad"}
                              : std::vector<std::string>{})
            << on << connected;
    }
}

// The game echoes every "chat send" line as "Admin: " + text. The warning
// "NO BAD WORDS" holds the banned word "bad"; were its echo caught, "Admin"
// would be warned each second, and each warning caught again.
TEST_F(ChatBotTest, TheConsolesOwnChatLinesAreNeverCaught) {
    std::vector<std::string> chat{"Ann: hi"};
    auto reply = [&chat] {
        std::string text;
        for (const auto& line : chat) text += line + "\r\n";
        return text;
    };
    bot.SetOn(true);
    bot.ProcessChatReply(reply());
    chat.push_back("Bob: you are bad");
    bot.ProcessChatReply(reply());
    size_t sent = 0;
    for (int tick = 0; tick < 5; ++tick) {
        (void)bot.OnClockTick(true);
        // What the session does with each command it sends, and what the game does.
        for (; sent < commands.commands.size(); ++sent) {
            const std::string& command = commands.commands[sent].text;
            bot.OnCommandSent(command);
            if (command.rfind("chat send ", 0) == 0) chat.push_back("Admin: " + command.substr(10));
        }
        bot.ProcessChatReply(reply());
    }
    EXPECT_EQ(commands.Texts(), std::vector<std::string>{"chat send Bob  Warning NO BAD WORDS "});
    ASSERT_EQ(bot.Shamed().Rows().size(), 1u);
    EXPECT_EQ(bot.Shamed().Rows()[0].player, "Bob");
    EXPECT_EQ(bot.ChatRows().front(),
              (ChatRow{kImageClean, "[14:05:09] ", "Admin: Bob  Warning NO BAD WORDS ", ""}));
    EXPECT_EQ(FoundCount(bot.Config().words[0]), 1);
}

// Only the echo itself is excused, and once: a player who adds a word to the
// console's line is matched like any other line; one who repeats it word for
// word takes the place of its echo, which is then matched.
TEST_F(ChatBotTest, APlayerCannotHideAWordBehindTheConsolesLine) {
    Prime();
    bot.OnCommandSent("chat send Warning Bob NO BAD WORDS ");
    bot.ProcessChatReply(
        "Ann: hi\r\n"
        "Bob: Warning Bob NO BAD WORDS \r\n"
        "Admin: Warning Bob NO BAD WORDS  bad\r\n"
        "Admin: Warning Bob NO BAD WORDS \r\n"
        "Admin: Warning Bob NO BAD WORDS \r\n");
    EXPECT_EQ(Images(), (std::vector<int>{kImageCaught, kImageCaught, kImageCaught, kImageClean,
                                          kImageShown}));
    EXPECT_EQ(FoundCount(bot.Config().words[0]), 3);
}

// Games show the console's chat under a name of their own choosing.
TEST_F(ChatBotTest, TheConsolesLineIsNotCaughtWhateverNameTheGameShows) {
    for (const char* speaker : {"Admin", "Host", "Server Console", "[SRV]"}) {
        SCOPED_TRACE(speaker);
        CChatBot fresh{dir.Path(), clock, log, commands, dialogs, chatLog, {}};
        fresh.LoadConfiguration();
        fresh.SetOn(true);
        fresh.ProcessChatReply("Ann: hi\r\n");
        fresh.OnCommandSent("chat send Bob  Warning NO BAD WORDS ");
        fresh.ProcessChatReply("Ann: hi\r\n" + std::string(speaker) +
                               ": Bob  Warning NO BAD WORDS \r\n");
        EXPECT_EQ(fresh.ChatRows().front().image, kImageClean);
        EXPECT_TRUE(fresh.Shamed().Rows().empty());
    }
}

// The server's buffer between two replies: whatever it did, a line already
// taken in is neither matched, listed nor logged again.
TEST_F(ChatBotTest, ALineSeenIsNeverTakenAgain) {
    std::string pad;
    for (int i = 1; i <= 44; ++i) pad += "Ann: line " + std::to_string(i) + "\r\n";
    const std::string said = pad + "Bob: you are bad\r\n";
    // A server that pads each reply to one size after its last line end.
    auto padded = [](const std::string& text) {
        return text + "\n" + std::string(4000 - text.size(), '.');
    };
    const struct {
        const char* name;
        std::string caught;  // the reply where Bob was caught
        std::string next;    // the reply after it
        bool reset;          // a reset (or a connect) came between the two
        std::string logged;
    } cases[] = {
        {"buffer trimmed to its newest lines", said,
         "Ann: line 44\r\nBob: you are bad\r\nCy: hi\r\n", false, "[14:05:09] Cy: hi\n"},
        {"padded after its last line", padded(said), padded(said + "Cy: hi\r\n"), false,
         "[14:05:09] Cy: hi\n"},
        {"after a reconnect", said, said + "Cy: hi\r\n", true, "[14:05:09] Cy: hi\n"},
        {"the same words said again", said, said + "Bob: you are bad\r\n", false,
         "[14:05:09] Bob: you are bad\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingChatLog sink;
        CChatBot fresh{dir.Path(), clock, log, commands, dialogs, sink, {}};
        fresh.LoadConfiguration();
        fresh.SetOn(true);
        fresh.ProcessChatReply(pad);
        fresh.ProcessChatReply(c.caught);
        ASSERT_EQ(fresh.Shamed().Rows().size(), 1u);
        if (c.reset) fresh.Reset();
        fresh.ProcessChatReply(c.next);
        const bool again = c.logged.find("bad") != std::string::npos;
        EXPECT_EQ(fresh.Shamed().Rows()[0].puntPts, again ? 2 : 1);
        EXPECT_EQ(FoundCount(fresh.Config().words[0]), again ? 2 : 1);
        ASSERT_EQ(sink.blocks.size(), 2u);
        EXPECT_EQ(sink.blocks[1], "07-03-26|" + c.logged);
    }
}

TEST_F(ChatBotTest, BannedWordsDialogOkReplacesAndSavesTheSetup) {
    CBannedWords dialog = bot.OpenBannedWords();
    dialog.NewWord();
    dialog.EditWord(3, "newbad");
    bot.AcceptBannedWords(dialog.Ok());
    ASSERT_EQ(bot.Config().words.size(), 4u);
    EXPECT_EQ(bot.Config().words[3], "0\\newbad\\NO BAD WORDS\\[0 PPts] - Warn Only\\0\\");
    EXPECT_EQ(LoadChatBotConfig(dir.Path()), bot.Config());
}

TEST_F(ChatBotTest, FailedSaveIsReported) {
    testing::TempDir elsewhere;  // has no Configs folder
    CChatBot other(elsewhere.Path(), clock, log, commands, dialogs, chatLog, {});
    other.AcceptBannedWords({{"0\\w\\x\\Monitor Only\\0\\"}, {"1\\x\\"}, 1});
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].rfind("The ChatBot setup was not saved", 0), 0u);
}

class ScanChatlogTest : public ChatBotTest {
  protected:
    std::string WriteLog(const std::string& text) {
        const std::string path = dir.File("chatlog.txt");
        EXPECT_TRUE(WriteTextFile(path, text, WriteMode::Replace));
        return path;
    }
};

TEST_F(ScanChatlogTest, ReplaysALogWithoutSanctioningOrLogging) {
    dialogs.fileAnswers = {
        WriteLog("[10:00:00] Bob: bad start\n"
                 "[10:00:01] Ann: I spy\n"
                 "nostamp\n"
                 "[10:00:02] Bob: so bad\n"
                 "[10:00:03] Cy: boom\n"
                 "[10:00:04] Ann: cut")};
    bot.ScanChatlog();
    EXPECT_FALSE(bot.IsOn());
    EXPECT_EQ(dialogs.fileSuggestions, std::vector<std::string>{dir.Path()});
    const FileQuestion chatlogs{"Scan Chatlog", dir.Path(), "Text Files (chatlog.txt)|chatlog.txt",
                                "txt"};
    EXPECT_EQ(dialogs.fileQuestions, std::vector<FileQuestion>{chatlogs});
    EXPECT_TRUE(chatLog.blocks.empty());
    // The first line meets an empty buffer and is not matched; the last has no line end.
    EXPECT_EQ(Images(), (std::vector<int>{kImageCaught, kImageCaught, kImageCaught, kImageShown}));
    EXPECT_EQ(bot.ChatRows().back().text, "Bob: bad start");
    // Listed (monitor-only too), never ticked.
    const auto& rows = bot.Shamed().Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (CShamed::Row{"Cy", 4, "BYE", "boom", false, true}));
    EXPECT_EQ(rows[1], (CShamed::Row{"Bob", 1, "NO BAD WORDS", "bad", false, true}));
    EXPECT_EQ(rows[2], (CShamed::Row{"Ann", 0, "NO SPYING", "spy", false, true}));

    bot.SetOn(true);
    EXPECT_TRUE(bot.OnClockTick(true).empty());
    EXPECT_TRUE(commands.commands.empty());
    // A live reply afterwards is logged: the first batch was used up by the replay.
    bot.ProcessChatReply("Zed: hi\r\n");
    EXPECT_EQ(chatLog.blocks.size(), 1u);
}

TEST_F(ScanChatlogTest, ReplayedPointsNeverTurnALaterLiveCatchIntoAPunt) {
    // Three replayed catches of a one-point word: Bob would have had 3 points.
    dialogs.fileAnswers = {
        WriteLog("[10:00:00] Ann: hi\n"
                 "[10:00:01] Bob: bad one\n"
                 "[10:00:02] Bob: bad two\n"
                 "[10:00:03] Bob: bad three\n")};
    bot.ProcessChatReply("Ann: hi\r\n");  // the live chat's first reply, shown only
    bot.ScanChatlog();
    ASSERT_EQ(bot.Shamed().Rows().size(), 1u);
    EXPECT_EQ(bot.Shamed().Rows()[0].puntPts, 3);

    // One live catch is one point: a warning, not a punt.
    bot.SetOn(true);
    bot.ProcessChatReply("Ann: hi\r\nBob: bad live\r\n");
    EXPECT_EQ(bot.OnClockTick(true), std::vector<std::string>{"Warning Bob NO BAD WORDS bad"});
    EXPECT_EQ(commands.Texts(), std::vector<std::string>{"chat send Bob  Warning NO BAD WORDS "});
}

TEST_F(ScanChatlogTest, AReplayNeitherExcusesNorUsesUpTheConsolesLines) {
    bot.OnCommandSent("chat send NO BAD WORDS");
    dialogs.fileAnswers = {
        WriteLog("[10:00:00] Ann: hi\n"
                 "[10:00:01] Admin: NO BAD WORDS\n")};
    bot.ScanChatlog();
    EXPECT_EQ(Images().front(), kImageCaught);
    bot.Reset();
    bot.SetOn(true);
    bot.ProcessChatReply("Ann: hi\r\n");
    bot.ProcessChatReply("Ann: hi\r\nAdmin: NO BAD WORDS\r\n");
    EXPECT_EQ(Images().front(), kImageClean);
}

// A replay while logged in leaves the live chat where it was: the next live
// reply adds only what the server said since, to the list, the log and the
// sanctions alike.
TEST_F(ScanChatlogTest, TheLiveChatGoesOnWhereItWasAfterAReplay) {
    Prime();
    bot.ProcessChatReply("Ann: hi\r\nBob: you are bad\r\n");
    EXPECT_EQ(bot.OnClockTick(true), std::vector<std::string>{"Warning Bob NO BAD WORDS bad"});
    dialogs.fileAnswers = {WriteLog("[10:00:00] Cy: hello\n[10:00:01] Cy: so bad\n")};
    bot.ScanChatlog();
    ASSERT_EQ(chatLog.blocks.size(), 1u);

    bot.ProcessChatReply("Ann: hi\r\nBob: you are bad\r\nAnn: bye\r\n");
    EXPECT_EQ(bot.ChatRows().front().text, "Ann: bye");
    EXPECT_EQ(bot.ChatRows()[1].text, "Cy: so bad") << "no old line shown again";
    ASSERT_EQ(chatLog.blocks.size(), 2u);
    EXPECT_EQ(chatLog.blocks[1], "07-03-26|[14:05:09] Ann: bye\n");
    EXPECT_TRUE(bot.OnClockTick(true).empty()) << "Bob is not warned again";
}

// A window reads a large log in pieces on another thread, then shows the
// results: the same as a replay of the whole file at once, and nothing of the
// live chat changes before.
TEST_F(ScanChatlogTest, AReplayReadInPiecesEndsAsOneReadAtOnce) {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "[10:00:00] P" + std::to_string(i % 7) + (i % 5 ? ": hi\r\n" : ": bad\r\n");
    text += "[10:00:00] P1: I spy\r\n[10:00:00] Cy: bo";
    const std::string path = WriteLog("");
    std::ofstream(path, std::ios::binary) << text;  // as the console writes it: CR LF

    ChatBotTest::Prime();
    bot.ProcessChatReply("Ann: hi\r\nBob: bad\r\n");
    const auto liveRows = bot.ChatRows();
    const auto liveCaught = bot.Shamed().Rows();
    dialogs.fileAnswers = {path};
    const auto job = bot.BeginScan();
    ASSERT_TRUE(job);
    ChatLogReplay pieces(job->words, job->stamp);
    for (size_t at = 0; at < text.size(); at += 13)
        pieces.Feed(std::string_view(text).substr(at, 13));
    ChatLogReplay whole(job->words, job->stamp);
    ASSERT_TRUE(ReplayChatLogFile(path, whole));
    EXPECT_EQ(pieces.Rows(), whole.Rows());
    EXPECT_EQ(pieces.Catches(), whole.Catches());
    EXPECT_EQ(pieces.Words(), whole.Words());
    ASSERT_EQ(whole.Rows().size(), kMaxChatLines);
    EXPECT_EQ(whole.Rows().front().text, "P1: I spy");
    EXPECT_EQ(whole.Catches().size(), 7u);  // P0 to P6 said "bad" (the first line is not matched)
    // Until the results are shown, the live chat is as it was.
    EXPECT_EQ(bot.ChatRows(), liveRows);
    EXPECT_EQ(bot.Shamed().Rows(), liveCaught);

    bot.FinishScan(*job, pieces);
    EXPECT_EQ(bot.ChatRows(), whole.Rows());
    EXPECT_EQ(bot.Shamed().Rows().size(), liveCaught.size() + 7);
    EXPECT_EQ(FoundCount(bot.Config().words[0]), 1 + 59);
}

TEST_F(ScanChatlogTest, CancelRestoresTheOnOffState) {
    for (bool on : {false, true}) {
        bot.SetOn(on);
        bot.ScanChatlog();
        EXPECT_EQ(bot.IsOn(), on);
    }
    EXPECT_TRUE(bot.ChatRows().empty());
}

TEST_F(ScanChatlogTest, UnreadableFileIsReported) {
    dialogs.fileAnswers = {dir.File("missing.txt")};
    bot.ScanChatlog();
    EXPECT_EQ(dialogs.messages,
              std::vector<std::string>{"Could not read " + dir.File("missing.txt")});
}

}  // namespace
}  // namespace tavrin
