#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/control_permit.h"
#include "common/event_log.h"
#include "common/user_dialogs.h"
#include "common/view_types.h"
#include "players/context_menu.h"

namespace tavrin {

// Line 1 of adminmenu.cfg: a comment for the reader, skipped on reading.
inline constexpr std::string_view kAdminMenuFormatLine =
    "[FORMAT: Group Menu Items under [headings], in the order Warn,Punt,Ban,Kill,Swap,Zero]";

// The admin menu written when Configs/adminmenu.cfg is missing.
const std::string& DefaultAdminMenu();

std::string AdminMenuPath(const std::string& programDir);

// Reads Configs/adminmenu.cfg; a missing file gives the default menu, which
// is written out at once (a failure to write is logged). A file that is there
// but cannot be read is left alone: the default menu is used in memory, the
// user is told (a message and an event-log line), and only the user's own
// save (OK of the editor) writes the file.
std::string LoadAdminMenu(const std::string& programDir, EventSink& log, UserDialogs& dialogs);
// The same with the event log as the only one to tell.
std::string LoadAdminMenu(const std::string& programDir, EventSink& log);

// Replaces Configs/adminmenu.cfg (after the editor's OK); a failure is logged.
bool SaveAdminMenu(const std::string& programDir, const std::string& text, EventSink& log);

// The admin menu the Players tab offers and edits. It reads the text loaded at
// start-up (by reference, so a load after the tab was built is seen) until the
// editor's OK replaces it; each replacement is written to adminmenu.cfg.
class AdminMenuFile {
  public:
    // `programDir` ends with the path separator.
    AdminMenuFile(const std::string& loaded, std::string programDir, EventSink& log)
        : m_loaded(loaded), m_programDir(std::move(programDir)), m_log(log) {}

    const std::string& Text() const { return m_edited ? *m_edited : m_loaded; }
    // Keeps `text` as the menu and writes the file (whole, atomically); false,
    // with the failure logged, when it could not be written: the menu in
    // memory is the new one either way.
    bool Replace(std::string text);

  private:
    const std::string& m_loaded;
    std::optional<std::string> m_edited;
    std::string m_programDir;
    EventSink& m_log;
};

// The menu lines of an admin menu text: line 1 dropped and every heading line
// ("[WARN]\n" and the like) removed wherever it stands. Nothing when the text
// holds no line feed.
std::optional<std::string> AdminMenuEntries(std::string_view adminMenuText);

// The popup of the admin menu. A line without a backslash names no action: it
// is shown greyed at the top level and cannot be chosen. A line `gate` does
// not allow (the account of a remote console lacks a right its commands need)
// is greyed too, with the gate's tooltip. A text without any line feed shows
// "!" and gives nothing.
std::optional<CContextMenu> BuildAdminMenu(std::string_view adminMenuText, UserDialogs& dialogs,
                                           const ControlPermits::LineGate& gate = {});

// Shows the admin menu and returns the chosen entry line (kind, backslash,
// message), or an empty text.
std::string ShowAdminMenu(std::string_view adminMenuText, UserDialogs& dialogs, PopupMenus& popups,
                          const ControlPermits::LineGate& gate = {});

inline constexpr Rgb kAdminRowColour{175, 225, 175};
inline constexpr Rgb kAdminSelectedRowColour{225, 175, 175};

// One row of the editor: columns "Command" (the kind) and "Text" (the
// message), with a tick box.
struct AdminMenuRow {
    std::string command;
    std::string text;
    bool ticked = true;
    bool highlighted = false;  // painted in the selected-row colour

    bool operator==(const AdminMenuRow&) const = default;
};

// The "Player Admin Menu" editor dialog.
class CAdminMenu {
  public:
    enum class Column { Command = 0, Text = 1 };
    static constexpr int kCommandWidth = 74;
    static constexpr int kTextWidth = 295;

    explicit CAdminMenu(UserDialogs& dialogs) : m_dialogs(dialogs) {}

    // On showing: one ticked row per menu line. A text without any line feed
    // shows "!" and loads nothing.
    void LoadRows(std::string_view adminMenuText);

    const std::vector<AdminMenuRow>& Rows() const { return m_rows; }
    // -1 when none.
    int Selected() const { return m_selected; }
    Rgb RowColour(int row) const;

    // Click: the clicked row is selected and painted; a click off the rows
    // selects nothing. Right click: selects without repainting.
    void ClickRow(int row);
    void RightClickRow(int row);
    // An in-place edit. Refused with a message (false, cell unchanged): a
    // line break, which would split the entry in the file; a heading text
    // such as "[PUNT]", which reading removes wherever it stands and which at
    // the end of a message would join the next entry to it; and a backslash
    // in a Command, which would end the kind early when read back.
    bool EditCell(int row, Column column, const std::string& text);
    void SetTicked(int row, bool ticked);

    // "Above": a new row at the selection, its Command copied from the row
    // there. "Below": a new row after the selection, its Command copied from
    // the row that stood there. Either selects the new row and gives every
    // row the row colour; with no selection the row goes to the top.
    // "Delete": removes the selected row.
    void Above();
    void Below();
    void Delete();

    // OK: the admin menu text of the ticked rows with both cells filled, the
    // format line first and a heading before the first entry of each kind.
    std::string Ok() const;

  private:
    void InsertRow(int at, int copyFrom);
    bool ValidRow(int row) const { return row >= 0 && row < static_cast<int>(m_rows.size()); }

    UserDialogs& m_dialogs;
    std::vector<AdminMenuRow> m_rows;
    int m_selected = -1;
};

}  // namespace tavrin
