#include "sim/sim_game.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/value_text.h"

namespace tavrin::sim {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

bool Has(std::string_view text, std::string_view marker) {
    return text.find(marker) != std::string_view::npos;
}

// How the console's reply router names a reply: its marker tests in their
// order, the first hit deciding.
std::string RouteOf(const std::string& t) {
    if (Has(t, "Current State = Menu") || Has(t, "Current State = Game")) return "gamestate";
    if (Has(t, "USAGE")) return "usage";
    if (Has(t, "ERROR")) return "error";
    if (Has(t, "OK - Weap") || Has(t, "OK - All weap")) return "weapon-result";
    if (Has(t, "OK - Setting")) return "setting-result";
    for (auto m : {"<CURRENT MISSION>", "<> <>", "<NEXT MISSION"})
        if (Has(t, m)) return "cycle";
    for (auto m : {"Training:", ".BMS (", ".bms (", ".NPZ (", ".npz (", ".NPJ (", ".npj (",
                   "(TKOTH", "(Operation:", "(AS"})
        if (Has(t, m)) return "available";
    if (Has(t, "Entry Added")) return "entry-added";
    if (Has(t, "Mission Removed")) return "mission-removed";
    if (Has(t, "Next Mission Set")) return "next-set";
    if (Has(t, "Server is cycling")) return "cycling";
    if (Has(t, "Chat sent.")) return "chat-sent";
    if (Has(t, "Deaths") && Has(t, "PING")) return "players";
    for (auto m : {"Player Zeroed", "Player Killed", "Player Swapped", "Player Punted",
                   "Player punted", "Player Banned", "Player banned"})
        if (Has(t, m)) return "action-result";
    if (Has(t, "AutoBalanceOnRecycle")) return "settings";
    if (Has(t, "WPN_Remmington")) return "weapons";
    return "chat";
}

std::vector<std::string> SplitLines(const std::string& text, std::string_view end) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t e; (e = text.find(end, at)) != std::string::npos; at = e + end.size())
        lines.push_back(text.substr(at, e - at));
    EXPECT_EQ(at, text.size()) << "every line ends with its line end";
    return lines;
}

std::string EraseAll(std::string s, std::string_view what) {
    for (size_t p; (p = s.find(what)) != std::string::npos;) s.erase(p, what.size());
    return s;
}

