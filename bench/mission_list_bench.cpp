// Parsing mission replies of 200 lines: the cycle (named from a catalogue of
// 200 missions) and the available list that builds the catalogue.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <vector>

#include "missions/mission_reply.h"
#include "missions/missions.h"
#include "support/silent_host.h"

namespace {

constexpr int kLines = 200;

class NullCommands final : public tavrin::CommandSink {
  public:
    void SubmitCommands(std::vector<tavrin::PacedCommand>) override {}
};

std::string FileName(int i) {
    return "mission" + std::to_string(i) + (i % 2 ? ".npj" : ".bms");
}

std::string AvailableReply() {
    std::string reply;
    for (int i = 0; i < kLines; ++i)
        reply += std::to_string(i + 1) + ". " + FileName(i) + " (Operation: Number " +
                 std::to_string(i) + ")\n";
    return reply;
}

std::string CycleReply() {
    std::string reply;
    for (int i = 0; i < kLines; ++i) {
        reply += std::to_string(i) + ": " + (i == 7 ? "<CURRENT MISSION>" : "<>") + " " +
                 (i == 8 ? "<NEXT MISSION>" : "<>") + " " + FileName(kLines - 1 - i);
        if (i % 5 == 0) reply += " (2x)";
        if (i % 7 == 0) reply += " (IS FLIPPED)";
        reply += '\n';
    }
    return reply;
}

void BM_ParseCycle(benchmark::State& state) {
    NullCommands commands;
    tavrin::testing::SilentDialogs dialogs{true};
    tavrin::CMissions missions(commands, dialogs);
    missions.ParseMissionReply(tavrin::MissionList::Available, AvailableReply());
    const std::string reply = CycleReply();
    for (auto _ : state) {
        missions.ParseMissionReply(tavrin::MissionList::Cycle, reply);
        benchmark::DoNotOptimize(missions.CycleRows().data());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_ParseCycle);

void BM_ParseAvailableWithCatalogue(benchmark::State& state) {
    NullCommands commands;
    tavrin::testing::SilentDialogs dialogs{true};
    tavrin::CMissions missions(commands, dialogs);
    const std::string reply = AvailableReply();
    for (auto _ : state) {
        missions.ClearForNewConnection();  // so each pass also builds the catalogue
        missions.ParseMissionReply(tavrin::MissionList::Available, reply);
        benchmark::DoNotOptimize(missions.AvailableRows().data());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_ParseAvailableWithCatalogue);

// Every reply is classified as a mission list before it is paired: a server
// that streams the largest frames (a line, then dots up to 64 KiB) costs this
// much main-thread time per frame.
void BM_ClassifyLargeReply(benchmark::State& state) {
    std::string reply = "flood 1\n";
    reply.resize(65526 - 8 - 1, '.');
    for (auto _ : state) benchmark::DoNotOptimize(tavrin::ClassifyMissionReply(reply));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(reply.size()));
}
BENCHMARK(BM_ClassifyLargeReply);

}  // namespace
