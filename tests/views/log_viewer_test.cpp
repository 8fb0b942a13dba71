// The log viewers on the offscreen platform, found by object name: a review
// shows the day's file, a line shows up as it is written, "Erase window"
// empties the view and the next review shows the whole file again.
#include "common/ui/log_viewer.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "app/ui/console_signals.h"
#include "common/log_pages.h"
#include "support/temp_dir.h"

using tavrin::LogViewer;
using tavrin::testing::ReadBytes;

namespace {

// The console's log with the window's wiring: every line written reaches the
// viewers through the console's signals.
struct Harness {
    Harness(tavrin::LocalTime now = {2026, 3, 7, 9, 5, 3}) : clock(now) {
        QObject::connect(&notices, &tavrin::ConsoleSignals::eventLineWritten, &events,
                         &LogViewer::AppendLive);
        QObject::connect(&notices, &tavrin::ConsoleSignals::chatTextWritten, &chat,
                         &LogViewer::AppendLive);
    }
    QString EventPath() const { return QString::fromStdString(dir.File("07-03-26/adminlog.txt")); }

    tavrin::testing::TempDir dir;
    tavrin::ManualClock clock;
    tavrin::ConsoleSignals notices;
    tavrin::EventLog log{dir.Path(), clock, notices};
    std::string connectionStarted = " 09:05:00,07-03-26";
    LogViewer events{log, LogViewer::Kind::Event, [this] { return connectionStarted; }};
    LogViewer chat{log, LogViewer::Kind::Chat};
};

QPlainTextEdit* TextOf(QWidget& viewer) {
    return viewer.findChild<QPlainTextEdit*>(QStringLiteral("logText"));
}

}  // namespace

class LogViewerTest : public QObject {
    Q_OBJECT

  private slots:
    void hiddenUntilAReviewShowsTheDaysFile() {
        Harness h;
        h.log.LogEvent("Program Started");
        h.log.LogEvent("Logged In");
        QCOMPARE(h.events.objectName(), QStringLiteral("eventLogViewer"));
        QCOMPARE(h.chat.objectName(), QStringLiteral("chatLogViewer"));
        QVERIFY(!h.events.isVisible());

        h.events.Review();
        QVERIFY(h.events.isVisible());
        QVERIFY(h.events.isWindow());
        QCOMPARE(h.events.windowTitle(), h.EventPath());
        QPlainTextEdit* text = TextOf(h.events);
        QVERIFY(text != nullptr);
        QVERIFY(text->isReadOnly());
        QCOMPARE(text->toPlainText(),
                 QStringLiteral("[09:05:03] Program Started\n[09:05:03] Logged In"));
        QCOMPARE(h.events.pos(), QPoint(300, 300));
        QCOMPARE(h.events.size(), h.events.DefaultSize());
        QVERIFY(h.events.width() >= LogViewer::kSize.width());
        QCOMPARE(h.events.height(), LogViewer::kSize.height());
        QCOMPARE(text->font().pixelSize(), 14);
        // The viewer asks for a fixed-pitch font: Courier New where there is
        // one, else the desktop's own fixed font. Whether the host's font
        // database calls the font it picked fixed-pitch is the host's matter.
        QVERIFY(text->font().fixedPitch());
        QCOMPARE(text->font().styleHint(), QFont::Monospace);
        const QString courier = QStringLiteral("Courier New");
        QCOMPARE(text->font().family(),
                 QFontDatabase::families().contains(courier)
                     ? courier
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    }

    void separatorLinesAreNotWrappedAtTheDefaultSize() {
        for (const std::string& separator :
             {std::string(tavrin::kSeparatorEquals), std::string(tavrin::kSeparatorDashes)}) {
            Harness h;
            h.log.LogEvent(separator);
            h.log.LogEvent("Program Started");
            h.log.LogEvent(separator);
            h.events.Review();
            QVERIFY(QTest::qWaitForWindowExposed(&h.events));
            QPlainTextEdit* text = TextOf(h.events);
            for (QTextBlock b = text->document()->firstBlock(); b.isValid(); b = b.next()) {
                if (!b.text().endsWith(QString::fromStdString(separator))) continue;
                QCOMPARE(b.layout()->lineCount(), 1);
            }
        }
    }

    void aLineShowsUpAsItIsWrittenAndTheViewFollowsIt() {
        Harness h;
        for (int i = 0; i < 60; ++i) h.log.LogEvent("line " + std::to_string(i));
        h.events.Review();
        QPlainTextEdit* text = TextOf(h.events);
        QScrollBar* bar = text->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());

        h.log.LogEvent("Login Rejected");
        QVERIFY(text->toPlainText().endsWith(QStringLiteral("\n[09:05:03] Login Rejected")));
        QCOMPARE(text->document()->blockCount(), 61);
        QCOMPARE(bar->value(), bar->maximum());

        // Scrolled back to read: a new line does not pull the view away.
        bar->setValue(0);
        h.log.LogEvent("Logged Out");
        QVERIFY(text->toPlainText().endsWith(QStringLiteral("\n[09:05:03] Logged Out")));
        QCOMPARE(bar->value(), 0);
    }

