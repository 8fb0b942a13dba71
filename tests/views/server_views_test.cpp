// The Server tab, the Server Details dialog and the information window, on
// the offscreen platform: real widgets found by object name and clicked, a
// real console in this process and, for Login, the real tavrinrat-sim.
//
// With TAVRIN_SCREENSHOT_DIR set, the widgets are also saved there as PNG
// files, in a light and a dark palette, for a person to look at.

#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleFactory>
#include <QtTest>
#include <cmath>
#include <fstream>
#include <memory>

#include "app/console.h"
#include "app/qt/console_runtime.h"
#include "app/ui/console_signals.h"
#include "app/ui/info_window.h"
#include "app/ui/server_page.h"
#include "common/ui/server_details_dialog.h"
#include "link/qt/session_host.h"
#include "sim/sim_client.h"
#include "support/fakes.h"
#include "support/screenshots.h"
#include "support/sim_folder.h"
#include "support/temp_dir.h"
#include "support/widget_input.h"

using tavrin::testing::Find;
using tavrin::testing::ReadBytes;
using tavrin::testing::SaveLightAndDark;
using tavrin::testing::ScreenshotsWanted;
using tavrin::testing::TempDir;

namespace {

// A console in this process, wired as the window wires it.
struct ConsoleRig {
    explicit ConsoleRig(const std::string& dir) : runtime(dir, {}, dialogs, consoleSignals) {}
    ~ConsoleRig() {
        console.Close(false);
        host.WaitForWorkersInPlace(1000);
    }

    tavrin::ConsoleSignals consoleSignals;
    tavrin::testing::ScriptedDialogs dialogs;
    tavrin::ConsoleRuntime runtime;
    tavrin::Console& console = runtime.GetConsole();
    tavrin::QtSessionHost& host = runtime.Host();
};

void WriteServers(const TempDir& dir, const std::string& text) {
    ::mkdir(dir.File("Configs").c_str(), 0700);
    std::ofstream(dir.File("Configs/servers.cfg"), std::ios::binary) << text;
}

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return st.st_mode & 0777;
}

// Replaces the text as a person does: select all, type (any character, as
// a keyboard layout or input method would give it).
void Retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QString Text(const QWidget& parent, const char* name) {
    const auto* edit = Find<QLineEdit>(parent, name);
    return edit ? edit->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

}  // namespace

// ---------------------------------------------------------------------------

class ServerDetailsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void addsAndEditsARecordAndSavesItOwnerOnly() {
        TempDir dir;
        WriteServers(dir, "A,1.2.3.4,40000,u,p\r\n");
        const std::string path = dir.File("Configs/servers.cfg");
        tavrin::testing::RecordingLog log;
        tavrin::testing::ScriptedDialogs dialogs;
        tavrin::CServer server(log, dialogs);
        server.Load(dir.Path());

