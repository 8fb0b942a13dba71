// The ChatBot tab, the Banned Words dialog and the "Players Caught by
// ChatBot" window on the offscreen platform: real widgets found by object
// name and clicked, over a real CChatBot with recording doubles.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "chatbot/chatbot.h"
#include "chatbot/ui/banned_words_dialog.h"
#include "chatbot/ui/caught_window.h"
#include "chatbot/ui/chatbot_page.h"
#include "common/clock.h"
#include "item_view_checks.h"
#include "support/fakes.h"
#include "support/screenshots.h"
#include "support/temp_dir.h"
#include "support/widget_input.h"

namespace tavrin::testing {
namespace {

class RecordingChatLog final : public ChatLogSink {
  public:
    void AppendChatLog(const std::string& date, const std::string& block) override {
        blocks.push_back(date + "|" + block);
    }
    std::vector<std::string> blocks;
};

// A ChatBot on a temporary program folder whose configuration bans "bad"
// (one punt point) and "spam" (monitor only).
struct ChatBotRig {
    TempDir dir;
    ManualClock clock{{2026, 3, 7, 14, 5, 9}};
    RecordingLog log;
    RecordingCommands commands;
    ScriptedDialogs dialogs;
    RecordingChatLog chatLog;
    std::unique_ptr<CChatBot> bot;

    ChatBotRig() {
        std::filesystem::create_directories(dir.File("Configs"));
        std::ofstream(dir.File("Configs/chatbot.cfg"), std::ios::binary)
            << "[WORDS]\n0\\bad\\NO BAD WORDS\\[1 PPts]\\0\\\n0\\spam\\NO SPAM\\Monitor Only\\0\\\n"
               "[WARNINGS]\n1\\NO BAD WORDS\\\n0\\NO SPAM\\\n[DEFAULT]\n3";
        bot = std::make_unique<CChatBot>(
            dir.Path(), clock, log, commands, dialogs, chatLog, [](const std::string& name) {
                return name == "Bob" ? std::string("7") : std::string();
            });
        bot->LoadConfiguration();
    }
};

QTreeWidgetItem* Row(QTreeWidget* list, int row) {
    return list->topLevelItem(row);
}

void RightClick(QAbstractItemView* view, const QPoint& at) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &event);
}

// Edits a cell as a person does: the editor opens, the text is typed, Enter.
void TypeInto(QTableWidget* table, int row, int column, const QString& text) {
    table->setCurrentCell(row, column);
    table->editItem(table->item(row, column));
    auto* editor = table->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
}

}  // namespace

class ChatBotViewsTest : public QObject {
    Q_OBJECT

  private slots:
    void caughtLineIsMarkedWarnedAndListed();
    void sendBoxSendsKeepsHistoryAndRefusesWhatCannotBeEncoded();
    void rightClickWarnsTheSpeaker();
    void chatListKeepsItsPlaceUnlessAtTheTop();
    void ctrlFFindsAndCtrlCCopies();
    void bannedWordsDialogAddsAWordToTheFile();
    void bannedWordsCellsEditOnOneClick();
    void bannedWordsUntickedBoxesShowOnADarkPalette();
    void scanChatlogListsWithoutSanctioning();
    void aLargeChatlogIsReadInTheBackgroundAndCancelChangesNothing();
    // Only with TAVRIN_SCREENSHOT_DIR set.
    void screenshots();
};

