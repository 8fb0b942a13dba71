// Saves that survive kill -9: a child process saves every configuration
// file over and over, or writes a burst of event-log lines, and is killed
// with SIGKILL at a random moment. Every file is then one whole version,
// never cut or mixed; the event log has every line whole but perhaps the
// last.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "common/text_file.h"
#include "save_versions.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace tavrin::testing {
namespace {

namespace fs = std::filesystem;

// A child killed after a random pause once it is under way; it may also
// have finished.
void RunAndKill(const std::string& dir, const char* what, std::mt19937& random) {
    ChildProcess child({TAVRIN_SAVE_CHILD_PATH, dir, what}, SIGKILL, "save-child");
    ASSERT_TRUE(child.Started());
    ASSERT_TRUE(child.Find([](std::string_view l) { return l == "started"; }));
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20000)(random)));
    child.Signal(SIGKILL);
    child.WaitExit();
}

TEST(KillSaves, EveryFileIsAWholeVersionAfterAKill) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    TempDir dir;
    fs::create_directories(dir.File("Configs"));
    const std::vector<std::string> initial = VersionTexts(0);
    for (size_t f = 0; f < SavedFiles().size(); ++f)
        ASSERT_TRUE(WriteTextFile(dir.File(SavedFiles()[f]), initial[f], WriteMode::Replace));
    std::vector<std::vector<std::string>> versions;
    for (int v = 0; v <= kSaveRounds; ++v) versions.push_back(VersionTexts(v));

    for (int kill = 0; kill < 5; ++kill) {
        RunAndKill(dir.Path(), "saves", random);
        for (size_t f = 0; f < SavedFiles().size(); ++f) {
            const TextFileRead read = ReadTextFile(dir.File(SavedFiles()[f]));
            ASSERT_EQ(read.status, TextFileRead::Status::Read) << SavedFiles()[f];
            bool whole = false;
            for (const auto& texts : versions) whole = whole || read.text == texts[f];
            EXPECT_TRUE(whole) << SavedFiles()[f] << " after kill " << kill << ":\n" << read.text;
        }
    }
}

TEST(KillSaves, AnEventLogBurstLosesAtMostTheLastLinesEnd) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    TempDir dir;
    RunAndKill(dir.Path(), "log", random);
    // Midnight may fall inside the burst: the day folders in date order
    // hold the lines in order.
    std::vector<std::string> days;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        if (entry.is_directory()) days.push_back(entry.path().filename().string());
    ASSERT_FALSE(days.empty());
    std::sort(days.begin(), days.end(), [](const std::string& a, const std::string& b) {
        return a.substr(6) + a.substr(3, 2) + a.substr(0, 2) <
               b.substr(6) + b.substr(3, 2) + b.substr(0, 2);
    });
    int next = 1;
    for (size_t d = 0; d < days.size(); ++d) {
        const std::string bytes = ReadBytes(dir.File(days[d] + "/adminlog.txt"));
        size_t from = 0;
        for (size_t end = bytes.find("\r\n"); end != std::string::npos;
             from = end + 2, end = bytes.find("\r\n", from)) {
            const std::string line = bytes.substr(from, end - from);
            ASSERT_GT(line.size(), 11u) << line;
            ASSERT_EQ(line.substr(11), BurstLine(next)) << "line " << next;
            ++next;
        }
        // Only the very last line may be cut, and only at its end.
        const std::string rest = bytes.substr(from);
        if (d + 1 < days.size()) {
            EXPECT_TRUE(rest.empty()) << rest;
        } else if (rest.size() > 11) {
            EXPECT_EQ(BurstLine(next).rfind(rest.substr(11), 0), 0u) << rest;
        }
    }
    EXPECT_GT(next, 1);
}

}  // namespace
}  // namespace tavrin::testing
