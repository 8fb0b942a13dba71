#include "app/qt/headless.h"

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include "app/config_check.h"
#include "app/console.h"
#include "app/journal_line.h"
#include "app/qt/console_runtime.h"
#include "app/qt/history_setup.h"
#include "app/qt/schedule_history.h"
#include "app/qt/service_notifier.h"
#include "app/qt/signal_pipe.h"
#include "app/service_state.h"
#include "common/day_folders.h"
#include "common/log_review.h"
#include "common/log_text.h"
#include "history/qt/history_reader.h"
#include "link/qt/session_host.h"

namespace tavrin {
namespace {

// Lines leave once per turn of the event loop rather than one write each: a
// manager relaying for hundreds of admins changes its fields thousands of
// times a second.
void FlushSoon() {
    static bool pending = false;
    if (pending || QCoreApplication::instance() == nullptr) {
        if (!pending) std::fflush(stdout);
        return;
    }
    pending = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        pending = false;
        std::fflush(stdout);
    });
}

// How lines are printed: set once at start from the environment and options.
OutputStyle g_style;

// With several servers open every line names its server: `prefix` is
// "[NAME] ", put before each line of `text`; with one it is empty. In the
// journal each line starts with its priority.
void PrintLine(const std::string& prefix, const std::string& text,
               LinePriority priority = LinePriority::Info) {
    const std::string head = PriorityPrefix(priority, g_style) + prefix;
    for (size_t from = 0;;) {
        const size_t lf = text.find('\n', from);
        const size_t end = lf == std::string::npos ? text.size() : lf;
        std::fwrite(head.data(), 1, head.size(), stdout);
        std::fwrite(text.data() + from, 1, end - from, stdout);
        std::fputc('\n', stdout);
        if (lf == std::string::npos) break;
        from = lf + 1;
    }
    FlushSoon();
}

// Message boxes print their text and take their default answer.
class HeadlessDialogs final : public UserDialogs {
  public:
    explicit HeadlessDialogs(std::string prefix) : m_prefix(std::move(prefix)) {}
    void ShowMessage(const std::string& text) override {
        PrintLine(m_prefix, "Message: " + text, LinePriority::Warning);
    }
    bool AskYesNo(const std::string& text, DefaultAnswer answer) override {
        const bool yes = answer == DefaultAnswer::Yes;
        PrintLine(m_prefix, "Question: " + text + (yes ? " (Yes)" : " (No)"),
                  LinePriority::Warning);
        return yes;
    }
    std::optional<std::string> AskOpenFileName(const FileQuestion&) override { return {}; }
    std::optional<std::string> AskSaveFileName(const FileQuestion&) override { return {}; }

  private:
    std::string m_prefix;
};

// The log reviews print what the viewer shows: its caption on a line of its
// own, then the text. The continuation header a review may write is in that
// text, so the lines are not printed again as they are written.
class ReviewPrinter final : public LogObserver {
  public:
    void EventLineWritten(const std::string&) override {}
    void ChatTextWritten(const std::string&) override {}
    void LogWriteFailed(const std::string& failure) override {
        std::cerr << PriorityPrefix(LinePriority::Error, g_style) << "tavrinrat: " << failure
                  << "\n";
    }

    static void Print(const std::string& prefix, const LogReview& shown) {
        PrintLine(prefix, shown.caption);
        if (prefix.empty()) {
            std::fwrite(shown.text.data(), 1, shown.text.size(), stdout);
            if (!shown.text.empty() && shown.text.back() != '\n') std::fputc('\n', stdout);
        } else if (!shown.text.empty()) {
            const bool lf = shown.text.back() == '\n';
            PrintLine(prefix, shown.text.substr(0, shown.text.size() - (lf ? 1 : 0)));
        }
        std::fflush(stdout);
    }
};

// "[NAME] " before every line when several servers are open.
std::string LinePrefix(const OpenServer& server, size_t open) {
    // The name as the lines show what a server sent: no control byte breaks a line.
    return open > 1 ? "[" + EscapeControlBytes(server.name) + "] " : std::string();
}