void ChatBotViewsTest::caughtLineIsMarkedWarnedAndListed() {
    ChatBotRig rig;
    ChatBotPage page(*rig.bot, rig.dialogs);
    page.show();
    auto* startStop = Find<QPushButton>(page, "chatStartStop");
    QCOMPARE(startStop->text(), QStringLiteral("Start ChatBot"));
    QTest::mouseClick(startStop, Qt::LeftButton);
    QCOMPARE(startStop->text(), QStringLiteral("Stop ChatBot"));
    QVERIFY(rig.bot->IsOn());

    QTest::mouseClick(Find<QPushButton>(page, "chatRequest"), Qt::LeftButton);
    QCOMPARE(rig.commands.Texts(), std::vector<std::string>{"chat get"});

    rig.bot->ProcessChatReply("Ann: hi\r\n");
    page.Refresh();
    rig.bot->ProcessChatReply("Ann: hi\r\nBob: you are BAD\r\n");
    page.Refresh();
    auto* list = Find<QTreeWidget>(page, "chatList");
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(Row(list, 0)->text(2), QStringLiteral("Bob: you are BAD"));
    QCOMPARE(Row(list, 0)->toolTip(0), QStringLiteral("Caught"));
    QCOMPARE(Row(list, 0)->data(2, Qt::UserRole + 1).toPoint(), QPoint(13, 3));
    QCOMPARE(Row(list, 1)->toolTip(0), QStringLiteral("Shown, not matched"));
    QCOMPARE(Find<QLineEdit>(page, "scanLinesToScan")->text(), QStringLiteral("1"));
    QCOMPARE(Find<QLineEdit>(page, "scanPostLines")->text(), QStringLiteral("2"));

    // The sanctions pass of the next clock tick warns Bob; the window shows him.
    const auto shown = rig.bot->OnClockTick(true);
    page.RefreshCaught();
    QCOMPARE(shown.size(), size_t{1});
    QCOMPARE(rig.commands.Texts().back(), std::string("chat send Bob  Warning NO BAD WORDS "));
    QTest::mouseClick(Find<QPushButton>(page, "chatViewCaught"), Qt::LeftButton);
    CaughtWindow* caught = page.Caught();
    QVERIFY(caught->isVisible());
    QCOMPARE(caught->windowTitle(), QStringLiteral("Players Caught by ChatBot"));
    auto* rows = Find<QTableWidget>(*caught, "caughtList");
    QCOMPARE(rows->rowCount(), 1);
    QCOMPARE(rows->item(0, 0)->text(), QStringLiteral("Bob"));
    QCOMPARE(rows->item(0, 1)->text(), QStringLiteral("1"));
    QCOMPARE(rows->item(0, 3)->text(), QStringLiteral("bad"));
    QCOMPARE(rows->item(0, 0)->checkState(), Qt::Unchecked);  // warned

    // Live: a second catch shows at once with the next chat refresh.
    rig.bot->ProcessChatReply("Ann: hi\r\nBob: you are BAD\r\nBob: bad again\r\n");
    page.Refresh();
    QCOMPARE(rows->item(0, 1)->text(), QStringLiteral("2"));
    QCOMPARE(rows->item(0, 0)->checkState(), Qt::Checked);

    QTest::mouseClick(Find<QPushButton>(*caught, "caughtZero"), Qt::LeftButton);
    QCOMPARE(rows->item(0, 1)->text(), QStringLiteral("0"));
    QTest::mouseClick(Find<QPushButton>(*caught, "caughtOk"), Qt::LeftButton);
    QVERIFY(!caught->isVisible());
    QVERIFY(!rig.bot->Shamed().Visible());
}

