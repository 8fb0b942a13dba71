#include "manager/admin_accounts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/text_file.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "support/unreadable_file.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::RecordingLog;
using testing::ScriptedDialogs;
using testing::TempDir;
using testing::WriteBytes;

AdminAccount Account(std::string name, std::string user, std::string pass, std::string rights,
                     std::string guid = "none") {
    AdminAccount a;
    a.name = std::move(name);
    a.user = std::move(user);
    a.pass = std::move(pass);
    a.rights = std::move(rights);
    a.guid = std::move(guid);
    return a;
}

TEST(AdminRights, TableAndGroups) {
    EXPECT_EQ(RightNames(kRightMessages | kRightWarn), "Messages or Warn");
    EXPECT_EQ(RightNames(kRightAdminList), "Admin List");
    EXPECT_EQ(GroupMask(RightsGroup::PlayerAdmin), 0x3F00);
    int perGroup[3] = {};
    for (const auto& r : kRights) ++perGroup[static_cast<int>(r.group)];
    EXPECT_THAT(perGroup, ElementsAre(4, 4, 6));
}

TEST(ConstantTimeEquals, Table) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"secret", "secret", true},
        {"", "", true},
        {"secret", "secreT", false},
        {"secret", "secre", false},
        {"secre", "secret", false},
        {"", "x", false},
        {"x", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConstantTimeEquals(c.a, c.b), c.equal) << c.a << "|" << c.b;
    // A zero byte does not end the comparison.
    EXPECT_FALSE(ConstantTimeEquals(std::string("ab\0c", 4), std::string("ab\0d", 4)));
    EXPECT_FALSE(ConstantTimeEquals(std::string("ab\0", 3), "ab"));
}

