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
// The session host reports here: timer ticks and routed replies reach the
// console first, then the front-end hears of each.
class ConsoleRuntime final : private SessionHostListener, private ConsoleObserver {
  public:
    // `programDir` ends with the path separator. `listener` hears what the
    // session host reports, `observer` what the console tells.
    ConsoleRuntime(const std::string& programDir, const ConsoleOptions& options,
                   UserDialogs& dialogs, SessionHostListener& listener, ConsoleObserver& observer);
    ~ConsoleRuntime() override;
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
    // SessionHostListener
    void TimerFired(TimerId id) override;
    void FieldChanged(Field field, const std::string& text) override;
    void ControlChanged(Control control, bool on) override;
    void ReplyRouted(const RouteResult& result, const std::string& text) override;

    // ConsoleObserver
    void EventLineWritten(const std::string& line) override;
    void ChatTextWritten(const std::string& block) override;
    void LogWriteFailed(const std::string& failure) override;
    void Started() override;
    void ClockTicked() override;
    void AdminAccountChanged(int row) override;
    void AdminPortChanged(bool listening) override;

    const ConsoleOptions m_options;
    SessionHostListener& m_listener;
    ConsoleObserver& m_observer;
    SystemClock m_clock;
    QtSessionHost m_host{*this};
    Console m_console;
    std::unique_ptr<QtAdminPort> m_port;
};

}  // namespace tavrin