void ChatBotViewsTest::sendBoxSendsKeepsHistoryAndRefusesWhatCannotBeEncoded() {
    ChatBotRig rig;
    ChatBotPage page(*rig.bot, rig.dialogs);
    page.show();
    auto* box = Find<QLineEdit>(page, "chatSendText");
    auto* send = Find<QPushButton>(page, "chatSend");
    Type(box, QStringLiteral("hello \u00e9t\u00e9"));
    QTest::mouseClick(send, Qt::LeftButton);
    QTest::keyClicks(box, QStringLiteral("$player list"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(rig.commands.Texts(),
             (std::vector<std::string>{"chat send hello \xe9t\xe9", "player list"}));
    QVERIFY(box->text().isEmpty());

    QTest::keyClicks(box, QStringLiteral("draft"));
    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(box->text(), QStringLiteral("$player list"));
    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(box->text(), QStringLiteral("hello \u00e9t\u00e9"));
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->text(), QStringLiteral("draft"));

    box->clear();
    Type(box, QStringLiteral("\u4e2d\u6587"));
    QTest::mouseClick(send, Qt::LeftButton);
    QCOMPARE(rig.commands.commands.size(), size_t{2});
    QCOMPARE(rig.dialogs.messages.size(), size_t{1});
    QCOMPARE(box->text(), QStringLiteral("\u4e2d\u6587"));  // kept to be mended
}

void ChatBotViewsTest::rightClickWarnsTheSpeaker() {
    ChatBotRig rig;
    ChatBotPage page(*rig.bot, rig.dialogs);
    page.resize(900, 500);
    page.show();
    rig.bot->ProcessChatReply("Game over\r\nBob: hi\r\n");
    page.Refresh();
    auto* list = Find<QTreeWidget>(page, "chatList");
    RightClick(list, list->visualItemRect(Row(list, 0)).center());
    QMenu* menu = page.WarnMenu();
    QVERIFY(menu);
    auto* warnings = menu->findChild<QMenu*>(QStringLiteral("chatWarnWarnings"));
    QVERIFY(warnings);
    QCOMPARE(warnings->title(), QStringLiteral("Warn Bob"));
    QCOMPARE(warnings->actions().size(), 2);
    QCOMPARE(warnings->actions()[1]->text(), QStringLiteral("NO SPAM"));
    warnings->actions()[1]->trigger();
    QCOMPARE(rig.dialogs.questions, std::vector<std::string>{"Warn: this player > NO SPAM"});
    QCOMPARE(rig.commands.Texts(), std::vector<std::string>{"chat send Bob  > NO SPAM"});
    menu->close();

    // A line that names nobody offers no warning.
    RightClick(list, list->visualItemRect(Row(list, 1)).center());
    QVERIFY(page.WarnMenu());
    QVERIFY(!page.WarnMenu()->findChild<QMenu*>(QStringLiteral("chatWarnWarnings")));
    page.WarnMenu()->close();
}

void ChatBotViewsTest::chatListKeepsItsPlaceUnlessAtTheTop() {
    ChatBotRig rig;
    ChatBotPage page(*rig.bot, rig.dialogs);
    page.resize(800, 400);
    page.show();
    std::string reply;
    for (int i = 0; i < 40; ++i) reply += "P" + std::to_string(i) + ": line\r\n";
    rig.bot->ProcessChatReply(reply);
    page.Refresh();
    auto* list = Find<QTreeWidget>(page, "chatList");
    QScrollBar* bar = list->verticalScrollBar();
    QVERIFY(bar->maximum() > 5);

    // At the top, where new lines come in: it follows them.
    reply += "New: one\r\n";
    rig.bot->ProcessChatReply(reply);
    page.Refresh();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(Row(list, 0)->text(2), QStringLiteral("New: one"));

    // Scrolled down to read: the same lines stay in view.
    bar->setValue(5);
    const QString onTop = list->itemAt(QPoint(5, 5))->text(2);
    reply += "New: two\r\nNew: three\r\n";
    rig.bot->ProcessChatReply(reply);
    page.Refresh();
    QCOMPARE(bar->value(), 7);
    QCOMPARE(list->itemAt(QPoint(5, 5))->text(2), onTop);
}

void ChatBotViewsTest::ctrlFFindsAndCtrlCCopies() {
    ChatBotRig rig;
    ChatBotPage page(*rig.bot, rig.dialogs);
    page.show();
    page.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&page));
    rig.bot->ProcessChatReply("Ann: one\r\nBob: two\r\nAnn: three\r\n");
    page.Refresh();
    auto* list = Find<QTreeWidget>(page, "chatList");
    list->setFocus();
    auto* find = Find<QLineEdit>(page, "chatFind");
    QVERIFY(!find->isVisible());
    QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(find->isVisible());
    QTest::keyClicks(find, QStringLiteral("ANN"));
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(list->currentItem()->text(2), QStringLiteral("Ann: three"));
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(list->currentItem()->text(2), QStringLiteral("Ann: one"));
    QTest::keyClick(find, Qt::Key_Escape);
    QVERIFY(!find->isVisible());

    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("[14:05:09] Ann: one"));
}

