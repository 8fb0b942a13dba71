#include "app/qt/headless.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "app/console.h"
#include "link/qt/session_host.h"

namespace tavrin {
namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int signo) {
    const char byte = static_cast<char>(signo);
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

void PrintLine(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Message boxes print their text and take their default answer.
class HeadlessDialogs final : public UserDialogs {
  public:
    void ShowMessage(const std::string& text) override { PrintLine("Message: " + text); }
    bool AskYesNo(const std::string& text) override {
        PrintLine("Question: " + text + " (Yes)");
        return true;
    }
    std::optional<std::string> AskOpenFileName(const std::string&) override { return {}; }
    std::optional<std::string> AskSaveFileName(const std::string&) override { return {}; }
};

struct Options {
    std::string dir;
    bool chatbot = false;
    bool dump = false;
};

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--headless") continue;
        if (a == "--chatbot") {
            o.chatbot = true;
        } else if (a == "--dump") {
            o.dump = true;
        } else if (a == "--dir" && i + 1 < argc) {
            o.dir = argv[++i];
        } else {
            std::cerr << "usage: tavrinrat --headless [--dir DIR] [--chatbot] [--dump]\n";
            return false;
        }
    }
    return true;
}

}  // namespace

int RunHeadless(int argc, char** argv) {
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

    SystemClock clock;
    HeadlessDialogs dialogs;
    QtSessionHost host;
    Console console(dir, host, dialogs, clock, [&host] {
        WorkerInfo w;
        w.threadCount = CRATThread::Count();
        if (const CRATThread* t = host.CurrentWorker()) {
            w.present = true;
            w.reference = reinterpret_cast<unsigned long long>(t);
            w.threadId = t->ThreadId();
            w.socket = t->Snapshot();
        }
        return w;
    });
    host.Attach(console.Session());
    host.onTimer = [&console](TimerId id) {
        console.OnTimer(id);
        return true;
    };
    host.onFieldChanged = [](Field f, const std::string& text) {
        PrintLine(std::string(kFieldNames[static_cast<size_t>(f)]) + ": " + text);
    };
    host.onControlChanged = [&console](Control c, bool on) {
        if (c == Control::LoginButtonsEnabled) console.Server().SetLoginEnabled(on);
    };
    console.Log().onEventLine = [](const std::string& line) {
        PrintLine(line.substr(0, line.size() - 1));
    };
    console.Log().onWriteFailure = [](const std::string& failure) {
        std::cerr << "tavrinrat: " << failure << "\n";
    };

    int status = 0;
    console.onStarted = [&] {
        if (options.chatbot) console.ChatBot().SetOn(true);
        if (!console.Login()) {
            status = 2;
            QCoreApplication::exit(2);
        }
    };
    if (options.dump) console.m_fAutoSysUpdate = true;
    console.onClockTick = [&console, &options] {
        if (options.dump) PrintLine(console.InfoText());
    };

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
        host.WaitForWorkersInPlace(1000);
        QCoreApplication::exit(0);
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGINT, SIGTERM, SIGUSR1}) ::sigaction(s, &sa, nullptr);

    console.Initialise();
    const int rc = app.exec();
    return status ? status : rc;
}

}  // namespace tavrin
