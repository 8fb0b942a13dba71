#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// What choosing a line of the mission menu does.
enum class MissionMenuAction {
    None,            // separators, play-count and idle entries
    ViewSlot,        // message "View" + LF + the slot
    SaveSlot,        // message "Save" + LF + the slot
    RenameSlot,      // message "Rename" + LF + the slot
    Upload,          // message showing the line
    SetNextMission,  // "mission setnext " + row
    RunNextMission,  // "mission cycle"
    RunThisMission,  // message "Set and Run"
};

// The action a chosen menu line triggers, by its text.
MissionMenuAction MissionMenuActionFor(std::string_view line);

// The name under which a window asks whether the entries of `action` may be
// used (they send the same commands): the saved-list slots and the upload
// share one; "" for entries that send nothing.
std::string_view MissionMenuControl(MissionMenuAction action);

// One line of the mission menu. Line n has command id n, separators included.
// A line with a backslash is an item in the submenu named by the text before
// the backslash; "-" is a separator at the top level.
struct MissionMenuEntry {
    int id = 0;
    std::string line;
    std::string submenu;  // "" for a top-level entry; keeps its trailing blank ("View ")
    std::string item;     // the text shown for the entry
    bool separator = false;
    bool enabled = true;  // false: shown greyed
    MissionMenuAction action = MissionMenuAction::None;
};

inline constexpr int kMissionMenuLines = 30;

struct MissionMenu {
    std::vector<MissionMenuEntry> entries;

    // The source line of a command id; empty for 0 (nothing chosen) and for
    // ids the menu does not have.
    std::string LineForId(int id) const;
    // The menu as newline-separated lines, each ended by "\n", for a view that
    // builds its popup from menu text.
    std::string Text() const;
};

// The mission menu for a cycle row with the given play count: "Set To Play
// ONCE" is enabled for a mission played twice and "Set To Play TWICE"
// otherwise; the other of the two is greyed.
MissionMenu BuildMissionMenu(std::string_view playCount);

}  // namespace tavrin
