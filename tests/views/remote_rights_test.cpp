// The window of a console that is a remote admin of a manager: what its
// account may not send is disabled, with the tooltip naming the missing
// right; a login with more rights gives it back; with every right the window
// is as a direct connection's. Over a real console in a temporary folder,
// its lists filled from the simulated game's replies (no network).

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <map>
#include <string>

#include "app/ui/console_pane.h"
#include "app/ui/main_window.h"
#include "app/ui/window_app.h"
#include "chatbot/ui/chatbot_page.h"
#include "common/server_list.h"
#include "common/text_file.h"
#include "common/ui/server_details_dialog.h"
#include "missions/ui/missions_page.h"
#include "players/ui/players_page.h"
#include "settings/ui/settings_page.h"
#include "sim/sim_game.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "views/list_pages_support.h"

namespace tavrin::testing {
namespace {

constexpr RightsMask kMessagesWarn = kRightMessages | kRightWarn;

// What a control shows: whether it can be used, and its tooltip.
struct Look {
    bool enabled;
    QString tip;
    bool operator==(const Look&) const = default;
};

// The controls that send commands, by object name, and what an account
// with Messages and Warn alone lacks for each ("" when it lacks nothing).
struct GatedCase {
    const char* name;
    const char* missing;
};

constexpr GatedCase kGated[] = {
    {"refreshPlayersButton", ""},
    {"refreshCycleButton", ""},
    {"refreshAvailableButton", ""},
    {"settingsRefresh", ""},
    {"weaponsUpdate", ""},
    {"settingsLoad", "Missing right: Game Settings"},
    {"weaponsList", "Missing right: Game Settings"},
    {"weaponsAllYes", "Missing right: Game Settings"},
    {"setting0", "Missing right: Game Settings"},      // a tick box
    {"setting2", "Missing right: Game Settings"},      // a slider
    {"setting24", "Missing right: Game Settings"},     // a text box
    {"settingSet24", "Missing right: Game Settings"},  // its Set
    {"setting28", "Missing right: Game Settings"},     // time of day
    {"chatSend", ""},
    {"chatSendText", ""},
};

// Every entry of a popup, by its path ("Punt/KICKED FOR ..."), as shown.
std::map<QString, Look> MenuLooks(const QMenu& menu, const QString& prefix = {}) {
    std::map<QString, Look> looks;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) continue;
        const QString path = prefix + action->text();
        if (action->menu()) {
            looks.merge(MenuLooks(*action->menu(), path + QLatin1Char('/')));
            continue;
        }
        looks[path] = {action->isEnabled(), action->toolTip()};
    }
    return looks;
}

struct RemoteWindowFixture : ::testing::Test {
    RemoteWindowFixture() {
        app.SetDialogsScripted(true);
        // The start-up reads the program folder's files: the admin menu.
        QSignalSpy started(&app.Signals(), &ConsoleSignals::started);
        app.Start();
        EXPECT_TRUE(started.wait(5000));
        Console& console = app.GetConsole();
        console.Players().ParsePlayerList(game.PlayerListReply());
        console.Missions().ParseMissionReply(MissionList::Available, game.AvailableReply());
        console.Missions().ParseMissionReply(MissionList::Cycle, game.CycleReply());
        // As logged in with the game running: nothing is locked for want of
        // a connection, so only the rights can disable a control.
        console.Settings().SetCanSend(true);
        if (console.Settings().IsLocked()) console.Settings().ToggleLock();
        Page<PlayersPage>()->SetCanSend(true);
        Page<MissionsPage>()->SetCanSend(true);
        Page<ChatBotPage>()->SetCanSend(true);
        Page<PlayersPage>()->Refresh();
        Page<MissionsPage>()->Refresh();
        Page<SettingsPage>()->Refresh();
    }

    template <typename T>
    T* Page() {
        T* page = app.Window().findChild<T*>();
        EXPECT_NE(page, nullptr);
        return page;
    }
    template <typename T = QWidget>
    T* Find(const char* name) {
        return app.Window().findChild<T*>(QString::fromLatin1(name));
    }
    Look LookOf(const char* name) {
        if (QWidget* w = Find(name)) return {w->isEnabled(), w->toolTip()};
        QAction* a = Find<QAction>(name);
        EXPECT_NE(a, nullptr) << name;
        return a ? Look{a->isEnabled(), a->toolTip()} : Look{};
    }
    std::map<std::string, Look> Looks() {
        std::map<std::string, Look> looks;
        for (const GatedCase& c : kGated) looks[c.name] = LookOf(c.name);
        for (const char* name : {"chatStartStop", "messageAllServersAction"})
            looks[name] = LookOf(name);
        return looks;
    }