std::string Trimmed(std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

// The file name the console takes from a cycle line.
std::string CycleLineFileName(const std::string& line) {
    const size_t colon = line.find(':');
    std::string s = colon == std::string::npos ? line : line.substr(colon + 1);
    s = EraseAll(EraseAll(s, "()"), "<>");
    while (!s.empty() && s.back() == '-') s.pop_back();
    s = EraseAll(s, " -");
    for (auto m : {"<CURRENT MISSION>", "<NEXT MISSION>", "(IS FLIPPED)", "(2x)"})
        s = EraseAll(s, m);
    return Trimmed(s);
}

// A game run on for a while, so the replies hold grown chat and moved scores.
SimGame PlayedGame(uint32_t seed, int ticks = 300) {
    SimGame g(seed);
    for (int i = 0; i < ticks; ++i) g.Tick();
    return g;
}

int FirstPlayerId(const SimGame& g) {
    return g.Players().front().id;
}

const SimPlayer* PlayerById(const SimGame& g, int id) {
    for (const auto& p : g.Players())
        if (p.id == id) return &p;
    return nullptr;
}

TEST(SimGameReplies, EachReplyIsRoutedAsItsOwnKind) {
    struct Case {
        const char* command;
        const char* route;
    };
    const Case cases[] = {
        {"get gamestate", "gamestate"},
        {"player list", "players"},
        {"chat get", "chat"},
        {"mission list", "cycle"},
        {"mission available", "available"},
        {"get gamesettings", "settings"},
        {"weapon list", "weapons"},
        {"chat send hello all", "chat-sent"},
        {"mission add depot.bms", "entry-added"},
        {"mission setnext 1", "next-set"},
        {"mission remove 1", "mission-removed"},
        {"mission cycle", "cycling"},
        {"set friendlyFire 0", "setting-result"},
        {"weapon set 4 NEVER", "weapon-result"},
        {"weapon set all armory", "weapon-result"},
        {"cmd TOD 0100", "chat"},
        {"cmd TODRate 1800", "chat"},
    };
    for (uint32_t seed : {1u, 2u, 3u, 99u}) {
        SimGame g = PlayedGame(seed);
        for (const auto& c : cases) {
            const std::string reply = g.Execute(c.command);
            EXPECT_EQ(RouteOf(reply), c.route) << "seed " << seed << ": " << c.command << "\n"
                                               << reply;
        }
    }
}

TEST(SimGameReplies, ActionResultsCarryTheirMarker) {
    const struct {
        const char* action;
        const char* marker;
    } cases[] = {
        {"kill", "Player Killed"}, {"swapteam", "Player Swapped"}, {"zeroscore", "Player Zeroed"},
        {"punt", "Player Punted"}, {"ban", "Player Banned"},
    };
    SimGame g = PlayedGame(4);
    for (const auto& c : cases) {
        // The console ends the command with a blank after the id.
        const std::string reply = g.Execute("player " + std::string(c.action) + " " +
                                            std::to_string(FirstPlayerId(g)) + " ");
        EXPECT_THAT(reply, HasSubstr(c.marker));
        EXPECT_EQ(RouteOf(reply), "action-result") << reply;
    }
}

TEST(SimGameReplies, PlayerListReadsAsTheConsoleSplitsIt) {
    SimGame g = PlayedGame(5);
    std::string reply = g.Execute("player list");
    ASSERT_EQ(reply.back(), '\n');  // the last field needs a separator after it
    std::replace(reply.begin(), reply.end(), '\n', '\t');
    const auto fields = SplitLines(reply, "\t");
    ASSERT_EQ(fields.size() % 7, 0u);
    const std::vector<std::string> header(fields.begin(), fields.begin() + 7);
    EXPECT_EQ(header,
              (std::vector<std::string>{"NAME", "#", "TEAM", "Class", "Kills", "Deaths", "PING"}));
    EXPECT_EQ(std::vector<std::string>(fields.begin() + 7, fields.begin() + 14),
              (std::vector<std::string>{"Host", "0", "1", "8", "0", "0", "0"}));
    const auto& players = g.Players();
    ASSERT_EQ(fields.size() / 7 - 2, players.size());
    for (size_t i = 0; i < players.size(); ++i) {
        const auto* f = &fields[14 + 7 * i];
        const auto& p = players[i];
        EXPECT_EQ(f[0], p.name);
        EXPECT_EQ(TextToInt(f[1]), p.id);
        EXPECT_TRUE(f[2] == "1" || f[2] == "2") << f[2];
        EXPECT_GE(TextToInt(f[3]), 5);
        EXPECT_LE(TextToInt(f[3]), 9);
        EXPECT_EQ(TextToInt(f[4]), p.kills);
        EXPECT_EQ(TextToInt(f[5]), p.deaths);
        EXPECT_EQ(TextToInt(f[6]), p.ping);
    }
}

TEST(SimGameReplies, ChatLinesAreSpeakerLinesEndedByCrLf) {
    SimGame g = PlayedGame(6, 600);
    const auto lines = SplitLines(g.Execute("chat get"), "\r\n");
    EXPECT_GE(lines.size(), 40u);
    EXPECT_LE(lines.size(), 60u);
    bool team = false;
    for (const auto& line : lines) {
        EXPECT_THAT(line, HasSubstr(": "));
        // A team message: the speaker's name ends at ":[", the message after "]: ".
        if (Has(line, ":[")) {
            team = true;
            EXPECT_THAT(line, HasSubstr("]: "));
            const std::string name = line.substr(0, line.find(":["));
            EXPECT_FALSE(name.empty());
            EXPECT_FALSE(Has(name, ": ")) << line;
        }
    }
    EXPECT_TRUE(team);
}

TEST(SimGameReplies, ChatterNowAndThenHoldsWordsAChatBotCatches) {
    SimGame g(7);
    for (int i = 0; i < 500; ++i) g.Tick();
    size_t rude = 0;
    for (const auto& line : g.ChatLines())
        rude += Has(line, "noob") || Has(line, "cheater") || Has(line, "idiot");
    EXPECT_GT(rude, 0u);
    EXPECT_LT(rude, g.ChatLines().size() / 2) << "now and then, not in most lines";
}

TEST(SimGameReplies, CycleLinesGiveTheFileNamesAndMarks) {
    SimGame g = PlayedGame(8);
    g.Execute("mission setnext 3");
    const std::string reply = g.Execute("mission list");
    ASSERT_THAT(reply, HasSubstr("<>"));  // the console reads cycle lines only then
    const auto lines = SplitLines(reply, "\n");
    ASSERT_EQ(lines.size(), g.Cycle().size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(CycleLineFileName(lines[i]), g.Cycle()[i].file) << lines[i];
        EXPECT_EQ(Has(lines[i].substr(1), "<CURRENT"), i == g.CurrentMission()) << lines[i];
        EXPECT_EQ(Has(lines[i].substr(1), "<NEXT"), i == 3) << lines[i];
        EXPECT_EQ(Has(lines[i].substr(1), "(2x)"), g.Cycle()[i].twice);
        EXPECT_EQ(Has(lines[i].substr(1), "FLIPPED"), g.Cycle()[i].flipped);
    }
}

TEST(SimGameReplies, AvailableLinesSplitIntoFileAndDescription) {
    SimGame g(9);
    const auto lines = SplitLines(g.Execute("mission available"), "\n");
    ASSERT_EQ(lines.size(), g.Available().size());
    for (size_t i = 0; i < lines.size(); ++i) {
        // The console drops the index up to the first ".", then takes the file
        // name up to the first blank after its extension dot.
        std::string rest = Trimmed(lines[i].substr(lines[i].find('.') + 1));
        const size_t dot = rest.find('.');
        const std::string file = Trimmed(rest.substr(0, rest.find(' ', dot)));
        std::string desc = Trimmed(EraseAll(rest, file));
        desc = desc == "()" ? file.substr(0, dot) : desc.substr(1, desc.size() - 2);
        const auto& m = g.Available()[i];
        EXPECT_EQ(file, m.file);
        EXPECT_EQ(desc, m.description.empty() ? file.substr(0, dot) : m.description);
    }
}

TEST(SimGameReplies, SettingsHoldAll28KeysAsKeyEqualsValue) {
    const char* keys[] = {
        "AutoBalanceOnRecycle",
        "PuntVote",
        "VotePercent",
        "VoteNumPlayersReq",
        "ChangeTeam",
        "ChangeTeamInterval",
        "ChangeTeamPenalty",
        "ChangeTeamDelay",
        "StartDelay",
        "DoMinPingCheck",
        "MinPing",
        "DoMaxPingCheck",
        "MaxPing",
        "MaxFriendlyKills",
        "GameTime",
        "FriendlyFire",
        "FriendlyTags",
        "TeamTriggerClaymore",
        "Tracers",
        "KOTHLimit",
        "KillLimit",
        "FatBullets",
        "OneShotKill",
        "ArmoryTimer",
        "ServerName",
        "ServerPassword",
        "SideAPassword",
        "SideBPassword",
    };
    SimGame g(10);
    const std::string reply = g.Execute("get gamesettings");
    const auto lines = SplitLines(reply, "\n");
    ASSERT_EQ(lines.size(), std::size(keys));
    // The console's reading: blanks out, line ends and "=" become backslashes.
    std::string flat = "\\" + EraseAll(reply, " ") + "\\";
    std::replace(flat.begin(), flat.end(), '\n', '\\');
    std::replace(flat.begin(), flat.end(), '=', '\\');
    for (size_t i = 0; i < std::size(keys); ++i) {
        EXPECT_THAT(lines[i], StartsWith(std::string(keys[i]) + " = "));
        EXPECT_EQ(GetKeyValue(flat, keys[i]), g.Setting(keys[i])) << keys[i];
    }
    EXPECT_EQ(g.Setting("VotePercent"), "0.5");
}

TEST(SimGameReplies, WeaponLinesSurviveTheConsolesLineDeletion) {
    SimGame g(11);
    g.Execute("weapon set 3 never");
    std::string r = g.Execute("weapon list");
    ASSERT_THAT(r, HasSubstr("WPN_Remmington"));
    // The console deletes every occurrence of each line from the rest of the
    // reply; no weapon may vanish because its line sits inside another one.
    std::vector<std::string> names;
    for (size_t lf; (lf = r.find('\n')) != std::string::npos;) {
        const std::string line = r.substr(0, lf);
        r = EraseAll(r, line);
        r.erase(0, r.find_first_not_of('\n'));
        if (!Has(line, "WPN_")) continue;
        names.push_back(EraseAll(line.substr(line.find("WPN_")), "WPN_"));
        const int number = TextToInt(line.substr(0, line.find('.')));
        const auto& w = g.Weapons()[names.size() - 1];
        EXPECT_EQ(number, static_cast<int>(names.size()));
        EXPECT_EQ("WPN_" + names.back(), w.name);
        const char* word = w.state == WeaponState::Always   ? "ALWAYS"
                           : w.state == WeaponState::Armory ? "ARMORY"
                                                            : "NEVER";
        EXPECT_THAT(line, HasSubstr(word));
    }
    EXPECT_EQ(names.size(), g.Weapons().size());
    EXPECT_EQ(g.Weapons()[2].state, WeaponState::Never);
}

TEST(SimGameCommands, PlayerActionsChangeThePlayer) {
    SimGame g = PlayedGame(12);
    const SimPlayer before = g.Players().front();
    const std::string id = std::to_string(before.id);

    g.Execute("player kill " + id);
    EXPECT_EQ(PlayerById(g, before.id)->deaths, before.deaths + 1);
    g.Execute("player swapteam " + id);
    EXPECT_EQ(PlayerById(g, before.id)->team, 3 - before.team);
    g.Execute("player zeroscore " + id);
    EXPECT_EQ(PlayerById(g, before.id)->kills, 0);
    EXPECT_EQ(PlayerById(g, before.id)->deaths, 0);
    g.Execute("player punt " + id);
    EXPECT_EQ(PlayerById(g, before.id), nullptr);

    const SimPlayer banned = g.Players().front();
    g.Execute("player ban " + std::to_string(banned.id));
    EXPECT_EQ(PlayerById(g, banned.id), nullptr);
    for (int i = 0; i < 3000; ++i) g.Tick();
    for (const auto& p : g.Players()) EXPECT_NE(p.name, banned.name) << "a banned name rejoined";
}

TEST(SimGameCommands, TheHostCanBeKilledButNotRemoved) {
    SimGame g(13);
    EXPECT_THAT(g.Execute("player kill 0"), HasSubstr("Player Killed"));
    EXPECT_EQ(g.Host().deaths, 1);
    EXPECT_THAT(g.Execute("player punt 0 "), HasSubstr("ERROR"));
    EXPECT_THAT(g.Execute("player ban 0"), HasSubstr("ERROR"));
    EXPECT_THAT(g.Execute("player list"), HasSubstr("Host\t0\t"));
}

TEST(SimGameCommands, MissionEditsChangeTheCycle) {
    SimGame g(14);
    const size_t size = g.Cycle().size();
    ASSERT_EQ(g.CurrentMission(), 0u);

    EXPECT_THAT(g.Execute("mission add bridge.bms"), HasSubstr("Entry Added"));
    ASSERT_EQ(g.Cycle().size(), size + 1);
    EXPECT_EQ(g.Cycle().back().file, "bridge.bms");

    EXPECT_THAT(g.Execute("mission setnext 3"), HasSubstr("Next Mission Set"));
    EXPECT_EQ(g.NextMission(), 3u);

    const std::string third = g.Cycle()[3].file;
    EXPECT_THAT(g.Execute("mission cycle"), HasSubstr("Server is cycling"));
    EXPECT_EQ(g.CurrentMission(), 3u);
    EXPECT_EQ(g.NextMission(), 4u);
    for (const auto& p : g.Players()) EXPECT_EQ(p.kills + p.deaths, 0) << "new mission, new scores";

    // Removing a row above the current one moves the current row up with it.
    EXPECT_THAT(g.Execute("mission remove 1"), HasSubstr("Mission Removed"));
    EXPECT_EQ(g.CurrentMission(), 2u);
    EXPECT_EQ(g.Cycle()[2].file, third);
    EXPECT_EQ(g.NextMission(), 3u);
    // Removing the next mission makes the one after the current one next.
    g.Execute("mission remove 3");
    EXPECT_EQ(g.NextMission(), 3u % g.Cycle().size());
    EXPECT_THAT(g.Execute("mission remove 2"), HasSubstr("ERROR"));  // the current one

    while (g.Cycle().size() > kMinCycle)
        g.Execute("mission remove " + std::to_string(g.CurrentMission() == 0 ? 1 : 0));
    EXPECT_THAT(g.Execute("mission remove " + std::to_string(1 - g.CurrentMission())),
                HasSubstr("ERROR"));
    EXPECT_THAT(g.Execute("mission list"), HasSubstr("<>"));
}

TEST(SimGameCommands, SetChangesWhatTheNextSettingsReplyShows) {
    const struct {
        const char* command;
        const char* key;
        const char* value;
    } cases[] = {
        {"set friendlyFire 0", "FriendlyFire", "0"},
        {"set autoBalanceOnRecycle 0", "AutoBalanceOnRecycle", "0"},
        {"set KOTHLimit 200", "KOTHLimit", "200"},
        {"set killLimit 60", "KillLimit", "60"},
        {"set votePercent 0.25", "VotePercent", "0.25"},
        {"set votePercent 5", "VotePercent", "0.05"},  // a bare percentage
        {"set serverName My Server", "ServerName", "My Server"},
        {"set serverPassword ", "ServerPassword", ""},
        {"set sideAPassword alpha", "SideAPassword", "alpha"},
    };
    for (const auto& c : cases) {
        SimGame g(15);
        EXPECT_THAT(g.Execute(c.command), HasSubstr("OK - Setting")) << c.command;
        EXPECT_EQ(g.Setting(c.key), c.value) << c.command;
        EXPECT_THAT("\n" + g.Execute("get gamesettings"),
                    HasSubstr(std::string("\n") + c.key + " = " + c.value + "\n"));
    }
}

TEST(SimGameCommands, WeaponSetChangesTheNextList) {
    SimGame g(16);
    EXPECT_THAT(g.Execute("weapon set 4 NEVER"), HasSubstr("OK - Weap"));
    EXPECT_THAT(g.Execute("weapon list"), HasSubstr("4. NEVER WPN_Remmington\n"));
    EXPECT_THAT(g.Execute("weapon set all armory"), HasSubstr("OK - All weap"));
    for (const auto& w : g.Weapons()) EXPECT_EQ(w.state, WeaponState::Armory);
}

TEST(SimGameCommands, ChatSendAddsALineAndTheBufferStaysBounded) {
    SimGame g(17);
    EXPECT_EQ(g.Execute("chat send Bob  > DO NOT TEAM-KILL"), "Chat sent.");
    EXPECT_EQ(g.ChatLines().back(), "Admin: Bob  > DO NOT TEAM-KILL");
    g.Execute("chat send two\r\nlines");
    EXPECT_EQ(g.ChatLines().back(), "Admin: two  lines");
    for (int i = 0; i < 100; ++i) g.Execute("chat send line " + std::to_string(i));
    EXPECT_EQ(g.ChatLines().size(), kChatLinesKept);
    EXPECT_EQ(g.ChatLines().back(), "Admin: line 99");
}

TEST(SimGameCommands, GameStateFollowsMenuMode) {
    SimGame g(18);
    EXPECT_THAT(g.Execute("get gamestate"), HasSubstr("Current State = Game"));
    g.SetMenuMode(true);
    EXPECT_THAT(g.Execute("get gamestate"), HasSubstr("Current State = Menu"));
}

TEST(SimGameCommands, BadCommandsAnswerUsageOrErrorAndChangeNothing) {
    const struct {
        const char* command;
        const char* marker;
    } cases[] = {
        {"", "USAGE"},
        {"frobnicate", "USAGE"},
        {"get", "USAGE"},
        {"get weather", "USAGE"},
        {"player punt", "USAGE"},
        {"player kill x", "USAGE"},
        {"player mute 1", "USAGE"},
        {"player punt 999", "ERROR"},
        {"player zeroscore 999", "ERROR"},
        {"chat send ", "USAGE"},
        {"mission add", "USAGE"},
        {"mission add nosuch.bms", "ERROR"},
        {"mission remove x", "USAGE"},
        {"mission remove 99", "ERROR"},
        {"mission remove 0", "ERROR"},  // the current mission
        {"mission setnext 99", "ERROR"},
        {"set", "USAGE"},
        {"set friendlyFire", "USAGE"},
        {"set nosuch 1", "ERROR"},
        {"set friendlyFire 7", "ERROR"},
        {"set maxPing 20", "ERROR"},
        {"set votePercent 0.999", "ERROR"},
        {"cmd TOD", "USAGE"},
        {"cmd TOD 9999", "ERROR"},
        {"cmd TODRate soon", "ERROR"},
        {"weapon frob", "USAGE"},
        {"weapon set 1 maybe", "USAGE"},
        {"weapon set 99 never", "ERROR"},
    };
    SimGame g(19);
    const auto snapshot = [&] {
        return g.PlayerListReply() + g.ChatReply() + g.CycleReply() + g.SettingsReply() +
               g.WeaponListReply();
    };
    const std::string before = snapshot();
    for (const auto& c : cases) {
        EXPECT_THAT(g.Execute(c.command), HasSubstr(c.marker)) << "\"" << c.command << "\"";
        EXPECT_EQ(snapshot(), before) << c.command;
    }
}

TEST(SimGameCommands, TimeOfDayGetsAPlainReplyAndShowsInTheGameState) {
    SimGame g(20);
    for (auto c : {"cmd TOD Def", "cmd TODRate 0", "cmd TOD 0100", "cmd TODRate 1800"}) {
        const std::string reply = g.Execute(c);
        EXPECT_FALSE(reply.empty()) << c;
        EXPECT_EQ(RouteOf(reply), "chat") << c << ": " << reply;
    }
    EXPECT_THAT(g.Execute("get gamestate"),
                HasSubstr("Time Of Day = 0100\nTime Of Day Rate = 1800"));
}

TEST(SimGameLife, TicksMoveTheGameWithinItsBounds) {
    SimGame g(21);
    const std::string start = g.PlayerListReply();
    const size_t chat = g.ChatLines().size();
    for (int i = 0; i < 3000; ++i) {
        g.Tick();
        ASSERT_GE(g.Players().size(), kMinPlayers);
        ASSERT_LE(g.Players().size(), kMaxPlayers);
        ASSERT_GE(g.ChatLines().size(), 40u);
        ASSERT_LE(g.ChatLines().size(), 60u);
    }
    EXPECT_NE(g.PlayerListReply(), start);
    EXPECT_GT(g.ChatLines().size(), chat);
    for (const auto& p : g.Players()) {
        EXPECT_TRUE(p.team == 1 || p.team == 2);
        EXPECT_GE(p.klass, 5);
        EXPECT_LE(p.klass, 9);
    }
}

TEST(SimGameLife, ASeedReplaysTheSameGame) {
    SimGame a = PlayedGame(22, 200), b = PlayedGame(22, 200), c = PlayedGame(23, 200);
    EXPECT_EQ(a.PlayerListReply() + a.ChatReply() + a.CycleReply(),
              b.PlayerListReply() + b.ChatReply() + b.CycleReply());
    EXPECT_NE(a.PlayerListReply() + a.ChatReply(), c.PlayerListReply() + c.ChatReply());
    EXPECT_EQ(a.MakeGreeting(), b.MakeGreeting());
}

TEST(SimGameLife, GreetingsArePrintableAndLongEnough) {
    SimGame g(24);
    const std::string first = g.MakeGreeting();
    EXPECT_GE(first.size(), 32u);
    for (char ch : first) EXPECT_TRUE(ch > ' ' && ch < 127) << int(ch);
    EXPECT_NE(g.MakeGreeting(), first);
}

}  // namespace
}  // namespace tavrin::sim
