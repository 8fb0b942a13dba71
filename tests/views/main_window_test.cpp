// The main window on the offscreen platform, over a real console in a
// temporary program folder: its five tab pages found by object name, the
// status fields, Auto Refresh, the menus, the keys, OK and Cancel, and the
// place it remembers. The window against the simulator is window_sim_test.cpp.
#include "app/ui/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "app/ui/status_field.h"
#include "app/ui/widget_dialogs.h"
#include "app/ui/window_app.h"
#include "support/temp_dir.h"

namespace {

using tavrin::Field;
using tavrin::testing::ReadBytes;
using tavrin::testing::TempDir;

struct ExpectedPage {
    const char* objectName;
    const char* text;
};

// Written out here rather than read from the window, so a renamed or moved
// page fails the test.
constexpr ExpectedPage kPages[] = {
    {"serverPage", " Server "},     {"playersPage", " Players "}, {"missionsPage", " Missions "},
    {"settingsPage", " Settings "}, {"chatBotPage", " ChatBot "},
};

struct ExpectedField {
    const char* objectName;
    Field field;
    const char* initial;
};

constexpr ExpectedField kFields[] = {
    {"connectionField", Field::Connection, "Not Connected"},
    {"serverModeField", Field::ServerMode, "Server Mode"},
    {"ratCommandField", Field::RatCommand, "Rat Command"},
    {"ratResponseField", Field::RatResponse, "Rat Response"},
    {"adminsField", Field::Admins, "Admins 0 / 0"},
    {"clockField", Field::Clock, "Clock"},
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<tavrin::WindowApp> m_app;

    tavrin::MainWindow& Window() { return m_app->Window(); }
    template <typename T>
    T* Find(const char* name) {
        return Window().findChild<T*>(QString::fromLatin1(name));
    }
    QTabWidget* Tabs() { return Find<QTabWidget>("mainTabs"); }

    // The deferred start-up has run: Configs is there and the clock runs.
    bool StartAndWait(tavrin::WindowApp& app) {
        QSignalSpy started(&app.Signals(), &tavrin::ConsoleSignals::started);
        app.Start();
        return started.wait(5000);
    }

  private slots:
    void init() {
        m_dir = std::make_unique<TempDir>();
        m_app = std::make_unique<tavrin::WindowApp>(m_dir->Path(), tavrin::ConsoleOptions{});
        m_app->Dialogs().SetScripted(true);
    }
    void cleanup() {
        m_app.reset();
        m_dir.reset();
    }

    void opensWithFivePagesAndCloses() {
        tavrin::MainWindow& window = Window();
        window.show();
        QVERIFY(window.isVisible());
        QCOMPARE(window.objectName(), QStringLiteral("mainWindow"));
        QCOMPARE(window.windowTitle(), QStringLiteral("TavrinRAT 0.95 beta"));

        auto* tabs = Tabs();
        QVERIFY(tabs != nullptr);
        QVERIFY(window.centralWidget()->isAncestorOf(tabs));
        QCOMPARE(tabs->count(), 5);
        for (int i = 0; i < tabs->count(); ++i) {
            const QString name = QString::fromLatin1(kPages[i].objectName);
            auto* page = window.findChild<QWidget*>(name);
            QVERIFY2(page != nullptr, kPages[i].objectName);
            QCOMPARE(tabs->indexOf(page), i);
            QCOMPARE(tabs->tabText(i), QString::fromLatin1(kPages[i].text));
        }
        QCOMPARE(tabs->currentIndex(), 0);

        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
    }

    void ctrlNumberKeysAndShowTabSwitchPages() {
        tavrin::MainWindow& window = Window();
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        for (int i : {2, 4, 0, 3, 1}) {
            QTest::keyClick(&window, static_cast<Qt::Key>(Qt::Key_1 + i), Qt::ControlModifier);
            QCOMPARE(Tabs()->currentIndex(), i);
        }
        // No sixth page in the client role.
        window.ShowTab(5);
        QCOMPARE(Tabs()->currentIndex(), 1);
        window.ShowTab(-1);
        QCOMPARE(Tabs()->currentIndex(), 1);
    }

    void statusFieldsShowTheConsoleFieldsAsPlainText() {
        tavrin::MainWindow& window = Window();
        window.show();
        for (const ExpectedField& f : kFields) {
            auto* field = Find<tavrin::StatusField>(f.objectName);
            QVERIFY2(field != nullptr, f.objectName);
            QCOMPARE(field->text(), QString::fromLatin1(f.initial));
            QCOMPARE(field->textFormat(), Qt::PlainText);
        }
        // What the console writes shows at once, decoded from Windows-1252.
        tavrin::SessionHost& host = m_app->Host();
        host.FieldChanged(Field::RatResponse, "<b>caf\xe9</b>");
        QCOMPARE(Find<tavrin::StatusField>("ratResponseField")->text(),
                 QStringLiteral("<b>caf\u00e9</b>"));
        host.FieldChanged(Field::Title, "TavrinSim 1.2.3.4");
        QCOMPARE(window.windowTitle(), QStringLiteral("TavrinSim 1.2.3.4"));
        QCOMPARE(Find<tavrin::StatusField>("connectionField")->property("connectionLook"),
                 QVariant(QStringLiteral("offline")));
    }

    // The controls that send follow the session's "can send": disabled, and
    // saying why, while no game-mode connection can take a command.
    void controlsThatSendFollowWhetherACommandCanGoOut() {
        tavrin::MainWindow& window = Window();
        window.show();
        window.ShowTab(3);
        auto* lock = Find<QPushButton>("settingsLock");
        auto* send = Find<QPushButton>("chatSend");
        auto* players = Find<QWidget>("playerList");
        auto* cycle = Find<QWidget>("cycleList");
        QVERIFY(lock && send && players && cycle);
        const QString why = QString::fromLatin1(tavrin::kSendNeedsGameMode);
        tavrin::SessionHost& listener = m_app->Host();
        const struct {
            bool canSend;
            QString tip;
        } steps[] = {{false, why}, {true, QString()}, {false, why}};
        bool first = true;
        for (const auto& step : steps) {
            // The first step is the window as it opens, logged out.
            if (!first) listener.ControlChanged(tavrin::Control::CanSend, step.canSend);
            first = false;
            QCOMPARE(lock->isEnabled(), step.canSend);
            QCOMPARE(send->isEnabled(), step.canSend);
            for (QWidget* w :
                 {static_cast<QWidget*>(lock), static_cast<QWidget*>(send), players, cycle})
                QCOMPARE(w->toolTip(), step.tip);
            if (step.canSend) {
                // Unlocked while it can send; the end of the connection locks it.
                QTest::mouseClick(lock, Qt::LeftButton);
                QVERIFY(!m_app->GetConsole().Settings().IsLocked());
            } else {
                QVERIFY(m_app->GetConsole().Settings().IsLocked());
                QCOMPARE(lock->text(), QStringLiteral("Unlock"));
            }
        }
    }

    // Why the last connection ended stays in the status bar.
    void theLastReasonStaysInView() {
        tavrin::MainWindow& window = Window();
        window.show();
        auto* reason = Find<QLabel>("lastReasonLabel");
        QVERIFY(reason != nullptr);
        QVERIFY(reason->text().isEmpty());
        tavrin::SessionHost& listener = m_app->Host();
        listener.FieldChanged(Field::LastReason, "Connection refused (10061)");
        QVERIFY(reason->isVisible());
        QCOMPARE(reason->text(), QStringLiteral("Last reason: Connection refused (10061)"));
        listener.FieldChanged(Field::LastReason, "");
        QVERIFY(reason->text().isEmpty());
    }

    void autoRefreshFollowsTheSessionAndAClickGoesToIt() {
        tavrin::MainWindow& window = Window();
        window.show();
        auto* box = Find<QCheckBox>("autoRefreshBox");
        QVERIFY(box != nullptr);
        QCOMPARE(box->text(), QStringLiteral("&Auto Refresh"));
        QVERIFY(!box->isChecked());
        QVERIFY(!box->isEnabled());

        tavrin::SessionHost& listener = m_app->Host();
        listener.ControlChanged(tavrin::Control::AutoRefreshEnabled, true);
        QVERIFY(box->isEnabled());
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(m_app->GetConsole().Session().ControlOn(tavrin::Control::AutoRefreshTicked));
        QVERIFY(box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!m_app->GetConsole().Session().ControlOn(tavrin::Control::AutoRefreshTicked));
        QVERIFY(!box->isChecked());
    }

    void enterIsAbsorbed() {
        tavrin::MainWindow& window = Window();
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        for (const char* name : {"okButton", "cancelButton", "reviewEventLogButton"}) {
            auto* button = Find<QPushButton>(name);
            QVERIFY2(button != nullptr, name);
            QVERIFY(!button->isDefault());
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Return);
            QTest::keyClick(button, Qt::Key_Enter);
        }
        QVERIFY(window.isVisible());
        QVERIFY(!window.Closing());
        QVERIFY(!Find<QWidget>("eventLogViewer")->isVisible());
    }