// --review-log and --review-chat: no start-up and no login, so the running
// since text of a continuation header is empty, as before a first login.
int PrintReviews(const std::string& dir, const ConsoleOptions& options,
                 const std::vector<OpenServer>& servers) {
    SystemClock clock;
    ReviewPrinter printer;
    for (const OpenServer& server : servers) {
        const std::string prefix = LinePrefix(server, servers.size());
        EventLog log(server.logDir.empty() ? dir : server.logDir, clock, printer);
        if (options.reviewLog) ReviewPrinter::Print(prefix, ReviewEventLog(log, ""));
        if (options.reviewChat) ReviewPrinter::Print(prefix, ReviewChatLog(log));
    }
    return 0;
}

// What the consoles tell a service manager, and the socket it goes out on.
struct ServiceLink {
    ServiceState state;
    ServiceNotifier notifier;
};

}  // namespace

// The console without a window: status fields and log lines go to standard
// output, message boxes take their default answer. It observes the console
// as the window does.
class HeadlessConsole final : public ConsoleObserver {
  public:
    // `prefix` goes before each line printed: "[NAME] " with several servers.
    // `service` hears of this console as console number `index`.
    HeadlessConsole(const std::string& dir, const ConsoleOptions& options, const OpenServer& server,
                    std::string prefix, std::function<void()> loginRefused, ServiceLink& service,
                    size_t index, HistoryWriter* history)
        : m_prefix(std::move(prefix)),
          m_loginRefused(std::move(loginRefused)),
          m_service(service),
          m_index(index),
          m_dialogs(m_prefix),
          m_runtime(dir, options, m_dialogs, *this, server, history),
          m_dayFolders(m_runtime.GetConsole().Log().ProgramDir(), options.keepDays) {}

    ConsoleRuntime& Runtime() { return m_runtime; }
    int Status() const { return m_status; }
    // The schedule's ON OFFENDER rules read the history through `reader`.
    void ReadHistoryWith(HistoryReader& reader) {
        m_scheduleHistory = std::make_unique<ScheduleHistory>(GetConsole(), reader, nullptr);
    }
    void Print(const std::string& text, LinePriority priority = LinePriority::Info) const {
        PrintLine(m_prefix, text, priority);
    }

  private:
    Console& GetConsole() { return m_runtime.GetConsole(); }

    // ConsoleObserver
    void FieldChanged(Field f, const std::string& text) override {
        m_service.notifier.Send(m_service.state.FieldChanged(m_index, f, text));
        if (!FieldPrinted(f, g_style)) return;
        // Many fields show what the server sent: one line each, whatever it holds.
        Print(FieldLine(f, EscapeControlBytes(text)),
              f == Field::LastReason && !text.empty() ? LinePriority::Warning : LinePriority::Info);
    }
    void EventLineWritten(const std::string& line) override {
        const std::string text = EventLineText(line.substr(0, line.size() - 1), g_style);
        Print(text, EventPriority(text));
    }
    void ChatTextWritten(const std::string&) override {}
    void LogWriteFailed(const std::string& failure) override {
        std::cerr << PriorityPrefix(LinePriority::Error, g_style) << "tavrinrat: " << m_prefix
                  << failure << "\n";
    }
    void Started() override {
        RemoveOldDayFolders();
        m_service.notifier.Send(m_service.state.Started(m_index));
        if (m_runtime.Options().login && !GetConsole().Login()) {
            m_status = 2;
            m_loginRefused();
        }
    }
    void ClockTicked() override {
        RemoveOldDayFolders();
        if (m_runtime.Options().dump) Print(GetConsole().InfoText());
    }
    void AdminAccountChanged(int) override {}
    void AdminPortChanged(bool listening) override {
        m_service.notifier.Send(m_service.state.PortChanged(m_index, listening));
        Print(std::string("Admin Port: ") + (listening ? "listening" : "closed"));
    }

    // --keep-days: at start, then after each midnight.
    void RemoveOldDayFolders() {
        EventLog& log = GetConsole().Log();
        m_dayFolders.Tick(log.GetClock().Now(), log);
    }

    const std::string m_prefix;
    const std::function<void()> m_loginRefused;
    ServiceLink& m_service;
    const size_t m_index;
    HeadlessDialogs m_dialogs;
    ConsoleRuntime m_runtime;
    DayFolderKeeper m_dayFolders;
    std::unique_ptr<ScheduleHistory> m_scheduleHistory;
    int m_status = 0;
};

