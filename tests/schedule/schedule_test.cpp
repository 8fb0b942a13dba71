#include <gtest/gtest.h>

#include "link/frame.h"
#include "schedule/command_template.h"
#include "schedule/schedule_edit.h"
#include "schedule/schedule_rules.h"
#include "schedule/scheduler.h"

namespace tavrin {
namespace {

using Kind = ScheduleRule::Kind;

// Each kind of line, the blank and comment lines around them, and the lines
// that cannot be read, reported by their numbers.
TEST(ScheduleRules, ReadsEachKindAndReportsBadLinesByNumber) {
    const ScheduleFile file = ParseSchedule(
        "# rules\r\n"
        "EVERY 300 chat send Read the rules at example.org\r\n"
        "\n"
        "AT 21:00 chat send Server restarts at 22:00\n"
        "  ON JOIN   chat send Welcome {name}!\n"
        "ON MISSION chat send Now playing {mission}\n"
        "ON OFFENDER 3 chat send Admins: {name} has {punts} punts\n"
        "EVERY 4 chat send too fast\n"
        "AT 24:00 chat send\n"
        "AT 9:00 chat send x\n"
        "ON LEAVE chat send bye\n"
        "ON OFFENDER 0 x\n"
        "EVERY 60\n"
        "SOMETIMES chat send hi\n"
        "ON JOIN chat send a\x01z\n");
    const std::vector<ScheduleRule> expected = {
        {Kind::Every, 300, 0, 0, 0, "chat send Read the rules at example.org", 2},
        {Kind::At, 0, 21, 0, 0, "chat send Server restarts at 22:00", 4},
        {Kind::OnJoin, 0, 0, 0, 0, "chat send Welcome {name}!", 5},
        {Kind::OnMission, 0, 0, 0, 0, "chat send Now playing {mission}", 6},
        {Kind::OnOffender, 0, 0, 0, 3, "chat send Admins: {name} has {punts} punts", 7},
    };
    EXPECT_EQ(file.rules, expected);
    std::vector<std::string> problems;
    for (const ScheduleProblem& p : file.problems) problems.push_back(ScheduleProblemLine(p));
    EXPECT_EQ(problems,
              (std::vector<std::string>{
                  "schedule.cfg line 8: EVERY wants a number of seconds from 5 to 604800: skipped",
                  "schedule.cfg line 9: AT wants a time HH:MM from 00:00 to 23:59: skipped",
                  "schedule.cfg line 10: AT wants a time HH:MM from 00:00 to 23:59: skipped",
                  "schedule.cfg line 11: ON wants JOIN, MISSION or OFFENDER: skipped",
                  "schedule.cfg line 12: ON OFFENDER wants a number of punts from 1: skipped",
                  "schedule.cfg line 13: no command: skipped",
                  "schedule.cfg line 14: a rule begins with EVERY, AT or ON: skipped",
                  "schedule.cfg line 15: the command holds a control byte: skipped"}));
    // What the editor saves reads back as the same rules.
    std::vector<ScheduleRule> reread = ParseSchedule(ScheduleText(expected)).rules;
    for (ScheduleRule& rule : reread) rule.line = 0;
    std::vector<ScheduleRule> unnumbered = expected;
    for (ScheduleRule& rule : unnumbered) rule.line = 0;
    EXPECT_EQ(reread, unnumbered);
}

// Game text is put in as it is, once; a result the wire could misread is not
// sent, and the refusal does not repeat the hostile text.
TEST(ScheduleRules, SubstitutesGameTextSafely) {
    struct Case {
        const char* what;
        std::string pattern;
        TemplateValues values;
        bool ok;
        std::string result;
    };
    const Case cases[] = {
        {"plain",
         "chat send Welcome {name} ({id})",
         {"Ann", "7", "", ""},
         true,
         "chat send Welcome Ann (7)"},
        {"a name that looks like a field",
         "chat send hi {name} on {mission}",
         {"{mission}", "1", "Rocky", ""},
         true,
         "chat send hi {mission} on Rocky"},
        {"unknown braces stay",
         "chat send {who} {punts}",
         {"", "", "", "3"},
         true,
         "chat send {who} 3"},
        {"a line feed in a name",
         "chat send Welcome {name}",
         {"Ann\nkick 3", "1", "", ""},
         false,
         ""},
        {"DEL in a mission", "chat send {mission}", {"", "", "M\x7f", ""}, false, ""},
        {"overlong", "chat send {name}{name}", {std::string(130, 'a'), "1", "", ""}, false, ""},
    };
    for (const Case& c : cases) {
        const ExpandedCommand expanded = ExpandCommand(c.pattern, c.values);
        EXPECT_EQ(expanded.ok, c.ok) << c.what;
        EXPECT_EQ(expanded.command, c.result) << c.what;
        if (!c.ok) {
            EXPECT_FALSE(expanded.refusal.empty()) << c.what;
            EXPECT_EQ(expanded.refusal.find("kick"), std::string::npos) << c.what;
        }
    }
}

// The editor's rows read as the file's lines are: the units the table shows
// are taken, and a row is refused with the reader's reason rather than
// changed; Test shows the command with sample values.
TEST(ScheduleEditing, ReadsRowsAndShowsTheSampleCommand) {
    struct Case {
        const char* what;
        ScheduleRow row;
        std::string result;  // the sample command, or "refused: why"
    };
    const Case cases[] = {
        {"seconds as shown", {Kind::Every, "300 s", "chat send Rules"}, "chat send Rules"},
        {"bare seconds", {Kind::Every, "60", "chat send Hi {name}"}, "chat send Hi Player"},
        {"too fast",
         {Kind::Every, "2", "chat send x"},
         "refused: EVERY wants a number of seconds from 5 to 604800"},
        {"no number",
         {Kind::Every, "", "chat send x"},
         "refused: EVERY wants a number of seconds from 5 to 604800"},
        {"two words",
         {Kind::Every, "300 chat", "send x"},
         "refused: EVERY wants a number of seconds from 5 to 604800"},
        {"time", {Kind::At, "21:00", "chat send Restart"}, "chat send Restart"},
        {"bad time", {Kind::At, "9:00", "x"}, "refused: AT wants a time HH:MM from 00:00 to 23:59"},
        {"join ignores When",
         {Kind::OnJoin, "junk", "chat send Welcome {name} ({id})"},
         "chat send Welcome Player (7)"},
        {"mission",
         {Kind::OnMission, "", "chat send Now {mission}"},
         "chat send Now Sample Mission"},
        {"punts as shown",
         {Kind::OnOffender, "3 punts or bans", "chat send {name}: {punts}"},
         "chat send Player: 3"},
        {"one punt", {Kind::OnOffender, "1 punt or ban", "chat send {punts}"}, "chat send 1"},
        {"no command", {Kind::OnJoin, "", ""}, "refused: no command"},
        {"blank at the end",
         {Kind::OnJoin, "", "chat send hi "},
         "refused: the command begins or ends with a blank"},
        {"line break",
         {Kind::OnJoin, "", "chat send a\nEVERY 5 kick 1"},
         "refused: the command holds a control byte"},
        {"overlong sample",
         {Kind::OnJoin, "", "chat send " + std::string(240, 'a') + "{mission}"},
         "not sent: longer than a command may be (" + std::to_string(kMaxCommandText) + " bytes)"},
    };
    for (const Case& c : cases) {
        const RowReading reading = ReadScheduleRow(c.row);
        std::string result = "refused: " + reading.refusal;
        if (reading.ok) {
            const ExpandedCommand sample = SampleCommand(reading.rule);
            result = sample.ok ? sample.command : "not sent: " + sample.refusal;
        }
        EXPECT_EQ(result, c.result) << c.what;
        // What the table shows for a rule reads back as the same rule.
        if (reading.ok) {
            EXPECT_EQ(ReadScheduleRow(RowOfRule(reading.rule)).rule, reading.rule) << c.what;
        }
    }
}

// Saving keeps the comments the user wrote, at the top in their order, and
// writes one line per row; a bad row refuses the whole save by its number.
TEST(ScheduleEditing, SavingKeepsCommentsAndRefusesABadRowByNumber) {
    const std::string old =
        "# Our rules, see the wiki\r\n"
        "EVERY 300 chat send old\r\n"
        "  # keep this too\n"
        "BROKEN line\n"
        "#last\n";
    const std::vector<ScheduleRow> rows = {
        {Kind::OnJoin, "", "chat send Welcome {name}"},
        {Kind::Every, "600 s", "chat send Rules"},
    };
    const ScheduleSave save = ScheduleFileText(old, rows);
    ASSERT_TRUE(save.ok) << save.refusal;
    EXPECT_EQ(save.text,
              "# Our rules, see the wiki\n"
              "  # keep this too\n"
              "#last\n"
              "ON JOIN chat send Welcome {name}\n"
              "EVERY 600 chat send Rules\n");
    EXPECT_EQ(ParseSchedule(save.text).rules.size(), 2u);
    EXPECT_EQ(save.rules.at(1).seconds, 600);

    // No old file: the note on the format heads the file.
    EXPECT_EQ(ScheduleFileText("", rows).text.rfind("# One rule a line", 0), 0u);

    const ScheduleSave refused =
        ScheduleFileText(old, {rows[0], rows[1], {Kind::Every, "2", "chat send x"}});
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.refusal, "Row 3: EVERY wants a number of seconds from 5 to 604800");
    EXPECT_TRUE(refused.text.empty());
}

// A scheduler in virtual time: elapsed milliseconds and a calendar clock the
// test moves by hand, ticked once a second as the console does.
class SchedulerTest : public ::testing::Test {
  protected:
    void Start(const std::string& text, LocalTime now = {2026, 12, 10, 12, 0, 0}) {
        m_now = now;
        m_scheduler = Scheduler(ParseSchedule(text).rules);
        m_scheduler.LoggedIn(m_elapsed, m_now);
    }
    // Moves both clocks on a second at a time, collecting what is sent.
    void Run(int seconds, bool busy = false) {
        for (int i = 0; i < seconds; ++i) {
            m_elapsed += Millis{1000};
            m_now.second += 1;
            if (m_now.second == 60) {
                m_now.second = 0;
                if (++m_now.minute == 60) {
                    m_now.minute = 0;
                    if (++m_now.hour == 24) {
                        m_now.hour = 0;
                        ++m_now.day;
                    }
                }
            }
            Take(m_scheduler.Tick(m_elapsed, m_now, busy));
        }
    }
    void Take(const ScheduleOutput& out) {
        for (const std::string& c : out.commands) m_sent.push_back(c);
        for (const std::string& l : out.logLines) m_log.push_back(l);
        for (const OffenderLookup& l : out.lookups) m_lookups.push_back(l);
        for (const std::string& n : out.notices) m_notices.push_back(n);
    }
    static std::vector<SchedulePlayer> Players(std::initializer_list<const char*> names) {
        std::vector<SchedulePlayer> players;
        int id = 1;
        for (const char* name : names) players.push_back({std::to_string(id++), name});
        return players;
    }

