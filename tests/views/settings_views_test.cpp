// The Settings tab and the Settings File Data dialog on the offscreen
// platform: real widgets found by object name and clicked. Single changes go
// to a recording command sink; the bulk send of an applied settings file runs
// through a real console and session in virtual time.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/console.h"
#include "app/qt/console_runtime.h"
#include "app/ui/console_signals.h"
#include "item_view_checks.h"
#include "link/qt/session_host.h"
#include "settings/settings_fixtures.h"
#include "settings/ui/settings_file_dialog.h"
#include "settings/ui/settings_page.h"
#include "support/fakes.h"
#include "support/quiet_console_observer.h"
#include "support/screenshots.h"
#include "support/sim_folder.h"
#include "support/temp_dir.h"
#include "support/virtual_host.h"
#include "support/widget_input.h"
#ifdef TAVRIN_SIM_PATH
#include "sim/sim_client.h"
#endif

namespace tavrin::testing {
namespace {

const std::string kWeaponsReply =
    "12. ALWAYS WPN_Remmington\n"
    "13. ARMORY WPN_Knife\n"
    "14. NEVER WPN_M16_Grenade\n";

// The window's side of the page over a bare model: it records what it is asked.
class RecordingPageHost final : public SettingsPageHost {
  public:
    void ApplySettingsFile(const std::string& applied) override {
        this->applied.push_back(applied);
    }
    SettingsBulkProgress BulkProgress() const override { return progress; }
    void SettingsSaved() override { ++saved; }

    std::vector<std::string> applied;
    SettingsBulkProgress progress;
    int saved = 0;
};

// A console in virtual time, logged in, with the page's host wired to it as
// the main window wires it.
struct LoggedInConsole final : WorkerInfoSource, testing::QuietConsoleObserver, SettingsPageHost {
    TempDir dir;
    ManualClock clock{{2026, 3, 7, 9, 5, 3}};
    VirtualHost host;
    ScriptedDialogs dialogs;
    std::unique_ptr<Console> console;
    int saved = 0;

    LoggedInConsole() {
        std::filesystem::create_directories(dir.File("Configs"));
        std::ofstream(dir.File("Configs/servers.cfg"), std::ios::binary)
            << "*FAV*Home,10.0.0.5,40000,admin,secret\r\n";
        console = std::make_unique<Console>(dir.Path(), host, dialogs, clock, *this, *this);
        host.session = &console->Session();
        host.listener = console.get();
        host.clock = &clock;
        console->Initialise();
        host.Advance(0);
        console->OnTimer(TimerId::Startup);
        console->Login();
        RatSession& s = console->Session();
        testing::AcceptLogin(s);
        testing::AnswerFirstCommands(host, s);
    }

    WorkerInfo CurrentWorkerInfo() const override { return {}; }

    void ApplySettingsFile(const std::string& applied) override {
        console->ApplySettingsFile(applied);
    }
    SettingsBulkProgress BulkProgress() const override {
        const auto p = console->Session().Bulk();
        return {p.done, p.total, p.running};
    }
    void SettingsSaved() override { ++saved; }
};

}  // namespace

class SettingsViewsTest : public QObject {
    Q_OBJECT

