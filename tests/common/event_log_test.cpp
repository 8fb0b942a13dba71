#include "common/event_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace tavrin {
namespace {

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
    EventLog log(dir.Path(), clock);
    std::string live;
    log.onEventLine = [&](const std::string& line) { live += line; };
    log.LogEvent("Login Rejected");
    EXPECT_EQ(testing::ReadBytes(dir.File("07-03-26/adminlog.txt")),
              "[09:05:03] Login Rejected\r\n");
    EXPECT_EQ(live, "[09:05:03] Login Rejected\n");
}

TEST(EventLog, MidnightStartsANewDayFolder) {
    testing::TempDir dir;
    ManualClock clock({2026, 3, 7, 23, 59, 59});
    EventLog log(dir.Path(), clock);
    log.LogEvent("before");
    clock.Set({2026, 3, 8, 0, 0, 0});
    log.LogEvent("after");
    EXPECT_EQ(testing::ReadBytes(dir.File("07-03-26/adminlog.txt")), "[23:59:59] before\r\n");
    EXPECT_EQ(testing::ReadBytes(dir.File("08-03-26/adminlog.txt")), "[00:00:00] after\r\n");
}

TEST(EventLog, ChatBlockIsAppendedUnchangedToTheGivenDay) {
    testing::TempDir dir;
    ManualClock clock({2026, 3, 8, 0, 0, 1});
    EventLog log(dir.Path(), clock);
    log.AppendChatLog("07-03-26", "[23:59:58] Bob: hi\n");
    log.AppendChatLog("07-03-26", "[23:59:59] Ann: yo\n");
    EXPECT_EQ(testing::ReadBytes(dir.File("07-03-26/chatlog.txt")),
              "[23:59:58] Bob: hi\r\n[23:59:59] Ann: yo\r\n");
}

TEST(EventLog, UnwritableFolderIsReportedNotThrown) {
    testing::TempDir dir;
    ManualClock clock;
    EventLog log(dir.Path() + "no/such/place/", clock);
    std::string failure;
    log.onWriteFailure = [&](const std::string& f) { failure = f; };
    log.LogEvent("x");
    EXPECT_NE(failure.find("adminlog.txt"), std::string::npos);
}

TEST(EventLog, SeparatorsAre49Characters) {
    EXPECT_EQ(kSeparatorEquals, std::string(49, '='));
    EXPECT_EQ(kSeparatorDashes, std::string(49, '-'));
}

}  // namespace
}  // namespace tavrin