int RunHeadless(int argc, char** argv, const ConsoleOptions& options) {
    QCoreApplication app(argc, argv);
    const std::optional<std::string> dir = ConsoleRuntime::ProgramFolder(options);
    if (!dir) return 66;
    if (!options.history.player.empty() || !options.history.exportFile.empty())
        return RunHistoryLookups(*dir, options.history);
    std::string error;
    const std::vector<OpenServer> servers = ServersToOpen(*dir, options, error);
    if (servers.empty()) {
        std::cerr << error;
        return 64;
    }
    if (options.reviewLog || options.reviewChat) return PrintReviews(*dir, options, servers);
    g_style = OutputStyleFor(std::getenv("JOURNAL_STREAM"), options.verbose);

    // One history for every server, written on its own thread; a console
    // whose history cannot be kept runs without it.
    std::string historyNote;
    const std::unique_ptr<HistoryWriter> history = StartHistory(*dir, options.history, historyNote);
    if (!historyNote.empty()) std::cerr << "tavrinrat: " << historyNote << "\n";
    // What the schedule asks of the history is read on a thread of its own.
    const std::unique_ptr<HistoryReader> reader =
        history ? std::make_unique<HistoryReader>(history->Options().target,
                                                  history->Options().password)
                : nullptr;

    // Made before the consoles, which tell it of their changes to the end.
    std::vector<ServiceState::Console> serviced;
    for (const OpenServer& server : servers)
        serviced.push_back({LinePrefix(server, servers.size()), options.manager.manager});
    ServiceLink service{ServiceState(std::move(serviced)), {}};
    // One runtime per server, each with its own session, models and logs;
    // they share the event loop and the program folder's files.
    std::vector<std::unique_ptr<HeadlessConsole>> consoles;
    std::vector<QtSessionHost*> hosts;
    // One server's bad record leaves the others running (the exit status
    // says so at the end); with none left to run the console ends.
    size_t refused = 0;
    const auto loginRefused = [&refused, &servers] {
        if (++refused == servers.size()) QCoreApplication::exit(2);
    };
    for (const OpenServer& server : servers) {
        consoles.push_back(std::make_unique<HeadlessConsole>(
            *dir, options, server, LinePrefix(server, servers.size()), loginRefused, service,
            consoles.size(), history.get()));
        hosts.push_back(&consoles.back()->Runtime().Host());
        if (reader) consoles.back()->ReadHistoryWith(*reader);
    }
    const SignalPipe signalPipe({SIGINT, SIGTERM, SIGUSR1, SIGHUP},
                                [&consoles, &hosts, &service](int signo) {
                                    if (signo == SIGUSR1) {
                                        for (const auto& c : consoles)
                                            c->Print(c->Runtime().GetConsole().SystemVariables());
                                        return;
                                    }
                                    if (signo == SIGHUP) {
                                        // The files are read again; the game links and the admins
                                        // stay.
                                        for (const auto& c : consoles)
                                            c->Runtime().GetConsole().ReloadConfiguration();
                                        return;
                                    }
                                    // Closing as Cancel does: the closing lines and the logout of
                                    // every server, their workers ending side by side, then exit.
                                    service.notifier.Send(ServiceState::Stopping());
                                    for (const auto& c : consoles)
                                        c->Runtime().GetConsole().Close(false);
                                    QtSessionHost::WaitForWorkersInPlace(hosts, 1000);
                                    QCoreApplication::exit(0);
                                });
    for (const auto& c : consoles) c->Runtime().Initialise();
    const int rc = app.exec();
    for (const auto& c : consoles)
        if (c->Status()) return c->Status();
    return rc;
}

int RunCheckConfig(const ConsoleOptions& options) {
    const std::optional<std::string> dir = ConsoleRuntime::ProgramFolder(options);
    if (!dir) return 66;
    const std::vector<ConfigProblem> problems = CheckConfigFiles(*dir, options.servers);
    const OutputStyle style = OutputStyleFor(std::getenv("JOURNAL_STREAM"), options.verbose);
    for (const ConfigProblem& problem : problems) {
        const LinePriority priority = problem.severity == ProblemSeverity::Error
                                          ? LinePriority::Error
                                          : LinePriority::Warning;
        std::cout << PriorityPrefix(priority, style) << ProblemLine(problem) << "\n";
    }
    std::cout.flush();
    return AnyError(problems) ? 1 : 0;
}

}  // namespace tavrin