  private slots:
    void startsLockedAndNothingReacts();
    void tickSliderTextAndTimeOfDaySendTheirCommands();
    void weaponsSendEachStateAndFilterByName();
    void saveChangeLoadAndApplySendsTheBulkWithItsProgress();
    void settingsFileValuesEditOnOneClickAndItsGreenSuitsThePalette();
    // Only with TAVRIN_SCREENSHOT_DIR set.
    void screenshots();
#ifdef TAVRIN_SIM_PATH
    void changesReachTheSimulatorsNextSettingsReply();
#endif
};

void SettingsViewsTest::startsLockedAndNothingReacts() {
    TabFixture f;
    RecordingPageHost host;
    SettingsPage page(f.tab, f.dialogs, host);
    page.show();
    auto* lock = Find<QPushButton>(page, QStringLiteral("settingsLock"));
    QVERIFY(lock);
    QCOMPARE(lock->text(), QStringLiteral("Unlock"));
    for (const char* name :
         {"setting0", "setting2", "setting24", "settingSet24", "setting28", "settingsLoad",
          "settingsSave", "settingsRefresh", "weaponsList", "weaponsAllYes"})
        QVERIFY2(!Find<QWidget>(page, QLatin1String(name))->isEnabled(), name);
    QTest::mouseClick(Find<QCheckBox>(page, QStringLiteral("setting15")), Qt::LeftButton);
    QVERIFY(f.commands.commands.empty());

    QTest::mouseClick(lock, Qt::LeftButton);
    QCOMPARE(lock->text(), QStringLiteral("Lock"));
    QVERIFY(Find<QWidget>(page, QStringLiteral("setting15"))->isEnabled());
    // A dependent slider follows its tick box: Allow Team Switching is off.
    f.tab.ParseGameSettings(kGameSettingsReply);
    page.Refresh();
    QVERIFY(!Find<QWidget>(page, QStringLiteral("setting5"))->isEnabled());
    QVERIFY(Find<QWidget>(page, QStringLiteral("setting2"))->isEnabled());
    QCOMPARE(Find<QLabel>(page, QStringLiteral("settingValue2"))->text(), QStringLiteral("50 %"));
    QCOMPARE(Find<QLineEdit>(page, QStringLiteral("setting24"))->text(),
             QStringLiteral("MyServer"));
}

void SettingsViewsTest::tickSliderTextAndTimeOfDaySendTheirCommands() {
    TabFixture f;
    f.tab.ParseGameSettings(kGameSettingsReply);
    RecordingPageHost host;
    SettingsPage page(f.tab, f.dialogs, host);
    page.show();
    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("settingsLock")), Qt::LeftButton);

    QTest::mouseClick(Find<QCheckBox>(page, QStringLiteral("setting15")), Qt::LeftButton);
    QCOMPARE(f.commands.Texts(), std::vector<std::string>{"set friendlyFire 0"});

    // Dragging shows the value; only the release sends, rounded down to a step of 5.
    auto* slider = Find<QSlider>(page, QStringLiteral("setting20"));
    slider->setSliderDown(true);
    for (int p : {101, 120, 140, 63}) slider->setSliderPosition(p);
    QCOMPARE(Find<QLabel>(page, QStringLiteral("settingValue20"))->text(), QStringLiteral("63"));
    QCOMPARE(f.commands.commands.size(), size_t{1});
    slider->setSliderDown(false);
    QCOMPARE(f.commands.Texts().back(), std::string("set killLimit 60"));
    QCOMPARE(Find<QLabel>(page, QStringLiteral("settingValue20"))->text(), QStringLiteral("60"));
    QCOMPARE(slider->value(), 60);

    auto* percent = Find<QSlider>(page, QStringLiteral("setting2"));
    percent->setSliderDown(true);
    percent->setSliderPosition(25);
    percent->setSliderDown(false);
    QCOMPARE(f.commands.Texts().back(), std::string("set votePercent 0.25"));

    // Keys step a slider; the run of steps sends once, when the slider rests.
    auto* armory = Find<QSlider>(page, QStringLiteral("setting23"));
    armory->setFocus();
    const size_t sentBefore = f.commands.commands.size();
    QTest::keyClick(armory, Qt::Key_Right);
    QTest::keyClick(armory, Qt::Key_Right);
    QCOMPARE(f.commands.commands.size(), sentBefore);
    QTRY_COMPARE(f.commands.commands.size(), sentBefore + 1);
    QCOMPARE(f.commands.Texts().back(), std::string("set armoryTimer 40"));

    auto* title = Find<QLineEdit>(page, QStringLiteral("setting24"));
    title->setFocus();
    title->selectAll();
    Type(title, QStringLiteral("Caf\u00e9Night"));
    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("settingSet24")), Qt::LeftButton);
    QCOMPARE(f.commands.Texts().back(), std::string("set serverName Caf\xe9Night"));
    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("settingClear25")), Qt::LeftButton);
    QCOMPARE(f.commands.Texts().back(), std::string("set serverPassword "));

    // A text the game cannot take is refused, and nothing is sent.
    const size_t before = f.commands.commands.size();
    auto* sideA = Find<QLineEdit>(page, QStringLiteral("setting26"));
    sideA->setFocus();
    sideA->selectAll();
    Type(sideA, QStringLiteral("\u4e2d"));
    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("settingSet26")), Qt::LeftButton);
    QCOMPARE(f.commands.commands.size(), before);
    QCOMPARE(f.dialogs.messages.size(), size_t{1});

    auto* rate = Find<QComboBox>(page, QStringLiteral("setting29"));
    rate->setFocus();
    QTest::keyClick(rate, Qt::Key_Down);
    QTest::keyClick(rate, Qt::Key_Down);
    QTest::keyClick(rate, Qt::Key_Down);
    QCOMPARE(f.commands.Texts().back(), std::string("cmd TODRate 1800"));
    QCOMPARE(rate->currentText(), QStringLiteral("30"));
}