TEST(ParseRightsText, Table) {
    const struct {
        const char* text;
        std::optional<RightsMask> mask;
    } cases[] = {
        {"0000", 0},   {"3FFF", 0x3FFF}, {"3fff", 0x3FFF}, {"0700", 0x0700},
        {"7", 7},      {"4000", {}},     {"FFFF", {}},     {"", {}},
        {"03FFF", {}}, {"3FG0", {}},     {" 3FF", {}},     {"-1", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseRightsText(c.text), c.mask) << c.text;
}

// ---------------------------------------------------------------------------
// radmins.cfg

TEST(RadminsFile, TwoAccountsTheSecondWithAnEmptyGuid) {
    std::vector<AdminAccount> rows{Account("Ann", "ann", "pw1", "3F00", "g-1"),
                                   Account("Bob", "bob", "pw2", "0001", "")};
    const std::string text = BuildAdminAccounts(rows);
    EXPECT_EQ(text,
              "Name=Ann\nUser=ann\nPass=pw1\nRights=3F00\nGuid=g-1\n"
              "Name=Bob\nUser=bob\nPass=pw2\nRights=0001\nGuid=none\n[END]");
    EXPECT_EQ(BuildAdminAccounts({}), "[END]");

    const AdminAccountsFile back = ParseAdminAccounts(text);
    EXPECT_TRUE(back.problems.empty());
    rows[1].guid = "none";
    EXPECT_EQ(back.accounts, rows);
}

TEST(RadminsFile, ReadingTable) {
    const std::string ann = "Name=Ann\nUser=ann\nPass=p=w\nRights=3fff\nGuid=\n";
    const struct {
        const char* what;
        std::string text;
        std::vector<std::string> users;
        size_t problems;
    } cases[] = {
        {"one account, an empty guid", ann + "[END]", {"ann"}, 0},
        {"reading stops at [END]",
         ann + "[END]\nName=X\nUser=x\nPass=\nRights=0\nGuid=\n",
         {"ann"},
         0},
        {"no [END]: the accounts are read and it is logged", ann, {"ann"}, 1},
        {"blank lines between blocks", "\n" + ann + "\n\n" + ann + "[END]", {"ann", "ann"}, 0},
        {"a key out of order skips the block; the next one is read",
         "Name=A\nPass=p\nUser=a\nRights=0\nGuid=g\n" + ann + "[END]",
         {"ann"},
         1},
        {"rights beyond the fourteen bits",
         "Name=A\nUser=a\nPass=p\nRights=FFFF\nGuid=g\n" + ann + "[END]",
         {"ann"},
         1},
        {"rights that are no number", "Name=A\nUser=a\nPass=p\nRights=all\nGuid=g\n[END]", {}, 1},
        {"a block cut short by the next Name= line",
         "Name=A\nUser=a\n" + ann + "[END]",
         {"ann"},
         1},
        {"a block cut short by [END]", ann + "Name=A\nUser=a\n[END]", {"ann"}, 1},
        {"a file that ends inside a block", ann + "Name=A\nUser=a", {"ann"}, 2},
        {"garbage before the first block", "hello\nworld\n" + ann + "[END]", {"ann"}, 1},
        {"an empty file", "", {}, 1},
        {"only [END]", "[END]", {}, 0},
        {"[END] inside a value is a value",
         "Name=[END]\nUser=u\nPass=[END]\nRights=0\nGuid=g\n[END]",
         {"u"},
         0},
    };
    for (const auto& c : cases) {
        const AdminAccountsFile f = ParseAdminAccounts(c.text);
        std::vector<std::string> users;
        for (const auto& a : f.accounts) {
            users.push_back(a.user);
            EXPECT_EQ(a.status, "Offline") << c.what;
            EXPECT_EQ(a.lastActivity, " - ") << c.what;
        }
        EXPECT_EQ(users, c.users) << c.what;
        EXPECT_EQ(f.problems.size(), c.problems) << c.what;
    }
    const AdminAccountsFile f = ParseAdminAccounts(ann + "[END]");
    EXPECT_EQ(f.accounts[0].pass, "p=w");
    EXPECT_EQ(f.accounts[0].rights, "3FFF");
    EXPECT_EQ(f.accounts[0].guid, "none");
}

TEST(RadminsFile, RightsAreReadAsFourUpperCaseDigitsOrTheAccountIsRefusedByName) {
    const struct {
        const char* rights;
        const char* read;  // nullptr: the account is refused
    } cases[] = {
        {"F", "000F"},     {"3fff", "3FFF"},  {"0700", "0700"}, {"a0", "00A0"},
        {"0", "0000"},     {"4000", nullptr}, {"", nullptr},    {"F0000", nullptr},
        {"0x10", nullptr}, {" 10", nullptr},
    };
    for (const auto& c : cases) {
        const AdminAccountsFile f =
            ParseAdminAccounts(std::string("Name=Ann Smith\nUser=ann\nPass=pw\nRights=") +
                               c.rights + "\nGuid=g\n[END]");
        if (c.read) {
            ASSERT_EQ(f.accounts.size(), 1u) << c.rights;
            EXPECT_EQ(f.accounts[0].rights, c.read) << c.rights;
            EXPECT_TRUE(f.problems.empty()) << c.rights;
            // Saved as read.
            EXPECT_THAT(BuildAdminAccounts(f.accounts),
                        HasSubstr(std::string("\nRights=") + c.read + "\n"));
        } else {
            EXPECT_TRUE(f.accounts.empty()) << c.rights;
            EXPECT_THAT(f.problems, ElementsAre(HasSubstr("account \"Ann Smith\""))) << c.rights;
        }
    }
}

TEST(RadminsFile, ProblemsNameLinesNeverValues) {
    const AdminAccountsFile f =
        ParseAdminAccounts("Name=A\nUser=a\nPass=hunter2\nRights=zz\nGuid=g\n[END]");
    ASSERT_EQ(f.problems.size(), 1u);
    EXPECT_THAT(f.problems[0], HasSubstr("line 4"));
    EXPECT_EQ(f.problems[0].find("hunter2"), std::string::npos);
    EXPECT_EQ(f.problems[0].find("zz"), std::string::npos);
}

TEST(RadminsFile, ProblemsAndAccountsAreBounded) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "Name=A\nbroken\n";
    const AdminAccountsFile f = ParseAdminAccounts(text + "[END]");
    ASSERT_EQ(f.problems.size(), kMaxAdminFileProblems + 1);
    EXPECT_THAT(f.problems.back(), HasSubstr("80 more"));

    std::string many;
    for (size_t i = 0; i < kMaxAdminAccounts + 3; ++i)
        many += "Name=n\nUser=u" + std::to_string(i) + "\nPass=p\nRights=0\nGuid=g\n";
    const AdminAccountsFile g = ParseAdminAccounts(many + "[END]");
    EXPECT_EQ(g.accounts.size(), kMaxAdminAccounts);
    EXPECT_EQ(g.problems.size(), 3u);
}

