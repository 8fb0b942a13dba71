#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/console.h"
#include "app/qt/console_options.h"
#include "app/qt/console_runtime.h"
#include "app/ui/console_signals.h"
#include "app/ui/main_window.h"
#include "app/ui/widget_dialogs.h"
#include "link/qt/session_host.h"

namespace tavrin {

// The desktop console: the console's runtime with the window's dialogs and
// signals, and the main window over them. Closing the window
// (OK, Cancel or the close box) logs out, waits for the connection's worker
// at most 1000 ms without blocking the thread, and then says it has finished.
class WindowApp {
  public:
    // `programDir` ends with the path separator; `history` (null: none)
    // outlives the window.
    WindowApp(const std::string& programDir, const ConsoleOptions& options,
              const OpenServer& server = {}, HistoryWriter* history = nullptr);
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

    ConsoleRuntime& Runtime() { return m_runtime; }
    Console& GetConsole() { return m_runtime.GetConsole(); }
    ConsoleSignals& Signals() { return m_signals; }
    QtSessionHost& Host() { return m_runtime.Host(); }
    WidgetDialogs& Dialogs() { return m_dialogs; }
    MainWindow& Window() { return *m_window; }
    // The Admin Port in the manager role; null in the client role.
    QtAdminPort* AdminPort() { return m_runtime.AdminPort(); }

  private:
    void HandleStarted();
    void HandleClosed();

    WidgetDialogs m_dialogs;
    ConsoleSignals m_signals;
    ConsoleRuntime m_runtime;
    std::unique_ptr<MainWindow> m_window;
    std::function<void()> m_onFinished;
    bool m_finished = false;
};

// `tavrinrat` without --headless: the desktop console, run with `options`
// (argc and argv are for the application object). Where there is no display
// it says so and runs the console without a window with the same options.
// Returns the exit status.
int RunWindow(int argc, char** argv, const ConsoleOptions& options);

}  // namespace tavrin