    void eraseWindowEmptiesTheViewAndAReviewShowsTheWholeFileAgain() {
        Harness h;
        h.log.LogEvent("Program Started");
        h.events.Review();
        const std::string onDisk = ReadBytes(h.dir.File("07-03-26/adminlog.txt"));

        auto* erase = h.events.findChild<QAction*>(QStringLiteral("eraseWindowAction"));
        QVERIFY(erase != nullptr);
        QCOMPARE(erase->text(), QStringLiteral("Erase window"));
        auto* toolBar = h.events.findChild<QWidget*>(QStringLiteral("logViewerToolBar"));
        QVERIFY(toolBar != nullptr);
        QToolButton* button = nullptr;
        for (auto* b : toolBar->findChildren<QToolButton*>())
            if (b->defaultAction() == erase) button = b;
        QVERIFY(button != nullptr);
        QVERIFY(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(TextOf(h.events)->toPlainText(), QString());
        QCOMPARE(ReadBytes(h.dir.File("07-03-26/adminlog.txt")), onDisk);

        // Lines written after the erase still arrive, on the first line.
        h.log.LogEvent("Logged In");
        QCOMPARE(TextOf(h.events)->toPlainText(), QStringLiteral("[09:05:03] Logged In"));

        h.events.Review();
        QCOMPARE(TextOf(h.events)->toPlainText(),
                 QStringLiteral("[09:05:03] Program Started\n[09:05:03] Logged In"));
    }

    void eraseWindowIsInTheContextMenu() {
        Harness h;
        h.log.LogEvent("Program Started");
        h.events.Review();
        QPlainTextEdit* text = TextOf(h.events);
        emit text->customContextMenuRequested(QPoint(10, 10));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        QAction* erase = nullptr;
        for (QAction* a : menu->actions())
            if (a->text() == QStringLiteral("Erase window")) erase = a;
        QVERIFY(erase != nullptr);
        erase->trigger();
        menu->close();
        QCOMPARE(text->toPlainText(), QString());
    }

    void aHiddenViewerWaitsForTheNextReview() {
        Harness h;
        h.log.LogEvent("Program Started");
        h.events.Review();
        h.events.close();
        QVERIFY(!h.events.isVisible());
        h.log.LogEvent("Logged In");
        QCOMPARE(TextOf(h.events)->toPlainText(), QStringLiteral("[09:05:03] Program Started"));
        h.events.Review();
        QCOMPARE(TextOf(h.events)->toPlainText(),
                 QStringLiteral("[09:05:03] Program Started\n[09:05:03] Logged In"));
    }

    void pastMidnightTheReviewShowsTheContinuationHeader() {
        Harness h({2026, 3, 8, 0, 0, 7});
        h.connectionStarted = " 21:40:12,07-03-26";
        h.events.Review();
        QCOMPARE(h.events.windowTitle(),
                 QString::fromStdString(h.dir.File("08-03-26/adminlog.txt")));
        const QString equals = QStringLiteral("[00:00:07] ") + QString(49, QLatin1Char('='));
        QCOMPARE(TextOf(h.events)->toPlainText(),
                 equals +
                     QStringLiteral("\n[00:00:07] Continuation File\n"
                                    "[00:00:07] Program Running Since  21:40:12,07-03-26\n") +
                     equals);
    }

    void aLargeLogShowsItsEndFirstAndEarlierPagesAsItIsScrolledBack() {
        Harness h;
        std::filesystem::create_directories(h.dir.File("07-03-26"));
        std::string disk;
        for (int i = 0; disk.size() < 5 * tavrin::kReviewPageBytes; ++i)
            disk += "[09:00:00] line " + std::to_string(i) + "\r\n";
        std::ofstream(h.dir.File("07-03-26/adminlog.txt"), std::ios::binary) << disk;
        QString whole =
            QString::fromLatin1(disk).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        whole.chop(1);

        h.events.Review();
        QCOMPARE(h.events.windowTitle(), h.EventPath());
        h.log.LogEvent("Logged In");  // written while the end is being read
        QPlainTextEdit* text = TextOf(h.events);
        const QString live = QStringLiteral("\n[09:05:03] Logged In");
        QTRY_VERIFY(text->toPlainText().endsWith(live));
        QString shown = text->toPlainText();
        shown.chop(live.size());
        QVERIFY(whole.endsWith(shown));
        QVERIFY(shown.size() < whole.size() / 2);  // the end only, from a line start
        QVERIFY(shown.startsWith(QStringLiteral("[09:00:00] line ")));
        QScrollBar* bar = text->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());

        // Scrolled to the top, the page before comes in above, until the start.
        for (int page = 0; page < 20 && !text->toPlainText().startsWith(whole.left(40)); ++page) {
            const int blocks = text->document()->blockCount();
            bar->setValue(bar->minimum());
            QTRY_VERIFY(text->document()->blockCount() > blocks);
            QVERIFY(bar->value() > bar->minimum());  // the view stays on the line it showed
        }
        QCOMPARE(text->toPlainText(), whole + live);
    }

    void aDayWithoutChatThenChatAsItIsWritten() {
        Harness h;
        h.chat.Review();
        QCOMPARE(h.chat.windowTitle(), QString::fromStdString(h.dir.File("07-03-26/chatlog.txt")) +
                                           QStringLiteral(" No saved game chat"));
        QCOMPARE(TextOf(h.chat)->toPlainText(), QString());
        QVERIFY(!std::filesystem::exists(h.dir.File("07-03-26/chatlog.txt")));

        h.log.AppendChatLog("07-03-26", "[09:05:03] Bob: caf\xe9\n[09:05:03] Ann: yo\n");
        QCOMPARE(TextOf(h.chat)->toPlainText(),
                 QStringLiteral("[09:05:03] Bob: caf\u00e9\n[09:05:03] Ann: yo"));
        h.chat.Review();
        QCOMPARE(h.chat.windowTitle(), QString::fromStdString(h.dir.File("07-03-26/chatlog.txt")));
        QCOMPARE(TextOf(h.chat)->toPlainText(),
                 QStringLiteral("[09:05:03] Bob: caf\u00e9\n[09:05:03] Ann: yo"));
    }
};

QTEST_MAIN(LogViewerTest)
#include "log_viewer_test.moc"
