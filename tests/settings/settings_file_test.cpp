#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/tab_command.h"
#include "common/text_file.h"
#include "settings/settings_fixtures.h"

namespace tavrin {
namespace {

using testing::TabFixture;
using Rows = std::vector<SettingsFileRow>;

std::string FileText(const std::string& path) {
    std::string text;
    EXPECT_TRUE(ReadTextFile(path, text)) << path;
    return text;
}

TEST(SettingsFileRows, LineRules) {
    struct Case {
        const char* text;
        Rows rows;
    } cases[] = {
        {"set gameTime 60\n", {{"set gameTime", "60", true}}},
        {"##set serverPassword \n", {{"set serverPassword", "", false}}},
        {"set gameTime\n", {{"set gameTime", "", true}}},
        {"set serverName My Server\n", {{"set serverName", "My", true}}},  // three words only
        {"set gameTime 60\nset gameTime 60\n", {{"set gameTime", "60", true}}},
        {"set tracers 1\nxset tracers 1\n",  // part of a later line leaves it whole
         {{"set tracers", "1", true}, {"xset tracers", "1", true}}},
        {"\n \n set x 1\n", {}},  // no first word
        {"set\n", {{"set ", "", true}}},
        {"set serverName NotFailed\n", {{"set serverName", "NotFailed", true}}},
        {"set tracers 1", {{"set tracers", "1", true}}},  // last line without a line feed
        {"cmd TOD 0100\n", {{"cmd TOD", "0100", true}}},  // listed, though never applied
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadSettingsFileRows(c.text), c.rows);
    }
}

TEST(SettingsFileDialog, TicksEditsReloadAndApply) {
    CSettingsFile dialog("/s/a.txt", "set gameTime 60\n##set tracers 1\nset killLimit 20\n");
    EXPECT_EQ(dialog.Title(), "File: /s/a.txt");
    EXPECT_EQ(dialog.ApplyText(), "set gameTime 60\nset killLimit 20\n");

    dialog.CheckAll();
    dialog.EditValue(0, "90");
    EXPECT_EQ(dialog.ApplyText(), "set gameTime 90\nset tracers 1\nset killLimit 20\n");
    dialog.ClearTicks();
    EXPECT_EQ(dialog.ApplyText(), "");
    dialog.SetTicked(2, true);
    dialog.SetTicked(7, true);  // no such row
    dialog.EditValue(7, "x");
    EXPECT_EQ(dialog.ApplyText(), "set killLimit 20\n");

    dialog.Reload();
    EXPECT_EQ(dialog.Rows(), (Rows{{"set gameTime", "60", true},
                                   {"set tracers", "1", false},
                                   {"set killLimit", "20", true}}));
}

TEST(SettingsFileDialog, SaveAsWritesEveryRowAndRetitles) {
    testing::TempDir dir;
    testing::ScriptedDialogs dialogs;
    CSettingsFile dialog = OpenSettingsFile(dir.File("missing.txt"));
    EXPECT_TRUE(dialog.Rows().empty());

    dialog = CSettingsFile(dir.File("a.txt"), "set gameTime 60\n##set tracers 1\n");
    dialog.EditValue(1, "0");
    EXPECT_FALSE(dialog.SaveAs(dialogs));  // cancelled
    EXPECT_TRUE(dialogs.messages.empty());

    const std::string out = dir.File("b.txt");
    dialogs.fileAnswers = {out};
    EXPECT_TRUE(dialog.SaveAs(dialogs));
    EXPECT_EQ(FileText(out), "set gameTime 60\n##set tracers 0\n");
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"File Saved: " + out});
    EXPECT_EQ(dialog.Title(), "Settings File: " + out);
    EXPECT_EQ(OpenSettingsFile(out).Rows(), dialog.Rows());

    dialogs.fileAnswers = {dir.File("no-such-folder/c.txt")};
    EXPECT_FALSE(dialog.SaveAs(dialogs));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].rfind("File not saved. ", 0), 0u) << dialogs.messages[1];
    EXPECT_EQ(dialog.Title(), "Settings File: " + out);
}

TEST(ReadAppliedValues, TakesTheRestOfTheFirstLineOfEachPrefix) {
    auto values = ReadAppliedValues(
        "set gameTime 60\nset gameTime 30\nset serverPassword \nxset tracers 1\n"
        "set changeTeamInterval 50\nset killLimit 20");
    EXPECT_EQ(values[14], "60");
    EXPECT_EQ(values[25], "");
    EXPECT_EQ(values[18], std::nullopt);  // not at the start of a line
    EXPECT_EQ(values[4], std::nullopt);   // "set changeTeam " is not "set changeTeamInterval "
    EXPECT_EQ(values[5], "50");
    EXPECT_EQ(values[20], std::nullopt);  // no line feed after it
}