void SettingsViewsTest::weaponsSendEachStateAndFilterByName() {
    TabFixture f;
    f.Unlock();
    f.tab.ParseWeaponList(kWeaponsReply);
    RecordingPageHost host;
    SettingsPage page(f.tab, f.dialogs, host);
    page.resize(1100, 700);
    page.show();
    auto* list = Find<QTableWidget>(page, QStringLiteral("weaponsList"));
    QCOMPARE(list->rowCount(), 3);
    QCOMPARE(list->item(0, 0)->text(), QStringLiteral("Remmington"));
    QVERIFY(!list->item(0, 1)->text().isEmpty());
    QVERIFY(list->item(0, 2)->text().isEmpty());

    auto click = [&](int row, int column) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row, column)).center());
    };
    click(0, 3);
    click(0, 2);
    click(0, 2);  // already marked: nothing
    click(0, 1);
    QCOMPARE(f.commands.Texts(),
             (std::vector<std::string>{"weapon set 12 NEVER", "weapon set 12 ARMORY",
                                       "weapon set 12 ALWAYS"}));
    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("weaponsAllNo")), Qt::LeftButton);
    QCOMPARE(f.commands.Texts().back(), std::string("weapon set all never"));
    for (int r = 0; r < 3; ++r) QVERIFY(!list->item(r, 3)->text().isEmpty());

    QTest::keyClicks(Find<QLineEdit>(page, QStringLiteral("weaponsFilter")),
                     QStringLiteral("GREN"));
    QVERIFY(list->isRowHidden(0));
    QVERIFY(list->isRowHidden(1));
    QVERIFY(!list->isRowHidden(2));
    click(2, 2);
    QCOMPARE(f.commands.Texts().back(), std::string("weapon set 14 ARMORY"));

    // On a dark palette the light green is toned down under light text.
    QCOMPARE(list->item(0, 0)->background().color(), QColor(150, 200, 150));
    page.setPalette(DarkPalette());
    const QColor ground = list->item(0, 0)->background().color();
    const QColor text = list->item(0, 0)->foreground().color();
    QVERIFY2(qGray(text.rgb()) - qGray(ground.rgb()) >= 120, qPrintable(ground.name()));
    QVERIFY2(ground.green() > ground.red(), qPrintable(ground.name()));
}

void SettingsViewsTest::saveChangeLoadAndApplySendsTheBulkWithItsProgress() {
    LoggedInConsole c;
    CSettings& settings = c.console->Settings();
    settings.ParseGameSettings(kGameSettingsReply);
    SettingsPage page(settings, c.dialogs, c);
    page.show();
    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("settingsLock")), Qt::LeftButton);

    const std::string file = c.dir.File("known.txt");
    c.dialogs.fileAnswers.push_back(file);
    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("settingsSave")), Qt::LeftButton);
    QCOMPARE(c.saved, 1);
    QVERIFY(ReadBytes(file).find("set friendlyFire 1\r\n") != std::string::npos);

    QTest::mouseClick(Find<QCheckBox>(page, QStringLiteral("setting15")), Qt::LeftButton);
    c.host.Advance(250);
    QCOMPARE(c.host.Commands(), std::vector<std::string>{"set friendlyFire 0"});
    c.host.sent.clear();

    c.dialogs.fileAnswers.push_back(file);
    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("settingsLoad")), Qt::LeftButton);
    SettingsFileDialog* dialog = page.OpenFileDialog();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    auto* rows = Find<QTableWidget>(*dialog, QStringLiteral("settingsFileRows"));
    QCOMPARE(rows->rowCount(), kServerSettingsCount);
    QCOMPARE(rows->item(15, 0)->text(), QStringLiteral("set friendlyFire"));
    QCOMPARE(rows->item(15, 1)->text(), QStringLiteral("1"));
    QCOMPARE(rows->item(15, 0)->checkState(), Qt::Checked);
    QTest::mouseClick(Find<QPushButton>(*dialog, QStringLiteral("settingsFileApply")),
                      Qt::LeftButton);

    auto* bar = Find<QProgressBar>(page, QStringLiteral("bulkProgress"));
    auto* text = Find<QLabel>(page, QStringLiteral("bulkProgressText"));
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->maximum(), kServerSettingsCount);
    QCOMPARE(bar->value(), 1);
    QCOMPARE(text->text(), QStringLiteral("Command 1 of 28, about 7 s left"));
    QVERIFY(Find<QCheckBox>(page, QStringLiteral("setting15"))->isChecked());
    // The window stays usable while the bulk goes out: the bar follows it.
    for (int n = 2; n <= kServerSettingsCount; ++n) {
        c.host.Advance(250);
        QTRY_COMPARE(bar->value(), n);
    }
    c.host.Advance(250);
    QTRY_COMPARE(text->text(), QStringLiteral("Sent 28 of 28 commands"));
    QCOMPARE(bar->value(), bar->maximum());

    const auto sent = c.host.Commands();
    QCOMPARE(sent.size(), size_t{kServerSettingsCount});
    QCOMPARE(sent[15], std::string("set friendlyFire 1"));
    QCOMPARE(sent[24], std::string("set serverName MyServer"));
}

