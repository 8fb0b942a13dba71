#include "common/day_folders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/fakes.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using testing::RecordingLog;
using testing::TempDir;
using testing::WriteBytes;

const LocalTime kToday{2026, 3, 1, 0, 0, 5};

TEST(DayFolders, OnlyDayFolderNamesOlderThanTheLimitExpire) {
    const std::vector<std::string> names = {
        "01-03-26",  // today
        "28-02-26",  // yesterday: 1 day old
        "27-02-26",  // 2 days old
        "29-02-24",  // a leap day long ago
        "29-02-26",  // no such day
        "31-12-99",  // 2099: in the future
        "1-03-26",  "01-3-26", "01-03-2026", "01_03_26", "0a-03-26", "01-03-26~2", "Configs", "",
    };
    EXPECT_EQ(ExpiredDayFolders(names, kToday, 1),
              (std::vector<std::string>{"27-02-26", "29-02-24"}));
    EXPECT_EQ(ExpiredDayFolders(names, kToday, 2), (std::vector<std::string>{"29-02-24"}));
    EXPECT_EQ(ExpiredDayFolders(names, kToday, 0),
              (std::vector<std::string>{"28-02-26", "27-02-26", "29-02-24"}));
    EXPECT_TRUE(ExpiredDayFolders(names, kToday, 10000).empty());
}

// The old day folders go with their logs; decoys of every kind stay.
TEST(DayFolders, RemovesOldDayFoldersAndNothingElse) {
    TempDir dir;
    const auto folder = [&](const std::string& name) {
        fs::create_directories(dir.File(name));
        WriteBytes(dir.File(name + "/adminlog.txt"), "[00:00:00] x\r\n");
    };
    folder("01-03-26");
    folder("01-01-26");
    folder("15-06-25");
    folder("01-01-2026");  // not a day folder's name
    folder("Configs");
    WriteBytes(dir.File("02-01-26"), "a file with a day's name");
    folder("elsewhere/03-01-26");
    fs::create_directory_symlink(dir.File("elsewhere/03-01-26"), dir.File("03-01-26"));

    RecordingLog log;
    EXPECT_EQ(RemoveExpiredDayFolders(dir.Path(), kToday, 30, log), 2);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"01-01-2026", "01-03-26", "02-01-26", "03-01-26",
                                              "Configs", "elsewhere"}));
    EXPECT_TRUE(fs::exists(dir.File("elsewhere/03-01-26/adminlog.txt")));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0].find("Old day folder "), 0u);
}

// At start, then once after each midnight: a folder that grows too old in
// the middle of a day waits for the next one.
TEST(DayFolders, TheKeeperRemovesAtStartAndAfterMidnight) {
    TempDir dir;
    RecordingLog log;
    fs::create_directories(dir.File("01-01-26"));
    DayFolderKeeper keeper(dir.Path(), 30);
    EXPECT_EQ(keeper.Tick(kToday, log), 1);
    fs::create_directories(dir.File("02-01-26"));
    LocalTime later = kToday;
    later.hour = 23;
    EXPECT_EQ(keeper.Tick(later, log), 0);
    EXPECT_TRUE(fs::exists(dir.File("02-01-26")));
    const LocalTime nextDay{2026, 3, 2, 0, 0, 1};
    EXPECT_EQ(keeper.Tick(nextDay, log), 1);
    EXPECT_FALSE(fs::exists(dir.File("02-01-26")));

    DayFolderKeeper keepsAll(dir.Path(), 0);
    fs::create_directories(dir.File("03-01-26"));
    EXPECT_EQ(keepsAll.Tick(nextDay, log), 0);
    EXPECT_TRUE(fs::exists(dir.File("03-01-26")));
}

}  // namespace
}  // namespace tavrin
