#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>

#include "app/connection_look.h"
#include "app/console.h"
#include "app/ui/console_signals.h"
#include "app/window_state.h"
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

// The console's window: the five tab pages (Server, Players, Missions,
// Settings, ChatBot), the status fields, Auto Refresh, the two log reviews,
// OK and Cancel; View → System Variables and Help → About in its menu bar.
// It owns the two log viewers and the information window.
//
// It renders the console's fields and controls as they change and hands each
// gesture to the console; it decides nothing about the game server.
class MainWindow final : public QMainWindow, private SettingsPageHost {
    Q_OBJECT

  public:
    MainWindow(Console& console, ConsoleSignals& consoleSignals, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The manager role: the Admins page (index 5), the Admin Port group and
    // the title suffix. Called once, before the window shows.
    void EnterManagerRole();
    bool InManagerRole() const { return m_adminsPage != nullptr; }

    // Shows page `index` (0 .. 4, and 5 in the manager role); any other
    // index does nothing.
    void ShowTab(int index);

    // Where the window is and which page it shows, as Configs/window.cfg keeps it.
    WindowState CurrentState() const;
    // Size, place and page of an earlier run; without a remembered place the
    // window keeps its default size and the desktop places it.
    void RestoreState(const WindowState& state);
    // The size the window opens with when nothing is remembered.
    QSize DefaultSize() const;

    // Whether closing writes Configs/window.cfg (on unless told otherwise).
    void SetRemembersPlace(bool on) { m_remembersPlace = on; }
    bool Closing() const { return m_closing; }

    LogViewer& EventLogViewer() const { return *m_eventViewer; }
    LogViewer& ChatLogViewer() const { return *m_chatViewer; }
    InfoWindow& Information() const { return *m_infoWindow; }

  signals:
    // OK or Cancel (the close box counts as Cancel) has closed the console:
    // the closing lines are logged and the logout is under way.
    void closed(bool ok);

  public slots:
    // OK (true) or Cancel (false).
    void CloseConsole(bool ok);
    void ShowAbout();
    void ShowSystemVariables();
    // The Server page's Login, as its button does.
    void LogIn();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

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
    void BuildMenus();
    void HandleFieldChanged(Field field, const QString& text);
    void HandleControlChanged(Control control, bool on);
    // The pages' controls that send follow the session's "can send".
    void ApplyCanSend(bool on);
    void ShowLastReason(const QString& reason);
    void HandleLogWriteFailed(const QString& failure);
    void ShowConnectionLook();

    Console& m_console;
    ConsoleSignals& m_signals;
    QTabWidget* m_tabs = nullptr;
    ServerPage* m_serverPage = nullptr;
    PlayersPage* m_playersPage = nullptr;
    MissionsPage* m_missionsPage = nullptr;
    SettingsPage* m_settingsPage = nullptr;
    ChatBotPage* m_chatBotPage = nullptr;
    AdminsPage* m_adminsPage = nullptr;
    QWidget* m_adminPortGroup = nullptr;
    QPushButton* m_portToggle = nullptr;
    QString m_titleSuffix;
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
    bool m_remembersPlace = true;
    bool m_closing = false;
};

}  // namespace tavrin
