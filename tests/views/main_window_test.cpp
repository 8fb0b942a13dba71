// The main window opens with its five tab pages, found by object name, and
// closes.
#include "app/ui/main_window.h"

#include <QMainWindow>
#include <QTabWidget>
#include <QtTest>

namespace {

struct ExpectedPage {
    const char* objectName;
    const char* text;
};

// Written out here rather than read from the window, so a renamed or moved
// page fails the test.
constexpr ExpectedPage kPages[] = {
    {"serverPage", "Server"},     {"playersPage", "Players"}, {"missionsPage", "Missions"},
    {"settingsPage", "Settings"}, {"chatBotPage", "ChatBot"},
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void opensWithFivePagesAndCloses() {
        tavrin::MainWindow window;
        window.show();
        QVERIFY(window.isVisible());
        QCOMPARE(window.objectName(), QStringLiteral("mainWindow"));

        auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("mainTabs"));
        QVERIFY(tabs != nullptr);
        QCOMPARE(window.centralWidget(), tabs);
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
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