    // The admin popup on the first player, as the page builds it.
    std::map<QString, Look> AdminPopup() {
        std::map<QString, Look> looks;
        auto* page = Page<PlayersPage>();
        page->SetPopupChooser([&looks](QMenu& menu, const QPoint&) -> QAction* {
            looks = MenuLooks(menu);
            return nullptr;
        });
        auto* list = page->findChild<QTableView*>(QStringLiteral("playerList"));
        page->ShowPlayerPopup(CellPoint(*list, 0));
        return looks;
    }
    // The mission menu on the first cycle entry.
    std::map<QString, Look> MissionMenu() {
        std::map<QString, Look> looks;
        auto* page = Page<MissionsPage>();
        page->SetPopupChooser([&looks](QMenu& menu, const QPoint&) -> QAction* {
            looks = MenuLooks(menu);
            return nullptr;
        });
        auto* cycle = page->findChild<QTableView*>(QStringLiteral("cycleList"));
        page->ShowMissionMenu(CellPoint(*cycle, 0));
        return looks;
    }
    void LogIn(RightsMask rights) {
        app.GetConsole().SetRemoteManager("Hub");
        app.GetConsole().OnRemoteRights(rights);
    }

    TempDir dir;
    WindowApp app{dir.Path(), ConsoleOptions{}};
    sim::SimGame game{42};
};

TEST_F(RemoteWindowFixture, ANarrowAccountFindsWhatItLacksDisabledAndNamed) {
    const std::map<std::string, Look> direct = Looks();
    LogIn(kMessagesWarn);
    for (const GatedCase& c : kGated) {
        const Look look = LookOf(c.name);
        if (*c.missing == '\0') {
            EXPECT_EQ(look, direct.at(c.name)) << c.name;
        } else {
            EXPECT_FALSE(look.enabled) << c.name;
            EXPECT_EQ(look.tip, QString::fromLatin1(c.missing)) << c.name;
        }
    }
    // Messages alone sends the line to every server.
    EXPECT_EQ(LookOf("messageAllServersAction"), direct.at("messageAllServersAction"));
}

TEST_F(RemoteWindowFixture, TheChatBotCannotStartInARemoteConsole) {
    EXPECT_TRUE(LookOf("chatStartStop").enabled);
    for (RightsMask rights : {RightsMask{0}, kMessagesWarn, kFullAccess}) {
        LogIn(rights);
        const Look look = LookOf("chatStartStop");
        EXPECT_FALSE(look.enabled) << rights;
        EXPECT_TRUE(look.tip.contains(QStringLiteral("manager's own ChatBot"))) << rights;
    }
    // One that runs already can be stopped, and then not started again.
    auto* button = Find<QPushButton>("chatStartStop");
    app.GetConsole().ChatBot().SetOn(true);
    Page<ChatBotPage>()->Refresh();
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(button->text(), QStringLiteral("Stop ChatBot"));
    button->click();
    EXPECT_FALSE(app.GetConsole().ChatBot().IsOn());
    EXPECT_FALSE(button->isEnabled());
}

TEST_F(RemoteWindowFixture, SendAndMessageAllServersFollowTheChatRights) {
    LogIn(kRightPunt);
    for (const char* name : {"chatSend", "messageAllServersAction"}) {
        EXPECT_FALSE(LookOf(name).enabled) << name;
        EXPECT_EQ(LookOf(name).tip, QStringLiteral("Missing right: Messages or Warn")) << name;
    }
    // A broadcast does not go to a server whose account would be refused.
    ConsolePane& pane = app.Window().Pane(0);
    EXPECT_FALSE(pane.SendBroadcast("hello"));
    EXPECT_EQ(pane.LastBroadcastReply(),
              QStringLiteral("Not sent: Missing right: Messages or Warn"));
}

TEST_F(RemoteWindowFixture, AdminMenuEntriesGreyWithTheRightTheyLack) {
    const std::map<QString, Look> direct = AdminPopup();
    ASSERT_FALSE(direct.empty());
    LogIn(kRightPunt | kRightWarn);
    const std::map<QString, Look> narrow = AdminPopup();
    ASSERT_EQ(narrow.size(), direct.size());
    const std::map<std::string, std::string> missing = {
        {"Warn", ""},
        {"Punt", ""},
        {"Ban", "Missing right: Ban"},
        {"Kill", "Missing right: Kill"},
        {"Swap", "Missing right: Swap"},
        {"Zero", "Missing right: Zero"},
    };
    for (const auto& [path, look] : narrow) {
        const std::string kind = path.section(QLatin1Char('/'), 0, 0).toStdString();
        ASSERT_TRUE(missing.contains(kind)) << path.toStdString();
        const QString tip = QString::fromStdString(missing.at(kind));
        if (tip.isEmpty())
            EXPECT_EQ(look, direct.at(path)) << path.toStdString();
        else
            EXPECT_EQ(look, (Look{false, tip})) << path.toStdString();
    }
}