void ChatBotViewsTest::bannedWordsDialogAddsAWordToTheFile() {
    ChatBotRig rig;
    ChatBotPage page(*rig.bot, rig.dialogs);
    page.show();
    QTest::mouseClick(Find<QPushButton>(page, "chatViewBannedWords"), Qt::LeftButton);
    BannedWordsDialog* dialog = page.BannedWords();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    auto* words = Find<QTableWidget>(*dialog, "bannedWordsList");
    QCOMPARE(words->rowCount(), 2);
    QTest::mouseClick(Find<QPushButton>(*dialog, "newWord"), Qt::LeftButton);
    QCOMPARE(words->rowCount(), 3);
    QCOMPARE(words->item(2, 1)->text(), QStringLiteral("NEW WORD"));
    QCOMPARE(words->item(2, 2)->text(), QStringLiteral("NO BAD WORDS"));
    QCOMPARE(words->item(2, 3)->text(), QStringLiteral("[1 PPts]"));
    TypeInto(words, 2, 1, QStringLiteral("rude"));
    QTRY_COMPARE(words->item(2, 1)->text(), QStringLiteral("rude"));

    // Right click on Punt Pts: the six penalties.
    RightClick(words, words->visualItemRect(words->item(2, 3)).center());
    QMenu* menu = dialog->CellMenu();
    QVERIFY(menu);
    QCOMPARE(menu->actions().size(), 6);
    menu->actions()[4]->trigger();
    menu->close();
    QTRY_COMPARE(words->item(2, 3)->text(), QStringLiteral("[3 PPts]"));
    QCOMPARE(Find<QComboBox>(*dialog, "defaultPenalty")->currentIndex(), 4);

    QTest::mouseClick(Find<QPushButton>(*dialog, "bannedWordsOk"), Qt::LeftButton);
    const std::string file = ReadBytes(rig.dir.File("Configs/chatbot.cfg"));
    QVERIFY2(file.find("0\\rude\\NO BAD WORDS\\[3 PPts]\\0\\") != std::string::npos, file.c_str());
    QCOMPARE(rig.bot->Config().words.size(), size_t{3});
}

void ChatBotViewsTest::bannedWordsCellsEditOnOneClick() {
    ChatBotRig rig;
    ChatBotPage page(*rig.bot, rig.dialogs);
    page.show();
    QTest::mouseClick(Find<QPushButton>(page, "chatViewBannedWords"), Qt::LeftButton);
    BannedWordsDialog* dialog = page.BannedWords();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    struct Case {
        const char* list;
        int row;
        int column;
        bool editable;
    };
    const Case cases[] = {
        {"bannedWordsList", 1, 1, true},  {"bannedWordsList", 0, 1, true},
        {"bannedWordsList", 1, 2, false}, {"warningsList", 1, 1, true},
        {"warningsList", 0, 1, true},
    };
    for (const Case& c : cases) {
        auto* table = Find<QTableWidget>(*dialog, c.list);
        const QString what =
            QStringLiteral("%1 %2,%3").arg(QLatin1String(c.list)).arg(c.row).arg(c.column);
        QLineEdit* editor = EditorAfterOneClick(table, table->model()->index(c.row, c.column));
        QVERIFY2((editor != nullptr) == c.editable, qPrintable(what));
        if (!editor) continue;
        // Typing goes into the cell the click chose, not to a row found by its text.
        const QString typed = QStringLiteral("typed %1").arg(c.row);
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        const QPointer<QLineEdit> open(editor);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(open.isNull() || !open->isVisible());
        QTRY_COMPARE(table->item(c.row, c.column)->text(), typed);
        // The lists are drawn again after an edit; the next click comes after that.
        QCoreApplication::processEvents();
        QCOMPARE(table->currentRow(), c.row);
    }
}

