#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chatbot/chat_list_tools.h"
#include "chatbot/chatbot.h"
#include "common/control_permit.h"
#include "common/qt/background_file_reader.h"
#include "common/user_dialogs.h"

class QLineEdit;
class QProgressBar;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace tavrin {

class BannedWordsDialog;
class CaughtWindow;

// The ChatBot tab over CChatBot: the chat list (newest on top, a status
// picture per row, the caught word highlighted in its line; it keeps its
// place unless it is at the top, where new lines come in), the Scan Data
// fields, Start/Stop ChatBot, Request Chat, the Send box (Up and Down walk the
// texts sent in this session), View Banned Words, View Sanctioned Players,
// Scan Chatlog (a large log read on the "ChatLogScan" thread, with a
// progress bar and Cancel; the results show when it is read whole, and a
// cancelled scan changes nothing), Reset ChatBot, a right-click menu to warn a line's speaker,
// Ctrl+F to search the chat list and Ctrl+C to copy its selected lines.
//
// The main window calls Refresh() when the console announces that the chat
// changed (a chat reply, start-up, a new connection, which empties it), and
// RefreshCaught() when it announces the caught players (every clock tick,
// whose sanctions pass changes them).
//
// Object names: chatBotPage; chatList, scanPreLines, scanPostLines,
// scanKnownLength, scanNewLength, scanLinesToScan, scanExcessLines,
// chatStartStop, chatRequest, chatSendText, chatSend, chatViewBannedWords,
// chatViewCaught, chatScanChatlog, chatReset; chatScanProgress and
// chatScanCancel (shown while a large chat log is read); chatFind and chatFindNext (the
// search bar, shown by Ctrl+F); chatWarnMenu (the right-click menu).
class ChatBotPage final : public QWidget {
    Q_OBJECT

  public:
    ChatBotPage(CChatBot& chatBot, UserDialogs& dialogs, QWidget* parent = nullptr);

    CaughtWindow* Caught() const { return m_caught; }
    // The Banned Words dialog while it is open.
    BannedWordsDialog* BannedWords() const;
    QMenu* WarnMenu() const;

  public slots:
    void Refresh();
    void RefreshCaught();
    // Whether a command can go out (the session's notification): Send works
    // only then, and says why when it does not.
    void SetCanSend(bool on);
    // What the account may send (a remote console): Send and the chat
    // list's warnings follow their permits; Start ChatBot too (a remote
    // console leaves the moderating to the manager's own ChatBot; one that
    // runs can still be stopped). A refused control is disabled with the
    // tooltip saying why.
    void SetPermits(const ControlPermits& permits);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void RenderChat();
    void ShowStartStopPermit();
    void RenderScanData();
    void Send();
    void OpenBannedWords();
    void ShowCaught();
    void ScanChatlog();
    void ScanProgressed(quint64 job, qint64 done, qint64 total);
    void ScanFinished(quint64 job, BackgroundFileReader::Outcome outcome);
    void CancelScan();
    void EndScan();
    void PopUpWarnMenu(const QPoint& pos);
    void FindNext();
    void CopySelection();

    CChatBot& m_chatBot;
    UserDialogs& m_dialogs;
    SendHistory m_history;

    QTreeWidget* m_chat = nullptr;
    std::vector<std::string> m_shownKeys;  // time and text of each row shown
    std::vector<QLineEdit*> m_scanFields;
    QPushButton* m_startStop = nullptr;
    QLineEdit* m_sendText = nullptr;
    QPushButton* m_send = nullptr;
    bool m_canSend = true;
    ControlPermits m_permits;
    QWidget* m_findBar = nullptr;
    QLineEdit* m_find = nullptr;
    CaughtWindow* m_caught = nullptr;
    QPointer<BannedWordsDialog> m_bannedWords;
    QPointer<QMenu> m_warnMenu;

    struct RunningScan {
        uint64_t id = 0;
        ChatBotScanJob job;
        std::shared_ptr<ChatLogReplay> replay;
    };
    QPushButton* m_scanButton = nullptr;
    QProgressBar* m_scanProgress = nullptr;
    QPushButton* m_scanCancel = nullptr;
    std::optional<RunningScan> m_scan;
    BackgroundFileReader m_scanReader{QStringLiteral("ChatLogScan")};
};

}  // namespace tavrin
