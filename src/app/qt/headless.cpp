#include "app/qt/headless.h"

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>

#include "app/console.h"
#include "app/qt/console_runtime.h"
#include "app/qt/signal_pipe.h"
#include "common/log_review.h"
#include "common/log_text.h"
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
int PrintReviews(const std::string& dir, const ConsoleOptions& options) {
    SystemClock clock;
    ReviewPrinter printer;
    EventLog log(dir, clock, printer);
    if (options.reviewLog) ReviewPrinter::Print(ReviewEventLog(log, ""));
    if (options.reviewChat) ReviewPrinter::Print(ReviewChatLog(log));
    return 0;
}

}  // namespace

// The console without a window: status fields and log lines go to standard
// output, message boxes take their default answer. It observes the console
// as the window does.
class HeadlessConsole final : public ConsoleObserver {
  public:
    HeadlessConsole(const std::string& dir, const ConsoleOptions& options)
        : m_runtime(dir, options, m_dialogs, *this) {}

    ConsoleRuntime& Runtime() { return m_runtime; }
    int Status() const { return m_status; }

  private:
    Console& GetConsole() { return m_runtime.GetConsole(); }

    // ConsoleObserver
    void FieldChanged(Field f, const std::string& text) override {
        // Many fields show what the server sent: one line each, whatever it holds.
        PrintLine(FieldLine(f, EscapeControlBytes(text)));
    }
    void EventLineWritten(const std::string& line) override {
        PrintLine(line.substr(0, line.size() - 1));
    }
    void ChatTextWritten(const std::string&) override {}
    void LogWriteFailed(const std::string& failure) override {
        std::cerr << "tavrinrat: " << failure << "\n";
    }
    void Started() override {
        if (m_runtime.Options().login && !GetConsole().Login()) {
            m_status = 2;
            QCoreApplication::exit(2);
        }
    }
    void ClockTicked() override {
        if (m_runtime.Options().dump) PrintLine(GetConsole().InfoText());
    }
    void AdminAccountChanged(int) override {}
    void AdminPortChanged(bool listening) override {
        PrintLine(std::string("Admin Port: ") + (listening ? "listening" : "closed"));
    }

    HeadlessDialogs m_dialogs;
    ConsoleRuntime m_runtime;
    int m_status = 0;
};

int RunHeadless(int argc, char** argv, const ConsoleOptions& options) {
    QCoreApplication app(argc, argv);
    const std::optional<std::string> dir = ConsoleRuntime::ProgramFolder(options);
    if (!dir) return 66;
    if (options.reviewLog || options.reviewChat) return PrintReviews(*dir, options);

    HeadlessConsole headless(*dir, options);
    ConsoleRuntime& runtime = headless.Runtime();
    const SignalPipe signalPipe({SIGINT, SIGTERM, SIGUSR1}, [&runtime](int signo) {
        if (signo == SIGUSR1) {
            PrintLine(runtime.GetConsole().SystemVariables());
            return;
        }
        // Closing as Cancel does: the closing lines, logout, then exit.
        runtime.GetConsole().Close(false);
        runtime.Host().WaitForWorkersInPlace(1000);
        QCoreApplication::exit(0);
    });
    runtime.Initialise();
    const int rc = app.exec();
    return headless.Status() ? headless.Status() : rc;
}

}  // namespace tavrin
