#include "common/server_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/server_details.h"
#include "common/text_file.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "support/unreadable_file.h"

namespace tavrin {
namespace {

using testing::ReadBytes;
using testing::RecordingLog;
using testing::ScriptedDialogs;
using testing::TempDir;
using testing::WriteBytes;
using Field = CConDets::Field;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A program directory with a Configs folder and a Server tab loaded from it.
class ServerTab : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(MakeDirectory(dir.Path() + "Configs")); }
    std::string CfgPath() const { return ServerListPath(dir.Path()); }
    void LoadFile(const std::string& bytes) {
        WriteBytes(CfgPath(), bytes);
        server.Load(dir.Path());
    }

    TempDir dir;
    RecordingLog log;
    ScriptedDialogs dialogs;
    CServer server{log, dialogs};
};

TEST_F(ServerTab, MissingFileIsCreatedWithTheDefaultLineForTheOwnerOnly) {
    server.Load(dir.Path());
    EXPECT_EQ(server.ServersText(), "New Connection,0.0.0.0,40000,username,pinecode\n");
    EXPECT_EQ(ReadBytes(CfgPath()), "New Connection,0.0.0.0,40000,username,pinecode\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(CfgPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(server.LoginDetails(),
              (ServerRecord{"New Connection", "0.0.0.0", "40000", "username", "pinecode"}));
    // The unset address keeps Login from going anywhere.
    EXPECT_FALSE(server.Login());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Check Server details"});
    EXPECT_TRUE(log.lines.empty());
}

// A file written by hand may hold what the dialog refuses: Login refuses it
// too rather than send the password to a host nobody meant.
TEST_F(ServerTab, LoginRefusesAnAddressOrPortTheDialogWouldRefuse) {
    const struct {
        const char* line;
        bool accepted;
    } cases[] = {
        {"A,10.0.0.256,40000,u,p\r\n", false},
        {"A,10.0.0.5,abc,u,p\r\n", false},
        {"A,10.0.0.5,0,u,p\r\n", false},
        {"A,localhost,40000,u,p\r\n", true},
    };
    for (const auto& c : cases) {
        LoadFile(c.line);
        server.SetLoginEnabled(true);
        dialogs.messages.clear();
        EXPECT_EQ(server.Login(), c.accepted) << c.line;
        EXPECT_EQ(dialogs.messages.size(), c.accepted ? 0u : 1u) << c.line;
        if (!c.accepted && !dialogs.messages.empty()) {
            EXPECT_EQ(dialogs.messages[0].rfind("Check Server details: ", 0), 0u);
        }
    }
}

TEST_F(ServerTab, MissingConfigsFolderIsLoggedAndTheDefaultStillUsed) {
    TempDir bare;
    server.Load(bare.Path());
    EXPECT_EQ(server.ServersText(), kDefaultServerList);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("servers.cfg"), std::string::npos);
}

// servers.cfg holds the user's servers and passwords: one that is there but
// cannot be read is never replaced by the default line.
TEST(ServerTabUnreadableFile, IsLeftAloneAndReportedWhileTheDefaultIsUsed) {
    for (testing::UnreadableKind kind : testing::UnreadableKinds()) {
        TempDir dir;
        ASSERT_TRUE(MakeDirectory(dir.Path() + "Configs"));
        const std::string path = ServerListPath(dir.Path());
        MakeUnreadable(kind, path);
        RecordingLog log;
        ScriptedDialogs dialogs;
        CServer server{log, dialogs};
        server.Load(dir.Path());
        EXPECT_EQ(server.ServersText(), kDefaultServerList) << KindName(kind);
        EXPECT_TRUE(LeftAlone(kind, path)) << KindName(kind);
        EXPECT_THAT(dialogs.messages, ElementsAre(HasSubstr("Couldn't read: " + path)))
            << KindName(kind);
        EXPECT_EQ(log.lines, dialogs.messages);

        // Closing Server Details without a change writes nothing either.
        CConDets dlg = server.OpenDetails();
        server.AcceptDetails(dlg);
        EXPECT_TRUE(LeftAlone(kind, path)) << KindName(kind);
        EXPECT_EQ(server.LoginDetails().name, "New Connection");
    }
}