class RadminsOnDisk : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(MakeDirectory(dir.Path() + "Configs")); }
    std::string Path() const { return AdminAccountsPath(dir.Path()); }

    TempDir dir;
    RecordingLog log;
    ScriptedDialogs dialogs;
    CAdmins admins;
};

TEST_F(RadminsOnDisk, MissingFileIsAnEmptyTableAndNothingIsWritten) {
    admins.Load(dir.Path(), log, dialogs);
    EXPECT_EQ(admins.AccountCount(), 0);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(ReadTextFile(Path()).status, TextFileRead::Status::Missing);
}

TEST_F(RadminsOnDisk, SaveListWritesCrLfOwnerOnlyAndLoadReadsItBack) {
    admins.NewAdmin();
    ASSERT_TRUE(admins.EditCell(0, AdminColumn::User, "ann").ok());
    admins.ClickGroup(RightsGroup::PlayerAdmin, true);
    admins.SetOnline(0, true);
    admins.SetLastActivity(0, "player list");
    auto saved = admins.SaveList(dir.Path(), log);
    ASSERT_TRUE(saved.ok()) << saved.failure();
    EXPECT_EQ(saved.value(), Path());
    EXPECT_EQ(ReadBytes(Path()),
              "Name=NEW NAME\r\nUser=ann\r\nPass=KEYS\r\nRights=3F00\r\nGuid=none\r\n[END]");
    struct stat st {};
    ASSERT_EQ(::stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    CAdmins again;
    again.Load(dir.Path(), log, dialogs);
    ASSERT_EQ(again.AccountCount(), 1);
    // Status and last activity are not saved.
    EXPECT_EQ(again.AccountCell(0, AdminColumn::Status), "Offline");
    EXPECT_EQ(again.AccountCell(0, AdminColumn::LastActivity), " - ");
    EXPECT_EQ(again.AccountCell(0, AdminColumn::Rights), "3F00");
    EXPECT_EQ(again.SelectedRow(), -1);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(RadminsOnDisk, MalformedBlocksAreLoggedAndSkipped) {
    WriteBytes(Path(),
               "Name=A\r\nUser=a\r\nPass=p\r\nRights=0001\r\nGuid=g\r\n"
               "Name=B\r\nRights=0001\r\n"
               "Name=C\r\nUser=c\r\nPass=p\r\nRights=0002\r\nGuid=g\r\n[END]");
    admins.Load(dir.Path(), log, dialogs);
    ASSERT_EQ(admins.AccountCount(), 2);
    EXPECT_EQ(admins.AccountCell(1, AdminColumn::User), "c");
    EXPECT_THAT(log.lines, ElementsAre(HasSubstr("radmins.cfg line 7")));
}

TEST_F(RadminsOnDisk, MissingConfigsFolderMakesSaveFailAndLog) {
    TempDir bare;
    auto saved = admins.SaveList(bare.Path(), log);
    EXPECT_FALSE(saved.ok());
    EXPECT_THAT(log.lines, ElementsAre(HasSubstr("radmins.cfg")));
}

// radmins.cfg holds the accounts and their passwords: a file that is there
// but cannot be read is reported and left as it is.
TEST(RadminsUnreadable, IsLeftAloneAndReported) {
    for (testing::UnreadableKind kind : testing::UnreadableKinds()) {
        TempDir dir;
        ASSERT_TRUE(MakeDirectory(dir.Path() + "Configs"));
        const std::string path = AdminAccountsPath(dir.Path());
        MakeUnreadable(kind, path);
        RecordingLog log;
        ScriptedDialogs dialogs;
        CAdmins admins;
        admins.Load(dir.Path(), log, dialogs);
        EXPECT_EQ(admins.AccountCount(), 0) << KindName(kind);
        EXPECT_TRUE(LeftAlone(kind, path)) << KindName(kind);
        EXPECT_THAT(dialogs.messages, ElementsAre(HasSubstr("Couldn't read: " + path)))
            << KindName(kind);
        EXPECT_EQ(log.lines, dialogs.messages);
    }
}

// ---------------------------------------------------------------------------
// The account operations

TEST(AdminAccountOperations, FindCheckCellsOnlineAndOffline) {
    CAdmins admins({Account("Ann", "ann", "pw", "3F00"), Account("Ann 2", "ann", "other", "0001"),
                    Account("Bob", "Bob", "", "0000")});
    EXPECT_EQ(admins.FindAccountByUser("ann"), 0);   // duplicates: the first
    EXPECT_EQ(admins.FindAccountByUser("bob"), -1);  // exact, case-sensitive
    EXPECT_EQ(admins.FindAccountByUser("Bob"), 2);

    EXPECT_TRUE(admins.CheckCredentials(0, "ann", "pw"));
    EXPECT_FALSE(admins.CheckCredentials(0, "ann", "other"));
    EXPECT_FALSE(admins.CheckCredentials(1, "Ann", "other"));
    EXPECT_TRUE(admins.CheckCredentials(2, "Bob", ""));  // no validation: an empty password
    EXPECT_FALSE(admins.CheckCredentials(3, "", ""));
    EXPECT_FALSE(admins.CheckCredentials(-1, "", ""));

    EXPECT_EQ(admins.AccountCell(0, AdminColumn::Rights), "3F00");
    EXPECT_EQ(admins.AccountCell(7, AdminColumn::Name), "");
    EXPECT_EQ(admins.AccountCell(0, AdminColumn::Count), "");
    EXPECT_EQ(admins.RightsOf(0), 0x3F00);
    EXPECT_EQ(admins.RightsOf(9), 0);

    admins.SetOnline(0, true);
    admins.SetLastActivity(0, "chat get");
    EXPECT_EQ(admins.AccountCell(0, AdminColumn::Status), "Online");
    EXPECT_EQ(admins.AccountCell(0, AdminColumn::LastActivity), "chat get");
    admins.SetOnline(0, false);
    EXPECT_EQ(admins.AccountCell(0, AdminColumn::Status), " - ");
    EXPECT_EQ(admins.AccountCell(0, AdminColumn::LastActivity), " - ");
    admins.SetOnline(5, true);  // ignored
    admins.SetLastActivity(-1, "x");
    EXPECT_EQ(admins.AccountCount(), 3);
}

// ---------------------------------------------------------------------------
// The Admins tab

std::string TickedNames(const CAdmins& a) {
    std::string s;
    for (const auto& r : kRights)
        if (a.RightTicked(r.bit)) s += std::string(s.empty() ? "" : ",") + std::string(r.name);
    return s;
}

TEST(AdminsTab, WarnPuntSwapThenThePlayerAdminGroup) {
    CAdmins a;
    a.NewAdmin();
    a.ClickRight(8, true);
    a.ClickRight(9, true);
    a.ClickRight(10, true);
    EXPECT_EQ(a.AccountCell(0, AdminColumn::Rights), "0700");
    EXPECT_FALSE(a.GroupTicked(RightsGroup::PlayerAdmin));
    a.ClickGroup(RightsGroup::PlayerAdmin, true);
    EXPECT_EQ(a.AccountCell(0, AdminColumn::Rights), "3F00");
    EXPECT_EQ(TickedNames(a), "Warn,Punt,Swap,Kill,Ban,Zero");
    EXPECT_FALSE(a.SelectAllTicked());
}

TEST(AdminsTab, SelectAllThenUntickMessages) {
    CAdmins a;
    a.NewAdmin();
    a.ClickSelectAll(true);
    EXPECT_EQ(a.AccountCell(0, AdminColumn::Rights), "3FFF");
    for (const auto& r : kRights) EXPECT_TRUE(a.RightTicked(r.bit)) << r.name;
    for (const auto& g : kRightsGroups) EXPECT_TRUE(a.GroupTicked(g.group)) << g.name;
    a.ClickRight(3, false);
    EXPECT_EQ(a.AccountCell(0, AdminColumn::Rights), "3FF7");
    EXPECT_FALSE(a.SelectAllTicked());
    EXPECT_FALSE(a.GroupTicked(RightsGroup::ServerManager));
    EXPECT_TRUE(a.GroupTicked(RightsGroup::GameServer));
    // Ticking it again ticks its group and Select All.
    a.ClickRight(3, true);
    EXPECT_TRUE(a.SelectAllTicked());
    EXPECT_EQ(a.AccountCell(0, AdminColumn::Rights), "3FFF");
    // Unticking Select All clears everything.
    a.ClickSelectAll(false);
    EXPECT_EQ(a.AccountCell(0, AdminColumn::Rights), "0000");
    EXPECT_EQ(TickedNames(a), "");
}

TEST(AdminsTab, ThreeGroupTogglesTickSelectAll) {
    CAdmins a;
    a.NewAdmin();
    a.ClickGroup(RightsGroup::ServerManager, true);
    a.ClickGroup(RightsGroup::GameServer, true);
    EXPECT_FALSE(a.SelectAllTicked());
    EXPECT_EQ(a.AccountCell(0, AdminColumn::Rights), "00FF");
    a.ClickGroup(RightsGroup::PlayerAdmin, true);
    EXPECT_TRUE(a.SelectAllTicked());
    EXPECT_EQ(a.AccountCell(0, AdminColumn::Rights), "3FFF");
}

TEST(AdminsTab, LowerCaseRightsShowEveryBoxTicked) {
    CAdmins a({Account("A", "a", "p", "3fff"), Account("B", "b", "p", "0108")});
    a.ClickRow(0);
    for (const auto& r : kRights) EXPECT_TRUE(a.RightTicked(r.bit)) << r.name;
    EXPECT_TRUE(a.SelectAllTicked());
    a.ClickRow(1);
    EXPECT_EQ(TickedNames(a), "Messages,Warn");
    EXPECT_FALSE(a.SelectAllTicked());
    EXPECT_FALSE(a.GroupTicked(RightsGroup::ServerManager));
}

TEST(AdminsTab, SelectionColours) {
    CAdmins a({Account("A", "a", "p", "0001"), Account("B", "b", "p", "0002")});
    EXPECT_EQ(a.LookOf(0), RowLook::Plain);
    a.ClickRow(0);
    EXPECT_EQ(a.LookOf(0), RowLook::Selected);
    a.ClickRow(1);
    EXPECT_EQ(a.LookOf(0), RowLook::Deselected);
    EXPECT_EQ(a.LookOf(1), RowLook::Selected);
    EXPECT_EQ(a.SelectedRow(), 1);
    // A click outside the rows: nothing selected, the boxes as they were.
    a.ClickRow(5);
    EXPECT_EQ(a.SelectedRow(), -1);
    EXPECT_EQ(TickedNames(a), "Chat Bot");
    // Clicking a box then changes no row.
    a.ClickRight(0, true);
    EXPECT_EQ(a.AccountCell(0, AdminColumn::Rights), "0001");
    EXPECT_EQ(a.AccountCell(1, AdminColumn::Rights), "0002");
    EXPECT_EQ(kSelectedRowColour, (RowColour{255, 100, 100}));
    EXPECT_EQ(kDeselectedRowColour, (RowColour{150, 200, 150}));
}

TEST(AdminsTab, NewAdminHasTheDefaultsAndIsSelected) {
    CAdmins a({Account("A", "a", "p", "3FFF")});
    a.ClickRow(0);
    a.NewAdmin();
    EXPECT_EQ(a.Rows()[1], AdminAccount{});
    EXPECT_EQ(a.Rows()[1].name, "NEW NAME");
    EXPECT_EQ(a.Rows()[1].status, "Offline");
    EXPECT_EQ(a.SelectedRow(), 1);
    EXPECT_EQ(a.LookOf(0), RowLook::Deselected);
    EXPECT_EQ(TickedNames(a), "");
    EXPECT_FALSE(a.SelectAllTicked());
}

TEST(AdminsTab, DelAdmin) {
    CAdmins a({Account("A", "a", "p", "0001"), Account("B", "b", "p", "0002"),
               Account("C", "c", "p", "0004")});
    a.ClickRow(0);
    a.DelAdmin();  // the row that moves up stays selected
    EXPECT_EQ(a.AccountCount(), 2);
    EXPECT_EQ(a.SelectedRow(), 0);
    EXPECT_EQ(a.AccountCell(0, AdminColumn::User), "b");
    EXPECT_EQ(a.LookOf(0), RowLook::Selected);
    EXPECT_EQ(TickedNames(a), "Chat Bot");
    a.ClickRow(1);
    a.DelAdmin();  // the last row: the new last row is selected
    EXPECT_EQ(a.SelectedRow(), 0);
    a.DelAdmin();  // the only row: nothing is selected
    EXPECT_EQ(a.AccountCount(), 0);
    EXPECT_EQ(a.SelectedRow(), -1);
    a.DelAdmin();  // nothing happens
    EXPECT_EQ(a.AccountCount(), 0);
}

TEST(AdminsTab, InPlaceEditRules) {
    CAdmins a({Account("A", "a", "p", "0001", "g")});
    const struct {
        AdminColumn column;
        std::string text;
        bool ok;
        std::string stored;
    } cases[] = {
        {AdminColumn::Name, "Ann Smith", true, "Ann Smith"},
        {AdminColumn::User, "", true, ""},  // no validation beyond the file's needs
        {AdminColumn::Pass, "p=w rd", true, "p=w rd"},
        {AdminColumn::Guid, "", true, "none"},
        {AdminColumn::Guid, "\xE9t\xE9", true, "\xE9t\xE9"},
        {AdminColumn::Name, "two\nlines", false, "Ann Smith"},
        {AdminColumn::Pass, "cr\r", false, "p=w rd"},
        {AdminColumn::User, std::string(256, 'u'), false, ""},
        {AdminColumn::User, std::string(255, 'u'), true, std::string(255, 'u')},
        {AdminColumn::Rights, "3FFF", false, "0001"},
        {AdminColumn::Status, "Online", false, "Offline"},
        {AdminColumn::LastActivity, "x", false, " - "},
    };
    for (const auto& c : cases) {
        auto r = a.EditCell(0, c.column, c.text);
        EXPECT_EQ(r.ok(), c.ok) << c.text;
        EXPECT_EQ(a.AccountCell(0, c.column), c.stored) << c.text;
        if (r.ok())
            EXPECT_EQ(r.value(), c.stored);
        else
            EXPECT_FALSE(r.failure().empty());
    }
    EXPECT_FALSE(a.EditCell(3, AdminColumn::Name, "x").ok());
}

}  // namespace
}  // namespace tavrin
