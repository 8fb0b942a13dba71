#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "app/connection_look.h"
#include "app/console.h"
#include "app/server_row.h"
#include "app/ui/console_signals.h"
#include "common/control_permit.h"
#include "settings/ui/settings_page.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace tavrin {

class AdminsPage;
class ChatBotPage;
class InfoWindow;
class MissionsPage;
class PlayersPage;
class LogViewer;
class ServerPage;
class StatusField;

// What the window shows of one open server: the five tab pages (Server,
// Players, Missions, Settings, ChatBot), the six status fields, Auto
// Refresh, the two log reviews with their viewers, the information window,
// and OK and Cancel, which close the whole window. The main window holds one
// per open server.
//
// It renders the console's fields and controls as they change and hands each
// gesture to the console; it decides nothing about the game server.
class ConsolePane final : public QWidget, private SettingsPageHost {
    Q_OBJECT

  public:
    // `name` is the record of servers.cfg the console opened (empty: the favourite).
    ConsolePane(Console& console, ConsoleSignals& consoleSignals, std::string name,
                QWidget* parent = nullptr);
    ~ConsolePane() override;

    Console& GetConsole() const { return m_console; }
    ConsoleSignals& Signals() const { return m_signals; }
    const std::string& Name() const { return m_name; }
    // What the row and the title call it: the name, or the favourite's record name.
    std::string ShownName() const;

    ServerPage& ServerTab() const { return *m_serverPage; }
    PlayersPage& PlayersTab() const { return *m_playersPage; }

    // The manager role: the Admins page (index 5) and the Admin Port group.
    void EnterManagerRole();
    bool InManagerRole() const { return m_adminsPage != nullptr; }

    // Shows page `index` (0 .. 4, and 5 in the manager role); any other
    // index does nothing.
    void ShowTab(int index);
    int CurrentTab() const;
    // The Server page's Login, as its button does.
    void LogIn();
    // The console's Title field, decoded.
    QString Title() const;
    // Why the last connection ended, for the window's status bar.
    QLabel* LastReasonLabel() const { return m_lastReason; }

    // The row the server list shows for this console.
    ServerRow Row() const;
    // Whether the pane is the one in view: its catches are seen as they come.
    void SetSelected(bool on);
    // The row's tool tip: the reply to the last "Message all servers".
    const QString& LastBroadcastReply() const { return m_broadcastReply; }
    // Sends one chat line as the ChatBot page's Send does, when the console
    // can send; the next Rat Response becomes the row's tool tip. False when
    // it was not sent.
    bool SendBroadcast(const std::string& line);

    // What the console's account may send, by control (nothing is limited
    // for a direct connection).
    const ControlPermits& Permits() const { return m_permits; }

    // The Server Details dialog's "Open" (see ServerPage::SetOpenServer).
    void SetOpenServer(std::function<std::string(const std::string&)> open);

    // Closing: the console's closing lines and logout, and its windows hidden.
    void CloseConsole(bool ok);

    LogViewer& EventLogViewer() const { return *m_eventViewer; }
    LogViewer& ChatLogViewer() const { return *m_chatViewer; }
    InfoWindow& Information() const { return *m_infoWindow; }

  signals:
    // OK (true) or Cancel (false) was clicked.
    void closeRequested(bool ok);
    void titleChanged();
    // What Row() gives may have changed.
    void rowChanged();
    // A text for the window's status bar.
    void statusMessage(const QString& text);
    // Permits() changed: a remote login brought the account's rights.
    void permitsChanged();

  private:
    // SettingsPageHost: the Settings tab's bulk send goes through the console.
    void ApplySettingsFile(const std::string& applied) override;
    SettingsBulkProgress BulkProgress() const override;
    void SettingsSaved() override;
    // A tab page, with its Ctrl+number shortcut.
    void AddPage(QWidget* page, const QString& text);
    QWidget* BuildStatusPanel();
    QWidget* BuildButtonRow();
    QWidget* BuildAdminPortGroup();
    void ShowAdminPort(bool listening);
    void HandleFieldChanged(Field field, const QString& text);
    void HandleControlChanged(Control control, bool on);
    void ApplyCanSend(bool on);
    // Gives every page the permits of the console's account.
    void ApplyRights();
    void ShowLastReason(const QString& reason);
    void ShowConnectionLook();

    Console& m_console;
    ConsoleSignals& m_signals;
    std::string m_name;
    QString m_title;
    QTabWidget* m_tabs = nullptr;
    ServerPage* m_serverPage = nullptr;
    PlayersPage* m_playersPage = nullptr;
    MissionsPage* m_missionsPage = nullptr;
    SettingsPage* m_settingsPage = nullptr;
    ChatBotPage* m_chatBotPage = nullptr;
    AdminsPage* m_adminsPage = nullptr;
    QWidget* m_adminPortGroup = nullptr;
    QPushButton* m_portToggle = nullptr;
    std::array<StatusField*, 6> m_fields{};
    QCheckBox* m_autoRefresh = nullptr;
    QLabel* m_lastReason = nullptr;
    QPushButton* m_reviewEventLog = nullptr;
    QPushButton* m_reviewChatLog = nullptr;
    LogViewer* m_eventViewer = nullptr;
    LogViewer* m_chatViewer = nullptr;
    InfoWindow* m_infoWindow = nullptr;
    // The look is taken from the session once an event has run to its end,
    // when the session's flags agree with its fields.
    QTimer m_lookUpdate;
    ConnectionLook m_look = ConnectionLook::Offline;
    CatchBadge m_badge;
    ControlPermits m_permits;
    bool m_selected = true;
    bool m_awaitingBroadcastReply = false;
    bool m_broadcastSent = false;
    QString m_broadcastCommand;
    QString m_broadcastReply;
};

}  // namespace tavrin