TEST_F(ServerTab, ShowsTheFavouriteFromACrLfFileAndLeavesTheFileAlone) {
    const std::string bytes = "A,1.2.3.4,40000,u,p\r\n*FAV*B,5.6.7.8,40001,v,q\r\n";
    LoadFile(bytes);
    EXPECT_EQ(server.ServersText(), "A,1.2.3.4,40000,u,p\n*FAV*B,5.6.7.8,40001,v,q\n");
    EXPECT_EQ(server.LoginDetails(), (ServerRecord{"B", "5.6.7.8", "40001", "v", "q"}));
    EXPECT_EQ(ReadBytes(CfgPath()), bytes);
}

// A record picked by name is shown instead of the favourite; a name no
// record has (the file may have changed since) leaves the favourite.
TEST_F(ServerTab, ShowsTheRecordPickedByItsName) {
    WriteBytes(CfgPath(), "A,1.2.3.4,40000,u,p\r\n*FAV*B,5.6.7.8,40001,v,q\r\n");
    server.Load(dir.Path(), "A");
    EXPECT_EQ(server.LoginDetails().name, "A");
    server.Load(dir.Path(), "*FAV*B");
    EXPECT_EQ(server.LoginDetails().name, "B");
    server.Load(dir.Path(), "C");
    EXPECT_EQ(server.LoginDetails().name, "B");
}

// Each name becomes one folder inside the one it is put in, readable where
// it can be.
// Game servers and managers are kept in files of their own, read and written
// by the one reader and writer: a missing file becomes its kind's default,
// owner-only; a save writes it whole, owner-only even over a file open to
// others; what servers.cfg passes over, managers.cfg passes over too.
TEST(ConnectionFiles, EachKindHasItsOwnFileReadAndWrittenTheSameWay) {
    const struct {
        ConnectionKind kind;
        const char* file;
        const char* other;
        std::string defaults;
    } cases[] = {
        {ConnectionKind::GameServer, "servers.cfg", "managers.cfg",
         std::string(kDefaultServerList)},
        {ConnectionKind::Manager, "managers.cfg", "servers.cfg", ""},
    };
    const std::vector<ServerRecord> records = {{"Home", "10.0.0.5", "9898", "ann", "pa,ss"},
                                               {"Away", "mgr.example", "1", "u", "p"}};
    const auto mode = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0u;
    };
    for (const auto& c : cases) {
        TempDir dir;
        ASSERT_TRUE(MakeDirectory(dir.Path() + "Configs"));
        RecordingLog log;
        ScriptedDialogs dialogs;
        const std::string path = dir.File(std::string("Configs/") + c.file);
        EXPECT_EQ(ServerListPath(dir.Path(), c.kind), path);
        EXPECT_EQ(LoadServerList(dir.Path(), log, dialogs, c.kind), c.defaults) << c.file;
        EXPECT_EQ(mode(path), 0600u) << c.file;
        EXPECT_FALSE(std::filesystem::exists(dir.File(std::string("Configs/") + c.other)))
            << c.file;

        ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
        ASSERT_TRUE(SaveServerList(dir.Path(), BuildServerList(records, 1), log, c.kind));
        EXPECT_EQ(ReadBytes(path),
                  "Home,10.0.0.5,9898,ann,pa,ss\r\n*FAV*Away,mgr.example,1,u,p\r\n");
        EXPECT_EQ(mode(path), 0600u) << c.file;
        const ServerList back = ParseServerList(LoadServerList(dir.Path(), log, dialogs, c.kind));
        EXPECT_EQ(back.records, records) << c.file;
        EXPECT_EQ(back.favourite, 1) << c.file;

        // A line short of a field, and a line repeated, written by hand.
        WriteBytes(path,
                   "Evil,10.0.0.6,9898,ann\r\nHome,10.0.0.5,9898,ann,pa,ss\r\n"
                   "Home,10.0.0.5,9898,ann,pa,ss\r\n");
        EXPECT_EQ(ParseServerList(LoadServerList(dir.Path(), log, dialogs, c.kind)).records,
                  std::vector<ServerRecord>{records[0]})
            << c.file;
        EXPECT_THAT(log.lines, ::testing::IsEmpty()) << c.file;
    }
}

