// "player list" replies of the simulated game, read by the Players tab's model:
// rows, host record, counts and tallies must equal the game's players, while
// the game plays on and admin actions change it.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "players/admin_actions.h"
#include "players/admin_menu.h"
#include "players/player_list.h"
#include "roundtrip/roundtrip_support.h"
#include "sim/sim_game.h"

namespace tavrin {
namespace {

using roundtrip::Chooser;
using sim::SimGame;
using sim::SimPlayer;

const std::map<int, std::string> kTeamNames = {{1, "JointOps"}, {2, "Rebel"}};
const std::map<int, std::string> kClassNames = {
    {5, "Medic"}, {6, "Sniper"}, {7, "Gunner"}, {8, "RifleMan"}, {9, "Engineer"}};

PlayerRow RowOf(const SimPlayer& p) {
    PlayerRow row;
    row.cells = {std::to_string(p.id),    p.name,
                 kTeamNames.at(p.team),   kClassNames.at(p.klass),
                 std::to_string(p.kills), std::to_string(p.deaths),
                 std::to_string(p.ping)};
    row.image = p.team;
    return row;
}

// What the list must show of the game: the host first when it is shown.
std::vector<SimPlayer> Shown(const SimGame& game, bool showHost) {
    std::vector<SimPlayer> shown;
    if (showHost) shown.push_back(game.Host());
    shown.insert(shown.end(), game.Players().begin(), game.Players().end());
    return shown;
}

void ExpectListEqualsGame(const PlayerList& list, const PlayerCounts& counts, const SimGame& game,
                          bool showHost) {
    const std::vector<SimPlayer> shown = Shown(game, showHost);
    std::vector<PlayerRow> rows;
    for (const auto& p : shown) rows.push_back(RowOf(p));
    EXPECT_EQ(list.Rows(), rows);

    const SimPlayer& h = game.Host();
    EXPECT_EQ(list.Host(), (HostRecord{std::to_string(h.id), h.name, std::to_string(h.team),
                                       std::to_string(h.klass), std::to_string(h.kills),
                                       std::to_string(h.deaths), std::to_string(h.ping)}));

    PlayerCounts want;
    want.total = static_cast<int32_t>(shown.size());
    for (int team : {1, 2}) {
        int64_t members = 0, kills = 0, deaths = 0, ping = 0;
        std::map<int, int64_t> classes;
        for (const auto& p : shown) {
            if (p.team != team) continue;
            ++members;
            kills += p.kills;
            deaths += p.deaths;
            ping += p.ping;
            ++classes[p.klass];
        }
        (team == 1 ? want.team1 : want.team2) = static_cast<int32_t>(members);
        const StatsTable& s = list.Stats();
        EXPECT_EQ(s.Value(StatsTable::kTeams, team), members) << "team " << team;
        EXPECT_EQ(s.Value(StatsTable::kKills, team), kills) << "team " << team;
        EXPECT_EQ(s.Value(StatsTable::kDeaths, team), deaths) << "team " << team;
        EXPECT_EQ(s.Value(StatsTable::kPing, team), ping) << "team " << team;
        for (const auto& [klass, name] : kClassNames)
            EXPECT_EQ(s.Value(StatsTable::RowOfClassName(name), team), classes[klass])
                << "team " << team << ", " << name;
    }
    EXPECT_EQ(counts, want);
}

class PlayersRoundTrip : public ::testing::TestWithParam<uint32_t> {};

TEST_P(PlayersRoundTrip, EveryListEqualsTheGameAsItPlaysAndIsAdministered) {
    SimGame game(GetParam());
    Chooser choose(GetParam());
    PlayerList list;
    static const std::vector<std::string> kActions = {"kill", "swapteam", "zeroscore", "punt",
                                                      "ban"};
    for (int step = 0; step < 60; ++step) {
        const int ticks = choose.Between(0, 3);
        for (int t = 0; t < ticks; ++t) game.Tick();
        if (choose.OneIn(3)) {
            // The host (id 0) takes its share of the actions it allows.
            const int id =
                choose.OneIn(6) || game.Players().empty() ? 0 : choose.Pick(game.Players()).id;
            const std::string reply =
                game.Execute("player " + choose.Pick(kActions) + " " + std::to_string(id));
            ASSERT_TRUE(IsActionResultReply(reply) || reply.rfind("ERROR", 0) == 0) << reply;
        }
        if (choose.OneIn(4)) {
            // Someone new speaks and so joins: names the bots never have.
            static const std::vector<std::string> kNewcomers = {
                "Zo\xEB", "42", "x_1", "Mr.Smith", "<Ghost>", "a\\b", "#1", "Pi=3.14", "Dr-No"};
            game.Say(choose.Pick(kNewcomers), "hello");
        }
        const bool showHost = step % 4 >= 2;
        list.ToggleShowHost(showHost);

        const std::string reply = game.Execute("player list");
        ASSERT_TRUE(IsPlayerListReply(reply));
        SCOPED_TRACE("step " + std::to_string(step) + (showHost ? ", host shown" : ""));
        const PlayerCounts counts = list.ParsePlayerList(reply);
        ExpectListEqualsGame(list, counts, game, showHost);
        if (HasFailure()) return;

        // Every listed player is found by name, as the ChatBot looks them up.
        for (const auto& p : game.Players())
            EXPECT_EQ(list.FindPlayerIdByName(p.name), std::to_string(p.id)) << p.name;
    }
}

// Every line of the default admin menu, built for a row of the parsed list and
// sent to the game, acts on the player of that row and tells him why.
TEST_P(PlayersRoundTrip, EveryAdminMenuActionReachesThePlayerOfItsRow) {
    SimGame game(GetParam());
    Chooser choose(GetParam());
    PlayerList list;
    const std::optional<std::string> entries = AdminMenuEntries(DefaultAdminMenu());
    ASSERT_TRUE(entries);
    size_t from = 0;
    for (size_t end = entries->find('\n'); end != std::string::npos && !HasFailure();
         from = end + 1, end = entries->find('\n', from)) {
        const std::string line = entries->substr(from, end - from);
        if (line.find('\\') == std::string::npos) continue;
        game.Tick();
        list.ParsePlayerList(game.Execute("player list"));
        if (list.Rows().empty()) break;
        const PlayerRow& row = choose.Pick(list.Rows());
        const std::string id = row.cells[kColumnId], name = row.cells[kColumnName];
        SCOPED_TRACE(line + " on " + name + " (" + id + ")");
        const SimPlayer before = *std::find_if(game.Players().begin(), game.Players().end(),
                                               [&](const SimPlayer& p) { return p.name == name; });
        ASSERT_EQ(std::to_string(before.id), id);

        const AdminAction action = BuildAdminAction(line, id, name);
        const std::string result = game.Execute(action.first);
        if (!action.second.empty()) {
            EXPECT_TRUE(IsActionResultReply(result)) << action.first << " -> " << result;
            EXPECT_NE(result.find(name), std::string::npos) << result;
            EXPECT_EQ(game.Execute(action.second), "Chat sent.");
        } else {
            EXPECT_EQ(result, "Chat sent.") << action.first;
        }
        // The chat line names the player and carries the menu line's message.
        const std::string& said = game.ChatLines().back();
        EXPECT_EQ(said.rfind("Admin: " + name + " ", 0), 0u) << said;
        EXPECT_TRUE(said.ends_with(line.substr(line.find('\\') + 1))) << said;

        const auto after = std::find_if(game.Players().begin(), game.Players().end(),
                                        [&](const SimPlayer& p) { return p.name == name; });
        const std::string& word = action.actionWord;
        if (word == " punt " || word == " ban ") {
            EXPECT_EQ(after, game.Players().end());
            continue;
        }
        ASSERT_NE(after, game.Players().end());
        EXPECT_EQ(after->deaths, word == " kill "        ? before.deaths + 1
                                 : word == " zeroscore " ? 0
                                                         : before.deaths);
        EXPECT_EQ(after->kills, word == " zeroscore " ? 0 : before.kills);
        EXPECT_EQ(after->team, word == " swapteam " ? 3 - before.team : before.team);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, PlayersRoundTrip, ::testing::ValuesIn(roundtrip::kSeeds),
                         [](const auto& info) { return roundtrip::SeedName(info.param); });

}  // namespace
}  // namespace tavrin
