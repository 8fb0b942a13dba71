#include "common/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"
#include "support/unreadable_file.h"

namespace tavrin {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(TextFile, LineEndsAreLfInMemoryAndCrLfOnDisk) {
    TempDir dir;
    const std::string path = dir.File("a.txt");
    WriteBytes(path, "a\r\nb\r\n");
    std::string text;
    ASSERT_TRUE(ReadTextFile(path, text));
    EXPECT_EQ(text, "a\nb\n");

    ASSERT_TRUE(WriteTextFile(path, "a\nb\n", WriteMode::Replace));
    EXPECT_EQ(ReadBytes(path), "a\r\nb\r\n");

    // A lone CR is kept as it is; only pairs become one LF.
    WriteBytes(path, "x\ry\r\n\r");
    ASSERT_TRUE(ReadTextFile(path, text));
    EXPECT_EQ(text, "x\ry\n\r");
}

TEST(TextFile, ReadMissingOrEmpty) {
    TempDir dir;
    std::string text = "untouched";
    EXPECT_FALSE(ReadTextFile(dir.File("none.txt"), text));
    EXPECT_EQ(text, "untouched");
    // A folder of that name is no file.
    EXPECT_FALSE(ReadTextFile(dir.Path(), text));
    EXPECT_EQ(text, "untouched");

    WriteBytes(dir.File("empty.txt"), "");
    EXPECT_TRUE(ReadTextFile(dir.File("empty.txt"), text));
    EXPECT_EQ(text, "");
}

// Only a file that is not there at all may be replaced by defaults; one that
// is there but cannot be read must be told apart.
TEST(TextFile, ReadTellsMissingFromUnreadable) {
    using Status = TextFileRead::Status;
    TempDir dir;
    WriteBytes(dir.File("plain.cfg"), "a\r\nb");
    WriteBytes(dir.File("empty.cfg"), "");
    WriteBytes(dir.File("afile"), "x");
    const struct {
        std::string path;
        Status status;
        std::string text;
    } cases[] = {
        {dir.File("plain.cfg"), Status::Read, "a\nb"},
        {dir.File("empty.cfg"), Status::Read, ""},
        {dir.File("none.cfg"), Status::Missing, ""},
        {dir.File("no/such/folder.cfg"), Status::Missing, ""},
        {dir.File("afile/under.cfg"), Status::Missing, ""},  // a file where a folder should be
    };
    for (const auto& c : cases) {
        const TextFileRead read = ReadTextFile(c.path);
        EXPECT_EQ(read, (TextFileRead{c.status, c.text, ""})) << c.path;
    }
    for (testing::UnreadableKind kind : testing::UnreadableKinds()) {
        const std::string path = dir.File(std::string("unreadable ") + KindName(kind));
        MakeUnreadable(kind, path);
        const TextFileRead read = ReadTextFile(path);
        EXPECT_EQ(read.status, Status::Unreadable) << KindName(kind);
        EXPECT_EQ(read.failure.rfind("Couldn't read: " + path + " (", 0), 0u) << read.failure;
        // The plain form reads nothing and leaves the text alone.
        std::string text = "untouched";
        EXPECT_FALSE(ReadTextFile(path, text)) << KindName(kind);
        EXPECT_EQ(text, "untouched");
    }
}

TEST(TextFile, ReplaceAndAppend) {
    TempDir dir;
    const std::string path = dir.File("log.txt");
    ASSERT_TRUE(WriteTextFile(path, "one\n", WriteMode::Append));  // created
    ASSERT_TRUE(WriteTextFile(path, "two\n", WriteMode::Append));
    EXPECT_EQ(ReadBytes(path), "one\r\ntwo\r\n");
    ASSERT_TRUE(WriteTextFile(path, "new\n", WriteMode::Replace));
    EXPECT_EQ(ReadBytes(path), "new\r\n");
}

TEST(TextFile, ReplaceLeavesNoTemporaryFiles) {
    TempDir dir;
    ASSERT_TRUE(WriteTextFile(dir.File("c.cfg"), "x\n", WriteMode::Replace));
    ASSERT_TRUE(WriteTextFile(dir.File("c.cfg"), "y\n", WriteMode::Replace));
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(TextFile, FailuresAreReportedAndLeaveOldContent) {
    TempDir dir;
    std::string failure;
    EXPECT_FALSE(WriteTextFile(dir.File("missing/x.txt"), "x\n", WriteMode::Replace, &failure));
    EXPECT_NE(failure.find("missing/x.txt"), std::string::npos);

    failure.clear();
    EXPECT_FALSE(WriteTextFile(dir.File("missing/x.txt"), "x\n", WriteMode::Append, &failure));
    EXPECT_FALSE(failure.empty());

    // A folder where the file should be.
    std::filesystem::create_directory(dir.File("sub"));
    failure.clear();
    EXPECT_FALSE(WriteTextFile(dir.File("sub"), "x\n", WriteMode::Replace, &failure));
    EXPECT_FALSE(failure.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("sub")));
}

TEST(TextFile, OwnerOnlyFilesAreNotReadableByOthers) {
    TempDir dir;
    const std::string path = dir.File("servers.cfg");
    ASSERT_TRUE(WriteTextFile(path, "x\n", WriteMode::Replace, nullptr, FileAccess::OwnerOnly));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Rewriting keeps it private.
    ASSERT_TRUE(WriteTextFile(path, "y\n", WriteMode::Replace, nullptr, FileAccess::OwnerOnly));
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(TextFile, KeepToOwnerTakesOthersPermissionsAway) {
    const struct {
        mode_t before, after;
        bool logged;
    } cases[] = {
        {0644, 0600, true}, {0640, 0600, true},  {0777, 0600, true},
        {0606, 0600, true}, {0600, 0600, false}, {0400, 0400, false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = dir.File("radmins.cfg");
        WriteBytes(path, "[END]");
        ASSERT_EQ(::chmod(path.c_str(), c.before), 0);
        const std::string line = KeepToOwner(path);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, c.after) << std::oct << c.before;
        EXPECT_EQ(!line.empty(), c.logged) << std::oct << c.before;
        if (c.logged) {
            EXPECT_NE(line.find(path), std::string::npos) << line;
        }
    }
    // Nothing there, a folder, a link: nothing to do.
    TempDir dir;
    EXPECT_EQ(KeepToOwner(dir.File("missing.cfg")), "");
    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_EQ(KeepToOwner(dir.File("folder")), "");
    WriteBytes(dir.File("target"), "x");
    ASSERT_EQ(::chmod(dir.File("target").c_str(), 0644), 0);
    std::filesystem::create_symlink(dir.File("target"), dir.File("link.cfg"));
    EXPECT_EQ(KeepToOwner(dir.File("link.cfg")), "");
}

}  // namespace
}  // namespace tavrin