TEST(ServerListText, ServerFolderNameKeepsToOneFolder) {
    const struct {
        std::string name;
        const char* folder;
    } cases[] = {
        {"Main Server #1", "Main Server #1"},
        {"", "_"},
        {".", "_"},
        {"..", "_."},
        {"...", "_._"},
        {"../../etc", "_._.__etc"},
        {"a..b", "a._b"},
        {".hidden", "_hidden"},
        {"v1.2", "v1.2"},
        {"a/b\\c", "a_b_c"},
        {"C:\\x", "C__x"},
        {"line\nbreak\r\t\x7f", "line_break___"},
        {std::string("nul\0x", 5), "nul_x"},
        {"caf\xe9", "caf\xe9"},  // Windows-1252 bytes stay
    };
    for (const auto& c : cases) {
        const std::string folder = ServerFolderName(c.name);
        EXPECT_EQ(folder, c.folder) << c.name;
        EXPECT_EQ(folder.find('/'), std::string::npos);
        EXPECT_EQ(folder.find(".."), std::string::npos);
    }
}

TEST(ServerListText, FavouriteRecord) {
    struct Case {
        const char* text;
        ServerRecord shown;
    } cases[] = {
        {"A,1.2.3.4,1,u,p\n*FAV*B,5.6.7.8,2,v,q\n", {"B", "5.6.7.8", "2", "v", "q"}},
        {"A,1.2.3.4,1,u,p\nB,5.6.7.8,2,v,q\n", {"A", "1.2.3.4", "1", "u", "p"}},
        {"", {}},
        // A malformed favourite line is no record; the first record shows.
        {"*FAV*broken,1.2\nA,1.2.3.4,1,u,p\n", {"A", "1.2.3.4", "1", "u", "p"}},
        // The mark inside an earlier password does not shift the fields.
        {"A,1.2.3.4,1,u,x*FAV*y\n*FAV*B,5.6.7.8,2,v,q\n", {"B", "5.6.7.8", "2", "v", "q"}},
        // Two marks (a hand-edited file): the first one wins.
        {"*FAV*A,1.2.3.4,1,u,p\n*FAV*B,5.6.7.8,2,v,q\n", {"A", "1.2.3.4", "1", "u", "p"}},
        {"A,1.2.3.4,1,u,p", {"A", "1.2.3.4", "1", "u", "p"}},
    };
    for (const auto& c : cases) EXPECT_EQ(FavouriteRecord(c.text), c.shown) << c.text;
}

TEST(ServerListText, ParseKeepsEachDistinctLineOnce) {
    struct Case {
        const char* text;
        std::vector<std::string> names;
        int favourite;
    } cases[] = {
        {"A,1,2,u,p\nA,1,2,u,p\nB,1,2,u,p\nA,1,2,u,p\n", {"A", "B"}, -1},
        // Same name, different line: two records.
        {"A,1,2,u,p\n*FAV*A,1,2,u,p\n", {"A", "A"}, 1},
        // A line that is the tail of a longer one is not a duplicate of it.
        {"XB,1,2,u,p\nB,1,2,u,p\n", {"XB", "B"}, -1},
        // Fewer than four commas: skipped, and not counted.
        {"bad\n\nC,1,2,3\n*FAV*D,1,2,u,p\n", {"D"}, 0},
        // The last line counts without its line feed.
        {"A,1,2,u,p\nB,1,2,u,p", {"A", "B"}, -1},
    };
    for (const auto& c : cases) {
        ServerList list = ParseServerList(c.text);
        std::vector<std::string> names;
        for (const auto& r : list.records) names.push_back(r.name);
        EXPECT_EQ(names, c.names) << c.text;
        EXPECT_EQ(list.favourite, c.favourite) << c.text;
    }
}

