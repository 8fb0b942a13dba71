#include "players/player_list.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "common/text_helpers.h"
#include "common/value_text.h"

namespace tavrin {
namespace {

struct CodeName {
    char digit;
    std::string_view name;
};

// Tested in this order; the first digit the code contains wins.
constexpr std::array<CodeName, 10> kCodeNames = {{
    {'0', "None"},
    {'1', "JointOps"},
    {'2', "Rebel"},
    {'3', "None"},
    {'4', "None"},
    {'5', "Medic"},
    {'6', "Sniper"},
    {'7', "Gunner"},
    {'8', "RifleMan"},
    {'9', "Engineer"},
}};

constexpr std::array<std::string_view, 5> kClassNames = {"Medic", "Sniper", "Gunner", "RifleMan",
                                                         "Engineer"};

constexpr std::array<std::string_view, kFieldsPerRecord> kExportHeader = {
    "NAME", "#", "TEAM", "Class", "Kills", "Deaths", "PING"};
// Exported lists always carry this host, whatever the stored host record.
constexpr std::array<std::string_view, kFieldsPerRecord> kExportHost = {"Host", "0", "1", "8",
                                                                        "0",    "0", "0"};

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

PlayerRow MakeRow(std::string_view id, std::string_view name, std::string_view teamCode,
                  std::string_view classCode, std::string_view kills, std::string_view deaths,
                  std::string_view ping) {
    PlayerRow row;
    row.cells = {std::string(id),       std::string(name),  CodeToName(teamCode),
                 CodeToName(classCode), std::string(kills), std::string(deaths),
                 std::string(ping)};
    row.image = TextToInt(teamCode);
    return row;
}

bool IsTeam(int32_t team) {
    return team == 1 || team == 2;
}

}  // namespace

// --- StatsTable ---------------------------------------------------------------

std::string StatsTable::Cell(int row, int column) const {
    if (row < 0 || row >= kRows || column < 0 || column > 2) return {};
    if (column == 0) return std::string(kLabels[row]);
    return std::to_string(m_values[row][column - 1]);
}

int64_t StatsTable::Value(int row, int team) const {
    if (row < 0 || row >= kRows || (team != 1 && team != 2)) return 0;
    return m_values[row][team - 1];
}

void StatsTable::Clear() {
    m_values = {};
}

void StatsTable::Add(int row, int team, int64_t amount) {
    m_values[row][team - 1] += amount;
}

void StatsTable::Set(int row, int team, int64_t value) {
    m_values[row][team - 1] = value;
}

int StatsTable::RowOfClassName(std::string_view className) {
    for (size_t i = 0; i < kClassNames.size(); ++i) {
        if (kClassNames[i] == className) return kMedics + static_cast<int>(i);
    }
    return -1;
}

std::string PlayerCounts::Text() const {
    return IntToText(total) + " / " + IntToText(team1) + " / " + IntToText(team2);
}

// --- free functions -------------------------------------------------------------

bool IsPlayerListReply(std::string_view reply) {
    return reply.find("Deaths") != std::string_view::npos &&
           reply.find("PING") != std::string_view::npos;
}

std::string CodeToName(std::string_view code) {
    for (const auto& entry : kCodeNames) {
        if (code.find(entry.digit) != std::string_view::npos) return std::string(entry.name);
    }
    return std::string(code);
}

std::vector<std::string_view> SplitPlayerListFields(std::string_view reply) {
    std::vector<std::string_view> fields;
    fields.reserve(std::min(kMaxPlayerListFields, reply.size() / 2 + 1));
    // One pass over the bytes: a tab or a line feed ends a field.
    size_t start = 0;
    for (size_t i = 0; i < reply.size() && fields.size() < kMaxPlayerListFields; ++i) {
        const char c = reply[i];
        if (c != '\t' && c != '\n') continue;
        fields.push_back(TrimBlanks(reply.substr(start, i - start)));
        start = i + 1;
    }
    return fields;
}

bool PlayerMatchesFilter(const PlayerRow& row, std::string_view filter) {
    filter = TrimBlanks(filter);
    if (filter.empty()) return true;
    const std::string wanted = LowerCase1252(filter);
    if (Contains(LowerCase1252(row.cells[kColumnName]), wanted)) return true;
    return LowerCase1252(row.cells[kColumnTeam]).starts_with(wanted);
}

// --- PlayerList -------------------------------------------------------------------

PlayerCounts PlayerList::ParsePlayerList(std::string_view reply) {
    m_rows.clear();
    m_stats.Clear();
    const std::vector<std::string_view> fields = SplitPlayerListFields(reply);

    PlayerCounts counts;
    size_t i = m_showHost ? 7 : 14;
    for (; i + kFieldsPerRecord <= fields.size(); i += kFieldsPerRecord) {
        const std::string_view* f = &fields[i];
        m_rows.push_back(MakeRow(f[1], f[0], f[2], f[3], f[4], f[5], f[6]));
        const int32_t team = TextToInt(f[2]);
        if (!IsTeam(team)) continue;
        int32_t& inTeam = team == 1 ? counts.team1 : counts.team2;
        ++inTeam;
        // With the host hidden, a player listed with id 0 is not counted.
        if (!m_showHost && f[1] == "0") --inTeam;
        m_stats.Set(StatsTable::kTeams, team, inTeam);
        m_stats.Add(StatsTable::kKills, team, TextToInt(f[4]));
        m_stats.Add(StatsTable::kDeaths, team, TextToInt(f[5]));
        m_stats.Add(StatsTable::kPing, team, TextToInt(f[6]));
        const int classRow = StatsTable::RowOfClassName(m_rows.back().cells[kColumnClass]);
        if (classRow >= 0) m_stats.Add(classRow, team, 1);
    }
    // Counted from the rows, so a reply without a complete host record does
    // not give a negative total.
    counts.total = static_cast<int32_t>(m_rows.size());

    m_hostKnown = fields.size() >= 14;
    m_host = HostRecord{};
    if (m_hostKnown) {
        m_host = {std::string(fields[8]),  std::string(fields[7]),  std::string(fields[9]),
                  std::string(fields[10]), std::string(fields[11]), std::string(fields[12]),
                  std::string(fields[13])};
    }
    KeepSort();
    return counts;
}

// Counts the host in or out the way a parse counts a row: its team and, by
// class name, its class row, so toggling agrees with the next parse.
void PlayerList::AddHostToTallies(int sign) {
    const int32_t team = TextToInt(m_host.teamCode);
    if (!IsTeam(team)) return;
    m_stats.Add(StatsTable::kTeams, team, sign);
    const int classRow = StatsTable::RowOfClassName(CodeToName(m_host.classCode));
    if (classRow >= 0) m_stats.Add(classRow, team, sign);
}

void PlayerList::ToggleShowHost(bool ticked) {
    if (ticked == m_showHost) return;
    m_showHost = ticked;
    if (!ticked) {
        auto host = std::find_if(m_rows.begin(), m_rows.end(),
                                 [](const PlayerRow& r) { return r.cells[kColumnId] == "0"; });
        if (host != m_rows.end()) m_rows.erase(host);
        AddHostToTallies(-1);
        return;
    }
    // Before any complete host record there is no host to show; an empty row
    // could never be taken away again.
    if (!m_hostKnown) return;
    const HostRecord& h = m_host;
    m_rows.insert(m_rows.begin(),
                  MakeRow(h.id, h.name, h.teamCode, h.classCode, h.kills, h.deaths, h.ping));
    AddHostToTallies(+1);
    KeepSort();
}

void PlayerList::SortByColumn(int column) {
    if (column < 0 || column >= kPlayerColumnCount) return;
    m_sortAscending = column == m_sortColumn ? !m_sortAscending : true;
    m_sortColumn = column;
    m_sortShown = true;
    Sort();
}

void PlayerList::Sort() {
    const size_t c = static_cast<size_t>(m_sortColumn);
    const bool ascending = m_sortAscending;
    // A stable merge sort stays safe even where the mixed comparison rules
    // are not transitive (hex "C" < "10" < decimal "10.5" < bytes "C").
    std::stable_sort(m_rows.begin(), m_rows.end(), [c, ascending](const auto& x, const auto& y) {
        const int order = CompareCells(x.cells[c], y.cells[c]);
        return ascending ? order < 0 : order > 0;
    });
}

void PlayerList::KeepSort() {
    if (m_keeping == SortKeeping::Shown)
        ReapplyShownSort();
    else if (m_sortColumn > 0)
        Sort();
}

void PlayerList::ReapplyShownSort() {
    if (m_sortShown) Sort();
}

int PlayerList::HeaderPicture(int column) const {
    if (!m_sortShown || column != m_sortColumn) return kNoPicture;
    return m_sortAscending ? kPictureAscending : kPictureDescending;
}

std::string PlayerList::FindPlayerIdByName(std::string_view name) const {
    for (const auto& row : m_rows) {
        if (row.cells[kColumnName] == name) return row.cells[kColumnId];
    }
    return {};
}

int PlayerList::ExportPlayerList(std::string& text) const {
    text.clear();
    for (auto line : kExportHeader) (text += line) += '\n';
    for (auto line : kExportHost) (text += line) += '\n';
    static constexpr std::array<int, kPlayerColumnCount> kOrder = {
        kColumnName,  kColumnId,     kColumnTeam, kColumnClass,
        kColumnKills, kColumnDeaths, kColumnPing};
    for (const auto& row : m_rows) {
        for (int c : kOrder) (text += row.cells[c]) += '\n';
    }
    return static_cast<int>(m_rows.size());
}

}  // namespace tavrin
