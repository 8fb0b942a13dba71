// The Players list's refresh in the view adapter with the largest list a
// reply can carry (176 records: the header, the host and 174 players), sorted
// by ping so that rows move at every reply, while a few players leave and
// join: the core's parse alone, the parse with the adapter following it in
// place, and the whole page (adapter, filter and table view) on the
// offscreen platform.
//
//   build/bench/player_view_refresh [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>
#include <random>
#include <string>
#include <vector>

#include "players/admin_actions.h"
#include "players/admin_menu.h"
#include "players/player_list.h"
#include "players/ui/player_models.h"
#include "players/ui/players_page.h"
#include "support/fakes.h"

namespace {

using namespace tavrin;

constexpr int kPlayers = 174;
constexpr int kReplies = 64;

// Replies of a full game in play: pings and scores change at every reply,
// and at every reply one player leaves and another joins.
std::vector<std::string> FullReplies() {
    std::mt19937 rng(176);
    auto between = [&](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
    struct P {
        int id, team, klass, kills, deaths, ping;
    };
    std::vector<P> players;
    int nextId = 1;
    for (int i = 0; i < kPlayers; ++i)
        players.push_back({nextId++, between(1, 2), between(5, 9), 0, 0, between(20, 300)});
    std::vector<std::string> replies;
    for (int r = 0; r < kReplies; ++r) {
        for (P& p : players) {
            p.ping = std::clamp(p.ping + between(-15, 15), 15, 450);
            if (between(0, 3) == 0) ++p.kills;
            if (between(0, 3) == 0) ++p.deaths;
        }
        players.erase(players.begin() + between(0, kPlayers - 1));
        players.push_back({nextId++, between(1, 2), between(5, 9), 0, 0, between(20, 300)});
        std::string reply = "NAME\t#\tTEAM\tClass\tKills\tDeaths\tPING\nHost\t0\t1\t8\t0\t0\t0\n";
        for (const P& p : players)
            reply += "Soldier" + std::to_string(p.id) + '\t' + std::to_string(p.id) + '\t' +
                     std::to_string(p.team) + '\t' + std::to_string(p.klass) + '\t' +
                     std::to_string(p.kills) + '\t' + std::to_string(p.deaths) + '\t' +
                     std::to_string(p.ping) + '\n';
        replies.push_back(std::move(reply));
    }
    return replies;
}

const std::vector<std::string>& Replies() {
    static const std::vector<std::string> replies = FullReplies();
    return replies;
}

void BM_ParseOnly(benchmark::State& state) {
    PlayerList players;
    players.SortByColumn(kColumnPing);
    size_t i = 0;
    for (auto _ : state) {
        players.ParsePlayerList(Replies()[i++ % kReplies]);
        benchmark::DoNotOptimize(players.Rows().data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseOnly);

void BM_ParseAndAdapterRefresh(benchmark::State& state) {
    PlayerList players;
    players.SortByColumn(kColumnPing);
    PlayerListModel model(players);
    size_t i = 0;
    for (auto _ : state) {
        players.ParsePlayerList(Replies()[i++ % kReplies]);
        model.Refresh();
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseAndAdapterRefresh);

void BM_ParseAndPageRefresh(benchmark::State& state) {
    PlayerList players;
    players.SortByColumn(kColumnPing);
    testing::RecordingCommands commands;
    testing::ScriptedDialogs dialogs;
    testing::RecordingLog log;
    AdminActions actions(players, commands, dialogs);
    const std::string menu = DefaultAdminMenu();
    PlayersPage page(players, actions, menu, "/nonexistent/", log, dialogs);
    page.resize(900, 600);
    page.show();
    auto* list = page.findChild<QTableView*>(QStringLiteral("playerList"));
    players.ParsePlayerList(Replies()[0]);
    page.Refresh();
    list->selectRow(40);
    size_t i = 1;
    for (auto _ : state) {
        players.ParsePlayerList(Replies()[i++ % kReplies]);
        page.Refresh();
        QCoreApplication::processEvents();  // the view lays out and paints what changed
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseAndPageRefresh);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