void SettingsViewsTest::settingsFileValuesEditOnOneClickAndItsGreenSuitsThePalette() {
    ScriptedDialogs dialogs;
    SettingsFileDialog dialog(CSettingsFile("in.txt", "set gameTime 60\n##set tracers 1\n"),
                              dialogs);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* rows = Find<QTableWidget>(dialog, QStringLiteral("settingsFileRows"));

    QVERIFY(!EditorAfterOneClick(rows, rows->model()->index(0, 0)));  // Command is not edited
    QLineEdit* editor = EditorAfterOneClick(rows, rows->model()->index(0, 1));
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("90"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(dialog.File().Rows()[0].value, std::string("90"));
    QCOMPARE(rows->currentRow(), 0);

    // A row the selection is not on, at the right of its Value cell.
    auto ground = [&] {
        QCoreApplication::processEvents();
        const QRect cell = rows->visualItemRect(rows->item(1, 1));
        return rows->viewport()->grab(cell).toImage().pixelColor(cell.width() - 4, 3);
    };
    QCOMPARE(ground(), QColor(150, 200, 150));
    dialog.setPalette(DarkPalette());
    const QColor dark = ground();
    const int text = qGray(DarkPalette().color(QPalette::Text).rgb());
    QVERIFY2(text - qGray(dark.rgb()) >= 120, qPrintable(dark.name()));
    QVERIFY2(dark.green() > dark.red() && dark.green() > dark.blue(), qPrintable(dark.name()));
}

void SettingsViewsTest::screenshots() {
    if (!ScreenshotsWanted()) QSKIP("TAVRIN_SCREENSHOT_DIR is not set");
    LoggedInConsole c;
    CSettings& settings = c.console->Settings();
    settings.ParseGameSettings(kGameSettingsReply);
    settings.ParseWeaponList(
        "1. ALWAYS WPN_Knife\n2. ALWAYS WPN_Colt45\n3. ARMORY WPN_Remmington\n4. NEVER "
        "WPN_M16_Grenade\n5. ALWAYS WPN_MP5\n6. ARMORY WPN_Claymore\n");
    SettingsPage page(settings, c.dialogs, c);
    page.resize(1100, 640);
    page.show();
    QVERIFY(SaveLightAndDark(page, QStringLiteral("settings-locked")));
    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("settingsLock")), Qt::LeftButton);
    QVERIFY(SaveLightAndDark(page, QStringLiteral("settings-unlocked")));

    const std::string file = c.dir.File("known.txt");
    c.dialogs.fileAnswers.push_back(file);
    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("settingsSave")), Qt::LeftButton);
    c.dialogs.fileAnswers.push_back(file);
    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("settingsLoad")), Qt::LeftButton);
    SettingsFileDialog* dialog = page.OpenFileDialog();
    QVERIFY(dialog);
    QVERIFY(SaveLightAndDark(*dialog, QStringLiteral("settings-file-dialog")));
    QTest::mouseClick(Find<QPushButton>(*dialog, QStringLiteral("settingsFileApply")),
                      Qt::LeftButton);
    for (int n = 0; n < 10; ++n) c.host.Advance(250);
    QTRY_COMPARE(Find<QProgressBar>(page, QStringLiteral("bulkProgress"))->value(), 11);
    QVERIFY(SaveLightAndDark(page, QStringLiteral("settings-bulk-send")));
}