TEST_F(ServerTab, ChoosingAnotherServerMovesTheMarkAndSaves) {
    LoadFile("A,1.2.3.4,40000,u,p\n*FAV*B,5.6.7.8,40001,v,q\n");
    CConDets dlg = server.OpenDetails();
    EXPECT_EQ(dlg.SelectedIndex(), 1);
    EXPECT_EQ(dlg.Fields().address, "5.6.7.8");
    EXPECT_FALSE(dlg.Changed());

    dlg.ChooseRecord(0);
    EXPECT_EQ(dlg.FieldText(Field::Port), "40000");
    // Nothing reaches the tab's list before OK: Cancel would just drop `dlg`.
    EXPECT_EQ(server.ServersText(), "A,1.2.3.4,40000,u,p\n*FAV*B,5.6.7.8,40001,v,q\n");

    server.AcceptDetails(dlg);
    EXPECT_EQ(server.RecordIndex(), 0);
    EXPECT_EQ(server.LoginDetails(), (ServerRecord{"A", "1.2.3.4", "40000", "u", "p"}));
    EXPECT_EQ(ReadBytes(CfgPath()), "*FAV*A,1.2.3.4,40000,u,p\r\nB,5.6.7.8,40001,v,q\r\n");
    EXPECT_TRUE(server.Login());
    EXPECT_FALSE(server.LoginEnabled());
    EXPECT_FALSE(server.ChangeEnabled());
}

TEST_F(ServerTab, OkWithoutChangesDoesNotWriteTheFile) {
    const std::string bytes = "A,1,2,u,p\r\nA,1,2,u,p\r\n";
    LoadFile(bytes);
    CConDets dlg = server.OpenDetails();
    EXPECT_EQ(dlg.Records().size(), 1u);
    EXPECT_TRUE(dlg.EditField(Field::Port, "2"));  // same value: no change
    server.AcceptDetails(dlg);
    EXPECT_EQ(ReadBytes(CfgPath()), bytes);
    EXPECT_EQ(server.ServersText(), "*FAV*A,1,2,u,p\n");

    // The next changed OK writes the single line.
    CConDets again = server.OpenDetails();
    ASSERT_TRUE(again.EditField(Field::Username, "w"));
    server.AcceptDetails(again);
    EXPECT_EQ(ReadBytes(CfgPath()), "*FAV*A,1,2,w,p\r\n");
}

TEST_F(ServerTab, PasswordWithCommasSurvivesARoundTrip) {
    LoadFile("*FAV*A,1.2.3.4,40000,u,p,a,,ss\n");
    EXPECT_EQ(server.LoginDetails().password, "p,a,,ss");
    CConDets dlg = server.OpenDetails();
    ASSERT_TRUE(dlg.EnterNewName("B"));  // a change, so OK saves
    dlg.ChooseRecord(0);
    server.AcceptDetails(dlg);
    EXPECT_EQ(ReadBytes(CfgPath()),
              "*FAV*A,1.2.3.4,40000,u,p,a,,ss\r\nB,1.2.3.4,40000,u,p,a,,ss\r\n");
    EXPECT_EQ(server.LoginDetails().password, "p,a,,ss");
}

TEST_F(ServerTab, EmptyFileGivesNoRecordAndNoLogin) {
    LoadFile("");
    EXPECT_EQ(server.LoginDetails(), ServerRecord{});
    EXPECT_FALSE(server.Login());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Check Server details"});

    CConDets empty = server.OpenDetails();
    EXPECT_EQ(empty.SelectedIndex(), -1);
    EXPECT_FALSE(empty.CanDelete());
    server.AcceptDetails(empty);
    EXPECT_EQ(server.RecordIndex(), -1);
    EXPECT_EQ(server.LoginDetails(), ServerRecord{});

    // Fields typed before a name go into the new record.
    CConDets dlg = server.OpenDetails();
    ASSERT_TRUE(dlg.EditField(Field::Address, "9.9.9.9"));
    ASSERT_TRUE(dlg.EditField(Field::Port, "40000"));
    EXPECT_FALSE(dlg.Changed());
    ASSERT_TRUE(dlg.EnterNewName("Home"));
    server.AcceptDetails(dlg);
    EXPECT_EQ(ReadBytes(CfgPath()), "*FAV*Home,9.9.9.9,40000,,\r\n");
    EXPECT_EQ(server.LoginDetails().name, "Home");
}

