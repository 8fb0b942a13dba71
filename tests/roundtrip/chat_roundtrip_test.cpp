// "chat get" replies of the simulated game, taken in by the ChatBot while the
// game chats on: the new lines found over the overlapping replies must be the
// lines the game added, each once and in order, and the ChatBot must catch
// exactly those that hold a banned word.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "chatbot/chatbot.h"
#include "common/text_file.h"
#include "roundtrip/roundtrip_support.h"
#include "sim/sim_game.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using roundtrip::Chooser;
using sim::SimGame;

class RecordingChatLog final : public ChatLogSink {
  public:
    void AppendChatLog(const std::string&, const std::string& block) override {
        blocks.push_back(block);
    }
    // The logged chat lines without their time stamps.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const auto& block : blocks) {
            size_t from = 0;
            for (size_t end = block.find('\n'); end != std::string::npos;
                 end = block.find('\n', from)) {
                const std::string line = block.substr(from, end - from);
                from = end + 1;
                const size_t stamp = line.find("] ");
                lines.push_back(stamp == std::string::npos ? line : line.substr(stamp + 2));
            }
        }
        return lines;
    }
    std::vector<std::string> blocks;
};

// The words the simulated players are rude with, and a line that holds one.
const std::vector<std::string> kBannedWords = {"noob", "cheater", "idiot"};

bool IsRude(const std::string& line) {
    for (const auto& w : kBannedWords)
        if (line.find(w) != std::string::npos) return true;
    return false;
}

// What the admin says now and then between two polls. The lines are as short
// as the bots' on purpose: when a few long lines leave the server's buffer
// between two polls, the reply can shrink below four fifths of the last one,
// which the scanner takes for a restarted buffer and shows whole again.
const std::vector<std::string> kAdminLines = {"welcome all", "play fair please", "you noob",
                                              "next map in five", "no idiot moves"};

struct ChatRoundTrip : ::testing::TestWithParam<uint32_t> {
    testing::TempDir dir;
    ManualClock clock{{2026, 12, 10, 12, 0, 0}};
    testing::RecordingLog events;
    testing::RecordingCommands commands;
    testing::ScriptedDialogs dialogs;
    RecordingChatLog chatLog;
    CChatBot bot{dir.Path(), clock, events, commands, dialogs, chatLog, [](const std::string&) {
                     return std::string();
                 }};

    ChatRoundTrip() {
        ChatBotConfig config;
        // Monitor-only words: caught and counted, nobody is sanctioned.
        for (const auto& w : kBannedWords)
            config.words.push_back("1\\" + w + "\\mind it\\Monitor Only\\0\\");
        config.warnings.push_back("1\\mind it\\");
        std::string failure;
        EXPECT_TRUE(MakeDirectory(dir.Path() + "Configs"));
        EXPECT_TRUE(SaveChatBotConfig(dir.Path(), config, &failure)) << failure;
        bot.LoadConfiguration();
        bot.SetOn(true);
    }

    // One poll a second later than the last, so each reply's rows carry a
    // time stamp of their own.
    void Poll(SimGame& game) {
        LocalTime t = clock.Now();
        const int s = t.hour * 3600 + t.minute * 60 + t.second + 1;
        t.hour = s / 3600 % 24;
        t.minute = s / 60 % 60;
        t.second = s % 60;
        clock.Set(t);
        bot.ProcessChatReply(game.Execute("chat get"));
    }

    // The rows the last poll added, oldest first.
    std::vector<ChatRow> RowsOfLastPoll() const {
        const std::string stamp = "[" + TimeText(clock.Now()) + "] ";
        std::vector<ChatRow> rows;
        for (ChatRow row : bot.ChatRows()) {
            if (row.time != stamp) continue;
            row.caught.clear();  // which word caught a row is the ChatBot's own tests' matter
            rows.insert(rows.begin(), row);
        }
        return rows;
    }
};

// One tick of play; returns the chat line it added, if any.
std::optional<std::string> TickAndTakeChat(SimGame& game) {
    const std::vector<std::string> before = game.ChatLines();
    game.Tick();
    const std::vector<std::string>& after = game.ChatLines();
    // A tick adds at most one line; a full buffer drops its oldest for it.
    if (after.size() > before.size() || after != before) return after.back();
    return std::nullopt;
}

TEST_P(ChatRoundTrip, NewLinesOverSuccessiveRepliesAreExactlyTheLinesTheGameAdded) {
    SimGame game(GetParam());
    Chooser choose(GetParam());

    // The first reply shows what the server held before we came, unmatched and unlogged.
    Poll(game);
    {
        std::vector<ChatRow> want;
        for (const auto& line : game.ChatLines())
            want.push_back({kImageShown, "[" + TimeText(clock.Now()) + "] ", line, ""});
        EXPECT_EQ(RowsOfLastPoll(), want);
        EXPECT_TRUE(chatLog.blocks.empty());
    }

    std::vector<std::string> added;
    for (int poll = 0; poll < 120 && !HasFailure(); ++poll) {
        std::vector<std::string> now;
        // Up to eight ticks between polls keep every new line in the 50-line buffer.
        for (int t = choose.Between(0, 8); t > 0; --t)
            if (auto line = TickAndTakeChat(game)) now.push_back(*line);
        if (choose.OneIn(6)) {
            // A speaker the bots are not, maybe a newcomer who joins to say it.
            static const std::vector<std::string> kSpeakers = {"Zo\xEB", "x_1", "Mr.Smith", "Dr-No",
                                                               "<Ghost>"};
            const std::string& name = choose.Pick(kSpeakers);
            const std::string& text = choose.Pick(kAdminLines);
            if (game.Say(name, text)) now.push_back(name + ": " + text);
        }
        if (choose.OneIn(5)) {
            const std::string& text = choose.Pick(kAdminLines);
            ASSERT_EQ(game.Execute("chat send " + text), "Chat sent.");
            now.push_back("Admin: " + text);
        }
        Poll(game);

        SCOPED_TRACE("poll " + std::to_string(poll));
        std::vector<ChatRow> want;
        for (const auto& line : now)
            want.push_back({IsRude(line) ? kImageCaught : kImageClean,
                            "[" + TimeText(clock.Now()) + "] ", line, ""});
        EXPECT_EQ(RowsOfLastPoll(), want);
        EXPECT_EQ(bot.Scan().linesToScan, now.empty() ? "None" : std::to_string(now.size()));
        EXPECT_LE(bot.Lines().Lines().size(), kMaxChatLines);
        added.insert(added.end(), now.begin(), now.end());
    }
    // The chat log holds every added line once, in the order said.
    EXPECT_EQ(chatLog.Lines(), added);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ChatRoundTrip, ::testing::ValuesIn(roundtrip::kSeeds),
                         [](const auto& info) { return roundtrip::SeedName(info.param); });

}  // namespace
}  // namespace tavrin