TEST_F(RemoteWindowFixture, MissionMenuAndCycleEditsFollowTheCycleRights) {
    const std::map<QString, Look> direct = MissionMenu();
    LogIn(kRightCycleToNext);
    const std::map<QString, Look> narrow = MissionMenu();
    ASSERT_EQ(narrow.size(), direct.size());
    const Look setNext = narrow.at(QStringLiteral("Set as Next Mission"));
    EXPECT_EQ(setNext, (Look{false, QStringLiteral("Missing right: Live Cycle Order")}));
    EXPECT_EQ(narrow.at(QStringLiteral("Run Next Mission")),
              direct.at(QStringLiteral("Run Next Mission")));
    // The lists stay for reading; their edits are refused and say why.
    auto* cycle = Find<QTableView>("cycleList");
    EXPECT_TRUE(cycle->isEnabled());
    EXPECT_EQ(cycle->toolTip(), QStringLiteral("Missing right: Live Cycle Order"));
    const size_t rows = app.GetConsole().Missions().CycleRows().size();
    DoubleClick(*cycle, CellPoint(*cycle, static_cast<int>(rows) - 1));
    EXPECT_EQ(app.GetConsole().Missions().CycleRows().size(), rows);
    auto* available = Find<QTableView>("availableList");
    EXPECT_EQ(available->toolTip(), QStringLiteral("Missing right: Live Cycle Order"));
}

TEST_F(RemoteWindowFixture, ALoginWithEveryRightLooksAsADirectConnection) {
    const std::map<std::string, Look> direct = Looks();
    const std::map<QString, Look> directPopup = AdminPopup();
    const std::map<QString, Look> directMissions = MissionMenu();
    LogIn(kMessagesWarn);
    LogIn(kFullAccess);
    std::map<std::string, Look> full = Looks();
    // Only the ChatBot stays the manager's.
    EXPECT_FALSE(full.at("chatStartStop").enabled);
    full.erase("chatStartStop");
    std::map<std::string, Look> expected = direct;
    expected.erase("chatStartStop");
    EXPECT_EQ(full, expected);
    EXPECT_EQ(AdminPopup(), directPopup);
    EXPECT_EQ(MissionMenu(), directMissions);
}

TEST(ServerDetailsKind, TheChoiceSendsARecordToManagersCfgAndMarksItInTheList) {
    TempDir dir;
    ASSERT_TRUE(MakeDirectory(dir.Path() + "Configs"));
    const std::string servers = ServerListPath(dir.Path(), ConnectionKind::GameServer);
    const std::string managers = ServerListPath(dir.Path(), ConnectionKind::Manager);
    WriteBytes(servers, "*FAV*A,1.1.1.1,1,u,p\r\nHub,2.2.2.2,2,u,p\r\n");
    WriteBytes(managers, "Hub,3.3.3.3,3,u,p\r\n");
    RecordingLog log;
    ScriptedDialogs dialogs;
    CServer server(log, dialogs);
    server.Load(dir.Path());

    ServerDetailsDialog dialog(server);
    dialog.show();
    auto* names = dialog.findChild<QComboBox*>(QStringLiteral("serverNameCombo"));
    auto* game = dialog.findChild<QRadioButton*>(QStringLiteral("gameServerKindRadio"));
    auto* manager = dialog.findChild<QRadioButton*>(QStringLiteral("managerKindRadio"));
    auto* address = dialog.findChild<QLineEdit*>(QStringLiteral("addressEdit"));
    ASSERT_TRUE(names && game && manager && address);
    // A name in both files is told apart.
    ASSERT_EQ(names->count(), 3);
    EXPECT_EQ(names->itemText(1), QStringLiteral("Hub"));
    EXPECT_EQ(names->itemText(2), QStringLiteral("Hub (manager)"));
    EXPECT_TRUE(game->isChecked());

    // The manager named Hub: its own fields, and its kind.
    names->setCurrentIndex(2);
    emit names->activated(2);
    EXPECT_EQ(address->text(), QStringLiteral("3.3.3.3"));
    EXPECT_TRUE(manager->isChecked());
    EXPECT_EQ(names->currentText(), QStringLiteral("Hub"));

    // The game server Hub cannot join it under the same name.
    names->setCurrentIndex(1);
    emit names->activated(1);
    manager->click();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"A manager named Hub is already listed"});
    EXPECT_TRUE(game->isChecked());

    // A goes: it becomes a manager, and OK writes both files.
    names->setCurrentIndex(0);
    emit names->activated(0);
    manager->click();
    EXPECT_TRUE(manager->isChecked());
    EXPECT_EQ(names->itemText(names->count() - 1), QStringLiteral("A (manager)"));
    dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    // Its mark went with it: servers.cfg opens on its first record.
    EXPECT_EQ(ReadBytes(servers), "Hub,2.2.2.2,2,u,p\r\n");
    EXPECT_EQ(ReadBytes(managers), "Hub,3.3.3.3,3,u,p\r\n*FAV*A,1.1.1.1,1,u,p\r\n");
    // The game-server tab shows a game server.
    EXPECT_EQ(server.LoginDetails().name, "Hub");
    EXPECT_EQ(server.LoginDetails().address, "2.2.2.2");
}

}  // namespace
}  // namespace tavrin::testing