// The Address field of an empty list reads as the unset address, and so does
// the server first added to it.
TEST(ServerDetails, AServerAddedToAnEmptyListHasTheUnsetAddress) {
    for (const char* text : {"", "broken line\n"}) {
        std::string servers = text;
        ScriptedDialogs dialogs;
        CConDets dlg(servers, 0, dialogs);
        EXPECT_EQ(dlg.FieldText(Field::Address), "0.0.0.0") << text;
        ASSERT_TRUE(dlg.EnterNewName("Home"));
        EXPECT_EQ(dlg.Records()[0], (ServerRecord{"Home", "0.0.0.0", "", "", ""})) << text;
        dlg.Ok();
        EXPECT_EQ(servers, "*FAV*Home,0.0.0.0,,,\n") << text;
    }
}

TEST(ServerDetails, DeleteServer) {
    struct Case {
        int records;
        int select;  // -1: leave the dialog's own selection
        bool deletes;
        int selectedAfter;
    } cases[] = {
        {5, 2, true, 1},   // the third of five: the second is selected
        {5, 0, true, 0},   // the first: the new first is selected
        {5, 4, true, 3},   // the last
        {1, 0, false, 0},  // the last record cannot be deleted
        {0, -1, false, -1},
    };
    ScriptedDialogs dialogs;
    for (const auto& c : cases) {
        std::string text;
        for (int i = 0; i < c.records; ++i)
            text += "S" + std::to_string(i) + ",1.1.1." + std::to_string(i) + ",4,u,p\n";
        CConDets dlg(text, 0, dialogs);
        if (c.select >= 0) dlg.ChooseRecord(c.select);
        const bool changedBefore = dlg.Changed();
        const std::string removed = c.records ? dlg.Records()[dlg.SelectedIndex()].name : "";
        dlg.DeleteServer();
        EXPECT_EQ(dlg.Records().size(), size_t(c.records - (c.deletes ? 1 : 0))) << c.select;
        EXPECT_EQ(dlg.SelectedIndex(), c.selectedAfter) << c.select;
        EXPECT_EQ(dlg.Changed(), changedBefore || c.deletes);
        if (c.deletes) {
            for (const auto& r : dlg.Records()) EXPECT_NE(r.name, removed);
            EXPECT_EQ(dlg.Fields(), dlg.Records()[c.selectedAfter]);
        }
    }
}

TEST(ServerDetails, NewNameTakesTheFieldsAndBecomesTheSelection) {
    std::string text = "*FAV*A,1.2.3.4,40000,u,p\n";
    ScriptedDialogs dialogs;
    CConDets dlg(text, 0, dialogs);
    ASSERT_TRUE(dlg.EditField(Field::Password, "secret"));
    ASSERT_TRUE(dlg.EnterNewName("B"));
    EXPECT_EQ(dlg.SelectedIndex(), 1);
    EXPECT_EQ(dlg.Records()[1], (ServerRecord{"B", "1.2.3.4", "40000", "u", "secret"}));
    // The edit went to A as well, which was selected when the field was left.
    EXPECT_EQ(dlg.Records()[0].password, "secret");
    EXPECT_FALSE(dlg.EnterNewName(""));
    dlg.Ok();
    EXPECT_EQ(text, "A,1.2.3.4,40000,u,secret\n*FAV*B,1.2.3.4,40000,u,secret\n");
}

