#include "players/player_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrin {
namespace {

using Tally = std::array<int64_t, StatsTable::kRows>;

const std::string kHeader = "NAME\t#\tTEAM\tClass\tKills\tDeaths\tPING\n";
const std::string kHostLine = "Host\t0\t1\t8\t0\t0\t0\n";
const std::string kAnn = "Ann\t3\t1\t5\t10\t2\t50\n";
const std::string kBob = "Bob\t4\t2\t9\t1\t7\t120\n";
const std::string kReply = kHeader + kHostLine + kAnn + kBob;

// A player line in the reply's field order: name, id, team, class, K, D, P.
std::string Line(const std::vector<std::string>& f) {
    std::string s;
    for (size_t i = 0; i < f.size(); ++i) s += f[i] + (i + 1 < f.size() ? "\t" : "\n");
    return s;
}

Tally TeamTally(const PlayerList& list, int team) {
    Tally t{};
    for (int r = 0; r < StatsTable::kRows; ++r) t[r] = list.Stats().Value(r, team);
    return t;
}

std::vector<std::string> Column(const PlayerList& list, int column) {
    std::vector<std::string> out;
    for (const auto& row : list.Rows()) out.push_back(row.cells[column]);
    return out;
}

PlayerList Parsed(const std::string& reply, bool showHost = false) {
    PlayerList list;
    list.ToggleShowHost(showHost);
    list.ParsePlayerList(reply);
    return list;
}

TEST(PlayerListReply, NeedsBothMarkersCaseSensitive) {
    const std::pair<std::string, bool> cases[] = {
        {kReply, true},
        {"Deaths PING", true},
        {"PING ... Deaths", true},
        {"Deaths Ping", false},
        {"deaths PING", false},
        {"Kills\tPING", false},
        {"", false},
    };
    for (const auto& [reply, expected] : cases)
        EXPECT_EQ(IsPlayerListReply(reply), expected) << reply;
}

TEST(CodeToName, FirstContainedDigitWins) {
    const std::pair<std::string, std::string> cases[] = {
        {"0", "None"},      {"1", "JointOps"}, {"2", "Rebel"},  {"3", "None"},
        {"4", "None"},      {"5", "Medic"},    {"6", "Sniper"}, {"7", "Gunner"},
        {"8", "RifleMan"},  {"9", "Engineer"}, {"10", "None"},  {"12", "JointOps"},
        {"21", "JointOps"}, {"95", "Medic"},   {"", ""},        {"Medic", "Medic"},
        {"x7y", "Gunner"},
    };
    for (const auto& [code, name] : cases) EXPECT_EQ(CodeToName(code), name) << code;
}

TEST(PlayerListFields, SplitTrimAndCap) {
    using Fields = std::vector<std::string_view>;
    const std::pair<std::string, Fields> cases[] = {
        {"a\tb\n", {"a", "b"}},
        {"a\tb", {"a"}},  // text after the last separator is no field
        {"  a  \t\t b\n", {"a", "", "b"}},
        {" a\r\t", {"a\r"}},  // only blanks are trimmed
        {"no separator", {}},
        {"", {}},
        {"\t", {""}},
        {"\n\t\n", {"", "", ""}},
        {" \t   \n", {"", ""}},
        {"a\nb\tc\nd", {"a", "b", "c"}},
    };
    for (const auto& [reply, fields] : cases)
        EXPECT_EQ(SplitPlayerListFields(reply), fields) << reply;

    std::string many;
    for (int i = 0; i < 1300; ++i) many += "f" + std::to_string(i) + "\t";
    const auto fields = SplitPlayerListFields(many);
    ASSERT_EQ(fields.size(), kMaxPlayerListFields);
    EXPECT_EQ(fields.back(), "f1231");
}

TEST(ParsePlayerList, HostHiddenGivesPlayersAndTallies) {
    PlayerList list;
    const PlayerCounts counts = list.ParsePlayerList(kReply);
    EXPECT_EQ(counts, (PlayerCounts{2, 1, 1}));
    EXPECT_EQ(counts.Text(), "2 / 1 / 1");
    ASSERT_EQ(list.Rows().size(), 2u);
    EXPECT_EQ(list.Rows()[0], (PlayerRow{{"3", "Ann", "JointOps", "Medic", "10", "2", "50"}, 1}));
    EXPECT_EQ(list.Rows()[1], (PlayerRow{{"4", "Bob", "Rebel", "Engineer", "1", "7", "120"}, 2}));
    EXPECT_EQ(TeamTally(list, 1), (Tally{1, 10, 2, 50, 1, 0, 0, 0, 0}));
    EXPECT_EQ(TeamTally(list, 2), (Tally{1, 1, 7, 120, 0, 0, 0, 0, 1}));
    EXPECT_EQ(list.Host(), (HostRecord{"0", "Host", "1", "8", "0", "0", "0"}));
    EXPECT_EQ(list.Stats().Cell(StatsTable::kRiflemen, 0), "Riflmen");
    EXPECT_EQ(list.Stats().Cell(StatsTable::kPing, 2), "120");
}

TEST(ParsePlayerList, HostShownIsTheFirstRowAndCounts) {
    PlayerList list;
    list.ToggleShowHost(true);
    EXPECT_EQ(list.ParsePlayerList(kReply), (PlayerCounts{3, 2, 1}));
    ASSERT_EQ(list.Rows().size(), 3u);
    EXPECT_EQ(list.Rows()[0], (PlayerRow{{"0", "Host", "JointOps", "RifleMan", "0", "0", "0"}, 1}));
    EXPECT_EQ(TeamTally(list, 1), (Tally{2, 10, 2, 50, 1, 0, 0, 1, 0}));
}

TEST(ParsePlayerList, OddRecordsAndShortReplies) {
    struct Case {
        const char* what;
        std::string reply;
        bool showHost;
        PlayerCounts counts;
        std::vector<std::string> names;
        Tally team1, team2;
    };
    const Tally none{};
    const Case cases[] = {
        {"player with id 0 is listed but not counted",
         kHeader + kHostLine + Line({"Ann", "0", "1", "5", "10", "2", "50"}) + kBob,
         false,
         {2, 0, 1},
         {"Ann", "Bob"},
         {0, 10, 2, 50, 1, 0, 0, 0, 0},
         {1, 1, 7, 120, 0, 0, 0, 0, 1}},
        {"class 3 adds to no class row",
         kHeader + kHostLine + Line({"Cy", "5", "1", "3", "4", "1", "30"}),
         false,
         {1, 1, 0},
         {"Cy"},
         {1, 4, 1, 30, 0, 0, 0, 0, 0},
         none},
        {"team 0 and team 12 add nothing",
         kHeader + kHostLine + Line({"Di", "6", "0", "6", "4", "1", "30"}) +
             Line({"Ed", "8", "12", "7", "4", "1", "30"}),
         false,
         {2, 0, 0},
         {"Di", "Ed"},
         none,
         none},
        {"non-numbers count as 0",
         kHeader + kHostLine + Line({"Fi", "9", "2", "6", "x", "", "7ms"}),
         false,
         {1, 0, 1},
         {"Fi"},
         none,
         {1, 0, 0, 7, 0, 1, 0, 0, 0}},
        {"no final line feed drops the incomplete last record",
         kReply.substr(0, kReply.size() - 1),
         false,
         {1, 1, 0},
         {"Ann"},
         {1, 10, 2, 50, 1, 0, 0, 0, 0},
         none},
        {"header only", kHeader, false, {0, 0, 0}, {}, none, none},
        {"incomplete host, shown", kHeader + "Host\t0\t1\n", true, {0, 0, 0}, {}, none, none},
        {"empty reply", "", true, {0, 0, 0}, {}, none, none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PlayerList list;
        list.ToggleShowHost(c.showHost);
        EXPECT_EQ(list.ParsePlayerList(c.reply), c.counts);
        EXPECT_EQ(Column(list, kColumnName), c.names);
        EXPECT_EQ(TeamTally(list, 1), c.team1);
        EXPECT_EQ(TeamTally(list, 2), c.team2);
    }
}

TEST(ParsePlayerList, TeamCodeKeepsItsNumberAsImage) {
    const PlayerList list =
        Parsed(kHeader + kHostLine + Line({"Ed", "8", "12", "3", "0", "0", "0"}));
    ASSERT_EQ(list.Rows().size(), 1u);
    EXPECT_EQ(list.Rows()[0].cells[kColumnTeam], "JointOps");
    EXPECT_EQ(list.Rows()[0].cells[kColumnClass], "None");
    EXPECT_EQ(list.Rows()[0].image, 12);
}

TEST(ParsePlayerList, EachReplyReplacesEverything) {
    PlayerList list;
    list.ParsePlayerList(kReply);
    list.ParsePlayerList(kHeader + "Boss\t1\t2\t6\t0\t0\t0\n" + kBob);
    EXPECT_EQ(Column(list, kColumnName), std::vector<std::string>{"Bob"});
    EXPECT_EQ(TeamTally(list, 1), Tally{});
    EXPECT_EQ(list.Host().name, "Boss");
    list.ParsePlayerList(kHeader);
    EXPECT_EQ(list.Host(), HostRecord{});
}

TEST(ParsePlayerList, TakesOnlyTheFirst1232Fields) {
    std::string reply = kHeader + kHostLine;
    for (int i = 0; i < 200; ++i)
        reply += Line({"P" + std::to_string(i), std::to_string(i + 1), "1", "5", "1", "1", "1"});
    PlayerList list;
    EXPECT_EQ(list.ParsePlayerList(reply), (PlayerCounts{174, 174, 0}));
    EXPECT_EQ(list.Rows().back().cells[kColumnName], "P173");
    EXPECT_EQ(list.Stats().Value(StatsTable::kMedics, 1), 174);
}

TEST(ShowHost, ToggleMovesHostRowAndItsTallies) {
    PlayerList list;
    list.ToggleShowHost(true);
    list.ParsePlayerList(kReply);

    list.ToggleShowHost(false);
    EXPECT_EQ(Column(list, kColumnId), (std::vector<std::string>{"3", "4"}));
    EXPECT_EQ(TeamTally(list, 1), (Tally{1, 10, 2, 50, 1, 0, 0, 0, 0}));
    list.ToggleShowHost(false);  // same state again: nothing more is taken away
    EXPECT_EQ(list.Stats().Value(StatsTable::kTeams, 1), 1);

    list.ToggleShowHost(true);
    EXPECT_EQ(Column(list, kColumnId), (std::vector<std::string>{"0", "3", "4"}));
    EXPECT_EQ(list.Rows()[0], (PlayerRow{{"0", "Host", "JointOps", "RifleMan", "0", "0", "0"}, 1}));
    EXPECT_EQ(TeamTally(list, 1), (Tally{2, 10, 2, 50, 1, 0, 0, 1, 0}));
    list.ToggleShowHost(true);
    EXPECT_EQ(list.Rows().size(), 3u);
}

TEST(ShowHost, ToggleAgreesWithAParseInTheNewState) {
    // Hosts with no kills, deaths or ping, whose tallies a toggle fully moves.
    const char* hosts[] = {
        "Host\t0\t1\t8\t0\t0\t0\n", "Host\t0\t2\t3\t0\t0\t0\n",  "Host\t0\t1\t58\t0\t0\t0\n",
        "Host\t0\t0\t8\t0\t0\t0\n", "Host\t0\t12\t5\t0\t0\t0\n",
    };
    for (const char* host : hosts) {
        SCOPED_TRACE(host);
        const std::string reply = kHeader + host + kAnn + kBob;
        const PlayerList shown = Parsed(reply, true), hidden = Parsed(reply, false);
        PlayerList toggled = Parsed(reply, false);
        toggled.ToggleShowHost(true);
        EXPECT_EQ(toggled.Rows(), shown.Rows());
        for (int team : {1, 2}) EXPECT_EQ(TeamTally(toggled, team), TeamTally(shown, team));
        toggled.ToggleShowHost(false);
        EXPECT_EQ(toggled.Rows(), hidden.Rows());
        for (int team : {1, 2}) EXPECT_EQ(TeamTally(toggled, team), TeamTally(hidden, team));
    }
}

TEST(ShowHost, NoHostRowBeforeAHostRecordArrives) {
    PlayerList list;
    list.ToggleShowHost(true);
    EXPECT_TRUE(list.Rows().empty());
    list.ParsePlayerList(kHeader);  // no host record either
    list.ToggleShowHost(false);
    list.ToggleShowHost(true);
    EXPECT_TRUE(list.Rows().empty());
}

TEST(ShowHost, TickingResortsByTheRememberedColumn) {
    PlayerList list = Parsed(kReply);
    list.SortByColumn(kColumnPing);
    list.SortByColumn(kColumnPing);  // descending: Bob 120, Ann 50
    list.ToggleShowHost(true);
    EXPECT_EQ(Column(list, kColumnName), (std::vector<std::string>{"Bob", "Ann", "Host"}));
}

const std::string kSortReply = kHeader + kHostLine + Line({"bo", "12", "2", "6", "9", "1", "7%"}) +
                               Line({"Al", "3", "1", "5", "10", "0", "50%"}) +
                               Line({"Cy", "A", "1", "9", "2", "5", "7.5%"});

TEST(SortByColumn, DirectionFollowsTheClickedHeaders) {
    struct Case {
        std::vector<int> clicks;
        std::vector<std::string> names;
        int column;
        bool ascending;
    };
    const Case cases[] = {
        {{kColumnName}, {"Al", "Cy", "bo"}, kColumnName, true},  // bytes: upper case first
        {{kColumnName, kColumnName}, {"bo", "Cy", "Al"}, kColumnName, false},
        {{kColumnName, kColumnName, kColumnName}, {"Al", "Cy", "bo"}, kColumnName, true},
        {{kColumnName, kColumnKills}, {"Cy", "bo", "Al"}, kColumnKills, true},  // 2 < 9 < 10
        {{kColumnId}, {"bo", "Cy", "Al"}, kColumnId, false},  // hex 3 < A < 12; first click flips
        {{kColumnPing}, {"bo", "Cy", "Al"}, kColumnPing, true},             // 7% < 7.5% < 50%
        {{kColumnDeaths, 9, -1}, {"Al", "bo", "Cy"}, kColumnDeaths, true},  // bad columns ignored
    };
    for (const auto& c : cases) {
        PlayerList list = Parsed(kSortReply);
        for (int column : c.clicks) list.SortByColumn(column);
        EXPECT_EQ(Column(list, kColumnName), c.names) << c.clicks.size() << " clicks";
        EXPECT_EQ(list.SortColumn(), c.column);
        EXPECT_EQ(list.SortAscending(), c.ascending);
        for (int h = 0; h < kPlayerColumnCount; ++h) {
            const int expected = h != c.column ? kNoPicture
                                 : c.ascending ? kPictureAscending
                                               : kPictureDescending;
            EXPECT_EQ(list.HeaderPicture(h), expected) << "header " << h;
        }
    }
}

TEST(SortByColumn, RememberedSortIsReappliedExceptOnColumnZero) {
    PlayerList list;
    EXPECT_EQ(list.HeaderPicture(0), kNoPicture);
    list.SortByColumn(kColumnKills);
    list.ParsePlayerList(kSortReply);
    EXPECT_EQ(Column(list, kColumnName), (std::vector<std::string>{"Cy", "bo", "Al"}));

    list.SortByColumn(kColumnId);
    list.ParsePlayerList(kSortReply);  // arrival order stays
    EXPECT_EQ(Column(list, kColumnName), (std::vector<std::string>{"bo", "Al", "Cy"}));
}

TEST(FindPlayerIdByName, ExactWholeNameFromTheTop) {
    PlayerList list = Parsed(kReply + Line({"Ann", "9", "2", "5", "0", "0", "0"}));
    const std::pair<std::string, std::string> cases[] = {
        {"Ann", "3"}, {"ann", ""}, {"An", ""}, {"Bob", "4"}, {"Host", ""}, {"", ""},
    };
    for (const auto& [name, id] : cases) EXPECT_EQ(list.FindPlayerIdByName(name), id) << name;
    list.ToggleShowHost(true);
    EXPECT_EQ(list.FindPlayerIdByName("Host"), "0");
}

TEST(ExportPlayerList, ServerFormatWithFixedHostAndNames) {
    const std::string fixedStart =
        "NAME\n#\nTEAM\nClass\nKills\nDeaths\nPING\nHost\n0\n1\n8\n0\n0\n0\n";
    PlayerList list;
    std::string text = "old";
    EXPECT_EQ(list.ExportPlayerList(text), 0);
    EXPECT_EQ(text, fixedStart);

    list.ParsePlayerList(kHeader + "Boss\t5\t2\t6\t1\t1\t1\n" + kAnn + kBob);
    EXPECT_EQ(list.ExportPlayerList(text), 2);
    EXPECT_EQ(text, fixedStart +
                        "Ann\n3\nJointOps\nMedic\n10\n2\n50\n"
                        "Bob\n4\nRebel\nEngineer\n1\n7\n120\n");

    // Read back, the names stay and count in no team.
    PlayerList reread;
    EXPECT_TRUE(IsPlayerListReply(text));
    EXPECT_EQ(reread.ParsePlayerList(text), (PlayerCounts{2, 0, 0}));
    EXPECT_EQ(Column(reread, kColumnTeam), (std::vector<std::string>{"JointOps", "Rebel"}));
}

TEST(ReapplyShownSort, KeepsEvenAnIdSortAcrossParses) {
    PlayerList list;
    list.ReapplyShownSort();  // no header clicked yet: arrival order
    list.ParsePlayerList(kSortReply);
    EXPECT_EQ(Column(list, kColumnName), (std::vector<std::string>{"bo", "Al", "Cy"}));

    // Column 0 is the remembered column from the start, so its first click
    // sorts descending: hex 12, A, 3.
    list.SortByColumn(kColumnId);
    list.ParsePlayerList(kSortReply);
    EXPECT_EQ(Column(list, kColumnName), (std::vector<std::string>{"bo", "Al", "Cy"}));
    list.ReapplyShownSort();
    EXPECT_EQ(Column(list, kColumnName), (std::vector<std::string>{"bo", "Cy", "Al"}));
    EXPECT_EQ(list.SortColumn(), kColumnId);
    EXPECT_FALSE(list.SortAscending());
}

TEST(PlayerMatchesFilter, PartOfTheNameOrTheStartOfTheTeam) {
    const PlayerRow ann{{"3", "Ann \xC9lise", "JointOps", "Medic", "10", "2", "50"}, 1};
    const PlayerRow bob{{"4", "Bob", "Rebel", "Engineer", "1", "7", "120"}, 2};
    struct Case {
        std::string filter;
        bool ann, bob;
    };
    const Case cases[] = {
        {"", true, true},        {"   ", true, true},    {"nn", true, false},
        {"ANN", true, false},    {" bob ", false, true}, {"\xE9lise", true, false},
        {"reb", false, true},    {"Joint", true, false}, {"ops", false, false},
        {"medic", false, false}, {"3", false, false},    {"x", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlayerMatchesFilter(ann, c.filter), c.ann) << c.filter;
        EXPECT_EQ(PlayerMatchesFilter(bob, c.filter), c.bob) << c.filter;
    }
}

}  // namespace
}  // namespace tavrin