    void okClosesWithOkAndRemembersThePlaceAndPage() {
        QVERIFY(StartAndWait(*m_app));
        tavrin::MainWindow& window = Window();
        QStringList lines;
        connect(&m_app->Signals(), &tavrin::ConsoleSignals::eventLineWritten, this,
                [&](const QString& l) { lines << l.mid(11); });
        window.ShowTab(3);
        // A size the pages leave room for, whatever their contents.
        const QSize size = window.minimumSizeHint().expandedTo(QSize(900, 600)) + QSize(37, 23);
        window.resize(size);
        QTest::mouseClick(Find<QPushButton>("okButton"), Qt::LeftButton);

        QVERIFY(!window.isVisible());
        QVERIFY(m_app->Finished());  // no connection: nothing to wait for
        QCOMPARE(lines.mid(0, 3),
                 (QStringList{QString(49, QLatin1Char('=')), QStringLiteral("Program Closing (OK)"),
                              QString(49, QLatin1Char('='))}));
        const std::string saved = ReadBytes(m_dir->File("Configs/window.cfg"));
        const std::string sizeLines = "width=" + std::to_string(size.width()) +
                                      "\r\nheight=" + std::to_string(size.height()) + "\r\n";
        QVERIFY2(saved.find(sizeLines) != std::string::npos, saved.c_str());
        QVERIFY2(saved.find("tab=3\r\n") != std::string::npos, saved.c_str());

        // The next start opens there.
        tavrin::WindowApp again(m_dir->Path(), {});
        again.Dialogs().SetScripted(true);
        QVERIFY(StartAndWait(again));
        QCOMPARE(again.Window().findChild<QTabWidget*>(QStringLiteral("mainTabs"))->currentIndex(),
                 3);
        QCOMPARE(again.Window().size(), size);
    }