TEST(ServerDetails, FieldEdits) {
    struct Case {
        Field field;
        const char* text;
        bool accepted;
        const char* stored;
        bool changed;
    } cases[] = {
        {Field::Address, "5.6.7.8", true, "5.6.7.8", true},
        {Field::Address, "", true, "0.0.0.0", true},
        {Field::Port, "40000", true, "40000", false},
        {Field::Port, "40001", true, "40001", true},
        {Field::Username, "", true, "", true},
        {Field::Password, "a,b", true, "a,b", true},
        // Taken as typed, or refused with a message; never rewritten.
        {Field::Address, "localhost", true, "localhost", true},
        {Field::Address, "10.0.0.256", false, "1.2.3.4", false},
        {Field::Address, "1922.168.1.5", false, "1.2.3.4", false},
        {Field::Address, "999.1.1.1", false, "1.2.3.4", false},
        {Field::Port, "abc", false, "40000", false},
        {Field::Port, "65536", false, "40000", false},
        {Field::Port, "0", false, "40000", false},
        {Field::Port, "65535", true, "65535", true},
        // A comma would split the record when the file is read back.
        {Field::Address, "1,2", false, "1.2.3.4", false},
        {Field::Port, "40,000", false, "40000", false},
        {Field::Username, "me,you", false, "u", false},
        {Field::Password, "line\nbreak", false, "p", false},
        {Field::Username, "cr\r", false, "u", false},
    };
    for (const auto& c : cases) {
        std::string text = "A,1.2.3.4,40000,u,p\n";
        ScriptedDialogs dialogs;
        CConDets dlg(text, 0, dialogs);
        EXPECT_EQ(dlg.EditField(c.field, c.text), c.accepted) << c.text;
        EXPECT_EQ(dlg.FieldText(c.field), c.stored) << c.text;
        dlg.Ok();
        ServerRecord r;
        ASSERT_TRUE(ParseServerLine(text.substr(0, text.size() - 1), r));
        EXPECT_EQ(r.name, "*FAV*A");
        EXPECT_EQ(c.field == Field::Address    ? r.address
                  : c.field == Field::Port     ? r.port
                  : c.field == Field::Username ? r.username
                                               : r.password,
                  c.stored)
            << c.text;
        EXPECT_EQ(dlg.Changed(), c.changed) << c.text;
        EXPECT_EQ(dialogs.messages.size(), c.accepted ? 0u : 1u) << c.text;
    }
}

TEST(ServerDetails, RefusedNamesAddNothing) {
    for (const char* name : {"Home,Work", "*FAV*Home", "Ho*FAV*me", "two\nlines"}) {
        std::string text = "A,1.2.3.4,40000,u,p\n";
        ScriptedDialogs dialogs;
        CConDets dlg(text, 0, dialogs);
        EXPECT_FALSE(dlg.EnterNewName(name)) << name;
        EXPECT_EQ(dlg.Records().size(), 1u) << name;
        EXPECT_FALSE(dlg.Changed()) << name;
        EXPECT_EQ(dialogs.messages.size(), 1u) << name;
    }
}

TEST_F(ServerTab, LoginCheck) {
    struct Case {
        ServerRecord details;
        bool complete;
    } cases[] = {
        {{"S", "1.2.3.4", "40000", "u", "p"}, true},
        {{"", "1.2.3.4", "40000", "u", "p"}, true},  // the record name is not needed
        {{"S", "0.0.0.0", "40000", "u", "p"}, false},
        {{"S", "", "40000", "u", "p"}, false},
        {{"S", "1.2.3.4", "", "u", "p"}, false},
        {{"S", "1.2.3.4", "40000", "", "p"}, false},
        {{"S", "1.2.3.4", "40000", "u", ""}, false},
    };
    for (const auto& c : cases) {
        const ServerRecord& d = c.details;
        LoadFile("*FAV*" + d.name + "," + d.address + "," + d.port + "," + d.username + "," +
                 d.password + "\n");
        dialogs.messages.clear();
        EXPECT_EQ(server.Login(), c.complete) << d.address << d.port << d.username << d.password;
        EXPECT_EQ(server.LoginEnabled(), !c.complete);
        EXPECT_EQ(dialogs.messages.size(), c.complete ? 0u : 1u);
        // While logging in, a second Login does nothing; Logout enables both buttons.
        if (c.complete) {
            EXPECT_FALSE(server.Login());
        }
        server.Logout();
        EXPECT_TRUE(server.LoginEnabled());
        EXPECT_TRUE(server.ChangeEnabled());
    }
}

}  // namespace
}  // namespace tavrin
