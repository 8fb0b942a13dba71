#include "app/qt/headless.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/console.h"
#include "app/qt/manager_options.h"
#include "app/usage.h"
#include "common/log_review.h"
#include "common/log_text.h"
#include "link/qt/session_host.h"

namespace tavrin {
namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int signo) {
    const char byte = static_cast<char>(signo);
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

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

void PrintLine(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    FlushSoon();
}

// Message boxes print their text and take their default answer.
class HeadlessDialogs final : public UserDialogs {
  public:
    void ShowMessage(const std::string& text) override { PrintLine("Message: " + text); }
    bool AskYesNo(const std::string& text, DefaultAnswer answer) override {
        const bool yes = answer == DefaultAnswer::Yes;
        PrintLine("Question: " + text + (yes ? " (Yes)" : " (No)"));
        return yes;
    }
    std::optional<std::string> AskOpenFileName(const FileQuestion&) override { return {}; }
    std::optional<std::string> AskSaveFileName(const FileQuestion&) override { return {}; }
};

struct Options {
    std::string dir;
    bool chatbot = false;
    bool dump = false;
    // --no-login: start-up without pressing Login (the window's fallback
    // when it was not asked to log in).
    bool login = true;
    // Print what a review button shows and exit, without logging in.
    bool reviewLog = false;
    bool reviewChat = false;
    ManagerOptions manager;
};

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--headless") continue;
        const OptionTaken taken = TakeManagerOption(argc, argv, i, o.manager);
        if (taken == OptionTaken::Bad) return false;
        if (taken == OptionTaken::Taken) continue;
        if (a == "--chatbot") {
            o.chatbot = true;
        } else if (a == "--dump") {
            o.dump = true;
        } else if (a == "--no-login") {
            o.login = false;
        } else if (a == "--review-log") {
            o.reviewLog = true;
        } else if (a == "--review-chat") {
            o.reviewChat = true;
        } else if (a == "--dir" && i + 1 < argc) {
            o.dir = argv[++i];
        } else {
            std::cerr << "tavrinrat: unknown option " << a << "\n" << kUsage;
            return false;
        }
    }
    return true;
}

// The log reviews print what the viewer shows: its caption on a line of its
// own, then the text. The continuation header a review may write is in that
// text, so the lines are not printed again as they are written.
class ReviewPrinter final : public LogObserver {
  public:
    void EventLineWritten(const std::string&) override {}
    void ChatTextWritten(const std::string&) override {}
    void LogWriteFailed(const std::string& failure) override {
        std::cerr << "tavrinrat: " << failure << "\n";
    }

    static void Print(const LogReview& shown) {
        PrintLine(shown.caption);
        std::fwrite(shown.text.data(), 1, shown.text.size(), stdout);
        if (!shown.text.empty() && shown.text.back() != '\n') std::fputc('\n', stdout);
        std::fflush(stdout);
    }
};

// --review-log and --review-chat: no start-up and no login, so the running
// since text of a continuation header is empty, as before a first login.
int PrintReviews(const std::string& dir, const Options& options) {
    SystemClock clock;
    ReviewPrinter printer;
    EventLog log(dir, clock, printer);
    if (options.reviewLog) ReviewPrinter::Print(ReviewEventLog(log, ""));
    if (options.reviewChat) ReviewPrinter::Print(ReviewChatLog(log));
    return 0;
}

}  // namespace

// The console without a window: status fields and log lines go to standard
// output, message boxes take their default answer.
class HeadlessRunner final : public SessionHostListener, public ConsoleObserver {
  public:
    HeadlessRunner(const std::string& dir, const Options& options)
        : m_options(options),
          m_host(*this),
          m_console(dir, m_host, m_dialogs, m_clock, m_host, *this) {
        m_host.Attach(m_console.Session());
        if (options.dump) m_console.m_fAutoSysUpdate = true;
        if (options.manager.manager) {
            m_port = std::make_unique<QtAdminPort>(m_console.AdminManager(), options.manager.port);
            m_console.AdminManager().AttachPort(*m_port);
            m_console.AdminManager().SetConnectionLimit(options.manager.maxAdmins);
        }
    }
    ~HeadlessRunner() override {
        // The port reports to the console: it goes first.
        m_port.reset();
    }

    Console& GetConsole() { return m_console; }
    QtSessionHost& Host() { return m_host; }
    int Status() const { return m_status; }

  private:
    // SessionHostListener
    void TimerFired(TimerId id) override { m_console.OnTimer(id); }
    void FieldChanged(Field f, const std::string& text) override {
        // Many fields show what the server sent: one line each, whatever it holds.
        PrintLine(FieldLine(f, EscapeControlBytes(text)));
    }
    void ControlChanged(Control c, bool on) override {
        if (c == Control::LoginButtonsEnabled) m_console.Server().SetLoginEnabled(on);
    }
    void ReplyRouted(const RouteResult& result, const std::string& text) override {
        m_console.OnReplyRouted(result, text);
    }

    // ConsoleObserver
    void EventLineWritten(const std::string& line) override {
        PrintLine(line.substr(0, line.size() - 1));
    }
    void ChatTextWritten(const std::string&) override {}
    void LogWriteFailed(const std::string& failure) override {
        std::cerr << "tavrinrat: " << failure << "\n";
    }
    void Started() override {
        if (m_options.chatbot) m_console.ChatBot().SetOn(true);
        if (m_options.login && !m_console.Login()) {
            m_status = 2;
            QCoreApplication::exit(2);
        }
    }
    void ClockTicked() override {
        if (m_options.dump) PrintLine(m_console.InfoText());
    }
    void AdminAccountChanged(int) override {}
    void AdminPortChanged(bool listening) override {
        PrintLine(std::string("Admin Port: ") + (listening ? "listening" : "closed"));
    }

    const Options& m_options;
    SystemClock m_clock;
    HeadlessDialogs m_dialogs;
    QtSessionHost m_host;
    Console m_console;
    std::unique_ptr<QtAdminPort> m_port;
    int m_status = 0;
};

int RunHeadless(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << kUsage;
            return 0;
        }
    }
    QCoreApplication app(argc, argv);
    Options options;
    if (!ParseOptions(argc, argv, options)) return 64;

    std::string dir = options.dir.empty() ? QDir::currentPath().toStdString() : options.dir;
    if (!QDir(QString::fromStdString(dir)).exists()) {
        std::cerr << "tavrinrat: no such folder: " << dir << "\n";
        return 66;
    }
    dir = QDir(QString::fromStdString(dir)).absolutePath().toStdString();
    if (dir.back() != '/') dir += '/';
    if (options.reviewLog || options.reviewChat) return PrintReviews(dir, options);

    HeadlessRunner runner(dir, options);
    Console& console = runner.GetConsole();

    // Signals reach the event loop through a socket pair.
    ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe);
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char signo = 0;
        if (::read(g_signalPipe[0], &signo, 1) != 1) return;
        if (signo == SIGUSR1) {
            PrintLine(console.SystemVariables());
            return;
        }
        // Closing as Cancel does: the closing lines, logout, then exit.
        console.Close(false);
        runner.Host().WaitForWorkersInPlace(1000);
        QCoreApplication::exit(0);
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGINT, SIGTERM, SIGUSR1}) ::sigaction(s, &sa, nullptr);

    console.Initialise(options.manager.manager ? ConsoleRole::Manager : ConsoleRole::Client);
    const int rc = app.exec();
    return runner.Status() ? runner.Status() : rc;
}

}  // namespace tavrin