    void closeBoxIsCancel() {
        QVERIFY(StartAndWait(*m_app));
        QStringList lines;
        connect(&m_app->Signals(), &tavrin::ConsoleSignals::eventLineWritten, this,
                [&](const QString& l) { lines << l.mid(11); });
        QVERIFY(Window().close());
        QVERIFY(m_app->Finished());
        QVERIFY(lines.contains(QStringLiteral("Program Closing (CANCEL)")));
        QVERIFY(m_app->GetConsole().Session().State().m_fMainWndIsClosing);
    }

    void menusOpenAboutAndSystemVariables() {
        QVERIFY(StartAndWait(*m_app));
        tavrin::MainWindow& window = Window();
        Find<QAction>("aboutAction")->trigger();
        auto* about = Find<QMessageBox>("aboutBox");
        QVERIFY(about != nullptr);
        QVERIFY(about->isVisible());
        QVERIFY(about->informativeText().contains(QStringLiteral("TavrinRAT 0.95 beta")));
        QCOMPARE(Find<QAction>("aboutAction")->text(), QStringLiteral("About"));
        about->button(QMessageBox::Ok)->click();

        QAction* variables = Find<QAction>("systemVariablesAction");
        QCOMPARE(variables->text(), QStringLiteral("System Variables"));
        auto* info = Find<QWidget>("infoWindow");
        QVERIFY(!info->isVisible());
        variables->trigger();
        QVERIFY(info->isVisible());
        QVERIFY(info->findChild<QPlainTextEdit*>()->toPlainText().startsWith(
            QStringLiteral("DebugMode................ = ")));
        QVERIFY(!m_app->GetConsole().m_fAutoSysUpdate);  // restored after the one dump
        window.close();
        QVERIFY(!info->isVisible());
    }

