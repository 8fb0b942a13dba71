// The Server Details dialog's choice "game server / manager": which file,
// servers.cfg or managers.cfg, each record goes to.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "common/server_details.h"
#include "common/server_list.h"
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

constexpr auto kGame = ConnectionKind::GameServer;
constexpr auto kManager = ConnectionKind::Manager;

class ServerKinds : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(MakeDirectory(dir.Path() + "Configs")); }
    std::string Path(ConnectionKind kind) const { return ServerListPath(dir.Path(), kind); }
    void Load(const std::string& servers, const std::string& managers,
              ConnectionKind kind = kGame) {
        WriteBytes(Path(kGame), servers);
        if (!managers.empty()) WriteBytes(Path(kManager), managers);
        server.Load(dir.Path(), {}, kind);
    }
    int IndexOf(const CConDets& dlg, const std::string& name, ConnectionKind kind) {
        for (size_t i = 0; i < dlg.Records().size(); ++i)
            if (dlg.Records()[i].name == name && dlg.RecordKind(static_cast<int>(i)) == kind)
                return static_cast<int>(i);
        return -1;
    }

    TempDir dir;
    RecordingLog log;
    ScriptedDialogs dialogs;
    CServer server{log, dialogs};
};

TEST_F(ServerKinds, TheDialogShowsBothFilesEachRecordWithItsKind) {
    Load("*FAV*A,1.1.1.1,1,u,p\nB,2.2.2.2,2,u,p\n", "Hub,3.3.3.3,3,u,p\n");
    CConDets dlg = server.OpenDetails();
    ASSERT_EQ(dlg.Records().size(), 3u);
    const std::vector<ConnectionKind> kinds = {dlg.RecordKind(0), dlg.RecordKind(1),
                                               dlg.RecordKind(2)};
    EXPECT_EQ(kinds, (std::vector<ConnectionKind>{kGame, kGame, kManager}));
    EXPECT_EQ(dlg.SelectedKind(), kGame);
    dlg.ChooseRecord(2);
    EXPECT_EQ(dlg.SelectedKind(), kManager);
    EXPECT_EQ(dlg.Fields().address, "3.3.3.3");
}

TEST_F(ServerKinds, AMovedRecordLeavesOneFileForTheOtherAndBothAreSaved) {
    Load("*FAV*A,1.1.1.1,1,u,p\nB,2.2.2.2,2,u,p\n", "Hub,3.3.3.3,3,u,p\n");
    CConDets dlg = server.OpenDetails();
    dlg.ChooseRecord(1);
    ASSERT_TRUE(dlg.ChooseKind(kManager));
    server.AcceptDetails(dlg);
    EXPECT_TRUE(dialogs.messages.empty());
    // servers.cfg keeps its favourite; the moved record is managers.cfg's
    // favourite, as the record selected at OK.
    EXPECT_EQ(ReadBytes(Path(kGame)), "*FAV*A,1.1.1.1,1,u,p\r\n");
    EXPECT_EQ(ReadBytes(Path(kManager)), "Hub,3.3.3.3,3,u,p\r\n*FAV*B,2.2.2.2,2,u,p\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(Path(kManager).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // The game-server tab cannot log in to a manager: it shows its own favourite.
    EXPECT_EQ(server.LoginDetails().name, "A");
    EXPECT_EQ(server.RecordIndex(), 0);

    // And back again: a manager becomes a game server.
    CConDets back = server.OpenDetails();
    back.ChooseRecord(IndexOf(back, "Hub", kManager));
    ASSERT_TRUE(back.ChooseKind(kGame));
    server.AcceptDetails(back);
    EXPECT_EQ(ReadBytes(Path(kGame)), "A,1.1.1.1,1,u,p\r\n*FAV*Hub,3.3.3.3,3,u,p\r\n");
    EXPECT_EQ(ReadBytes(Path(kManager)), "*FAV*B,2.2.2.2,2,u,p\r\n");
    EXPECT_EQ(server.LoginDetails().name, "Hub");
    EXPECT_EQ(server.RecordIndex(), 1);
}

TEST_F(ServerKinds, ANameMayStandOnceInEachFile) {
    Load("*FAV*Same,1.1.1.1,1,u,p\nOther,2.2.2.2,2,u,p\n", "Same,3.3.3.3,3,u,p\n");
    CConDets dlg = server.OpenDetails();
    // Both records named Same are there, each of its kind.
    ASSERT_GE(IndexOf(dlg, "Same", kGame), 0);
    ASSERT_GE(IndexOf(dlg, "Same", kManager), 0);
    dlg.ChooseRecord(IndexOf(dlg, "Same", kGame));
    EXPECT_FALSE(dlg.ChooseKind(kManager));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"A manager named Same is already listed"});
    EXPECT_EQ(dlg.SelectedKind(), kGame);
    server.AcceptDetails(dlg);
    EXPECT_EQ(ReadBytes(Path(kManager)), "Same,3.3.3.3,3,u,p\n");  // not written
}

