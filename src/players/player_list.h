#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/cell_compare.h"
#include "common/view_types.h"

namespace tavrin {

inline constexpr int kPlayerColumnCount = 7;
// 176 records of seven fields: header, host and 174 players.
inline constexpr size_t kMaxPlayerListFields = 1232;
inline constexpr size_t kFieldsPerRecord = 7;

struct ColumnSpec {
    std::string_view header;
    int width;
};

// The Players list's columns, all left-aligned: id, name, team, class, kills,
// deaths, ping.
inline constexpr std::array<ColumnSpec, kPlayerColumnCount> kPlayerColumns = {{
    {"", 40},
    {"Soldiers  ", 158},
    {"T  ", 75},
    {"C  ", 66},
    {"K  ", 60},
    {"D  ", 60},
    {"P  ", 60},
}};

enum PlayerColumn : int {
    kColumnId = 0,
    kColumnName = 1,
    kColumnTeam = 2,
    kColumnClass = 3,
    kColumnKills = 4,
    kColumnDeaths = 5,
    kColumnPing = 6,
};

inline constexpr Rgb kPlayerRowColour{200, 255, 200};
inline constexpr Rgb kStatsColour{230, 230, 250};

// Pictures of the shared image strip used by the Players tab.
inline constexpr int kPictureAscending = 4;
inline constexpr int kPictureDescending = 5;

// One visible row of the Players list. `image` is the team number read from
// the team code and picks the row's picture (0 none, 1 team 1, 2 team 2); a
// view must treat numbers outside its picture strip as "no picture".
struct PlayerRow {
    std::array<std::string, kPlayerColumnCount> cells;
    int32_t image = 0;

    bool operator==(const PlayerRow&) const = default;
};

// The host's own record as the game server sent it: codes, not names.
struct HostRecord {
    std::string id, name, teamCode, classCode, kills, deaths, ping;

    bool operator==(const HostRecord&) const = default;
};

// Per-team tallies: nine rows, a column for team 1 and one for team 2.
class StatsTable {
  public:
    static constexpr int kRows = 9;
    enum Row : int {
        kTeams = 0,
        kKills,
        kDeaths,
        kPing,
        kMedics,
        kSnipers,
        kGunners,
        kRiflemen,
        kEngineers
    };
    static constexpr std::array<std::string_view, kRows> kLabels = {
        "Teams", "Kills", "Deaths", "Ping", "Medics", "Snipers", "Gunners", "Riflmen", "Engineers"};
    // Column 0 "Stat" is centred; the team columns are right-aligned.
    static constexpr std::array<ColumnSpec, 3> kColumns = {{
        {"Stat", 55},
        {"JointOps", 58},
        {"Rebels", 55},
    }};

    // The text of a cell: the label in column 0, a decimal number in 1 and 2.
    std::string Cell(int row, int column) const;
    // Numeric value of a team cell; `team` is 1 or 2 (0 for any other cell).
    int64_t Value(int row, int team) const;

    // The class row counting players of this class name, or -1.
    static int RowOfClassName(std::string_view className);

  private:
    friend class PlayerList;
    void Clear();
    void Add(int row, int team, int64_t amount);
    void Set(int row, int team, int64_t value);

    std::array<std::array<int64_t, 2>, kRows> m_values{};
};

// Player counts as the Server tab shows them.
struct PlayerCounts {
    int32_t total = 0;
    int32_t team1 = 0;
    int32_t team2 = 0;

    // "total / team1 / team2"
    std::string Text() const;
    bool operator==(const PlayerCounts&) const = default;
};

// True for the game server's reply to "player list".
bool IsPlayerListReply(std::string_view reply);

// Team or class name of a code. Each test asks whether the code *contains*
// the digit ("10" is "None"); a code with no digit is returned unchanged.
std::string CodeToName(std::string_view code);

// The reply's fields, viewing into `reply`: line feeds count as tabs, text
// after the last tab is no field, each field is trimmed of blanks. At most
// kMaxPlayerListFields.
std::vector<std::string_view> SplitPlayerListFields(std::string_view reply);

// Whether a row passes the Players list's filter box: the filter, without
// blanks at its ends, is part of the player's name or the start of the team's
// name, either without regard to case (Windows-1252). An empty filter passes
// every row.
bool PlayerMatchesFilter(const PlayerRow& row, std::string_view filter);

// The data side of the Players tab: rows, tallies, host record, Show Host and
// sort state, all rebuilt from each "player list" reply.
class PlayerList {
  public:
    // Which remembered sort a parse and Show Host apply again. By itself the
    // list re-sorts only by a column past 0, so a header click on column 0
    // is forgotten by the next parse. A console keeps the sort its header
    // shows, column 0 included, so that the list holds the order the Players
    // tab shows, with a window or without.
    enum class SortKeeping { ColumnsPastZero, Shown };
    explicit PlayerList(SortKeeping keeping = SortKeeping::ColumnsPastZero) : m_keeping(keeping) {}

    // Replaces rows, tallies and host record from a reply. A record needs all
    // seven fields: an incomplete last record, or a host record in a reply of
    // fewer than 14 fields, is not shown.
    PlayerCounts ParsePlayerList(std::string_view reply);

    // The Show Host box was set to `ticked`. Setting it to the state it
    // already has changes nothing.
    void ToggleShowHost(bool ticked);

    // Header click: ascending on a new column, else the other direction.
    void SortByColumn(int column);

    // Sorts the rows again by the column and direction the header shows,
    // column 0 included, which a parse that keeps only columns past 0 leaves
    // in the order of arrival. Nothing before the first header click.
    void ReapplyShownSort();

    // Id of the first row whose name is exactly `name`, or "".
    std::string FindPlayerIdByName(std::string_view name) const;

    // The list in the game server's own reply format, with a fixed host
    // record; returns the number of rows written.
    int ExportPlayerList(std::string& text) const;

    const std::vector<PlayerRow>& Rows() const { return m_rows; }
    const StatsTable& Stats() const { return m_stats; }
    const HostRecord& Host() const { return m_host; }
    bool ShowHost() const { return m_showHost; }
    int32_t SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_sortAscending; }
    // Picture on a column header: kNoPicture until the first header click.
    int HeaderPicture(int column) const;

  private:
    void Sort();
    // After a parse or a Show Host change: the remembered sort, as kept.
    void KeepSort();
    void AddHostToTallies(int sign);

    std::vector<PlayerRow> m_rows;
    StatsTable m_stats;
    HostRecord m_host;
    bool m_hostKnown = false;
    bool m_showHost = false;
    int32_t m_sortColumn = 0;
    bool m_sortAscending = true;
    bool m_sortShown = false;
    SortKeeping m_keeping;
};

}  // namespace tavrin
