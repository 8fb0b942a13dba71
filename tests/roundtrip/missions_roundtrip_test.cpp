// "mission available" and "mission list" replies of the simulated game, read
// by the Missions tab's model: the available list, the catalogue and the cycle
// (names, play counts, markers, current and next row) must equal the game's
// missions while the cycle is edited and played through.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "missions/mission_text.h"
#include "missions/missions.h"
#include "roundtrip/roundtrip_support.h"
#include "sim/sim_game.h"
#include "support/fakes.h"

namespace tavrin {
namespace {

using roundtrip::Chooser;
using sim::SimGame;

// The name the console gives a mission: its description, or for a mission
// the server describes with "()" its file name without the extension.
std::string NameOf(const sim::AvailableMission& m) {
    return m.description.empty() ? m.file.substr(0, m.file.find('.')) : m.description;
}

std::string NameOfFile(const SimGame& game, const std::string& file) {
    for (const auto& m : game.Available())
        if (m.file == file) return NameOf(m);
    return file;
}

struct MissionsRoundTrip : ::testing::TestWithParam<uint32_t> {
    SimGame game{GetParam()};
    Chooser choose{GetParam()};
    testing::RecordingCommands commands;
    testing::ScriptedDialogs dialogs;
    CMissions missions{commands, dialogs};

    // Feeds the game's reply to `command` the way the reply router does.
    void Read(const std::string& command, MissionList expected) {
        const std::string reply = game.Execute(command);
        ASSERT_EQ(ClassifyMissionReply(reply), expected) << reply;
        missions.ParseMissionReply(expected, reply);
    }

    void ExpectAvailableEqualsGame() {
        std::vector<AvailableRow> rows;
        std::vector<std::pair<std::string, std::string>> pairs;
        for (const auto& m : game.Available()) {
            rows.push_back({NameOf(m), m.file});
            pairs.emplace_back(m.file, NameOf(m));
        }
        EXPECT_EQ(missions.AvailableRows(), rows);
        EXPECT_EQ(missions.Catalogue().Pairs(), pairs);
    }

