#include "players/admin_menu.h"

#include <algorithm>
#include <array>

#include "common/config_file.h"
#include "common/text_file.h"

namespace tavrin {
namespace {

struct Heading {
    std::string_view kind;
    std::string_view line;
};
// The order in which OK puts headings in; on reading all six are removed.
constexpr std::array<Heading, 6> kHeadings{{
    {"Warn", "[WARN]\n"},
    {"Punt", "[PUNT]\n"},
    {"Kill", "[KILL]\n"},
    {"Ban", "[BAN]\n"},
    {"Swap", "[SWAP]\n"},
    {"Zero", "[ZERO]\n"},
}};

// A heading without its line feed, "[PUNT]" and the like.
std::string_view HeadingText(const Heading& h) {
    return h.line.substr(0, h.line.size() - 1);
}

constexpr const char* kLineBreakRefused =
    "A command or message cannot hold a line break: each menu entry is one line of the "
    "file. The cell was not changed.";
constexpr const char* kBackslashRefused =
    "A command cannot hold a backslash: it separates the command from its message in the "
    "file. The cell was not changed.";
std::string HeadingRefused(std::string_view heading) {
    return "A command or message cannot hold the heading text " + std::string(heading) +
           ": the six headings are removed from the file wherever they stand. The cell was "
           "not changed.";
}

// Removes every occurrence of `what` in one pass over `text`.
std::string RemoveAll(std::string_view text, std::string_view what) {
    std::string out;
    out.reserve(text.size());
    for (size_t at; (at = text.find(what)) != std::string_view::npos;) {
        out.append(text.substr(0, at));
        text.remove_prefix(at + what.size());
    }
    out.append(text);
    return out;
}

}  // namespace

const std::string& DefaultAdminMenu() {
    static const std::string text = [] {
        const char* const lines[] = {
            "[WARN]",
            "Warn\\DO NOT USE FOUL LANGUAGE",
            "Warn\\DO NOT USE RACIST WORDS",
            "Warn\\DO NOT WOUND TEAM MATES",
            "Warn\\DO NOT TEAM-KILL",
            "Warn\\DO NOT VEHICLE CAMP",
            "Warn\\DO NOT SPAWNCAMP",
            "Warn\\DO NOT DESTROY YOUR TEAM'S VEHICLES",
            "Warn\\YOUR NAME IS BLANK/TOO SHORT",
            "Warn\\YOUR NAME IS OFFENSIVE \x96 CHANGE IT!",  // 0x96: en dash in Windows-1252
            "Warn\\DO NOT SPAM THE CHAT!",
            "Warn\\KICKING - OPENING SPOT FOR MEMBER",
            "Warn\\KICKING - AFK, TAKING UP SPOT",
            "[PUNT]",
            "Punt\\KICKED FOR BAD LANGUAGE",
            "Punt\\KICKED FOR RACIST LANGUAGE",
            "Punt\\KICKED FOR WOUNDING TEAM MATES",
            "Punt\\KICKED FOR TEAM-KILLING",
            "Punt\\KICKED FOR VEHICLE CAMPING",
            "Punt\\KICKED FOR SPAWNCAMPING",
            "Punt\\KICKED FOR DESTROYING HIS TEAM'S VEHICLES",
            "Punt\\KICKED FOR NOT CHANGING HIS NAME",
            "Punt\\KICKED FOR CHAT-SPAMMING",
            "Punt\\KICKED TO OPEN SLOT FOR MEMBER",
            "Punt\\KICKED FOR BEING AFK",
            "[BAN]",
            "Ban\\BANNED - BAD LANGUAGE",
            "Ban\\BANNED - RACIST LANGUAGE",
            "Ban\\BANNED - SUSPECTED CHEAT",
            "[KILL]",
            "Kill\\KILLED FOR TEAMKILLING",
            "Kill\\KILLED FOR SPAWNCAMPING",
            "[SWAP]",
            "Swap\\SWAPPED TO EVEN THE TEAMS",
            "Swap\\SWAPPED FOR MATCHPLAY",
            "[ZERO]",
            "Zero\\ZEROED FOR SCORE PADDING",
        };
        std::string t = std::string(kAdminMenuFormatLine) + '\n';
        for (const char* line : lines) t += std::string(line) + '\n';
        return t;
    }();
    return text;
}

std::string AdminMenuPath(const std::string& programDir) {
    return programDir + "Configs" + kPathSeparator + "adminmenu.cfg";
}

namespace {

std::string LoadMenu(const std::string& programDir, EventSink& log, UserDialogs* dialogs) {
    return LoadConfigText(AdminMenuPath(programDir), DefaultAdminMenu(), FileAccess::Shared, &log,
                          dialogs);
}

}  // namespace

std::string LoadAdminMenu(const std::string& programDir, EventSink& log, UserDialogs& dialogs) {
    return LoadMenu(programDir, log, &dialogs);
}

std::string LoadAdminMenu(const std::string& programDir, EventSink& log) {
    return LoadMenu(programDir, log, nullptr);
}

bool SaveAdminMenu(const std::string& programDir, const std::string& text, EventSink& log) {
    std::string failure;
    if (WriteTextFile(AdminMenuPath(programDir), text, WriteMode::Replace, &failure)) return true;
    log.LogEvent(failure);
    return false;
}

bool AdminMenuFile::Replace(std::string text) {
    m_edited = std::move(text);
    return SaveAdminMenu(m_programDir, *m_edited, m_log);
}

std::optional<std::string> AdminMenuEntries(std::string_view adminMenuText) {
    const size_t end = adminMenuText.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    std::string entries(adminMenuText.substr(end + 1));
    // Until none is left: one removal can bring the pieces of another heading
    // together, and a heading kept here would vanish from an entry at the
    // next reading, after the editor's OK had written it back.
    for (bool removed = true; removed;) {
        removed = false;
        for (const Heading& h : kHeadings) {
            if (entries.find(h.line) == std::string::npos) continue;
            entries = RemoveAll(entries, h.line);
            removed = true;
        }
    }
    return entries;
}

std::optional<CContextMenu> BuildAdminMenu(std::string_view adminMenuText, UserDialogs& dialogs,
                                           const ControlPermits::LineGate& gate) {
    std::optional<std::string> entries = AdminMenuEntries(adminMenuText);
    if (!entries) {
        dialogs.ShowMessage("!");
        return std::nullopt;
    }
    CContextMenu menu;
    menu.BuildFromText(*entries);
    // A top-level command came from a line without a backslash: it names no
    // action, so it is shown but cannot be chosen.
    std::vector<int> actionless;
    for (const MenuItem& item : menu.Items()) {
        if (item.kind == MenuItem::Kind::Command) actionless.push_back(item.id);
    }
    for (int id : actionless) menu.SetEnabled(id, false);
    if (gate) {
        const std::vector<std::string>& lines = menu.SourceLines();
        for (size_t i = 0; i < lines.size(); ++i) {
            const int id = static_cast<int>(i) + 1;
            const MenuItem* item = menu.FindCommand(id);
            if (!item || !item->enabled) continue;
            ControlPermit permit = gate(lines[i]);
            if (permit.allowed) continue;
            menu.SetEnabled(id, false);
            menu.SetToolTip(id, std::move(permit.tip));
        }
    }
    return menu;
}

std::string ShowAdminMenu(std::string_view adminMenuText, UserDialogs& dialogs, PopupMenus& popups,
                          const ControlPermits::LineGate& gate) {
    std::optional<CContextMenu> menu = BuildAdminMenu(adminMenuText, dialogs, gate);
    std::string line;
    if (menu) menu->TrackAndGetChoice(popups, line);
    return line;
}

void CAdminMenu::LoadRows(std::string_view adminMenuText) {
    m_rows.clear();
    m_selected = -1;
    std::optional<std::string> entries = AdminMenuEntries(adminMenuText);
    if (!entries) {
        m_dialogs.ShowMessage("!");
        return;
    }
    std::string_view rest = *entries;
    // The same lines the popup uses: up to the first empty line, each ended
    // by a line feed.
    for (size_t end; (end = rest.find('\n')) != 0 && end != std::string_view::npos;) {
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        AdminMenuRow row;
        const size_t slash = line.find('\\');
        if (slash == std::string_view::npos) {
            // No kind: the line shows as a message waiting for one.
            row.text = line;
        } else {
            row.command = line.substr(0, slash);
            row.text = line.substr(slash + 1);
        }
        m_rows.push_back(std::move(row));
    }
}

Rgb CAdminMenu::RowColour(int row) const {
    return ValidRow(row) && m_rows[row].highlighted ? kAdminSelectedRowColour : kAdminRowColour;
}

void CAdminMenu::ClickRow(int row) {
    if (ValidRow(m_selected)) m_rows[m_selected].highlighted = false;
    m_selected = ValidRow(row) ? row : -1;
    if (ValidRow(m_selected)) m_rows[m_selected].highlighted = true;
}

void CAdminMenu::RightClickRow(int row) {
    m_selected = ValidRow(row) ? row : -1;
}

bool CAdminMenu::EditCell(int row, Column column, const std::string& text) {
    if (!ValidRow(row)) return false;
    if (text.find_first_of("\r\n") != std::string::npos) {
        m_dialogs.ShowMessage(kLineBreakRefused);
        return false;
    }
    // The kind ends at the entry's first backslash; one inside it would move
    // the rest of the kind into the message when the file is read back.
    if (column == Column::Command && text.find('\\') != std::string::npos) {
        m_dialogs.ShowMessage(kBackslashRefused);
        return false;
    }
    for (const Heading& h : kHeadings) {
        if (text.find(HeadingText(h)) != std::string::npos) {
            m_dialogs.ShowMessage(HeadingRefused(HeadingText(h)));
            return false;
        }
    }
    (column == Column::Command ? m_rows[row].command : m_rows[row].text) = text;
    return true;
}

void CAdminMenu::SetTicked(int row, bool ticked) {
    if (ValidRow(row)) m_rows[row].ticked = ticked;
}

void CAdminMenu::InsertRow(int at, int copyFrom) {
    AdminMenuRow row;
    if (ValidRow(copyFrom)) row.command = m_rows[copyFrom].command;
    m_rows.insert(m_rows.begin() + at, std::move(row));
    m_selected = at;
}

void CAdminMenu::Above() {
    const int at = std::clamp(m_selected, 0, static_cast<int>(m_rows.size()));
    InsertRow(at, at);
    for (AdminMenuRow& row : m_rows) row.highlighted = false;
}

void CAdminMenu::Below() {
    const int at = std::clamp(m_selected + 1, 0, static_cast<int>(m_rows.size()));
    InsertRow(at, at);
    // The row the new one follows must not go on looking selected beside it.
    for (AdminMenuRow& row : m_rows) row.highlighted = false;
}

void CAdminMenu::Delete() {
    if (!ValidRow(m_selected)) return;
    m_rows.erase(m_rows.begin() + m_selected);
    if (ValidRow(m_selected)) m_rows[m_selected].highlighted = true;
}

std::string CAdminMenu::Ok() const {
    std::string text = std::string(kAdminMenuFormatLine) + '\n';
    for (const AdminMenuRow& row : m_rows) {
        if (row.ticked && !row.command.empty() && !row.text.empty())
            text += row.command + '\\' + row.text + '\n';
    }
    // A heading goes before the first occurrence of its kind's word, so a
    // message holding the word can take it; reading removes headings wherever
    // they stand, which gives that message back whole.
    const size_t e = text.find('\n');
    for (const Heading& h : kHeadings) {
        if (text.find(std::string(h.kind) + '\\', e) == std::string::npos) continue;
        text.insert(text.find(h.kind, e), h.line);
    }
    return text;
}

}  // namespace tavrin
