// The console's session against the simulated game server's session, joined
// byte for byte without a network: every command of the server's command
// table goes out as a frame, its reply comes back through the console's frame
// reader and reply router, and must land in the model the router gives that
// kind of reply to, with the follow-up command and status text of its kind.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/tab_models.h"
#include "chatbot/chat_line_tracker.h"
#include "chatbot/chat_text.h"
#include "link/frame.h"
#include "link/session.h"
#include "missions/mission_reply.h"
#include "missions/missions.h"
#include "players/admin_actions.h"
#include "players/player_list.h"
#include "roundtrip/roundtrip_support.h"
#include "settings/game_settings.h"
#include "settings/settings_tab.h"
#include "settings/weapons_list.h"
#include "sim/sim_game.h"
#include "sim/sim_session.h"
#include "support/fakes.h"
#include "support/virtual_host.h"

namespace tavrin {
namespace {

using sim::SimGame;

// The tabs' models behind the session, wired as the console wires them; each
// parse is noted so that a test sees where a reply went.
class RoutedModels final : public SessionModels {
  public:
    LoginDetails CurrentLoginDetails() override {
        return {"Sim", "127.0.0.1", "40000", "admin", "secret"};
    }
    void OnConnectStarting() override {
        missions.ClearForNewConnection();
        chat.Clear();
    }
    // The markers the console's models give.
    ReplyMarkers Markers() const override { return TabModels::ModelMarkers(); }
    std::optional<CurrentMission> ParseMissionReply(const std::string& text) override {
        const MissionList list = ClassifyMissionReply(text);
        if (list == MissionList::None) return std::nullopt;
        parsed.push_back(list == MissionList::Cycle ? "cycle" : "available");
        missions.ParseMissionReply(list, text);
        return CurrentMission{missions.CurrentMissionName(), missions.CurrentMissionFile()};
    }
    TeamCounts ParsePlayerList(const std::string& text) override {
        parsed.push_back("players");
        const PlayerCounts c = players.ParsePlayerList(text);
        return {c.total, c.team1, c.team2};
    }
    std::string ParseGameSettings(const std::string& text) override {
        parsed.push_back("settings");
        settings.ParseGameSettings(text);
        return settings.ServerName();
    }
    void OnCommandSent(const std::string&) override {}
    bool ChatBotRunning() override { return false; }
    std::vector<std::string> RunSanctionsPass(CommandSink&) override { return {}; }
    void ParseWeaponsList(const std::string& text) override {
        parsed.push_back("weapons");
        settings.ParseWeaponList(text);
    }
    void ProcessChatReply(const std::string& text) override {
        parsed.push_back("chat");
        chat.TakeReply(text);
        chat.CutTo(kMaxChatLines);
    }

    testing::RecordingCommands tabCommands;
    testing::ScriptedDialogs tabDialogs;
    PlayerList players;
    CMissions missions{tabCommands, tabDialogs};
    CSettings settings{"", tabCommands, tabDialogs};
    ChatLineTracker chat;
    std::vector<std::string> parsed;
};

std::string CommandText(const std::string& frame) {
    return frame.substr(kFrameHeaderSize, frame.size() - kFrameHeaderSize - 1);
}

struct LinkRoundTrip : ::testing::TestWithParam<uint32_t> {
    SimGame game{GetParam()};
    sim::FaultState faults;
    std::vector<sim::Account> accounts{{"admin", "secret"}};
    sim::SimSession server{game, accounts, faults};

    ManualClock clock{{2026, 12, 10, 12, 0, 0}};
    testing::VirtualHost host;
    RoutedModels models;
    testing::RecordingLog log;
    testing::ScriptedDialogs dialogs;
    RatSession session{host, models, log, dialogs, clock};
    FrameReader reader;
    size_t delivered = 0;              // frames of host.sent handed to the server
    std::vector<std::string> replies;  // reply texts, in arrival order

    LinkRoundTrip() {
        host.session = &session;
        host.clock = &clock;
    }

    void Receive(const std::vector<std::string>& frames) {
        for (const auto& frame : frames) {
            std::string_view rest = frame;
            while (!rest.empty()) {
                FrameReader::Result r = reader.Feed(rest);
                ASSERT_NE(r.status, FrameReader::Status::Broken);
                rest.remove_prefix(r.used);
                if (r.status != FrameReader::Status::Frame) continue;
                replies.push_back(r.text);
                session.OnRatFrameReceived(r.text);
            }
        }
    }

    // Hands every frame the console sent to the server and its replies back,
    // until the console has nothing more to say.
    void Pump() {
        while (delivered < host.sent.size()) {
            const sim::SessionOutput out = server.Feed(host.sent[delivered++].frame);
            ASSERT_FALSE(out.close);
            Receive(out.frames);
        }
    }

    void LogIn() {
        session.OnConnectRequest();
        session.OnRatConnected();
        Receive(server.Start().frames);
        Pump();
        ASSERT_TRUE(server.LoggedIn());
        ASSERT_TRUE(session.State().m_fRATConnected);
        // The first commands leave 250 ms apart.
        for (int i = 0; i < 8; ++i) {
            host.Advance(250);
            Pump();
        }
    }

