#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/command_sink.h"
#include "common/user_dialogs.h"
#include "common/view_types.h"
#include "missions/mission_catalogue.h"
#include "missions/mission_menu.h"
#include "missions/mission_reply.h"

namespace tavrin {

// Pictures of the shared 16-pixel strip used by the mission lists.
inline constexpr int kPictureEmpty = 0;
inline constexpr int kPictureCurrent = 6;  // triangle pointing right
inline constexpr int kPictureNext = 7;     // triangle pointing left
inline constexpr int kPictureFlipped = 9;  // two circling arrows

// Colours as 0xRRGGBB.
inline constexpr uint32_t kMissionListColour = 0xB4C8B4;     // RGB (180, 200, 180)
inline constexpr uint32_t kMissionMenuRowColour = 0xF0C8B4;  // RGB (240, 200, 180)

// One column of a mission list as the view sets it up.
struct MissionColumn {
    enum class Align { Left, Centre };
    std::string_view header;
    Align align;
    int width;  // 0: hidden
};
inline constexpr MissionColumn kCycleColumns[] = {
    {"    Mission Cycle", MissionColumn::Align::Left, 180},
    {"r", MissionColumn::Align::Centre, 20},
    {"", MissionColumn::Align::Centre, 15},
    {"", MissionColumn::Align::Centre, 0},  // never filled
    {"Filename", MissionColumn::Align::Left, 130},
};
inline constexpr MissionColumn kAvailableColumns[] = {
    {"    All Available Missions", MissionColumn::Align::Left, 180},
    {"Filename", MissionColumn::Align::Left, 120},
};

// A row of the cycle list, in the game server's order.
struct CycleRow {
    std::string name;              // column 0: catalogue description, or the file name
    std::string playCount;         // column 1: "2" when played twice, else "1"
    std::string fileName;          // column 4: as cut from the cycle line, blanks kept
    int namePicture = kNoPicture;  // column 0: kPictureCurrent on the current mission
    int markPicture = kNoPicture;  // column 2: kPictureNext or kPictureFlipped
    bool operator==(const CycleRow&) const = default;
};

// A row of the available list.
struct AvailableRow {
    std::string description;  // column 0
    std::string fileName;     // column 1
    bool operator==(const AvailableRow&) const = default;
};

// The rows that carried the current and next markers in the last cycle parse.
// A parse without a marker keeps the old value.
struct CycleState {
    int32_t currentRow = -1;
    int32_t nextRow = -1;
};

// The cycle row last clicked or right-clicked.
struct SelectedMission {
    std::string rowText;  // the row index as decimal text
    std::string fileName;
    std::string playCount;
    std::string name;
    int32_t row = -1;
    int32_t picture = kNoPicture;  // column 2's picture
};

// The Missions tab: the game server's mission cycle, all available missions,
// the catalogue that names the cycle's missions, and the editing of the cycle
// by double click and by the mission menu. Every change to the server's cycle
// is a command posted to the main window, 250 ms apart.
class CMissions {
  public:
    CMissions(CommandSink& commands, UserDialogs& dialogs);

    // A connect request empties the catalogue and both lists; the next
    // available-missions reply builds the catalogue anew.
    void ClearForNewConnection();

    // Rebuilds `list` from a reply; the first available-missions reply after
    // the catalogue was emptied also fills it. The cycle list is always read
    // as cycle lines and the available list as available-mission lines.
    void ParseMissionReply(MissionList list, std::string_view reply);

    // Column 0 / column 4 of the current cycle row; empty without one.
    std::string CurrentMissionName() const;
    std::string CurrentMissionFile() const;

    // A click on the cycle list. A click that hits no row does nothing.
    void SelectCycleRow(int32_t row);

    // A right click on the cycle list: selects the row, marks it for the
    // menu colour and returns the menu to show; nothing on no row.
    std::optional<MissionMenu> OpenMissionMenu(int32_t row);
    // The menu closed with command id `id` chosen (0 for nothing): runs the
    // line's action and paints the row back.
    void ChooseMissionMenuEntry(int id);
    // Both steps, with `choose` showing the menu and returning the chosen id.
    void OnCycleRightClick(int32_t row, const std::function<int(const MissionMenu&)>& choose);

    // Double click on the available list: adds that mission to the cycle
    // unless it is already there.
    void AddMissionToCycle(int32_t row);
    // Double click on the cycle list: removes that entry unless it is the
    // mission being played.
    void RemoveMissionFromCycle(int32_t row);

    void RefreshCycle();      // "Refresh" under the cycle
    void RefreshAvailable();  // "Refresh" under the available list

    // A click on a header of the available list: ascending on a new column,
    // the other direction on the column sorted last.
    void SortAvailable(int column);
    // Sorts the available list again as the last header click left it, for a
    // view that keeps its sort across replies (a reply gives the server's
    // order). Nothing before the first click.
    void ReapplyAvailableSort();

    const std::vector<CycleRow>& CycleRows() const { return m_cycle; }
    const std::vector<AvailableRow>& AvailableRows() const { return m_available; }
    const MissionCatalogue& Catalogue() const { return m_catalogue; }
    const CycleState& GetCycleState() const { return m_state; }
    const SelectedMission& Selected() const { return m_selected; }
    // The cycle row painted in the menu colour while the menu is open; -1 when none.
    int32_t MenuRow() const { return m_menuRow; }
    // The cycle row the view should scroll into view after the last change; -1 when none.
    int32_t CycleScrollRow() const { return m_scrollRow; }

  private:
    void ParseCycle(std::string_view reply);
    void ParseAvailable(std::string_view reply);
    void SetNextMission();
    void Post(std::string first, std::string second = {});
    bool IsCycleRow(int32_t row) const;
    void SortAvailableRows(int column, bool ascending);

    CommandSink& m_commands;
    UserDialogs& m_dialogs;
    std::vector<CycleRow> m_cycle;
    std::vector<AvailableRow> m_available;
    MissionCatalogue m_catalogue;
    CycleState m_state;
    SelectedMission m_selected;
    std::optional<MissionMenu> m_menu;
    int32_t m_menuRow = -1;
    int32_t m_scrollRow = -1;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
};

}  // namespace tavrin