        {
            tavrin::ServerDetailsDialog dialog(server);
            dialog.show();
            QCOMPARE(dialog.objectName(), QStringLiteral("serverDetailsDialog"));
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Server Details"));
            auto* names = Find<QComboBox>(dialog, "serverNameCombo");
            auto* address = Find<QLineEdit>(dialog, "addressEdit");
            auto* port = Find<QLineEdit>(dialog, "portEdit");
            auto* username = Find<QLineEdit>(dialog, "usernameEdit");
            auto* password = Find<QLineEdit>(dialog, "passwordEdit");
            auto* remove = Find<QPushButton>(dialog, "deleteServerButton");
            QVERIFY(names && address && port && username && password && remove);
            QCOMPARE(names->count(), 1);
            QCOMPARE(names->currentText(), QStringLiteral("A"));
            QCOMPARE(address->text(), QStringLiteral("1.2.3.4"));
            QVERIFY(!remove->isEnabled());  // the last record stays

            // A new name, taken with Enter: a record of its own, and Enter
            // does not close the dialog.
            Retype(names->lineEdit(), QStringLiteral("Bench"));
            QTest::keyClick(names->lineEdit(), Qt::Key_Return);
            QVERIFY(dialog.isVisible());
            QCOMPARE(names->count(), 2);
            QCOMPARE(names->currentIndex(), 1);
            QVERIFY(remove->isEnabled());

            Retype(address, QStringLiteral("10.0.0.5"));
            QTest::keyClick(address, Qt::Key_Return);
            Retype(port, QStringLiteral("40001"));
            QTest::keyClick(port, Qt::Key_Return);
            Retype(username, QStringLiteral("bob"));
            QTest::keyClick(username, Qt::Key_Return);
            // The password as dots until shown; still being typed at OK.
            QCOMPARE(password->echoMode(), QLineEdit::Password);
            QTest::mouseClick(Find<QCheckBox>(dialog, "showPasswordCheck"), Qt::LeftButton);
            QCOMPARE(password->echoMode(), QLineEdit::Normal);
            Retype(password, QStringLiteral("pa,ss"));
            QVERIFY(SaveLightAndDark(dialog, QStringLiteral("server-details")));

            QTest::mouseClick(Find<QPushButton>(dialog, "okButton"), Qt::LeftButton);
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QCOMPARE(ReadBytes(path), std::string("A,1.2.3.4,40000,u,p\r\n"
                                              "*FAV*Bench,10.0.0.5,40001,bob,pa,ss\r\n"));
        QCOMPARE(ModeOf(path), 0600u);
        QCOMPARE(server.LoginDetails().name, std::string("Bench"));
        QCOMPARE(server.LoginDetails().password, std::string("pa,ss"));

        // Edit the first record; it becomes the favourite.
        {
            tavrin::ServerDetailsDialog dialog(server);
            dialog.show();
            auto* names = Find<QComboBox>(dialog, "serverNameCombo");
            QCOMPARE(names->currentText(), QStringLiteral("Bench"));
            QTest::keyClick(names, Qt::Key_Up);
            QCOMPARE(names->currentText(), QStringLiteral("A"));
            QCOMPARE(Text(dialog, "addressEdit"), QStringLiteral("1.2.3.4"));
            Retype(Find<QLineEdit>(dialog, "usernameEdit"), QStringLiteral("carol"));
            QTest::mouseClick(Find<QPushButton>(dialog, "okButton"), Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QCOMPARE(ReadBytes(path), std::string("*FAV*A,1.2.3.4,40000,carol,p\r\n"
                                              "Bench,10.0.0.5,40001,bob,pa,ss\r\n"));
        QCOMPARE(ModeOf(path), 0600u);

        // Cancel leaves the file alone.
        {
            tavrin::ServerDetailsDialog dialog(server);
            dialog.show();
            QTest::mouseClick(Find<QPushButton>(dialog, "deleteServerButton"), Qt::LeftButton);
            QCOMPARE(Find<QComboBox>(dialog, "serverNameCombo")->count(), 1);
            QTest::mouseClick(Find<QPushButton>(dialog, "cancelButton"), Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }
        QCOMPARE(ReadBytes(path), std::string("*FAV*A,1.2.3.4,40000,carol,p\r\n"
                                              "Bench,10.0.0.5,40001,bob,pa,ss\r\n"));
        QVERIFY(dialogs.messages.empty());
    }

    // What is typed into Address or RAT Port stays as typed: a text that
    // cannot be logged in to is refused with a message and keeps the dialog
    // open; nothing is cut or rewritten into another address.
    void keepsARefusedAddressOrPortAsTypedAndStaysOpen() {
        TempDir dir;
        WriteServers(dir, "A,1.2.3.4,40000,u,p\r\n");
        tavrin::testing::RecordingLog log;
        tavrin::testing::ScriptedDialogs dialogs;
        tavrin::CServer server(log, dialogs);
        server.Load(dir.Path());
        tavrin::ServerDetailsDialog dialog(server);
        dialog.show();
        auto* address = Find<QLineEdit>(dialog, "addressEdit");
        auto* port = Find<QLineEdit>(dialog, "portEdit");
        auto* ok = Find<QPushButton>(dialog, "okButton");
        QVERIFY(address && port && ok);
        const struct {
            QLineEdit* field;
            QString typed;
        } refused[] = {
            {address, QStringLiteral("10.0.0.256")}, {address, QStringLiteral("1922.168.1.5")},
            {address, QStringLiteral("999.1.1.1")},  {port, QStringLiteral("abc")},
            {port, QStringLiteral("65536")},
        };
        for (const auto& c : refused) {
            dialogs.messages.clear();
            Retype(c.field, c.typed);
            QTest::mouseClick(ok, Qt::LeftButton);
            QVERIFY2(dialog.isVisible(), qPrintable(c.typed));
            QCOMPARE(c.field->text(), c.typed);
            QVERIFY2(!dialogs.messages.empty(), qPrintable(c.typed));
            Retype(c.field,
                   c.field == address ? QStringLiteral("1.2.3.4") : QStringLiteral("40000"));
        }
        // A host name is an address: kept as typed and resolved at Login.
        Retype(address, QStringLiteral("localhost"));
        dialogs.messages.clear();
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialogs.messages.empty());
        QCOMPARE(server.LoginDetails().address, std::string("localhost"));
        QCOMPARE(ReadBytes(dir.File("Configs/servers.cfg")),
                 std::string("*FAV*A,localhost,40000,u,p\r\n"));
    }

    void refusesANameTheServerCannotTake() {
        TempDir dir;
        WriteServers(dir, "A,1.2.3.4,40000,u,p\r\n");
        tavrin::testing::RecordingLog log;
        tavrin::testing::ScriptedDialogs dialogs;
        tavrin::CServer server(log, dialogs);
        server.Load(dir.Path());
        tavrin::ServerDetailsDialog dialog(server);
        dialog.show();
        auto* names = Find<QComboBox>(dialog, "serverNameCombo");
        Retype(names->lineEdit(), QStringLiteral("Caf\u00e9 \u4e2d"));
        QTest::keyClick(names->lineEdit(), Qt::Key_Return);
        QCOMPARE(names->count(), 1);
        QCOMPARE(names->currentText(), QStringLiteral("A"));
        auto* box = Find<QMessageBox>(dialog, "notEncodableMessage");
        QVERIFY(box != nullptr);
        QVERIFY(box->isVisible());
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        QVERIFY(!box->isVisible());
        // A comma is the core's to refuse, with its own message.
        Retype(names->lineEdit(), QStringLiteral("B,C"));
        QTest::keyClick(names->lineEdit(), Qt::Key_Return);
        QCOMPARE(names->count(), 1);
        QCOMPARE(dialogs.messages.size(), size_t(1));
    }
};

// ---------------------------------------------------------------------------

class ServerPageTest : public QObject {
    Q_OBJECT

  private slots:
    void loginFillsTheGameStateAndLogoutEmptiesIt() {
        tavrin::testing::SimProcess sim(TAVRIN_SIM_PATH,
                                        {"--seed", "7", "--user", "admin", "--password", "secret"});
        QVERIFY(sim.Port() > 0);
        TempDir dir;
        WriteServers(dir,
                     "Other,10.1.1.1,1,x,y\r\n" + tavrin::testing::SimServerRecord(sim.Port()));
        ConsoleRig rig(dir.Path());
        tavrin::ServerPage page(rig.console, rig.consoleSignals);
        page.resize(page.sizeHint());
        page.show();
        QCOMPARE(page.objectName(), QStringLiteral("serverPage"));

        rig.console.Initialise();
        QTRY_VERIFY(rig.console.Started());
        QCOMPARE(Text(page, "recordField"), QStringLiteral("Sim"));
        QCOMPARE(Text(page, "addressField"), QStringLiteral("127.0.0.1"));
        QCOMPARE(Text(page, "portField"), QString::number(sim.Port()));
        QCOMPARE(Text(page, "usernameField"), QStringLiteral("admin"));
        auto* password = Find<QLineEdit>(page, "passwordField");
        QCOMPARE(password->text(), QStringLiteral("secret"));
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QTest::mouseClick(Find<QCheckBox>(page, "showPasswordCheck"), Qt::LeftButton);
        QCOMPARE(password->echoMode(), QLineEdit::Normal);
        QTest::mouseClick(Find<QCheckBox>(page, "showPasswordCheck"), Qt::LeftButton);
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QCOMPARE(Text(page, "playersField"), QStringLiteral("0 / 0 / 0"));
        QCOMPARE(Text(page, "modeField"), QStringLiteral("Mode"));
        QVERIFY(Text(page, "operatingSystemField").contains(QStringLiteral(" build = ")));
        QVERIFY(Text(page, "cpusField").startsWith(QStringLiteral(" CPUs: ")));
        QVERIFY(Text(page, "physicalMemoryField").startsWith(QStringLiteral(" Total Size = ")));
        QTRY_VERIFY(Text(page, "processMemoryField").startsWith(QStringLiteral(" Size = ")));
        QVERIFY(rig.console.CountHistory().Samples().empty());

        auto* login = Find<QPushButton>(page, "loginButton");
        auto* change = Find<QPushButton>(page, "changeButton");
        QTest::mouseClick(login, Qt::LeftButton);
        QVERIFY(!login->isEnabled());
        QVERIFY(!change->isEnabled());

        // The first player list fills the Players field and gives the plot a sample.
        const auto& history = rig.console.CountHistory();
        QTRY_VERIFY_WITH_TIMEOUT(!history.Samples().empty(), 20000);
        auto latest = [&history] {
            const auto& s = history.Samples().back();
            return QStringLiteral("%1 / %2 / %3").arg(s.total).arg(s.team1).arg(s.team2);
        };
        QCOMPARE(Text(page, "playersField"), latest());
        QVERIFY(history.Samples().back().total > 0);
        QTRY_COMPARE(Text(page, "modeField"), QStringLiteral("Game Mode"));
        QTRY_VERIFY(Text(page, "serverNameField") != QStringLiteral("Name"));
        QTRY_VERIFY(Text(page, "missionField") != QStringLiteral("Mission"));
        QVERIFY(Text(page, "connectionStartedField").startsWith(QLatin1Char(' ')));
        QVERIFY(Find<tavrin::PlayerCountPlot>(page, "playerCountPlot") != nullptr);
        QVERIFY(SaveLightAndDark(page, QStringLiteral("server-page")));
        if (ScreenshotsWanted()) {
            page.resize(page.minimumSizeHint());
            QVERIFY(SaveLightAndDark(page, QStringLiteral("server-page-smallest")));
            page.resize(page.sizeHint());
        }

        QTest::mouseClick(Find<QPushButton>(page, "logoutButton"), Qt::LeftButton);
        QTRY_COMPARE(Text(page, "playersField"), QStringLiteral("0 / 0 / 0"));
        QTRY_COMPARE(Text(page, "modeField"), QStringLiteral("Mode"));
        QTRY_COMPARE(Text(page, "serverNameField"), QStringLiteral("Name"));
        QTRY_COMPARE(Text(page, "missionField"), QStringLiteral("Mission"));
        QTRY_VERIFY(login->isEnabled());
        QVERIFY(change->isEnabled());
        QVERIFY(rig.dialogs.messages.empty());
    }

    void incompleteDetailsAreCheckedAndChangeOpensTheDialog() {
        TempDir dir;  // no servers.cfg: the default record, address not set
        ConsoleRig rig(dir.Path());
        tavrin::ServerPage page(rig.console, rig.consoleSignals);
        page.show();
        rig.console.Initialise();
        QTRY_VERIFY(rig.console.Started());
        QCOMPARE(Text(page, "recordField"), QStringLiteral("New Connection"));

        QTest::mouseClick(Find<QPushButton>(page, "loginButton"), Qt::LeftButton);
        QCOMPARE(rig.dialogs.messages, std::vector<std::string>{"Check Server details"});
        QVERIFY(Find<QPushButton>(page, "loginButton")->isEnabled());

        QTest::mouseClick(Find<QPushButton>(page, "changeButton"), Qt::LeftButton);
        auto* dialog = page.findChild<tavrin::ServerDetailsDialog*>();
        QVERIFY(dialog != nullptr);
        QVERIFY(dialog->isVisible());
        Retype(Find<QLineEdit>(*dialog, "addressEdit"), QStringLiteral("127.0.0.9"));
        QTest::mouseClick(Find<QPushButton>(*dialog, "okButton"), Qt::LeftButton);
        QCOMPARE(Text(page, "addressField"), QStringLiteral("127.0.0.9"));
        QCOMPARE(ReadBytes(dir.File("Configs/servers.cfg")),
                 std::string("*FAV*New Connection,127.0.0.9,40000,username,pinecode\r\n"));
    }

    void plotPaintsAnHourOfCounts() {
        // Not a check of pixels: the plot paints any history, and a person
        // looks at the screenshots.
        tavrin::PlayerCountHistory history;
        tavrin::PlayerCountPlot plot(history);
        plot.resize(plot.sizeHint());
        QVERIFY(!plot.grab().isNull());
        QVERIFY(SaveLightAndDark(plot, QStringLiteral("plot-empty")));
        for (int i = 0; i <= 200; ++i) {
            if (i > 120 && i < 140) continue;  // a pause
            const int s = i * 18;
            const int team1 = 6 + static_cast<int>(std::lround(3 * std::sin(i / 15.0)));
            const int team2 = 5 + static_cast<int>(std::lround(3 * std::cos(i / 21.0)));
            history.Record({2026, 3, 7, 9 + s / 3600, s / 60 % 60, s % 60}, team1 + team2, team1,
                           team2);
        }
        QVERIFY(!plot.grab().isNull());
        QVERIFY(SaveLightAndDark(plot, QStringLiteral("plot")));
    }
};

// ---------------------------------------------------------------------------

class InfoWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void systemVariablesShowsTheDumpAndAutoRefreshToggles() {
        TempDir dir;
        ConsoleRig rig(dir.Path());
        tavrin::InfoWindow window(rig.console, rig.consoleSignals);
        QCOMPARE(window.objectName(), QStringLiteral("infoWindow"));
        QVERIFY(!window.isVisible());
        QCOMPARE(window.windowTitle(), QStringLiteral("AutoSysUpdate Off"));
        auto* text = Find<QPlainTextEdit>(window, "infoText");
        QVERIFY(text->font().fixedPitch());
        QCOMPARE(text->font().pixelSize(), 14);

        // "System Variables": one dump, the flag left as it was.
        QMetaObject::invokeMethod(&window, "ShowSystemVariables");
        QVERIFY(window.isVisible());
        QVERIFY(text->toPlainText().contains(QStringLiteral("m_fRATConnected.......... = false")));
        QVERIFY(!rig.console.m_fAutoSysUpdate);
        QVERIFY(SaveLightAndDark(window, QStringLiteral("info-window")));

        // "AutoRefresh" from the context menu: on, and the clock ticks dump.
        text->clear();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                                text->viewport()->mapToGlobal(QPoint(20, 20)));
        QCoreApplication::sendEvent(text->viewport(), &event);
        auto* menu = window.findChild<QMenu*>(QStringLiteral("infoContextMenu"));
        QVERIFY(menu != nullptr);
        QAction* autoRefresh = window.findChild<QAction*>(QStringLiteral("autoRefreshAction"));
        QVERIFY(menu->actions().contains(autoRefresh));
        QVERIFY(!autoRefresh->isChecked());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(autoRefresh).center());
        QVERIFY(rig.console.m_fAutoSysUpdate);
        QVERIFY(autoRefresh->isChecked());
        QCOMPARE(window.windowTitle(), QStringLiteral("AutoSysUpdate On"));
        rig.console.OnTimer(tavrin::TimerId::Clock);
        QVERIFY(text->toPlainText().startsWith(QStringLiteral("DebugMode................ = ")));
        QVERIFY(text->toPlainText().contains(QStringLiteral("RAT SOCKET\n")));

        // And off again: the ticks leave the text alone.
        autoRefresh->trigger();
        QVERIFY(!rig.console.m_fAutoSysUpdate);
        QCOMPARE(window.windowTitle(), QStringLiteral("AutoSysUpdate Off"));
        text->clear();
        rig.console.OnTimer(tavrin::TimerId::Clock);
        QVERIFY(text->toPlainText().isEmpty());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    int status = 0;
    {
        ServerDetailsDialogTest test;
        status |= QTest::qExec(&test, argc, argv);
    }
    {
        ServerPageTest test;
        status |= QTest::qExec(&test, argc, argv);
    }
    {
        InfoWindowTest test;
        status |= QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "server_views_test.moc"