    void reviewButtonsShowTheViewers() {
        QVERIFY(StartAndWait(*m_app));
        struct {
            const char* button;
            const char* text;
            const char* viewer;
        } const reviews[] = {
            {"reviewEventLogButton", "Review Current &Event Log", "eventLogViewer"},
            {"reviewChatLogButton", "Review Current &Chat Log", "chatLogViewer"},
        };
        for (const auto& r : reviews) {
            auto* button = Find<QPushButton>(r.button);
            QCOMPARE(button->text(), QString::fromLatin1(r.text));
            auto* viewer = Find<QWidget>(r.viewer);
            QVERIFY(!viewer->isVisible());
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(viewer->isVisible());
        }
        // The event viewer holds the start-up lines and takes new ones live.
        auto* text = Find<QWidget>("eventLogViewer")->findChild<QPlainTextEdit*>();
        QVERIFY(text->toPlainText().contains(QStringLiteral("Program Started")));
        m_app->GetConsole().Log().LogEvent("a line while the viewer is open");
        QVERIFY(text->toPlainText().endsWith(QStringLiteral("a line while the viewer is open")));
    }

    void everyPageShowsWholeAtTheDefaultSize() {
        tavrin::MainWindow& window = Window();
        const QSize size = window.DefaultSize();
        // A 1366 x 768 screen, less a task bar and the window's title bar.
        QVERIFY2(size.width() <= 1366 && size.height() <= 768 - 80,
                 qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
        window.resize(size);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (int i = 0; i < Tabs()->count(); ++i) {
            window.ShowTab(i);
            QWidget* page = Tabs()->widget(i);
            QCoreApplication::processEvents();
            const QString name = page->objectName();
            // A page that could scroll does not need to.
            QWidget* shown = page;
            if (auto* scroll = qobject_cast<QScrollArea*>(page)) {
                shown = scroll->viewport();
                const QSize needed = scroll->widget()->minimumSizeHint();
                QVERIFY2(needed.width() <= shown->width() && needed.height() <= shown->height(),
                         qPrintable(name));
                QVERIFY2(!scroll->verticalScrollBar()->isVisible(), qPrintable(name));
                QVERIFY2(!scroll->horizontalScrollBar()->isVisible(), qPrintable(name));
            }
            // Every button and caption is whole and in view.
            for (QWidget* w : page->findChildren<QWidget*>()) {
                const bool button = qobject_cast<QPushButton*>(w) != nullptr;
                const bool caption =
                    qobject_cast<QLabel*>(w) != nullptr || qobject_cast<QCheckBox*>(w) != nullptr;
                if ((!button && !caption) || !w->isVisible()) continue;
                const QString what = name + QLatin1Char(' ') + w->objectName() + QLatin1Char(' ') +
                                     (button ? static_cast<QPushButton*>(w)->text() : QString());
                const int whole = button ? w->sizeHint().width() : w->minimumSizeHint().width();
                QVERIFY2(w->width() >= whole, qPrintable(what));
                const QRect at(w->mapTo(shown, QPoint(0, 0)), w->size());
                QVERIFY2(shown->rect().contains(at), qPrintable(what));
            }
        }
    }

    void tabSkipsReadOnlyFields() {
        QStringList stops;
        for (auto* edit : Window().findChildren<QLineEdit*>())
            if (edit->isReadOnly() && (edit->focusPolicy() & Qt::TabFocus))
                stops << edit->objectName();
        for (auto* edit : Window().findChildren<QPlainTextEdit*>())
            if (edit->isReadOnly() && (edit->focusPolicy() & Qt::TabFocus) &&
                edit->window() == &Window())
                stops << edit->objectName();
        QVERIFY2(stops.isEmpty(), qPrintable(stops.join(QLatin1Char(' '))));
    }

    void dialogsTakeTheAnswersATestSets() {
        const auto At = [](const char* start) { return tavrin::FileQuestion{"", start, "", ""}; };
        tavrin::WidgetDialogs dialogs(&Window());
        std::vector<std::string> asked;
        dialogs.RecordAskedTo(&asked);
        dialogs.AnswerNextYesNo(true);
        dialogs.AnswerNextYesNo(false);
        dialogs.AnswerNextFile(std::string("/tmp/settings.txt"));
        QVERIFY(dialogs.AskYesNo("first?", tavrin::DefaultAnswer::Yes));
        QVERIFY(!dialogs.AskYesNo("second?", tavrin::DefaultAnswer::No));
        QCOMPARE(dialogs.AskOpenFileName(At("x.txt")),
                 std::optional<std::string>("/tmp/settings.txt"));
        dialogs.SetScripted(true);
        dialogs.ShowMessage("a message");
        QVERIFY(!dialogs.AskYesNo("third?", tavrin::DefaultAnswer::Yes));
        QCOMPARE(dialogs.AskSaveFileName(At("y.txt")), std::optional<std::string>());
        QCOMPARE(asked, (std::vector<std::string>{"first?", "second?", "x.txt", "a message",
                                                  "third?", "y.txt"}));
    }

    void questionBoxesAndFileDialogsShowWhatTheyAreAsked() {
        using tavrin::DefaultAnswer;
        using tavrin::WidgetDialogs;
        for (const auto answer : {DefaultAnswer::Yes, DefaultAnswer::No}) {
            std::unique_ptr<QMessageBox> box(
                WidgetDialogs::NewQuestionBox(QStringLiteral("Punt?"), &Window(), answer));
            QCOMPARE(
                box->defaultButton(),
                box->button(answer == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No));
            QCOMPARE(box->escapeButton(), box->button(QMessageBox::No));
        }

        const std::pair<std::string, QStringList> filters[] = {
            {"Text Files (*.txt)|*.txt", {QStringLiteral("Text Files (*.txt)")}},
            {"Text Files (chatlog.txt)|chatlog.txt", {QStringLiteral("Text Files (chatlog.txt)")}},
            {"Logs|*.txt;*.log|All|*",
             {QStringLiteral("Logs (*.txt *.log)"), QStringLiteral("All (*)")}},
            {"", {}},
        };
        for (const auto& [filter, shown] : filters)
            QCOMPARE(WidgetDialogs::NameFilters(filter), shown);

        const std::string folder = m_dir->Path() + "Settings/";
        QVERIFY(QDir().mkpath(QString::fromStdString(folder)));
        for (const bool save : {true, false}) {
            const tavrin::FileQuestion question{"Save Settings To File", folder,
                                                "Text Files (*.txt)|*.txt", "txt"};
            std::unique_ptr<QFileDialog> dialog(
                WidgetDialogs::NewFileDialog(question, save, &Window()));
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Save Settings To File"));
            QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("Text Files (*.txt)")});
            QCOMPARE(dialog->defaultSuffix(), QStringLiteral("txt"));
            QCOMPARE(QDir(dialog->directory()).canonicalPath(),
                     QDir(QString::fromStdString(folder)).canonicalPath());
            QCOMPARE(dialog->acceptMode(),
                     save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
            QCOMPARE(dialog->fileMode(), save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        }
    }

    void aRealQuestionBoxAnswersWithTheButtonClicked() {
        tavrin::WidgetDialogs dialogs(&Window());
        Window().show();
        for (const auto answer : {QMessageBox::Yes, QMessageBox::No}) {
            bool clicked = false;
            QTimer closer;
            connect(&closer, &QTimer::timeout, this, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box == nullptr || clicked) return;
                QCOMPARE(box->objectName(), QStringLiteral("questionBox"));
                QCOMPARE(box->text(), QStringLiteral("Punt \u2013 now?"));
                clicked = true;
                QTest::mouseClick(box->button(answer), Qt::LeftButton);
            });
            closer.start(10);
            const bool yes = dialogs.AskYesNo("Punt \x96 now?", tavrin::DefaultAnswer::Yes);
            QVERIFY(clicked);
            QCOMPARE(yes, answer == QMessageBox::Yes);
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
