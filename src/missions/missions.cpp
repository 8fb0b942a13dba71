#include "missions/missions.h"

#include <algorithm>

#include "common/cell_compare.h"
#include "common/value_text.h"
#include "missions/mission_text.h"

namespace tavrin {
namespace {

using mission_text::TrimBlanks;
using mission_text::TrimWhiteSpace;

// The slot of a menu line such as "Save List to \File2": the text after its
// first backslash.
std::string SlotOf(std::string_view line) {
    size_t slash = line.find('\\');
    return std::string(slash == std::string_view::npos ? line : line.substr(slash + 1));
}

}  // namespace

CMissions::CMissions(CommandSink& commands, UserDialogs& dialogs)
    : m_commands(commands), m_dialogs(dialogs) {}

void CMissions::ClearForNewConnection() {
    m_catalogue.Clear();
    m_cycle.clear();
    m_available.clear();
    m_menuRow = -1;
    m_scrollRow = -1;
}

void CMissions::ParseMissionReply(MissionList list, std::string_view reply) {
    switch (list) {
        case MissionList::Cycle:
            ParseCycle(reply);
            break;
        case MissionList::Available:
            ParseAvailable(reply);
            break;
        case MissionList::None:
            break;
    }
}

void CMissions::ParseCycle(std::string_view reply) {
    m_cycle.clear();
    m_menuRow = -1;  // a rebuilt list is painted in the list colour throughout
    m_scrollRow = -1;
    for (std::string_view line : MissionReplyLines(reply)) {
        const auto r = static_cast<int32_t>(m_cycle.size());
        CycleRow row;
        row.fileName = CycleLineFileName(line);
        const CycleLineMarks marks = ReadCycleLineMarks(line);
        row.playCount = marks.twice ? "2" : "1";
        if (marks.flipped) row.markPicture = kPictureFlipped;
        if (marks.current) {
            row.namePicture = kPictureCurrent;
            m_state.currentRow = r;
            m_scrollRow = r;
        }
        if (marks.next) {
            row.markPicture = kPictureNext;
            m_state.nextRow = r;
        }
        m_cycle.push_back(std::move(row));
    }
    for (CycleRow& row : m_cycle) {
        std::string_view file = TrimBlanks(row.fileName);
        row.name = m_catalogue.Find(file).value_or(file);
    }
}

void CMissions::ParseAvailable(std::string_view reply) {
    m_available.clear();
    const bool fillCatalogue = m_catalogue.Empty();
    for (std::string_view line : MissionReplyLines(reply)) {
        AvailableMission mission = SplitAvailableLine(line);
        if (fillCatalogue) m_catalogue.Append(mission.fileName, mission.description);
        m_available.push_back({std::move(mission.description), std::move(mission.fileName)});
    }
}

bool CMissions::IsCycleRow(int32_t row) const {
    return row >= 0 && static_cast<size_t>(row) < m_cycle.size();
}

std::string CMissions::CurrentMissionName() const {
    return IsCycleRow(m_state.currentRow) ? m_cycle[m_state.currentRow].name : std::string();
}

std::string CMissions::CurrentMissionFile() const {
    return IsCycleRow(m_state.currentRow) ? m_cycle[m_state.currentRow].fileName : std::string();
}

void CMissions::SelectCycleRow(int32_t row) {
    if (!IsCycleRow(row)) return;
    const CycleRow& r = m_cycle[row];
    m_selected = {IntToText(row), r.fileName, r.playCount, r.name, row, r.markPicture};
}

std::optional<MissionMenu> CMissions::OpenMissionMenu(int32_t row) {
    if (!IsCycleRow(row)) return std::nullopt;
    SelectCycleRow(row);
    m_menuRow = row;
    m_menu = BuildMissionMenu(m_selected.playCount);
    return m_menu;
}

void CMissions::ChooseMissionMenuEntry(int id) {
    if (!m_menu) return;
    const std::string line = m_menu->LineForId(id);
    m_menu.reset();
    m_menuRow = -1;
    switch (MissionMenuActionFor(line)) {
        case MissionMenuAction::ViewSlot:
            m_dialogs.ShowMessage("View\n" + SlotOf(line));
            break;
        case MissionMenuAction::SaveSlot:
            m_dialogs.ShowMessage("Save\n" + SlotOf(line));
            break;
        case MissionMenuAction::RenameSlot:
            m_dialogs.ShowMessage("Rename\n" + SlotOf(line));
            break;
        case MissionMenuAction::Upload:
            m_dialogs.ShowMessage(line);
            break;
        case MissionMenuAction::SetNextMission:
            SetNextMission();
            break;
        case MissionMenuAction::RunNextMission:
            Post("mission cycle");
            break;
        case MissionMenuAction::RunThisMission:
            m_dialogs.ShowMessage("Set and Run");
            break;
        case MissionMenuAction::None:
            break;
    }
}

void CMissions::OnCycleRightClick(int32_t row,
                                  const std::function<int(const MissionMenu&)>& choose) {
    if (auto menu = OpenMissionMenu(row)) ChooseMissionMenuEntry(choose(*menu));
}

void CMissions::SetNextMission() {
    const int32_t row = m_selected.row;
    // A cycle reply may have rebuilt the list shorter while the menu was open.
    if (!IsCycleRow(row)) return;
    // The old marker goes first, so choosing the row that is already next keeps its picture.
    if (IsCycleRow(m_state.nextRow)) m_cycle[m_state.nextRow].markPicture = kPictureEmpty;
    m_cycle[row].markPicture = kPictureNext;
    m_state.nextRow = row;
    Post("mission setnext " + m_selected.rowText);
}

void CMissions::AddMissionToCycle(int32_t row) {
    if (row < 0 || static_cast<size_t>(row) >= m_available.size()) return;
    const std::string file(TrimWhiteSpace(m_available[row].fileName));
    if (file.empty()) return;
    for (const CycleRow& c : m_cycle)
        if (TrimWhiteSpace(c.fileName) == file) return;
    m_available.erase(m_available.begin() + row);
    CycleRow added;
    added.name = "Added";
    added.fileName = file;
    m_cycle.push_back(std::move(added));
    m_scrollRow = static_cast<int32_t>(m_cycle.size()) - 1;
    Post("mission add " + file, "mission list");
}

void CMissions::RemoveMissionFromCycle(int32_t row) {
    // The mission being played cannot be removed.
    if (!IsCycleRow(row) || row == m_state.currentRow) return;
    if (row < m_state.currentRow) --m_state.currentRow;
    m_cycle.erase(m_cycle.begin() + row);
    m_scrollRow = -1;
    Post("mission remove " + IntToText(row), "mission list");
}

void CMissions::RefreshCycle() {
    Post("mission list");
}

void CMissions::RefreshAvailable() {
    Post("mission available");
}

void CMissions::SortAvailable(int column) {
    if (column < 0 || column > 1) return;
    const bool ascending = column != m_sortColumn || !m_sortAscending;
    SortAvailableRows(column, ascending);
    m_sortColumn = column;
    m_sortAscending = ascending;
}

void CMissions::ReapplyAvailableSort() {
    if (m_sortColumn >= 0) SortAvailableRows(m_sortColumn, m_sortAscending);
}

void CMissions::SortAvailableRows(int column, bool ascending) {
    auto key = [column](const AvailableRow& r) -> const std::string& {
        return column == 0 ? r.description : r.fileName;
    };
    std::stable_sort(m_available.begin(), m_available.end(),
                     [&](const AvailableRow& a, const AvailableRow& b) {
                         const int c = CompareCells(key(a), key(b));
                         return ascending ? c < 0 : c > 0;
                     });
}

void CMissions::Post(std::string first, std::string second) {
    std::vector<PacedCommand> batch;
    for (std::string* text : {&first, &second})
        if (!text->empty())
            batch.push_back({std::move(*text), kCommandPauseMs, PacedCommand::Route::Request});
    if (!batch.empty()) m_commands.SubmitCommands(std::move(batch));
}

}  // namespace tavrin
