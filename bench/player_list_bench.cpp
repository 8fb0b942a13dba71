// Parsing a full player list: 176 records of seven fields (header, host and
// 174 players), the most a reply may carry.
#include <benchmark/benchmark.h>

#include <string>

#include "players/player_list.h"

namespace {

constexpr int kRecords = 176;

std::string MakeFullReply() {
    std::string reply = "NAME\t#\tTEAM\tClass\tKills\tDeaths\tPING\nHost\t0\t1\t8\t0\t0\t0\n";
    for (int i = 0; i < kRecords - 2; ++i) {
        reply += "Soldier_" + std::to_string(i) + "\t" + std::to_string(i + 1) + "\t" +
                 std::to_string(1 + i % 2) + "\t" + std::to_string(5 + i % 5) + "\t" +
                 std::to_string(i * 7 % 41) + "\t" + std::to_string(i * 3 % 17) + "\t" +
                 std::to_string(40 + i * 13 % 200) + "\n";
    }
    return reply;
}

void BM_ParsePlayerList(benchmark::State& state) {
    const std::string reply = MakeFullReply();
    tavrin::PlayerList list;
    for (auto _ : state) {
        benchmark::DoNotOptimize(list.ParsePlayerList(reply));
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(reply.size()));
}
BENCHMARK(BM_ParsePlayerList);

// The split into fields alone: one pass over the reply's bytes.
void BM_SplitPlayerListFields(benchmark::State& state) {
    const std::string reply = MakeFullReply();
    for (auto _ : state) {
        benchmark::DoNotOptimize(tavrin::SplitPlayerListFields(reply));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(reply.size()));
}
BENCHMARK(BM_SplitPlayerListFields);

// The same parse with a remembered sort on the name column re-applied.
void BM_ParsePlayerListSorted(benchmark::State& state) {
    const std::string reply = MakeFullReply();
    tavrin::PlayerList list;
    list.SortByColumn(tavrin::kColumnName);
    for (auto _ : state) {
        benchmark::DoNotOptimize(list.ParsePlayerList(reply));
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ParsePlayerListSorted);

}  // namespace