void ChatBotViewsTest::bannedWordsUntickedBoxesShowOnADarkPalette() {
    QApplication::setStyle(QStringLiteral("Fusion"));
    ChatBotRig rig;
    ChatBotPage page(*rig.bot, rig.dialogs);
    page.show();
    QTest::mouseClick(Find<QPushButton>(page, "chatViewBannedWords"), Qt::LeftButton);
    BannedWordsDialog* dialog = page.BannedWords();
    QVERIFY(dialog);
    dialog->setPalette(DarkPalette());
    QTRY_VERIFY(dialog->isVisible());
    // Row 1 of each list is unticked.
    for (const char* list : {"bannedWordsList", "warningsList"}) {
        auto* table = Find<QTableWidget>(*dialog, list);
        QCOMPARE(table->item(1, 0)->checkState(), Qt::Unchecked);
        const int contrast = TickContrast(table, table->model()->index(1, 0));
        QVERIFY2(contrast >= 80,
                 qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(list)).arg(contrast)));
    }
}

void ChatBotViewsTest::scanChatlogListsWithoutSanctioning() {
    ChatBotRig rig;
    const std::string log = rig.dir.File("chatlog.txt");
    std::ofstream(log, std::ios::binary) << "[10:00:00] Ann: hi\n[10:00:01] Bob: bad stuff\n"
                                            "[10:00:02] Cy: SPAM here\n[10:00:03] Ann: fine\n";
    ChatBotPage page(*rig.bot, rig.dialogs);
    page.show();
    rig.dialogs.fileAnswers.push_back(log);
    QTest::mouseClick(Find<QPushButton>(page, "chatScanChatlog"), Qt::LeftButton);
    QVERIFY(!rig.bot->IsOn());  // the ChatBot is off again, as it was
    auto* list = Find<QTreeWidget>(page, "chatList");
    QCOMPARE(list->topLevelItemCount(), 4);
    QCOMPARE(Row(list, 2)->toolTip(0), QStringLiteral("Caught"));

    QTest::mouseClick(Find<QPushButton>(page, "chatViewCaught"), Qt::LeftButton);
    auto* rows = Find<QTableWidget>(*page.Caught(), "caughtList");
    QCOMPARE(rows->rowCount(), 2);
    QCOMPARE(rows->item(0, 0)->text(), QStringLiteral("Cy  (replayed)"));
    QCOMPARE(rows->item(1, 0)->text(), QStringLiteral("Bob  (replayed)"));
    QCOMPARE(rows->item(1, 0)->checkState(), Qt::Unchecked);

    rig.bot->SetOn(true);
    const auto shown = rig.bot->OnClockTick(true);
    QVERIFY(shown.empty());
    QVERIFY(rig.commands.commands.empty());  // nobody is sanctioned for a replay
    QVERIFY(rig.chatLog.blocks.empty());
}

