#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/qt/console_options.h"
#include "app/qt/console_runtime.h"
#include "app/ui/console_signals.h"
#include "app/ui/main_window.h"
#include "app/ui/widget_dialogs.h"
#include "history/qt/history_reader.h"
#include "link/qt/session_host.h"

namespace tavrin {

class ConsolePane;

// The servers the window opens: those of --server; without it the set open
// when the window last closed (Configs/window.cfg), less the names
// servers.cfg no longer has, or the favourite when none is left. `error` as
// ServersToOpen gives it.
std::vector<OpenServer> WindowServers(const std::string& programDir, const ConsoleOptions& options,
                                      std::string& error);

// The desktop console: one runtime per open server, each with its window
// dialogs and signals, and the main window over them. Closing the window
// (OK, Cancel or the close box) logs every server out, waits for their
// connections' workers side by side, at most 1000 ms and without blocking
// the thread, and then says it has finished.
class WindowApp {
  public:
    // `programDir` ends with the path separator; `history` (null: none)
    // outlives the window.
    WindowApp(const std::string& programDir, const ConsoleOptions& options,
              const OpenServer& server = {}, HistoryWriter* history = nullptr);
    WindowApp(const std::string& programDir, const ConsoleOptions& options,
              const std::vector<OpenServer>& servers, HistoryWriter* history = nullptr);
    ~WindowApp();
    WindowApp(const WindowApp&) = delete;
    WindowApp& operator=(const WindowApp&) = delete;

    // Window initialisation: each console's start-up timer runs and the
    // window shows at its remembered place.
    void Start();

    // Closing has run its course: the workers have ended, or the wait for
    // them is over. `then` runs at that moment (the program ends its event
    // loop there).
    bool Finished() const { return m_finished; }
    void OnFinished(std::function<void()> then) { m_onFinished = std::move(then); }

    // Opens record `name` of servers.cfg beside the others, unless it is
    // open already; false when it is (or no record has that name).
    bool OpenServerRecord(const std::string& name);
    // Logs server `index` out as Cancel does, for it alone, and takes its
    // row and pane away; the last server is never closed this way.
    void CloseServer(int index);

    // Every server's questions answered by script (a test hook), also those
    // of servers opened later.
    void SetDialogsScripted(bool on);

    int ServerCount() const { return static_cast<int>(m_servers.size()); }
    // Server `index` in the list's order; the first without an index.
    ConsoleRuntime& Runtime(int index = 0) { return *m_servers.at(index)->runtime; }
    Console& GetConsole(int index = 0) { return Runtime(index).GetConsole(); }
    ConsoleSignals& Signals(int index = 0) { return m_servers.at(index)->consoleSignals; }
    QtSessionHost& Host(int index = 0) { return Runtime(index).Host(); }
    WidgetDialogs& Dialogs(int index = 0) { return m_servers.at(index)->dialogs; }
    const OpenServer& Server(int index = 0) const { return m_servers.at(index)->open; }
    MainWindow& Window() { return *m_window; }
    // The history's look-ups; null without a history.
    HistoryReader* Reader() { return m_reader.get(); }
    // The Admin Port in the manager role; null in the client role.
    QtAdminPort* AdminPort() { return Runtime().AdminPort(); }

  private:
    struct OpenConsole {
        OpenServer open;
        WidgetDialogs dialogs;
        ConsoleSignals consoleSignals;
        std::unique_ptr<ConsoleRuntime> runtime;
        ConsolePane* pane = nullptr;
    };
    OpenConsole& Add(const OpenServer& open);
    // OpenServerRecord's work: empty when the server opened, else why not.
    std::string OpenRecord(const std::string& name);
    void HandleClosed();
    void HandleCloseRequest(ConsolePane* pane);

    std::string m_programDir;
    ConsoleOptions m_options;
    HistoryWriter* m_history = nullptr;       // shared by every server's runtime; null: none
    std::unique_ptr<HistoryReader> m_reader;  // the window's look-ups; null: no history
    std::unique_ptr<MainWindow> m_window;
    std::vector<std::unique_ptr<OpenConsole>> m_servers;
    // Servers closed on their own, until their workers have ended.
    std::vector<std::unique_ptr<OpenConsole>> m_leaving;
    std::function<void()> m_onFinished;
    bool m_scripted = false;
    bool m_started = false;
    bool m_finished = false;
};

// `tavrinrat` without --headless: the desktop console, run with `options`
// (argc and argv are for the application object). Where there is no display
// it says so and runs the console without a window with the same options.
// Returns the exit status.
int RunWindow(int argc, char** argv, const ConsoleOptions& options);

}  // namespace tavrin
