#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/console.h"
#include "app/qt/manager_options.h"
#include "app/ui/console_signals.h"
#include "app/ui/main_window.h"
#include "app/ui/widget_dialogs.h"
#include "link/qt/session_host.h"

namespace tavrin {

// What `tavrinrat` is started with.
struct WindowOptions {
    std::string dir;          // the program folder; empty: the current folder
    bool chatbot = false;     // --chatbot: the ChatBot on at start-up
    bool login = false;       // --login: Login for the favourite record at start-up
    std::string screenshots;  // --screenshots DIR: pictures of every window, then exit
    ManagerOptions manager;   // --manager and the Admin Port's options
};

// The desktop console: the console engine with its clock, dialogs, session
// host and signals, and the main window over them. Closing the window
// (OK, Cancel or the close box) logs out, waits for the connection's worker
// at most 1000 ms without blocking the thread, and then says it has finished.
class WindowApp {
  public:
    // `programDir` ends with the path separator.
    WindowApp(const std::string& programDir, const WindowOptions& options);
    ~WindowApp();
    WindowApp(const WindowApp&) = delete;
    WindowApp& operator=(const WindowApp&) = delete;

    // Window initialisation: the console's start-up timer runs and the
    // window shows at its remembered place.
    void Start();

    // Closing has run its course: the workers have ended, or the wait for
    // them is over. `then` runs at that moment (the program ends its event
    // loop there).
    bool Finished() const { return m_finished; }
    void OnFinished(std::function<void()> then) { m_onFinished = std::move(then); }

    Console& GetConsole() { return *m_console; }
    ConsoleSignals& Signals() { return m_signals; }
    QtSessionHost& Host() { return m_host; }
    WidgetDialogs& Dialogs() { return m_dialogs; }
    MainWindow& Window() { return *m_window; }
    // The Admin Port in the manager role; null in the client role.
    QtAdminPort* AdminPort() { return m_port.get(); }

  private:
    void handleStarted();
    void handleClosed();

    WindowOptions m_options;
    SystemClock m_clock;
    WidgetDialogs m_dialogs;
    ConsoleSignals m_signals;
    QtSessionHost m_host{m_signals};
    std::unique_ptr<Console> m_console;
    std::unique_ptr<QtAdminPort> m_port;
    std::unique_ptr<MainWindow> m_window;
    std::function<void()> m_onFinished;
    bool m_finished = false;
};

// `tavrinrat [--dir DIR] [--chatbot] [--login]`: the desktop console. Where
// there is no display it says so and runs the console without a window.
// Returns the exit status.
int RunWindow(int argc, char** argv);

}  // namespace tavrin
