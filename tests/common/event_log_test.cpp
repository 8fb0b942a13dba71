#include "common/event_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace tavrin {
namespace {

// What the log hands its observer, kept.
struct LiveLog final : LogObserver {
    void EventLineWritten(const std::string& line) override { lines += line; }
    void ChatTextWritten(const std::string& block) override { chat += block; }
    void LogWriteFailed(const std::string& f) override { failure = f; }
    std::string lines, chat, failure;
};

TEST(DateTimeTexts, TwoDigitFieldsFromOneReading) {
    ManualClock clock({2026, 3, 7, 9, 5, 3});
    std::string date, time;
    GetDateTimeTexts(clock, date, time);
    EXPECT_EQ(date, "07-03-26");
    EXPECT_EQ(time, "09:05:03");
    clock.Set({2000, 12, 31, 23, 59, 59});
    GetDateTimeTexts(clock, date, time);
    EXPECT_EQ(date, "31-12-00");
    EXPECT_EQ(time, "23:59:59");
}

TEST(EventLog, LineGoesToTheDayFolder) {
    testing::TempDir dir;
    ManualClock clock({2026, 3, 7, 9, 5, 3});
    LiveLog live;
    EventLog log(dir.Path(), clock, live);
    log.LogEvent("Login Rejected");
    EXPECT_EQ(testing::ReadBytes(dir.File("07-03-26/adminlog.txt")),
              "[09:05:03] Login Rejected\r\n");
    EXPECT_EQ(live.lines, "[09:05:03] Login Rejected\n");
}

TEST(EventLog, MidnightStartsANewDayFolder) {
    testing::TempDir dir;
    ManualClock clock({2026, 3, 7, 23, 59, 59});
    LiveLog live;
    EventLog log(dir.Path(), clock, live);
    log.LogEvent("before");
    clock.Set({2026, 3, 8, 0, 0, 0});
    log.LogEvent("after");
    EXPECT_EQ(testing::ReadBytes(dir.File("07-03-26/adminlog.txt")), "[23:59:59] before\r\n");
    EXPECT_EQ(testing::ReadBytes(dir.File("08-03-26/adminlog.txt")), "[00:00:00] after\r\n");
}

TEST(EventLog, ChatBlockIsAppendedUnchangedToTheGivenDay) {
    testing::TempDir dir;
    ManualClock clock({2026, 3, 8, 0, 0, 1});
    LiveLog live;
    EventLog log(dir.Path(), clock, live);
    log.AppendChatLog("07-03-26", "[23:59:58] Bob: hi\n");
    log.AppendChatLog("07-03-26", "[23:59:59] Ann: yo\n");
    EXPECT_EQ(testing::ReadBytes(dir.File("07-03-26/chatlog.txt")),
              "[23:59:58] Bob: hi\r\n[23:59:59] Ann: yo\r\n");
}

// What a game server sends reaches the logs as one line per event and per
// chat line, whatever bytes it holds.
TEST(EventLog, ControlBytesFromTheServerNeverBreakALine) {
    testing::TempDir dir;
    ManualClock clock({2026, 3, 7, 9, 5, 3});
    LiveLog live;
    EventLog log(dir.Path(), clock, live);
    log.LogEvent("Rat Reply: x\r\n[00:00:00] User Logged out\rz\x1b");
    const std::string line = "[09:05:03] Rat Reply: x\\r\\n[00:00:00] User Logged out\\rz\\x1B";
    EXPECT_EQ(testing::ReadBytes(dir.File("07-03-26/adminlog.txt")), line + "\r\n");
    EXPECT_EQ(live.lines, line + "\n");
}

TEST(EventLog, ChatLinesAreEscapedEachOnItsOwnLine) {
    const struct {
        const char* name;
        std::string block;
        std::string written;  // as handed to the viewer; on disk LF is CR LF
    } cases[] = {
        {"two clean lines", "[09:05:03] Bob: hi\n[09:05:03] Ann: yo\n",
         "[09:05:03] Bob: hi\n[09:05:03] Ann: yo\n"},
        {"CR LF inside a line", "[09:05:03] Bob: a\r\n[00:00:00] User Logged out\n",
         "[09:05:03] Bob: a\\r\\n[00:00:00] User Logged out\n"},
        {"lone CR and a tab", "[09:05:03] Bob: a\r[00:00:00] X\tY\n",
         "[09:05:03] Bob: a\\r[00:00:00] X\\tY\n"},
        {"empty piece inside a line", "[09:05:03] Bob: a\n\n[09:05:03] Ann: b\n",
         "[09:05:03] Bob: a\\n\n[09:05:03] Ann: b\n"},
        {"last line without its line feed", "[09:05:03] Bob: a", "[09:05:03] Bob: a\n"},
        {"no stamp: each piece is a line", "a\x01\nb\n", "a\\x01\nb\n"},
    };
    for (const auto& c : cases) {
        testing::TempDir dir;
        ManualClock clock({2026, 3, 7, 9, 5, 3});
        LiveLog live;
        EventLog log(dir.Path(), clock, live);
        log.AppendChatLog("07-03-26", c.block);
        EXPECT_EQ(live.chat, c.written) << c.name;
        std::string disk;
        for (char ch : c.written) disk += ch == '\n' ? "\r\n" : std::string(1, ch);
        EXPECT_EQ(testing::ReadBytes(dir.File("07-03-26/chatlog.txt")), disk) << c.name;
    }
}

// A server answering every command with 60 KB cannot fill the disk.
TEST(EventLog, AnEventLineKeepsAtMost4096BytesOfText) {
    testing::TempDir dir;
    ManualClock clock({2026, 3, 7, 9, 5, 3});
    LiveLog live;
    EventLog log(dir.Path(), clock, live);
    log.LogEvent(std::string(61440, 'x'));
    log.AppendChatLog("07-03-26", "[09:05:03] " + std::string(61440, 'y') + "\n");
    EXPECT_EQ(testing::ReadBytes(dir.File("07-03-26/adminlog.txt")),
              "[09:05:03] " + std::string(4096, 'x') + " ... [cut: 61440 bytes]\r\n");
    EXPECT_EQ(testing::ReadBytes(dir.File("07-03-26/chatlog.txt")),
              "[09:05:03] " + std::string(4085, 'y') + " ... [cut: 61451 bytes]\r\n");
}

TEST(EventLog, UnwritableFolderIsReportedNotThrown) {
    testing::TempDir dir;
    ManualClock clock;
    LiveLog live;
    EventLog log(dir.Path() + "no/such/place/", clock, live);
    log.LogEvent("x");
    EXPECT_NE(live.failure.find("adminlog.txt"), std::string::npos);
}

TEST(EventLog, SeparatorsAre49Characters) {
    EXPECT_EQ(kSeparatorEquals, std::string(49, '='));
    EXPECT_EQ(kSeparatorDashes, std::string(49, '-'));
}

}  // namespace
}  // namespace tavrin
