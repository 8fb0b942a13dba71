#include <gtest/gtest.h>

#include "history/history_csv.h"
#include "history/history_recorder.h"
#include "history/history_schema.h"
#include "history/session_tracker.h"

namespace tavrin {
namespace {

PlayerSighting P(std::string name, int64_t kills = 0, int64_t deaths = 0, int ping = 50) {
    return {std::move(name), kills, deaths, ping};
}

// One step of a session case: a player list at a time, or a new connection.
struct Step {
    int64_t at = 0;
    std::vector<PlayerSighting> list;
    bool reconnect = false;
};

struct SessionCase {
    const char* what;
    std::vector<Step> steps;
    // Every session of "Ann" written, the newest copy of each (by start).
    std::vector<SessionRecord> expected;
};

SessionRecord S(int64_t started, int64_t last, int64_t kills, int64_t deaths,
                std::optional<int> ping) {
    return {"srv", "Ann", started, last, kills, deaths, ping};
}

TEST(SessionTrackerTest, SessionsOfOnePlayer) {
    const std::vector<SessionCase> cases = {
        {"consecutive lists make one session",
         {{10, {P("Ann", 1, 0, 80)}}, {25, {P("Ann", 2, 1, 60)}}, {40, {P("Ann", 2, 1, 70)}}},
         {S(10, 40, 2, 1, 60)}},
        {"a reconnect starts a new session though the name never left",
         {{10, {P("Ann", 1)}}, {0, {}, true}, {30, {P("Ann", 1)}}},
         {S(10, 10, 1, 0, 50), S(30, 30, 1, 0, 50)}},
        {"a list without the name ends the session; coming back starts another",
         {{10, {P("Ann")}}, {25, {P("Bob")}}, {40, {P("Ann")}}},
         {S(10, 10, 0, 0, 50), S(40, 40, 0, 0, 50)}},
        {"best ping is the lowest read, a missing ping changes nothing",
         {{10, {P("Ann", 0, 0, 120)}}, {20, {P("Ann", 0, 0, 45)}}, {30, {{"Ann", 0, 0, {}}}}},
         {S(10, 30, 0, 0, 45)}},
        {"kills and deaths add up across a score reset (a new map)",
         {{10, {P("Ann", 3, 1)}},
          {20, {P("Ann", 5, 2)}},
          {30, {P("Ann", 1, 0)}},
          {40, {P("Ann", 2, 3)}}},
         {S(10, 40, 7, 5, 50)}},
        {"a name listed twice counts once",
         {{10, {P("Ann", 4), P("Ann", 9)}}},
         {S(10, 10, 4, 0, 50)}},
    };
    for (const SessionCase& c : cases) {
        SCOPED_TRACE(c.what);
        SessionTracker tracker;
        std::map<int64_t, SessionRecord> newest;
        for (const Step& step : c.steps) {
            if (step.reconnect) {
                tracker.NewConnection();
                continue;
            }
            for (const SessionRecord& r : tracker.OnPlayerList("srv", step.at, step.list))
                if (r.name == "Ann") newest[r.started] = r;
        }
        std::vector<SessionRecord> got;
        for (auto& [started, r] : newest) got.push_back(r);
        EXPECT_EQ(got, c.expected);
    }
}

// What a batch writes: of the copies of one session (server, name, start)
// only the newest, where it came; sanctions and counts all, in their order.
TEST(HistoryBatchTest, OnlyTheNewestCopyOfEachSessionIsWritten) {
    const auto ann = [](std::string server, int64_t started, int64_t last) {
        return HistoryItem(SessionRecord{std::move(server), "Ann", started, last, last, 0, {}});
    };
    const HistoryItem punt = SanctionRecord{5, "srv", "Ann", SanctionAction::Punt, "", "console"};
    const HistoryItem count = CountRecord{5, "srv", 1, 1, 0};
    struct Case {
        const char* what;
        std::vector<HistoryItem> items;
        std::vector<HistoryItem> expected;
    };
    const std::vector<Case> cases = {
        {"a session growing over three lists",
         {ann("srv", 1, 1), count, ann("srv", 1, 2), punt, ann("srv", 1, 3)},
         {count, punt, ann("srv", 1, 3)}},
        {"sessions of other starts and servers are others",
         {ann("srv", 1, 1), ann("srv", 2, 2), ann("two", 1, 1), ann("srv", 1, 4)},
         {ann("srv", 2, 2), ann("two", 1, 1), ann("srv", 1, 4)}},
        {"nothing to leave out", {punt, ann("srv", 1, 1), count}, {punt, ann("srv", 1, 1), count}},
        {"empty", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<HistoryItem> items = c.items;
        KeepNewestSessions(items);
        EXPECT_EQ(items, c.expected);
    }
}

TEST(SanctionCommandsTest, CommandsThatSanction) {
    const PlayerNameLookup names = [](const std::string& id) {
        return id == "4" ? std::string("Shadow") : std::string();
    };
    struct Case {
        std::vector<std::string> commands;
        std::vector<SanctionSeen> expected;
    };
    const std::vector<Case> cases = {
        // The Players popup: the action, then the chat line with the message.
        {{"player punt 4 ", "chat send Shadow  > KICKED FOR TEAM-KILLING"},
         {{SanctionAction::Punt, "Shadow", "KICKED FOR TEAM-KILLING"}}},
        {{"player ban 4 ", "chat send Shadow  > cheat"},
         {{SanctionAction::Ban, "Shadow", "cheat"}}},
        {{"player swapteam 4 ", "chat send Shadow  > even"},
         {{SanctionAction::Swap, "Shadow", "even"}}},
        {{"player zeroscore 4 "}, {{SanctionAction::Zero, "Shadow", ""}}},
        {{"player kill 4"}, {{SanctionAction::Kill, "Shadow", ""}}},
        // A warning is the chat line alone.
        {{"chat send Shadow  > mind your language"},
         {{SanctionAction::Warn, "Shadow", "mind your language"}}},
        // A player no list names.
        {{"player punt 9"}, {{SanctionAction::Punt, "(id 9)", ""}}},
        // No sanction: other commands, ordinary chat, a ChatBot punt's chat line.
        {{"player list", "chat send hello all", "chat send Shadow punted", "player punt x"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commands.front());
        EXPECT_EQ(SanctionsInCommands(c.commands, names), c.expected);
    }
}

TEST(HistorySchemaTest, NewerSchemaIsRefusedOlderMigratesStepByStep) {
    EXPECT_EQ(MigrationsFrom(0).value(), (std::vector<int>{1, 2}));
    EXPECT_EQ(MigrationsFrom(1).value(), (std::vector<int>{2}));
    EXPECT_TRUE(MigrationsFrom(kHistorySchemaVersion).value().empty());
    const auto newer = MigrationsFrom(kHistorySchemaVersion + 1);
    ASSERT_FALSE(newer.ok());
    EXPECT_NE(newer.failure().find("newer than this program knows"), std::string::npos);
    for (int v = 1; v <= kHistorySchemaVersion; ++v)
        EXPECT_FALSE(MigrationStatements(HistoryDialect::PostgreSQL, v).empty()) << v;
}

TEST(HistorySchemaTest, HistoryDbArgument) {
    HistoryTarget pg;
    pg.dialect = HistoryDialect::PostgreSQL;
    pg.user = "rat";
    pg.host = "db.example";
    pg.port = 5433;
    pg.database = "history";
    EXPECT_EQ(ParseHistoryTarget("postgresql://rat@db.example:5433/history").value(), pg);
    HistoryTarget file;
    file.path = "/var/h.db";
    EXPECT_EQ(ParseHistoryTarget("/var/h.db").value(), file);
    EXPECT_EQ(ParseHistoryTarget("postgresql://h/d").value().port, 5432);
    for (const char* bad : {"postgresql://", "postgresql://rat@host:0/db", "postgresql://host:x/db",
                            "postgresql://host", ""})
        EXPECT_FALSE(ParseHistoryTarget(bad).ok()) << bad;
}

TEST(HistoryCsvTest, FieldsAreQuotedAndNeverFormulas) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain", "plain"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
        {"+1", "\"'+1\""},
        {"-2", "\"'-2\""},
        {"@SUM(A1)", "\"'@SUM(A1)\""},
        {"it's", "\"it's\""},
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(CsvField(in), out) << in;
    EXPECT_EQ(CsvLine({"a", "b c"}), "a,b c\r\n");
}

TEST(HistoryTextTest, UtcTimesAndWindows1252) {
    EXPECT_EQ(UtcText(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(UtcText(1796960992), "2026-12-11T03:49:52Z");
    EXPECT_EQ(ParseUtcText("2026-12-11T03:49:52Z"), 1796960992);
    EXPECT_EQ(ParseUtcText("2026-12-11 03:49:52"), std::nullopt);
    const std::string bytes = "Jos\xE9 \x80 \x9F";
    EXPECT_EQ(Utf8FromWindows1252(bytes), "Jos\xC3\xA9 \xE2\x82\xAC \xC5\xB8");
    EXPECT_EQ(Windows1252FromUtf8(Utf8FromWindows1252(bytes)), bytes);
}

}  // namespace
}  // namespace tavrin