TEST(SettingsSave, BeforeAnyReplyOnlyTheServerNameIsLive) {
    TabFixture f;
    f.Unlock();
    const std::string path = f.dir.File("Settings/start.txt");
    f.dialogs.fileAnswers = {path};
    EXPECT_TRUE(f.tab.Save());
    EXPECT_EQ(f.dialogs.fileSuggestions, std::vector<std::string>{f.tab.SettingsFolder() + "/"});

    std::string expected;
    for (int n = 0; n < kServerSettingsCount; ++n) {
        expected += n == kServerNameEntry ? "set serverName UnNamed\n"
                                          : "##" + std::string(kSettingsTable[n].prefix) + "\n";
    }
    EXPECT_EQ(FileText(path), expected);
    EXPECT_EQ(f.tab.Value(kServerNameEntry), "UnNamed");
}

TEST(SettingsSave, WritesTheCurrentValuesInTableOrder) {
    TabFixture f;
    f.Unlock();
    f.tab.ParseGameSettings(testing::kGameSettingsReply);
    f.tab.ReleaseSlider(kVotePercentEntry, 30);
    const std::string path = f.dir.File("Settings/full.txt");
    f.dialogs.fileAnswers = {path};
    ASSERT_TRUE(f.tab.Save());
    const std::string text = FileText(path);
    for (const char* line :
         {"set autoBalanceOnRecycle 1\n", "set votePercent 0.30\n", "set gameTime 60\n",
          "set serverName MyServer\n", "##set serverPassword \n", "set sideBPassword bravo\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(text.find("cmd TOD"), std::string::npos);
    EXPECT_EQ(f.tab.Value(14), "60");  // "12/60" was prepared in place
    EXPECT_EQ(ReadSettingsFileRows(text).size(), 28u);
}

TEST(SettingsSave, NamesAndPasswordsKeepTheirSlashAndStayPrivate) {
    TabFixture f;
    f.Unlock();
    f.tab.PressSet(kServerNameEntry, "Tom/Jerry");
    f.tab.PressSet(25, "a/b");
    const std::string path = f.dir.File("Settings/private.txt");
    f.dialogs.fileAnswers = {path};
    ASSERT_TRUE(f.tab.Save());
    const std::string text = FileText(path);
    EXPECT_NE(text.find("set serverName Tom/Jerry\n"), std::string::npos);
    EXPECT_NE(text.find("set serverPassword a/b\n"), std::string::npos);
    EXPECT_EQ(f.tab.Value(25), "a/b");
    auto perms = std::filesystem::status(path).permissions();
    EXPECT_EQ(perms & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);
}

TEST(SettingsFileDialogs, TitledTextFilesInTheSettingsFolderWithTheirExtension) {
    TabFixture f;
    f.Unlock();
    const std::string folder = f.tab.SettingsFolder();
    const std::string typed = f.dir.File("Settings/typed");
    CSettingsFile file(f.dir.File("Settings/in.txt"), "set gameTime 60\n");
    struct Case {
        const char* what;
        std::function<bool()> ask;
        std::string title;
        std::string start;
        std::string written;  // the file written for the answer `typed`, or none
    };
    const Case cases[] = {
        {"Save", [&] { return f.tab.Save(); }, "Save Settings To File", folder + "/",
         typed + ".txt"},
        {"Load", [&] { return f.tab.AskSettingsFileToLoad().has_value(); },
         "Load Settings From File", folder + "/", ""},
        {"Save As", [&] { return file.SaveAs(f.dialogs); }, "Save Amended Settings Data",
         f.dir.File("Settings/in.txt"), typed + ".txt"},
    };
    for (const auto& c : cases) {
        f.dialogs.fileQuestions.clear();
        f.dialogs.fileAnswers = {typed};
        EXPECT_TRUE(c.ask()) << c.what;
        ASSERT_EQ(f.dialogs.fileQuestions.size(), 1u) << c.what;
        EXPECT_EQ(f.dialogs.fileQuestions[0],
                  (FileQuestion{c.title, c.start, "Text Files (*.txt)|*.txt", "txt"}))
            << c.what;
        if (c.written.empty()) continue;
        EXPECT_TRUE(std::filesystem::exists(c.written)) << c.what;
        EXPECT_FALSE(std::filesystem::exists(typed)) << c.what;
    }
    // The tab's own dialogs make the folder they open in.
    f.dialogs.fileAnswers.clear();
    std::filesystem::remove_all(folder);
    EXPECT_FALSE(f.tab.AskSettingsFileToLoad());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(WithDefaultExtension, OnlyANameWithoutAnExtensionGetsOne) {
    const std::pair<std::string, std::string> cases[] = {
        {"/a/x", "/a/x.txt"},     {"/a/x.txt", "/a/x.txt"}, {"/a/x.cfg", "/a/x.cfg"},
        {"/a.b/x", "/a.b/x.txt"}, {"x", "x.txt"},           {"/a/.hidden", "/a/.hidden.txt"},
        {"/a/x.", "/a/x."},       {"/a/", "/a/"},
    };
    for (const auto& [typed, kept] : cases) EXPECT_EQ(WithDefaultExtension(typed, "txt"), kept);
    EXPECT_EQ(WithDefaultExtension("/a/x", ""), "/a/x");
}

TEST(SettingsSave, CancelAndWriteFailure) {
    TabFixture f;
    f.Unlock();
    EXPECT_FALSE(f.tab.Save());  // no file chosen
    EXPECT_TRUE(f.dialogs.messages.empty());

    f.dialogs.fileAnswers = {f.dir.File("no-such-folder/x.txt")};
    EXPECT_FALSE(f.tab.Save());
    ASSERT_EQ(f.dialogs.messages.size(), 1u);
    EXPECT_EQ(f.dialogs.messages[0].rfind("Settings not saved. ", 0), 0u);
}

TEST(SettingsApply, SendsAllEntriesWithFileValuesWhereTicked) {
    TabFixture f;
    f.Unlock();
    f.tab.ParseGameSettings(testing::kGameSettingsReply);
    f.dialogs.fileAnswers = {f.dir.File("Settings/in.txt")};
    ASSERT_EQ(f.tab.AskSettingsFileToLoad(), f.dir.File("Settings/in.txt"));

    CSettingsFile dialog("in.txt",
                         "set gameTime 90\nset votePercent 25\n##set friendlyFire 0\n"
                         "set changeTeam 1\nset serverPassword\nset nonsense 5\n");
    SettingsBulkSend bulk = f.tab.ApplySettingsFile(dialog.ApplyText());

    EXPECT_TRUE(bulk.ignoreReplies);
    ASSERT_EQ(bulk.commands.size(), 28u);
    for (int n = 0; n < kServerSettingsCount; ++n) {
        EXPECT_EQ(bulk.commands[n].pauseAfterMs, 250);
        EXPECT_EQ(bulk.commands[n].text.rfind(kSettingsTable[n].prefix, 0), 0u) << n;
    }
    EXPECT_EQ(bulk.commands[14].text, "set gameTime 90");
    EXPECT_EQ(bulk.commands[2].text, "set votePercent 0.25");  // the bare form is mended
    EXPECT_EQ(bulk.commands[15].text, "set friendlyFire 1");   // unticked: current value
    EXPECT_EQ(bulk.commands[25].text, "set serverPassword ");
    EXPECT_EQ(bulk.commands[24].text, "set serverName MyServer");
    EXPECT_TRUE(f.commands.commands.empty());  // the main window sends the bulk

    // The tab shows what was applied.
    EXPECT_EQ(f.tab.SliderPosition(14), 90);
    EXPECT_EQ(f.tab.SliderPosition(2), 25);
    EXPECT_EQ(f.tab.ValueLabel(2), "25 %");
    EXPECT_TRUE(f.tab.IsTicked(4));
    EXPECT_TRUE(f.tab.IsEnabled(5));
}

TEST(SettingsApply, ASavedFileAppliedWholeSendsWhatWasSaved) {
    TabFixture f;
    f.Unlock();
    f.tab.ParseGameSettings(testing::kGameSettingsReply);
    const std::string path = f.dir.File("Settings/round.txt");
    f.dialogs.fileAnswers = {path};
    ASSERT_TRUE(f.tab.Save());
    std::vector<std::string> saved;
    for (int n = 0; n < kServerSettingsCount; ++n)
        saved.push_back(std::string(kSettingsTable[n].prefix) + f.tab.Value(n));

    TabFixture other;
    CSettingsFile dialog = OpenSettingsFile(path);
    dialog.CheckAll();
    std::vector<std::string> sent;
    for (const auto& c : other.tab.ApplySettingsFile(dialog.ApplyText()).commands)
        sent.push_back(c.text);
    EXPECT_EQ(sent, saved);
}

TEST(SettingsApply, NothingTickedStillSendsTheCurrentValues) {
    TabFixture f;
    f.Unlock();
    f.tab.ParseGameSettings(testing::kGameSettingsReply);
    SettingsBulkSend bulk = f.tab.ApplySettingsFile("");
    ASSERT_EQ(bulk.commands.size(), 28u);
    EXPECT_EQ(bulk.commands[0].text, "set autoBalanceOnRecycle 1");
    EXPECT_EQ(bulk.commands[2].text, "set votePercent 0.5");
    EXPECT_EQ(bulk.commands[27].text, "set sideBPassword bravo");
}

TEST(SettingsApply, AValueTooLongForTheBufferIsRefused) {
    TabFixture f;
    f.Unlock();
    f.tab.ParseGameSettings(testing::kGameSettingsReply);
    const std::string name(200, 'n');
    SettingsBulkSend bulk = f.tab.ApplySettingsFile("set serverName " + name + "\n");
    EXPECT_EQ(f.tab.Value(kServerNameEntry), "MyServer");
    EXPECT_EQ(bulk.commands[24].text, "set serverName MyServer");
    EXPECT_EQ(f.dialogs.messages.size(), 1u);

    // A server that reports such a name: the bulk leaves that command out.
    f.tab.ParseGameSettings("ServerName = " + name + "\n");
    bulk = f.tab.ApplySettingsFile("");
    EXPECT_EQ(bulk.commands.size(), 27u);
    for (const auto& c : bulk.commands) EXPECT_LE(c.text.size(), kMaxTabCommand);
    EXPECT_EQ(f.dialogs.messages.size(), 2u);
}

}  // namespace
}  // namespace tavrin