    void ExpectCycleEqualsGame() {
        const auto& cycle = game.Cycle();
        const auto& rows = missions.CycleRows();
        ASSERT_EQ(rows.size(), cycle.size());
        for (size_t i = 0; i < cycle.size(); ++i) {
            SCOPED_TRACE("row " + std::to_string(i) + " " + cycle[i].file);
            const bool current = i == game.CurrentMission(), next = i == game.NextMission();
            EXPECT_EQ(mission_text::TrimBlanks(rows[i].fileName), cycle[i].file);
            EXPECT_EQ(rows[i].name, NameOfFile(game, cycle[i].file));
            EXPECT_EQ(rows[i].playCount, cycle[i].twice ? "2" : "1");
            EXPECT_EQ(rows[i].namePicture, current ? kPictureCurrent : kNoPicture);
            EXPECT_EQ(rows[i].markPicture, next               ? kPictureNext
                                           : cycle[i].flipped ? kPictureFlipped
                                                              : kNoPicture);
        }
        EXPECT_EQ(missions.GetCycleState().currentRow, static_cast<int>(game.CurrentMission()));
        EXPECT_EQ(missions.GetCycleState().nextRow, static_cast<int>(game.NextMission()));
        const std::string& running = cycle[game.CurrentMission()].file;
        EXPECT_EQ(missions.CurrentMissionName(), NameOfFile(game, running));
        EXPECT_EQ(mission_text::TrimBlanks(missions.CurrentMissionFile()), running);
    }
};

// A cycle read before any available-missions reply names its rows by file.
TEST_P(MissionsRoundTrip, ACycleBeforeTheCatalogueShowsFileNames) {
    Read("mission list", MissionList::Cycle);
    const auto& cycle = game.Cycle();
    ASSERT_EQ(missions.CycleRows().size(), cycle.size());
    for (size_t i = 0; i < cycle.size(); ++i)
        EXPECT_EQ(missions.CycleRows()[i].name, cycle[i].file);
}

TEST_P(MissionsRoundTrip, ListsEqualTheGameWhileTheCycleIsEditedAndPlayed) {
    Read("mission available", MissionList::Available);
    ExpectAvailableEqualsGame();
    Read("mission list", MissionList::Cycle);
    ExpectCycleEqualsGame();

    for (int step = 0; step < 40 && !HasFailure(); ++step) {
        const size_t rows = game.Cycle().size();
        std::string command;
        switch (choose.Between(0, 4)) {
            case 0:
                command = "mission add " + choose.Pick(game.Available()).file;
                break;
            case 1:
                // Any row: the game refuses the current mission and its last two.
                command = "mission remove " + std::to_string(choose.Between(0, rows - 1));
                break;
            case 2:
                command = "mission setnext " + std::to_string(choose.Between(0, rows - 1));
                break;
            case 3:
                command = "mission cycle";
                break;
            default:
                game.Tick();
                break;
        }
        if (!command.empty()) {
            const std::string answer = game.Execute(command);
            EXPECT_EQ(ClassifyMissionReply(answer), MissionList::None) << answer;
        }
        SCOPED_TRACE("step " + std::to_string(step) + ": " + command);
        Read("mission list", MissionList::Cycle);
        ExpectCycleEqualsGame();
        if (step % 10 == 9) {
            // A later available-missions reply leaves the catalogue as it was.
            Read("mission available", MissionList::Available);
            ExpectAvailableEqualsGame();
        }
    }
}

// The tab's own edits (double clicks and the mission menu) sent to the game:
// each does to the game's cycle what it did to the row the admin clicked, and
// the cycle read back equals the game.
TEST_P(MissionsRoundTrip, TheTabsOwnEditsDoToTheGameWhatTheAdminClicked) {
    Read("mission available", MissionList::Available);
    Read("mission list", MissionList::Cycle);
    auto menuChoice = [](MissionMenuAction wanted) {
        return [wanted](const MissionMenu& menu) {
            for (const auto& e : menu.entries)
                if (e.action == wanted) return e.id;
            return 0;
        };
    };
    for (int step = 0; step < 40 && !HasFailure(); ++step) {
        const std::vector<sim::CycleEntry> before = game.Cycle();
        const size_t runningBefore = game.CurrentMission();
        const int row = choose.Between(0, static_cast<int>(before.size()) - 1);
        const std::string clicked(mission_text::TrimBlanks(missions.CycleRows()[row].fileName));
        ASSERT_EQ(clicked, before[row].file);
        const int action = choose.Between(0, 3);
        std::string added;
        switch (action) {
            case 0: {
                const auto& available = missions.AvailableRows();
                const size_t pick = choose.Between(0, static_cast<int>(available.size()) - 1);
                added = available[pick].fileName;
                missions.AddMissionToCycle(static_cast<int32_t>(pick));
                break;
            }
            case 1:
                missions.RemoveMissionFromCycle(row);
                break;
            case 2:
                missions.OnCycleRightClick(row, menuChoice(MissionMenuAction::SetNextMission));
                break;
            default:
                missions.OnCycleRightClick(row, menuChoice(MissionMenuAction::RunNextMission));
                break;
        }
        SCOPED_TRACE("step " + std::to_string(step) + ", action " + std::to_string(action) +
                     " on row " + std::to_string(row));
        const std::vector<std::string> sent = commands.Texts();
        commands.commands.clear();
        for (const auto& command : sent) game.Execute(command);

        switch (action) {
            case 0: {
                // A mission already in the cycle is not added again.
                bool present = false;
                for (const auto& e : before) present = present || e.file == added;
                EXPECT_EQ(game.Cycle().size(), before.size() + (present ? 0 : 1));
                EXPECT_EQ(game.Cycle().back().file, present ? before.back().file : added);
                break;
            }
            case 1: {
                // The running mission stays, and the game keeps two at least.
                const bool kept =
                    static_cast<size_t>(row) == runningBefore || before.size() <= sim::kMinCycle;
                EXPECT_EQ(game.Cycle().size(), before.size() - (kept ? 0 : 1));
                if (!kept) {
                    std::vector<sim::CycleEntry> want = before;
                    want.erase(want.begin() + row);
                    for (size_t i = 0; i < want.size(); ++i)
                        EXPECT_EQ(game.Cycle()[i].file, want[i].file);
                }
                break;
            }
            case 2:
                EXPECT_EQ(game.NextMission(), static_cast<size_t>(row));
                break;
            default:
                EXPECT_EQ(sent, std::vector<std::string>{"mission cycle"});
                break;
        }
        Read("mission list", MissionList::Cycle);
        ExpectCycleEqualsGame();
        Read("mission available", MissionList::Available);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, MissionsRoundTrip, ::testing::ValuesIn(roundtrip::kSeeds),
                         [](const auto& info) { return roundtrip::SeedName(info.param); });

}  // namespace
}  // namespace tavrin
