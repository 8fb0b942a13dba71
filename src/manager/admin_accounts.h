#pragma once

// The manager's admin accounts: the table the Admins tab edits, the
// operations the admin sessions use, and the file Configs/radmins.cfg.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/event_log.h"
#include "common/result.h"
#include "common/user_dialogs.h"
#include "manager/admin_rights.h"

namespace tavrin {

// The account list's columns, in this order.
enum class AdminColumn : int { Name, User, Pass, Rights, Status, Guid, LastActivity, Count };

inline constexpr std::array<std::string_view, static_cast<size_t>(AdminColumn::Count)>
    kAdminColumnNames = {"Name", "User", "Pass", "Rights", "Status", "Guid", "Last Activity"};

inline constexpr std::string_view kStatusOffline = "Offline";  // not used since start
inline constexpr std::string_view kStatusOnline = "Online";
inline constexpr std::string_view kConnectionEnded = " - ";  // status and last activity
inline constexpr std::string_view kNoGuid = "none";

// One row of the account table. Every cell is text; `rights` holds four
// hexadecimal digits.
struct AdminAccount {
    std::string name = "NEW NAME";
    std::string user = "USER";
    std::string pass = "KEYS";
    std::string rights = "0000";
    std::string status = std::string(kStatusOffline);
    std::string guid = std::string(kNoGuid);
    std::string lastActivity = std::string(kConnectionEnded);

    bool operator==(const AdminAccount&) const = default;
};

// Compares two texts in a time that does not depend on where they differ, so
// a password cannot be guessed byte by byte from the answer's timing.
bool ConstantTimeEquals(std::string_view a, std::string_view b);

// The rights mask a rights cell stands for: 1 to 4 hexadecimal digits of
// either case, at most kFullAccess; nullopt for anything else.
std::optional<RightsMask> ParseRightsText(std::string_view text);

// ---------------------------------------------------------------------------
// Configs/radmins.cfg: five lines per account, in table order,
//   Name=<name>  User=<user>  Pass=<pass>  Rights=<4 hex digits>  Guid=<guid or none>
// then "[END]" without a line feed. Status and last activity are not saved.

inline constexpr std::string_view kAdminsEndMark = "[END]";
// More accounts than this in a file are not read (the file is the manager's
// own, but a damaged one must not eat the memory).
inline constexpr size_t kMaxAdminAccounts = 10000;
// Problems of one file that are logged one by one; the rest are counted.
inline constexpr size_t kMaxAdminFileProblems = 20;

struct AdminAccountsFile {
    std::vector<AdminAccount> accounts;  // status "Offline", last activity " - "
    // One line each for the event log: a skipped block, a missing [END]. They
    // name line numbers and keys, never a value (a value may be a password).
    std::vector<std::string> problems;
};

// Reads accounts up to the line "[END]". A block whose lines are not the five
// keys in order, or whose rights are not 1 to 4 hexadecimal digits within
// kFullAccess, is skipped; reading goes on at the next "Name=" line. Blank
// lines between blocks are passed over.
AdminAccountsFile ParseAdminAccounts(std::string_view text);

// The file text of the table (LF line ends; WriteTextFile makes them CR LF).
std::string BuildAdminAccounts(const std::vector<AdminAccount>& accounts);

std::string AdminAccountsPath(const std::string& programDir);

// Reads Configs/radmins.cfg. A missing file is an empty table. A file that is
// there but cannot be read holds the accounts and their passwords: it is left
// alone, the user is told (a message and an event-log line) and the table is
// empty until the file is read again; only "Save List" writes it then. Each
// skipped block is logged.
std::vector<AdminAccount> LoadAdminAccounts(const std::string& programDir, EventSink& log,
                                            UserDialogs& dialogs);

// ---------------------------------------------------------------------------

// How a row of the account list is drawn.
enum class RowLook { Plain, Selected, Deselected };
struct RowColour {
    int red, green, blue;
    bool operator==(const RowColour&) const = default;
};
inline constexpr RowColour kSelectedRowColour{255, 100, 100};
inline constexpr RowColour kDeselectedRowColour{150, 200, 150};

// Longest text an in-place edit puts in a cell.
inline constexpr size_t kMaxAdminCellText = 255;

// The Admins tab: the account table with its selected row and the rights
// check boxes, and the account operations of the admin sessions. A widget
// renders it and turns clicks into the calls below; nothing is written to disk
// but by SaveList.
class CAdmins {
  public:
    CAdmins() = default;
    explicit CAdmins(std::vector<AdminAccount> accounts);

    // --- The account operations of the admin sessions.

    // Index of the first row whose user equals `user` exactly, or -1.
    int FindAccountByUser(std::string_view user) const;
    // That row's user and password both equal the texts (the password
    // compared in constant time); false for a row that does not exist.
    bool CheckCredentials(int row, std::string_view user, std::string_view pass) const;
    // A cell's text; empty for a row or column that does not exist.
    std::string AccountCell(int row, AdminColumn column) const;
    // Online: status "Online". Offline: status and last activity " - ".
    // A row that does not exist is ignored.
    void SetOnline(int row, bool online);
    void SetLastActivity(int row, std::string text);
    int AccountCount() const { return static_cast<int>(m_rows.size()); }
    // The rights mask of a row; 0 for a row that does not exist.
    RightsMask RightsOf(int row) const;

    const std::vector<AdminAccount>& Rows() const { return m_rows; }
    RowLook LookOf(int row) const;

    // --- The tab.

    // -1 when no row is selected.
    int SelectedRow() const { return m_selected; }
    // A click in the list; a row that does not exist is a click outside the
    // rows: no row stays selected and the boxes are left as they are.
    void ClickRow(int row);

    bool RightTicked(int bit) const;
    bool GroupTicked(RightsGroup group) const;
    bool SelectAllTicked() const { return m_selectAll; }
    // Clicks on the boxes; each carries the state the box has after the click.
    void ClickSelectAll(bool ticked);
    void ClickGroup(RightsGroup group, bool ticked);
    void ClickRight(int bit, bool ticked);

    // "New Admin": a row of defaults, appended and selected.
    void NewAdmin();
    // "Del Admin": deletes the selected row; the row that takes its place (or
    // the new last row) is selected and its rights shown.
    void DelAdmin();

    // In-place editing: name, user, pass and guid may be edited; rights only
    // through the boxes, status and last activity only by the manager. A text
    // with a control byte (it would break radmins.cfg) or longer than
    // kMaxAdminCellText is refused. An empty guid is "none". Returns the text
    // the cell now holds.
    static bool Editable(AdminColumn column);
    Result<std::string> EditCell(int row, AdminColumn column, std::string text);

    // "Save List": the table to Configs/radmins.cfg, atomically and readable
    // by its owner only. A failure is logged and returned.
    Result<std::string> SaveList(const std::string& programDir, EventSink& log) const;
    std::string FileText() const { return BuildAdminAccounts(m_rows); }

    // The table from Configs/radmins.cfg (see LoadAdminAccounts); nothing is
    // selected afterwards.
    void Load(const std::string& programDir, EventSink& log, UserDialogs& dialogs);
    // A table read again: these rows replace the old; nothing is selected.
    void ReplaceRows(std::vector<AdminAccount> rows);

  private:
    void Select(int row);
    void ShowRights();
    void StoreRights();
    void SyncGroupsAndSelectAll();

    std::vector<AdminAccount> m_rows;
    std::vector<RowLook> m_looks;
    int m_selected = -1;
    std::array<bool, kRights.size()> m_ticked{};
    std::array<bool, kRightsGroups.size()> m_groups{};
    bool m_selectAll = false;
};

}  // namespace tavrin