void ChatBotViewsTest::aLargeChatlogIsReadInTheBackgroundAndCancelChangesNothing() {
    ChatBotRig rig;
    const std::string log = rig.dir.File("chatlog.txt");
    {
        std::ofstream out(log, std::ios::binary);
        for (int i = 0; out.tellp() < static_cast<std::streamoff>(4 * kScanAtOnceBytes); ++i)
            out << "[10:00:00] P" << i % 9 << (i % 11 ? ": hello there\r\n" : ": bad day\r\n");
        out << "[10:00:01] Last: spam\r\n";
    }
    ChatBotPage page(*rig.bot, rig.dialogs);
    page.show();
    rig.bot->SetOn(true);
    rig.bot->ProcessChatReply("Ann: hi\r\n");
    rig.bot->ProcessChatReply("Ann: hi\r\nBob: bad\r\n");
    page.Refresh();
    const auto liveRows = rig.bot->ChatRows();
    const auto liveCaught = rig.bot->Shamed().Rows();
    const auto liveWords = rig.bot->Config().words;

    auto* scan = Find<QPushButton>(page, "chatScanChatlog");
    auto* progress = Find<QProgressBar>(page, "chatScanProgress");
    auto* cancel = Find<QPushButton>(page, "chatScanCancel");
    QVERIFY(!progress->isVisible() && !cancel->isVisible());
    rig.dialogs.fileAnswers.push_back(log);
    QTest::mouseClick(scan, Qt::LeftButton);
    QVERIFY(progress->isVisible() && cancel->isVisible());
    QVERIFY(!scan->isEnabled());
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(!progress->isVisible() && scan->isEnabled());
    QCoreApplication::processEvents();
    QCOMPARE(rig.bot->ChatRows(), liveRows);
    QCOMPARE(rig.bot->Shamed().Rows(), liveCaught);
    QCOMPARE(rig.bot->Config().words, liveWords);

    // Read whole: the results are those of the same file read at once.
    ChatBotRig once;
    once.bot->SetOn(true);
    once.bot->ProcessChatReply("Ann: hi\r\n");
    once.bot->ProcessChatReply("Ann: hi\r\nBob: bad\r\n");
    once.dialogs.fileAnswers.push_back(log);
    once.bot->ScanChatlog();
    rig.dialogs.fileAnswers.push_back(log);
    QTest::mouseClick(scan, Qt::LeftButton);
    QVERIFY(progress->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!progress->isVisible(), 20000);
    QCOMPARE(rig.bot->ChatRows(), once.bot->ChatRows());
    QCOMPARE(rig.bot->Shamed().Rows(), once.bot->Shamed().Rows());
    QCOMPARE(rig.bot->Config().words, once.bot->Config().words);
    QCOMPARE(Find<QTreeWidget>(page, "chatList")->topLevelItem(0)->text(2),
             QStringLiteral("Last: spam"));
    QVERIFY(rig.chatLog.blocks.size() == 1);  // the live reply's, no replayed line
}

void ChatBotViewsTest::screenshots() {
    if (!ScreenshotsWanted()) QSKIP("TAVRIN_SCREENSHOT_DIR is not set");
    ChatBotRig rig;
    const std::string log = rig.dir.File("chatlog.txt");
    std::ofstream(log, std::ios::binary) << "[10:00:00] Ann: hi\n[10:00:01] Zed: bad stuff\n";
    ChatBotPage page(*rig.bot, rig.dialogs);
    page.resize(1000, 560);
    page.show();
    rig.dialogs.fileAnswers.push_back(log);
    QTest::mouseClick(Find<QPushButton>(page, "chatScanChatlog"), Qt::LeftButton);
    QTest::mouseClick(Find<QPushButton>(page, "chatReset"), Qt::LeftButton);
    QTest::mouseClick(Find<QPushButton>(page, "chatStartStop"), Qt::LeftButton);
    std::string reply = "Ann: hi all\r\nBob: ready?\r\n";
    rig.bot->ProcessChatReply(reply);
    for (const char* line :
         {"Cy: go go go", "Bob: you are all B*A*D at this", "Ann: gg", "Dee: no spam please",
          "[A]Eve:[Team] bad call, regroup", "Cy: \xe9t\xe9 caf\xe9 ok"}) {
        reply += std::string(line) + "\r\n";
        rig.bot->ProcessChatReply(reply);
    }
    page.Refresh();
    (void)rig.bot->OnClockTick(true);
    page.RefreshCaught();
    auto* list = Find<QTreeWidget>(page, "chatList");
    list->topLevelItem(3)->setSelected(true);
    QVERIFY(SaveLightAndDark(page, QStringLiteral("chatbot-page")));

    QTest::mouseClick(Find<QPushButton>(page, "chatViewCaught"), Qt::LeftButton);
    QVERIFY(SaveLightAndDark(*page.Caught(), QStringLiteral("chatbot-caught-window")));

    QTest::mouseClick(Find<QPushButton>(page, "chatViewBannedWords"), Qt::LeftButton);
    QVERIFY(page.BannedWords());
    QVERIFY(SaveLightAndDark(*page.BannedWords(), QStringLiteral("chatbot-banned-words")));
}

}  // namespace tavrin::testing

QTEST_MAIN(tavrin::testing::ChatBotViewsTest)
#include "chatbot_views_test.moc"
