#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/console.h"
#include "app/qt/console_options.h"
#include "link/qt/session_host.h"

namespace tavrin {

// One connection's console engine: its clock, session host, console and, in
// the manager role, the Admin Port, for the program folder and options it
// was made with. A front-end (the window, the console without a window)
// renders it and answers its questions; nothing of the process lives in
// here, so several runtimes can run side by side.
//
// The session host reports to the console, which acts and then tells the
// front-end through `observer`.
class ConsoleRuntime final {
  public:
    // `programDir` ends with the path separator; `observer` hears what the
    // console tells.
    ConsoleRuntime(const std::string& programDir, const ConsoleOptions& options,
                   UserDialogs& dialogs, ConsoleObserver& observer);
    ~ConsoleRuntime();
    ConsoleRuntime(const ConsoleRuntime&) = delete;
    ConsoleRuntime& operator=(const ConsoleRuntime&) = delete;

    // The program folder a command line names, absolute and ending with the
    // path separator; without --dir the current folder. A folder that does
    // not exist is said on standard error (the exit status is 66).
    static std::optional<std::string> ProgramFolder(const ConsoleOptions& options);

    // The console's initialisation in the role the options ask for; its
    // start-up timer runs.
    void Initialise();

    const ConsoleOptions& Options() const { return m_options; }
    Console& GetConsole() { return m_console; }
    QtSessionHost& Host() { return m_host; }
    // The Admin Port in the manager role; null in the client role.
    QtAdminPort* AdminPort() { return m_port.get(); }

  private:
    const ConsoleOptions m_options;
    SystemClock m_clock;
    QtSessionHost m_host;
    Console m_console;
    std::unique_ptr<QtAdminPort> m_port;
};

}  // namespace tavrin
