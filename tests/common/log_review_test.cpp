#include "common/log_review.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>

#include "support/temp_dir.h"

namespace tavrin {
namespace {

struct QuietLog final : LogObserver {
    void EventLineWritten(const std::string& line) override { written += line; }
    void ChatTextWritten(const std::string&) override {}
    void LogWriteFailed(const std::string& f) override { failure = f; }
    std::string written, failure;
};

// Files relative to the program folder, with their bytes on disk.
using Files = std::map<std::string, std::string>;

struct ReviewCase {
    const char* name;
    LogKind kind;
    LocalTime now;
    Files before;              // what is on disk when the button is pressed
    std::string runningSince;  // the Connection Started field
    std::string caption;       // relative to the program folder
    std::string text;          // the viewer's text area
    Files after;               // files whose bytes the review must leave so
};

const std::string kHeader =
    "[00:00:07] =================================================\n"
    "[00:00:07] Continuation File\n"
    "[00:00:07] Program Running Since  21:40:12,07-03-26\n"
    "[00:00:07] =================================================\n";

const ReviewCase kCases[] = {
    {"TodaysEventLogAsItIs",
     LogKind::Event,
     {2026, 3, 7, 9, 5, 3},
     {{"07-03-26/adminlog.txt", "[09:00:00] Program Started\r\n[09:05:00] Logged In\r\n"}},
     " 09:05:00,07-03-26",
     "07-03-26/adminlog.txt",
     "[09:00:00] Program Started\n[09:05:00] Logged In\n",
     {{"07-03-26/adminlog.txt", "[09:00:00] Program Started\r\n[09:05:00] Logged In\r\n"}}},
    {"PastMidnightTheNewDayOpensWithTheContinuationHeader",
     LogKind::Event,
     {2026, 3, 8, 0, 0, 7},
     {{"07-03-26/adminlog.txt", "[23:59:58] Logged In\r\n"}},
     " 21:40:12,07-03-26",
     "08-03-26/adminlog.txt",
     kHeader,
     {{"07-03-26/adminlog.txt", "[23:59:58] Logged In\r\n"},
      {"08-03-26/adminlog.txt",
       "[00:00:07] =================================================\r\n"
       "[00:00:07] Continuation File\r\n"
       "[00:00:07] Program Running Since  21:40:12,07-03-26\r\n"
       "[00:00:07] =================================================\r\n"}}},
    {"BeforeAnyLoginTheRunningSinceTextIsEmpty",
     LogKind::Event,
     {2026, 3, 8, 0, 0, 7},
     {},
     "",
     "08-03-26/adminlog.txt",
     "[00:00:07] =================================================\n"
     "[00:00:07] Continuation File\n"
     "[00:00:07] Program Running Since \n"
     "[00:00:07] =================================================\n",
     {}},
    {"AnEmptyEventLogIsShownEmpty",
     LogKind::Event,
     {2026, 3, 7, 9, 5, 3},
     {{"07-03-26/adminlog.txt", ""}},
     "x",
     "07-03-26/adminlog.txt",
     "",
     {{"07-03-26/adminlog.txt", ""}}},
    {"WindowsBytesStayAsTheyAre",
     LogKind::Event,
     {2026, 3, 7, 9, 5, 3},
     {{"07-03-26/adminlog.txt", "[09:05:00] Caf\xe9 \x80\r\n"}},
     "",
     "07-03-26/adminlog.txt",
     "[09:05:00] Caf\xe9 \x80\n",
     {}},
    {"TodaysChatLogAsItIs",
     LogKind::Chat,
     {2026, 3, 7, 9, 5, 3},
     {{"07-03-26/chatlog.txt", "[09:01:00] Bob: hi\r\n[09:02:00] Ann: yo\r\n"}},
     "",
     "07-03-26/chatlog.txt",
     "[09:01:00] Bob: hi\n[09:02:00] Ann: yo\n",
     {{"07-03-26/chatlog.txt", "[09:01:00] Bob: hi\r\n[09:02:00] Ann: yo\r\n"}}},
    {"ADayWithoutChatSaysSoInTheCaption",
     LogKind::Chat,
     {2026, 3, 8, 0, 0, 7},
     {{"07-03-26/chatlog.txt", "[23:59:58] Bob: hi\r\n"},
      {"08-03-26/adminlog.txt", "[00:00:01] x\r\n"}},
     "",
     "08-03-26/chatlog.txt No saved game chat",
     "",
     {{"07-03-26/chatlog.txt", "[23:59:58] Bob: hi\r\n"}}},
    {"NoDayFolderAtAllForTheChat",
     LogKind::Chat,
     {2026, 3, 7, 9, 5, 3},
     {},
     "",
     "07-03-26/chatlog.txt No saved game chat",
     "",
     {}},
};

class LogReviewTable : public ::testing::TestWithParam<ReviewCase> {};

TEST_P(LogReviewTable, ShowsWhatTheDayHolds) {
    const ReviewCase& c = GetParam();
    testing::TempDir dir;
    for (const auto& [file, bytes] : c.before) {
        std::filesystem::create_directories(std::filesystem::path(dir.File(file)).parent_path());
        testing::WriteBytes(dir.File(file), bytes);
    }
    ManualClock clock(c.now);
    QuietLog live;
    EventLog log(dir.Path(), clock, live);

    const LogReview shown = ReviewLog(log, c.kind, c.runningSince);

    EXPECT_EQ(shown.caption, dir.Path() + c.caption);
    EXPECT_EQ(shown.text, c.text);
    for (const auto& [file, bytes] : c.after)
        EXPECT_EQ(testing::ReadBytes(dir.File(file)), bytes) << file;
    EXPECT_EQ(live.failure, "");
    // The only lines a review ever writes are the header of a missing event
    // log; a missing chat log stays missing.
    const std::string todays =
        DateText(c.now) + (c.kind == LogKind::Event ? "/adminlog.txt" : "/chatlog.txt");
    const bool wasThere = c.before.contains(todays);
    if (c.kind == LogKind::Chat || wasThere) {
        EXPECT_EQ(live.written, "");
    }
    if (c.kind == LogKind::Chat && !wasThere) {
        EXPECT_FALSE(std::filesystem::exists(dir.File(todays)));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LogReviewTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The header is logged like any other line, so an open event viewer and the
// headless console see it as it is written.
TEST(LogReview, ContinuationHeaderReachesTheLiveViewers) {
    testing::TempDir dir;
    ManualClock clock({2026, 3, 8, 0, 0, 7});
    QuietLog live;
    EventLog log(dir.Path(), clock, live);
    ReviewEventLog(log, " 21:40:12,07-03-26");
    EXPECT_EQ(live.written, kHeader);
    // A second review finds the file and writes nothing more.
    live.written.clear();
    EXPECT_EQ(ReviewEventLog(log, "").text, kHeader);
    EXPECT_EQ(live.written, "");
}

// A log that is there but cannot be read is reported in the text area and
// never answered with a header.
TEST(LogReview, UnreadableLogIsReportedNotReplaced) {
    for (LogKind kind : {LogKind::Event, LogKind::Chat}) {
        testing::TempDir dir;
        ManualClock clock({2026, 3, 7, 9, 5, 3});
        QuietLog live;
        EventLog log(dir.Path(), clock, live);
        const std::string file = kind == LogKind::Event ? "adminlog.txt" : "chatlog.txt";
        std::filesystem::create_directories(dir.File("07-03-26/" + file));
        const LogReview shown = ReviewLog(log, kind, "");
        EXPECT_EQ(shown.caption, dir.File("07-03-26/" + file));
        EXPECT_EQ(shown.text, "Couldn't read: " + dir.File("07-03-26/" + file) +
                                  " (Is a directory, error " + std::to_string(EISDIR) + ")\n");
        EXPECT_EQ(live.written, "");
    }
}

}  // namespace
}  // namespace tavrin
