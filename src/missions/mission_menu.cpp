#include "missions/mission_menu.h"

#include <array>

namespace tavrin {
namespace {

constexpr std::array<std::string_view, 5> kSlotNames = {"File0", "File1", "File2", "File3",
                                                        "File4"};
constexpr std::string_view kViewPrefix = "View \\";
constexpr std::string_view kSavePrefix = "Save List to \\";
constexpr std::string_view kRenamePrefix = "Rename Slot \\";
constexpr std::string_view kPlayOnce = "Set To Play ONCE";
constexpr std::string_view kPlayTwice = "Set To Play TWICE";

std::vector<std::string> MenuLines() {
    std::vector<std::string> lines;
    lines.emplace_back(std::string(kViewPrefix) + "'Live' Server Cycle");
    for (auto prefix : {kViewPrefix, kSavePrefix, kRenamePrefix}) {
        if (prefix != kViewPrefix) lines.emplace_back("-");
        for (auto slot : kSlotNames) lines.emplace_back(std::string(prefix) + std::string(slot));
    }
    for (const char* line : {"-", "Upload View to Server", "-", "Set as Next Mission",
                             "Run Next Mission", "Run This Mission", "-", kPlayOnce.data(),
                             kPlayTwice.data(), "-", "Set as Idle Map", "Idle Settings"})
        lines.emplace_back(line);
    return lines;
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

}  // namespace

std::string_view MissionMenuControl(MissionMenuAction action) {
    switch (action) {
        case MissionMenuAction::ViewSlot:
        case MissionMenuAction::SaveSlot:
        case MissionMenuAction::RenameSlot:
        case MissionMenuAction::Upload:
            return "missionMenuSavedLists";
        case MissionMenuAction::SetNextMission:
            return "missionMenuSetNext";
        case MissionMenuAction::RunNextMission:
            return "missionMenuRunNext";
        case MissionMenuAction::RunThisMission:
            return "missionMenuRunThis";
        case MissionMenuAction::None:
            break;
    }
    return {};
}

MissionMenuAction MissionMenuActionFor(std::string_view line) {
    if (Contains(line, kViewPrefix)) return MissionMenuAction::ViewSlot;
    if (Contains(line, kSavePrefix)) return MissionMenuAction::SaveSlot;
    if (Contains(line, kRenamePrefix)) return MissionMenuAction::RenameSlot;
    if (Contains(line, "Upload")) return MissionMenuAction::Upload;
    if (line == "Set as Next Mission") return MissionMenuAction::SetNextMission;
    if (line == "Run Next Mission") return MissionMenuAction::RunNextMission;
    if (line == "Run This Mission") return MissionMenuAction::RunThisMission;
    return MissionMenuAction::None;
}

std::string MissionMenu::LineForId(int id) const {
    for (const auto& e : entries)
        if (e.id == id) return e.line;
    return {};
}

std::string MissionMenu::Text() const {
    std::string text;
    for (const auto& e : entries) text += e.line + "\n";
    return text;
}

MissionMenu BuildMissionMenu(std::string_view playCount) {
    MissionMenu menu;
    int id = 1;
    for (auto& line : MenuLines()) {
        MissionMenuEntry e;
        e.id = id++;
        e.separator = line == "-";
        size_t slash = line.find('\\');
        if (slash != std::string::npos) {
            e.submenu = line.substr(0, slash);
            e.item = line.substr(slash + 1);
        } else if (!e.separator) {
            e.item = line;
        }
        if (line == kPlayOnce) e.enabled = playCount == "2";
        if (line == kPlayTwice) e.enabled = playCount != "2";
        e.action = MissionMenuActionFor(line);
        e.line = std::move(line);
        menu.entries.push_back(std::move(e));
    }
    return menu;
}

}  // namespace tavrin