    Scheduler m_scheduler;
    Millis m_elapsed{5'000'000};
    LocalTime m_now;
    std::vector<std::string> m_sent, m_log, m_notices;
    std::vector<OffenderLookup> m_lookups;
};

TEST_F(SchedulerTest, EveryFirstFiresItsPeriodAfterLoginAndOnlyWhileLoggedIn) {
    Start("EVERY 10 chat send rules\n");
    Run(9);
    EXPECT_TRUE(m_sent.empty());
    Run(1);
    EXPECT_EQ(m_sent, std::vector<std::string>{"chat send rules"});
    Run(20);
    EXPECT_EQ(m_sent.size(), 3u);
    m_scheduler.LoggedOut();
    Run(60);
    EXPECT_EQ(m_sent.size(), 3u);
    // A new login counts the period from itself.
    m_scheduler.LoggedIn(m_elapsed, m_now);
    Run(9);
    EXPECT_EQ(m_sent.size(), 3u);
    Run(1);
    EXPECT_EQ(m_sent.size(), 4u);
}

TEST_F(SchedulerTest, AtFiresOnceADayAcrossMidnightAndClockChanges) {
    Start("AT 00:00 chat send midnight\nAT 02:30 chat send half past two\n",
          {2026, 12, 10, 23, 59, 50});
    Run(15);
    EXPECT_EQ(m_sent, std::vector<std::string>{"chat send midnight"});
    // Not at login when the time is already past that day.
    m_sent.clear();
    m_now = {2026, 12, 11, 2, 29, 58};
    Run(3);
    EXPECT_EQ(m_sent, std::vector<std::string>{"chat send half past two"});
    // The clock set back an hour passes 02:30 again: not a second time.
    m_now = {2026, 12, 11, 1, 35, 0};
    Run(60 * 60);
    EXPECT_EQ(m_sent.size(), 1u);
    // The next day the clock jumps forward over 02:30: it fires.
    m_now = {2026, 12, 12, 1, 59, 59};
    m_scheduler.Tick(m_elapsed, m_now, false);
    m_now = {2026, 12, 12, 3, 0, 0};
    Take(m_scheduler.Tick(m_elapsed + Millis{2000}, m_now, false));
    m_elapsed += Millis{2000};
    EXPECT_EQ(m_sent.size(), 2u);
}

TEST_F(SchedulerTest, JoinWelcomesNewPlayersOnlyOnceEachAndPaced) {
    Start("ON JOIN chat send Welcome {name}\n");
    // Present at login: not new.
    Take(m_scheduler.PlayerList(Players({"Ann", "Bob"}), m_elapsed));
    Run(3);
    EXPECT_TRUE(m_sent.empty());
    Take(m_scheduler.PlayerList(Players({"Ann", "Bob", "Cid"}), m_elapsed));
    Run(2);
    EXPECT_EQ(m_sent, std::vector<std::string>{"chat send Welcome Cid"});

    // A storm after a map change: everybody gone, then thirty back, the
    // list flapping while they come. One welcome each, one a second.
    m_sent.clear();
    Take(m_scheduler.PlayerList({}, m_elapsed));
    std::vector<SchedulePlayer> storm;
    for (int i = 0; i < 30; ++i) storm.push_back({std::to_string(i), "P" + std::to_string(i)});
    Take(m_scheduler.PlayerList(storm, m_elapsed));
    Take(m_scheduler.PlayerList({}, m_elapsed));
    Take(m_scheduler.PlayerList(storm, m_elapsed));
    Run(5, /*busy=*/true);  // the console sends a batch: the scheduler waits
    EXPECT_TRUE(m_sent.empty());
    Run(29);
    EXPECT_EQ(m_sent.size(), 29u);
    Run(10);
    ASSERT_EQ(m_sent.size(), 30u);
    EXPECT_EQ(std::set<std::string>(m_sent.begin(), m_sent.end()).size(), 30u);
}

TEST_F(SchedulerTest, WhatWaitsTooLongIsDroppedWithOneLogLineAMinute) {
    Start("ON JOIN chat send Welcome {name}\n");
    Take(m_scheduler.PlayerList({}, m_elapsed));
    std::vector<SchedulePlayer> crowd;
    for (int i = 0; i < 100; ++i) crowd.push_back({std::to_string(i), "P" + std::to_string(i)});
    Take(m_scheduler.PlayerList(crowd, m_elapsed));
    EXPECT_EQ(m_scheduler.Waiting(), kMaxScheduleQueue);
    Run(120, /*busy=*/true);
    EXPECT_TRUE(m_sent.empty());
    EXPECT_EQ(m_scheduler.Waiting(), 0u);
    std::vector<std::string> drops;
    for (const std::string& line : m_log)
        if (line.find("dropped") != std::string::npos) drops.push_back(line);
    // The first drop at once, then the count of each minute: 35 more that
    // found the queue full, then the 64 that waited in it too long.
    EXPECT_EQ(drops, (std::vector<std::string>{
                         "Scheduled: 1 command dropped: the scheduler sends at most one a second",
                         "Scheduled: 35 commands dropped: the scheduler sends at most one a "
                         "second",
                         "Scheduled: 64 commands dropped: the scheduler sends at most one a "
                         "second"}));
}

TEST_F(SchedulerTest, MissionChangeAndHostileNames) {
    Start("ON MISSION chat send Now {mission}\nON JOIN chat send Welcome {name}\n");
    Take(m_scheduler.MissionChanged("Rocky", m_elapsed));  // the first read: no change
    Take(m_scheduler.MissionChanged("Rocky", m_elapsed));
    Run(2);
    EXPECT_TRUE(m_sent.empty());
    Take(m_scheduler.MissionChanged("Dunes", m_elapsed));
    Take(m_scheduler.PlayerList(Players({"Ann"}), m_elapsed));
    Take(m_scheduler.PlayerList(Players({"Ann", "x\rban 2"}), m_elapsed));
    Run(3);
    EXPECT_EQ(m_sent, std::vector<std::string>{"chat send Now Dunes"});
    ASSERT_FALSE(m_log.empty());
    EXPECT_EQ(m_log.front(),
              "Scheduled: the rule on line 2 not sent: the game's text holds a control byte");
}

TEST_F(SchedulerTest, OffenderRuleReadsTheHistoryOfWhoJoined) {
    Start("ON OFFENDER 3 chat send Admins: {name} ({id}) has {punts} punts\n");
    Take(m_scheduler.PlayerList(Players({"Ann"}), m_elapsed));
    EXPECT_TRUE(m_lookups.empty());  // present at login
    Take(m_scheduler.PlayerList(Players({"Ann", "Bob", "Cid"}), m_elapsed));
    ASSERT_EQ(m_lookups.size(), 2u);
    Take(m_scheduler.OffenderRecord(m_lookups[0], 2, m_elapsed));  // Bob: too few
    Take(m_scheduler.OffenderRecord(m_lookups[1], 4, m_elapsed));  // Cid
    Run(3);
    EXPECT_EQ(m_sent, std::vector<std::string>{"chat send Admins: Cid (3) has 4 punts"});
    EXPECT_EQ(m_notices, std::vector<std::string>{
                             "Known offender joined: Cid (4 punts or bans in the history)"});
    // An answer that comes after a reconnect belongs to the old connection.
    const OffenderLookup late = m_lookups[1];
    m_scheduler.LoggedIn(m_elapsed, m_now);
    Take(m_scheduler.OffenderRecord(late, 9, m_elapsed));
    Run(3);
    EXPECT_EQ(m_sent.size(), 1u);
}

}  // namespace
}  // namespace tavrin