    struct Exchange {
        std::string reply;                   // the server's answer to the command
        std::vector<std::string> parsed;     // models that parsed, in order
        std::vector<std::string> followUps;  // commands the router sent after it
        std::vector<std::string> responses;  // texts the Rat Response field showed
    };

    Exchange Send(const std::string& command) {
        models.parsed.clear();
        const size_t sentBefore = host.sent.size(), repliesBefore = replies.size(),
                     fieldsBefore = host.fieldChanges.size();
        session.OnCommandRequest(command);
        Pump();
        Exchange e;
        if (replies.size() > repliesBefore) e.reply = replies[repliesBefore];
        e.parsed = models.parsed;
        for (size_t i = sentBefore + 1; i < host.sent.size(); ++i)
            e.followUps.push_back(CommandText(host.sent[i].frame));
        static const std::string kResponse = "Rat Response: ";
        for (size_t i = fieldsBefore; i < host.fieldChanges.size(); ++i) {
            const std::string& change = host.fieldChanges[i];
            if (change.rfind(kResponse, 0) == 0 && change.size() > kResponse.size())
                e.responses.push_back(change.substr(kResponse.size()));
        }
        return e;
    }
};

// Where each kind of reply must go. A response of "=" stands for the reply itself.
struct RouteCase {
    const char* what;
    std::function<std::string(const SimGame&)> command;
    std::vector<std::string> parsed;
    std::vector<std::string> followUps;
    std::vector<std::string> responses;
};

std::function<std::string(const SimGame&)> Fixed(const char* command) {
    return [command](const SimGame&) { return std::string(command); };
}

std::function<std::string(const SimGame&)> OnFirstPlayer(const char* action) {
    return [action](const SimGame& g) {
        return std::string("player ") + action + " " + std::to_string(g.Players().front().id);
    };
}

// A cycle row that is neither the current nor the next mission.
std::string SpareRow(const SimGame& g) {
    size_t row = 0;
    while (row == g.CurrentMission() || row == g.NextMission()) ++row;
    return std::to_string(row);
}

const std::vector<RouteCase> kRouteCases = {
    {"game state", Fixed("get gamestate"), {}, {}, {}},
    {"player list", Fixed("player list"), {"players"}, {}, {"Player List Updated"}},
    {"kill", OnFirstPlayer("kill"), {"players"}, {"player list"}, {"=", "Player List Updated"}},
    {"kill the host",
     Fixed("player kill 0"),
     {"players"},
     {"player list"},
     {"=", "Player List Updated"}},
    {"swap", OnFirstPlayer("swapteam"), {"players"}, {"player list"}, {"=", "Player List Updated"}},
    {"zero",
     OnFirstPlayer("zeroscore"),
     {"players"},
     {"player list"},
     {"=", "Player List Updated"}},
    {"punt", OnFirstPlayer("punt"), {"players"}, {"player list"}, {"=", "Player List Updated"}},
    {"ban", OnFirstPlayer("ban"), {"players"}, {"player list"}, {"=", "Player List Updated"}},
    {"chat", Fixed("chat get"), {"chat"}, {}, {"Game Chat Updated"}},
    {"chat send", Fixed("chat send evening all"), {"chat"}, {"chat get"}, {"Game Chat Updated"}},
    {"cycle", Fixed("mission list"), {"cycle"}, {}, {"Mission List Updated"}},
    {"available", Fixed("mission available"), {"available"}, {}, {"Mission List Updated"}},
    {"add",
     [](const SimGame& g) { return "mission add " + g.Available().back().file; },
     {"cycle"},
     {"mission list"},
     {"Mission Added", "Mission List Updated"}},
    {"remove",
     [](const SimGame& g) { return "mission remove " + SpareRow(g); },
     {"cycle"},
     {"mission list"},
     {"Mission Removed", "Mission List Updated"}},
    {"set next",
     [](const SimGame& g) { return "mission setnext " + SpareRow(g); },
     {"cycle"},
     {"mission list"},
     {"=", "Mission List Updated"}},
    {"run next", Fixed("mission cycle"), {}, {}, {"="}},
    {"settings", Fixed("get gamesettings"), {"settings"}, {}, {"Game Settings Updated"}},
    {"set", Fixed("set friendlyFire 0"), {}, {}, {"="}},
    {"set a text", Fixed("set serverName Tavrin Test"), {}, {}, {"="}},
    // The time-of-day answers are no kind of their own: chat, which takes no line of them.
    {"time of day", Fixed("cmd TOD 0100"), {"chat"}, {}, {"Game Chat Updated"}},
    {"time rate", Fixed("cmd TODRate 1800"), {"chat"}, {}, {"Game Chat Updated"}},
    {"weapons", Fixed("weapon list"), {"weapons"}, {}, {"Weapons List Updated"}},
    {"weapon set",
     Fixed("weapon set 3 never"),
     {"weapons"},
     {"weapon list"},
     {"=", "Weapons List Updated"}},
    {"weapon set all",
     Fixed("weapon set all armory"),
     {"weapons"},
     {"weapon list"},
     {"=", "Weapons List Updated"}},
    {"usage", Fixed("player list now"), {}, {}, {"RAT syntax error"}},
    {"unknown command", Fixed("teleport 3"), {}, {}, {"RAT syntax error"}},
    {"no such player", Fixed("player kill 999"), {}, {}, {"="}},
    {"no such mission", Fixed("mission add nowhere.bms"), {}, {}, {"="}},
    {"out of range", Fixed("set maxPing 99"), {}, {}, {"="}},
};

TEST_P(LinkRoundTrip, EveryReplyOfTheCommandTableReachesTheModelOfItsKind) {
    LogIn();
    ASSERT_FALSE(HasFailure());
    // The first commands after login filled every model.
    EXPECT_EQ(models.parsed,
              (std::vector<std::string>{"available", "players", "cycle", "chat", "settings"}));

    for (const RouteCase& c : kRouteCases) {
        SCOPED_TRACE(c.what);
        game.Tick();
        const std::string command = c.command(game);
        const std::string knownChat = models.chat.KnownText();
        const Exchange e = Send(command);
        ASSERT_FALSE(e.reply.empty()) << command;
        EXPECT_EQ(e.parsed, c.parsed) << command << " -> " << e.reply;
        EXPECT_EQ(e.followUps, c.followUps) << command << " -> " << e.reply;
        std::vector<std::string> responses = c.responses;
        for (auto& r : responses)
            if (r == "=") r = e.reply;
        EXPECT_EQ(e.responses, responses) << command;
        if (command.rfind("cmd ", 0) == 0) {
            EXPECT_EQ(models.chat.KnownText(), knownChat) << "a time answer changed the chat";
        }
        EXPECT_TRUE(session.State().m_fRATConnected);
        EXPECT_EQ(session.FieldText(Field::TabMode), "Game Mode");
    }
}

// The name the Server tab gives a mission: its description from the
// catalogue, or the file name without its extension when it has none.
std::string MissionName(const SimGame& g, const std::string& file) {
    for (const auto& m : g.Available())
        if (m.file == file)
            return m.description.empty() ? file.substr(0, file.find('.')) : m.description;
    return file;
}

std::string CountsText(const SimGame& g) {
    int team1 = 0, team2 = 0;
    for (const auto& p : g.Players()) ++(p.team == 1 ? team1 : team2);
    return std::to_string(g.Players().size()) + " / " + std::to_string(team1) + " / " +
           std::to_string(team2);
}

// The status poll alone, over many rounds of play, keeps the Server tab and
// the chat equal to the game; missions change and the server is renamed on the way.
TEST_P(LinkRoundTrip, StatusPollingKeepsTheServerTabEqualToTheGame) {
    LogIn();
    ASSERT_FALSE(HasFailure());
    EXPECT_EQ(session.FieldText(Field::TabServerName), game.Setting("ServerName"));
    EXPECT_EQ(session.FieldText(Field::Title), game.Setting("ServerName") + " : 127.0.0.1");

    roundtrip::Chooser choose(GetParam());
    const size_t pollRound = session.StatusPollList().size();
    for (int round = 0; round < 12 && !HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        if (round % 3 == 1) Send("mission cycle");
        if (round == 5) {
            Send("set serverName Night Ops " + std::to_string(GetParam()));
            Send("get gamesettings");
            EXPECT_EQ(session.FieldText(Field::TabServerName),
                      "NightOps" + std::to_string(GetParam()));
        }
        // One whole round of the poll list, the game playing between polls.
        for (size_t poll = 0; poll < pollRound; ++poll) {
            for (int t = choose.Between(0, 3); t > 0; --t) game.Tick();
            host.Advance(TimerPeriod(TimerId::StatusPoll));
            Pump();
        }
        // A round ends with the cycle and then the chat: play does not touch
        // the cycle, and no tick follows the last chat.
        EXPECT_EQ(session.FieldText(Field::TabMode), "Game Mode");
        EXPECT_EQ(session.FieldText(Field::TabMission),
                  MissionName(game, game.Cycle()[game.CurrentMission()].file));
        const std::vector<std::string>& chat = game.ChatLines();
        const auto& known = models.chat.Lines();
        ASSERT_LE(known.size(), chat.size());
        EXPECT_TRUE(std::equal(known.begin(), known.end(), chat.end() - known.size()))
            << "the chat model's lines are not the game's last lines";
    }
    // The player count is that of the last player list, sent before the last ticks.
    Send("player list");
    EXPECT_EQ(session.FieldText(Field::TabPlayers), CountsText(game));
    EXPECT_EQ(session.FieldText(Field::Admins), CountsText(game));
    EXPECT_FALSE(host.Running(TimerId::RequestTimeout));
    EXPECT_TRUE(session.State().m_fRATConnected);
}

INSTANTIATE_TEST_SUITE_P(Seeds, LinkRoundTrip, ::testing::ValuesIn(roundtrip::kSeeds),
                         [](const auto& info) { return roundtrip::SeedName(info.param); });

}  // namespace
}  // namespace tavrin
