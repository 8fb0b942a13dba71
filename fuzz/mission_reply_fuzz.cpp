// Arbitrary "mission list" and "mission available" replies from the game
// server, read in both line formats, then edited the way a person would.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "missions/missions.h"
#include "support/silent_host.h"

namespace {

using tavrin::testing::Check;

class NullCommands final : public tavrin::CommandSink {
  public:
    void SubmitCommands(std::vector<tavrin::PacedCommand> batch) override {
        for (const auto& c : batch)
            if (c.text.empty()) __builtin_trap();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the rows the edits aim at; the rest is the reply.
    const int32_t row = static_cast<int8_t>(data[0]) % 8;
    std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);
    NullCommands commands;
    tavrin::testing::SilentDialogs dialogs{true};
    tavrin::CMissions missions(commands, dialogs);

    tavrin::ClassifyMissionReply(reply);
    const size_t lines = tavrin::MissionReplyLines(reply).size();
    missions.ParseMissionReply(tavrin::MissionList::Available, reply);
    missions.ParseMissionReply(tavrin::MissionList::Cycle, reply);
    Check(missions.AvailableRows().size() == lines);
    Check(missions.CycleRows().size() == lines);
    Check(missions.Catalogue().Pairs().size() == lines);
    for (const auto& r : missions.AvailableRows())
        Check(r.fileName.empty() || (r.fileName.front() != ' ' && r.fileName.back() != ' '));
    const auto& state = missions.GetCycleState();
    Check(state.currentRow < static_cast<int32_t>(lines));
    Check(state.nextRow < static_cast<int32_t>(lines));
    missions.CurrentMissionName();
    missions.CurrentMissionFile();

    missions.SortAvailable(row & 1);
    missions.SortAvailable(row & 1);
    Check(missions.AvailableRows().size() == lines);

    const size_t cycleRows = missions.CycleRows().size();
    missions.AddMissionToCycle(row);
    missions.RemoveMissionFromCycle(row);
    Check(missions.CycleRows().size() + 1 >= cycleRows &&
          missions.CycleRows().size() <= cycleRows + 1);
    if (missions.OpenMissionMenu(row)) missions.ChooseMissionMenuEntry(22);
    return 0;
}