#ifdef TAVRIN_SIM_PATH
namespace {

// The console with its real worker thread, as the window wires it, and the
// Settings tab's host.
struct SimConsole final : SettingsPageHost {
    explicit SimConsole(const std::string& dir) : runtime(dir, {}, dialogs, consoleSignals) {}
    ~SimConsole() override {
        console.Close(false);
        host.WaitForWorkersInPlace(1000);
    }
    void ApplySettingsFile(const std::string& applied) override {
        console.ApplySettingsFile(applied);
    }
    SettingsBulkProgress BulkProgress() const override {
        const auto p = console.Session().Bulk();
        return {p.done, p.total, p.running};
    }
    void SettingsSaved() override {}

    ConsoleSignals consoleSignals;
    ScriptedDialogs dialogs;
    ConsoleRuntime runtime;
    Console& console = runtime.GetConsole();
    QtSessionHost& host = runtime.Host();
};

}  // namespace

void SettingsViewsTest::changesReachTheSimulatorsNextSettingsReply() {
    SimProcess sim(TAVRIN_SIM_PATH, {"--seed", "7", "--user", "admin", "--password", "secret"});
    QVERIFY(sim.Port() > 0);
    TempDir dir;
    WriteServersFile(dir, SimServerRecord(sim.Port()));
    SimConsole c(dir.Path());
    int settingsReplies = 0;
    SettingsPage page(c.console.Settings(), c.dialogs, c);
    // As the main window wires it.
    connect(&c.consoleSignals, &ConsoleSignals::settingsChanged, &page, &SettingsPage::Refresh);
    connect(&c.consoleSignals, &ConsoleSignals::weaponsChanged, &page, &SettingsPage::Refresh);
    connect(&c.consoleSignals, &ConsoleSignals::replyRouted, &page, [&](ReplyKind kind, int) {
        if (kind == ReplyKind::GameSettings) ++settingsReplies;
    });
    page.show();
    c.console.Initialise();
    QTRY_VERIFY_WITH_TIMEOUT(c.console.Started(), 10000);
    QVERIFY(c.console.Login());
    // The login fetches the settings: the tab shows the simulator's.
    QTRY_VERIFY_WITH_TIMEOUT(settingsReplies >= 1, 20000);
    auto* friendlyFire = Find<QCheckBox>(page, QStringLiteral("setting15"));
    QVERIFY(friendlyFire->isChecked());
    QCOMPARE(Find<QLineEdit>(page, QStringLiteral("setting24"))->text(),
             QStringLiteral("TavrinSim"));

    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("settingsLock")), Qt::LeftButton);
    QTest::mouseClick(friendlyFire, Qt::LeftButton);
    auto* kills = Find<QSlider>(page, QStringLiteral("setting20"));
    kills->setSliderDown(true);
    kills->setSliderPosition(63);
    kills->setSliderDown(false);
    auto* title = Find<QLineEdit>(page, QStringLiteral("setting24"));
    title->setFocus();
    title->selectAll();
    QTest::keyClicks(title, QStringLiteral("Night"));
    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("settingSet24")), Qt::LeftButton);
    QTest::mouseClick(Find<QPushButton>(page, QStringLiteral("settingsRefresh")), Qt::LeftButton);

    // The simulator's next settings reply holds the new values.
    QTRY_VERIFY_WITH_TIMEOUT(settingsReplies >= 2, 20000);
    QVERIFY(!friendlyFire->isChecked());
    QCOMPARE(c.console.Settings().Value(15), std::string("0"));
    QCOMPARE(c.console.Settings().Value(20), std::string("60"));
    QCOMPARE(kills->value(), 60);
    QCOMPARE(c.console.Settings().Value(24), std::string("Night"));
    QCOMPARE(title->text(), QStringLiteral("Night"));
}
#endif

}  // namespace tavrin::testing

QTEST_MAIN(tavrin::testing::SettingsViewsTest)
#include "settings_views_test.moc"
