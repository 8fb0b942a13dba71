#pragma once

#include <QMainWindow>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/ui/console_signals.h"
#include "app/window_state.h"

class QListWidget;
class QStackedWidget;

namespace tavrin {

class ConsolePane;
class HistoryReader;
class HistoryWindow;
class InfoWindow;
class LogViewer;

// The console's window: one ConsolePane per open server (its tab pages,
// status fields and buttons) in a stack, and with several servers a list of
// them beside it ("serverList"); View → System Variables, History, Schedule…, Servers → Message
// all servers and Close Server, and Help → About in its menu bar. With one
// server it is that server's pane and nothing more.
//
// It renders and hands each gesture to the console of the server in view; it
// decides nothing about the game servers.
class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // A server's pane, at the end of the list; the first one is selected.
    // `name` is its record of servers.cfg (empty: the favourite).
    ConsolePane& AddServer(Console& console, ConsoleSignals& consoleSignals,
                           const std::string& name);
    // Takes the pane away (its console has been closed); the last one stays.
    void RemoveServer(ConsolePane& pane);
    int ServerCount() const;
    ConsolePane& Pane(int index) const;
    ConsolePane& CurrentPane() const;
    int CurrentServer() const;
    // Shows server `index` of the list; any other index does nothing.
    void SelectServer(int index);

    // The manager role (one server only): the Admins page and the Admin Port
    // group of the pane, and the title suffix. Called once, before the window shows.
    void EnterManagerRole();
    bool InManagerRole() const;

    // Shows page `index` (0 .. 4, and 5 in the manager role) of the server in
    // view; any other index does nothing.
    void ShowTab(int index);

    // Where the window is, which page it shows and which servers are open,
    // as Configs/window.cfg keeps it.
    WindowState CurrentState() const;
    // Size, place and page of an earlier run; without a remembered place the
    // window keeps its default size and the desktop places it.
    void RestoreState(const WindowState& state);
    // The size the window opens with when nothing is remembered.
    QSize DefaultSize() const;

    // Whether closing writes Configs/window.cfg (on unless told otherwise).
    void SetRemembersPlace(bool on) { m_remembersPlace = on; }
    bool Closing() const { return m_closing; }

    // The history the History window reads (View → History, Ctrl+H); null
    // (the default): no history is kept, and the entry is disabled and says so.
    void SetHistory(HistoryReader* reader);
    // The History window once it was opened, else null.
    HistoryWindow* History() const { return m_historyWindow; }

    LogViewer& EventLogViewer() const;
    LogViewer& ChatLogViewer() const;
    InfoWindow& Information() const;

  signals:
    // OK or Cancel (the close box counts as Cancel) has closed every
    // console: the closing lines are logged and the logouts are under way.
    void closed(bool ok);
    // "Close Server" was confirmed for this pane's server.
    void serverCloseRequested(tavrin::ConsolePane* pane);

  public slots:
    // OK (true) or Cancel (false), for every open server.
    void CloseConsole(bool ok);
    void ShowAbout();
    void ShowSystemVariables();
    // View → History: opens the History window (non-modal), or raises it.
    void ShowHistory();
    // View → Schedule…: opens the Schedule editor (window-modal) over the
    // file every open server reads.
    void ShowSchedule();
    // The Server page's Login of the server in view, as its button does.
    void LogIn();
    // "Message all servers": asks for the line, then sends it.
    void AskMessageAllServers();
    // Sends `line` to every server that can send chat now, as its ChatBot
    // page's Send does; a line that Windows-1252 cannot hold is refused with
    // a message.
    void MessageAllServers(const QString& line);
    // "Close Server": asks (No by default), then asks the front-end to
    // close the server in view. Not offered for the last server.
    void AskCloseServer();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void BuildMenus();
    void ShowTitle();
    void ShowRow(ConsolePane* pane);
    void ShowServerList();
    // "Message all servers" is offered while some open server's account may
    // send a chat line; when none may, its tooltip says why.
    void ShowMessageAllPermit();

    QListWidget* m_serverList = nullptr;
    QStackedWidget* m_panes = nullptr;
    QAction* m_closeServer = nullptr;
    QAction* m_messageAll = nullptr;
    QAction* m_historyAction = nullptr;
    HistoryReader* m_history = nullptr;
    HistoryWindow* m_historyWindow = nullptr;
    QString m_titleSuffix;
    bool m_remembersPlace = true;
    bool m_closing = false;
};

}  // namespace tavrin