TEST_F(ServerKinds, RefusedMoves) {
    struct Case {
        const char* name;
        std::string servers;
        std::string managers;
        bool unreadableManagers;
        ConnectionKind own;
        ConnectionKind to;
        std::string message;
    } cases[] = {
        {"the last game server stays", "*FAV*A,1.1.1.1,1,u,p\n", "Hub,3.3.3.3,3,u,p\n", false,
         kGame, kManager,
         "The last game server cannot become a manager: servers.cfg keeps one record"},
        {"the last manager of a remote console stays", "A,1.1.1.1,1,u,p\n",
         "*FAV*Hub,3.3.3.3,3,u,p\n", false, kManager, kGame,
         "The last manager cannot become a game server: managers.cfg keeps one record"},
        {"an unreadable file takes no record", "*FAV*A,1.1.1.1,1,u,p\nB,2.2.2.2,2,u,p\n", "", true,
         kGame, kManager, "managers.cfg could not be read: A stays a game server"},
    };
    for (const Case& c : cases) {
        TempDir folder;
        ASSERT_TRUE(MakeDirectory(folder.Path() + "Configs"));
        WriteBytes(ServerListPath(folder.Path(), kGame), c.servers);
        const std::string managers = ServerListPath(folder.Path(), kManager);
        if (c.unreadableManagers)
            testing::MakeUnreadable(testing::UnreadableKind::Folder, managers);
        else
            WriteBytes(managers, c.managers);
        ScriptedDialogs said;
        CServer tab{log, said};
        tab.Load(folder.Path(), {}, c.own);
        said.messages.clear();
        CConDets dlg = tab.OpenDetails();
        EXPECT_FALSE(dlg.ChooseKind(c.to)) << c.name;
        EXPECT_EQ(said.messages, std::vector<std::string>{c.message}) << c.name;
        EXPECT_EQ(dlg.SelectedKind(), c.own) << c.name;
        tab.AcceptDetails(dlg);
        if (c.unreadableManagers) {
            EXPECT_TRUE(testing::LeftAlone(testing::UnreadableKind::Folder, managers));
        }
    }
}

TEST_F(ServerKinds, NoManagersFileIsMadeUnlessARecordGoesThere) {
    Load("*FAV*A,1.1.1.1,1,u,p\nB,2.2.2.2,2,u,p\n", "");
    CConDets dlg = server.OpenDetails();
    ASSERT_TRUE(dlg.EditField(CConDets::Field::Port, "7"));
    server.AcceptDetails(dlg);
    EXPECT_EQ(ReadTextFile(Path(kManager)).status, TextFileRead::Status::Missing);

    CConDets move = server.OpenDetails();
    move.ChooseRecord(1);
    ASSERT_TRUE(move.ChooseKind(kManager));
    server.AcceptDetails(move);
    EXPECT_EQ(ReadBytes(Path(kManager)), "*FAV*B,2.2.2.2,2,u,p\r\n");
}

}  // namespace
}  // namespace tavrin
