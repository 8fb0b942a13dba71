// `tavrinrat --headless --review-log` and `--review-chat`: the console prints
// what the review buttons show, caption first, and exits without logging in.

#include <gtest/gtest.h>

#include <filesystem>

#include "common/clock.h"
#include "e2e/console_process.h"
#include "support/temp_dir.h"

namespace tavrin::testing {
namespace {

// The day folder the console will read: taken around the run, so a run that
// straddles midnight is skipped rather than failed.
struct Today {
    std::string date = DateText(SystemClock().Now());
    bool StillToday() const { return DateText(SystemClock().Now()) == date; }
};

std::vector<std::string> Review(const TempDir& dir, const char* option) {
    ConsoleProcess console(TAVRIN_CONSOLE_PATH, dir.Path(), {option});
    EXPECT_EQ(console.WaitExit(), 0) << console.Transcript();
    return console.Lines();
}

TEST(LogReviewE2e, ReviewLogPrintsTodaysEventLogAndNeitherStartsNorLogsIn) {
    TempDir dir;
    const Today today;
    std::filesystem::create_directory(dir.File(today.date));
    WriteBytes(dir.File(today.date + "/adminlog.txt"),
               "[09:00:00] Program Started\r\n[09:05:00] Logged In\r\n");

    const auto lines = Review(dir, "--review-log");
    if (!today.StillToday()) GTEST_SKIP() << "midnight passed";
    EXPECT_EQ(lines,
              (std::vector<std::string>{dir.File(today.date + "/adminlog.txt"),
                                        "[09:00:00] Program Started", "[09:05:00] Logged In"}));
    EXPECT_EQ(ReadBytes(dir.File(today.date + "/adminlog.txt")),
              "[09:00:00] Program Started\r\n[09:05:00] Logged In\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("Configs")));
}

TEST(LogReviewE2e, ReviewLogOnADayWithoutOneWritesAndPrintsTheContinuationHeader) {
    TempDir dir;
    const Today today;
    const auto lines = Review(dir, "--review-log");
    if (!today.StillToday()) GTEST_SKIP() << "midnight passed";
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], dir.File(today.date + "/adminlog.txt"));
    const std::vector<std::string> header = {std::string(49, '='), "Continuation File",
                                             "Program Running Since ", std::string(49, '=')};
    for (size_t i = 0; i < header.size(); ++i) EXPECT_EQ(LogText(lines[i + 1]), header[i]);
    EXPECT_TRUE(std::filesystem::exists(dir.File(today.date + "/adminlog.txt")));
}

TEST(LogReviewE2e, ReviewChatPrintsTheChatLogOrSaysThereIsNone) {
    TempDir dir;
    const Today today;
    auto lines = Review(dir, "--review-chat");
    if (!today.StillToday()) GTEST_SKIP() << "midnight passed";
    EXPECT_EQ(lines, std::vector<std::string>{dir.File(today.date + "/chatlog.txt") +
                                              " No saved game chat"});
    EXPECT_FALSE(std::filesystem::exists(dir.File(today.date)));

    std::filesystem::create_directory(dir.File(today.date));
    WriteBytes(dir.File(today.date + "/chatlog.txt"), "[09:01:00] Bob: hi\r\n");
    lines = Review(dir, "--review-chat");
    if (!today.StillToday()) GTEST_SKIP() << "midnight passed";
    EXPECT_EQ(lines, (std::vector<std::string>{dir.File(today.date + "/chatlog.txt"),
                                               "[09:01:00] Bob: hi"}));
}

}  // namespace
}  // namespace tavrin::testing
