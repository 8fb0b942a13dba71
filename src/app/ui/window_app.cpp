#include "app/ui/window_app.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QSocketNotifier>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "app/qt/headless.h"
#include "app/ui/app_icon.h"
#include "app/ui/screenshot_tour.h"
#include "app/usage.h"

namespace tavrin {
namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// A window needs a display server, or a platform chosen on purpose (such as
// offscreen).
bool HasDisplay() {
    return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM");
}

enum class Parsed { Run, Help, Bad };

Parsed ParseOptions(int argc, char** argv, WindowOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") return Parsed::Help;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const OptionTaken taken = TakeManagerOption(argc, argv, i, o.manager);
        if (taken == OptionTaken::Bad) return Parsed::Bad;
        if (taken == OptionTaken::Taken) continue;
        if (a == "--chatbot") {
            o.chatbot = true;
        } else if (a == "--login") {
            o.login = true;
        } else if (a == "--dir" && i + 1 < argc) {
            o.dir = argv[++i];
        } else if (a == "--screenshots" && i + 1 < argc) {
            o.screenshots = argv[++i];
        } else {
            std::cerr << "tavrinrat: unknown option " << a << "\n" << kUsage;
            return Parsed::Bad;
        }
    }
    return Parsed::Run;
}

// The console without a window, with the options it shares with the window:
// it presses Login only when --login asks for it, as the window does.
int RunHeadlessInstead(char* program, const WindowOptions& o) {
    std::vector<std::string> args = {program, "--headless"};
    if (!o.dir.empty()) args.insert(args.end(), {"--dir", o.dir});
    if (o.chatbot) args.push_back("--chatbot");
    if (!o.login) args.push_back("--no-login");
    if (o.manager.manager) {
        const ManagerOptions& m = o.manager;
        args.push_back("--manager");
        args.insert(args.end(), {"--admin-port", std::to_string(m.port.port)});
        args.insert(args.end(), {"--admin-bind", m.port.bind.toString().toStdString()});
        args.insert(args.end(), {"--max-admins", std::to_string(m.maxAdmins)});
        args.insert(args.end(),
                    {"--max-unsent", std::to_string(m.port.maxUnsentInAll / (1024 * 1024))});
        if (!m.port.tlsCertificate.isEmpty())
            args.insert(args.end(), {"--admin-tls", m.port.tlsCertificate.toStdString(),
                                     m.port.tlsKey.toStdString()});
    }
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return RunHeadless(static_cast<int>(args.size()), argv.data());
}

int g_signalPipe[2] = {-1, -1};

void OnSignal(int signo) {
    const char byte = static_cast<char>(signo);
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

}  // namespace

WindowApp::WindowApp(const std::string& programDir, const WindowOptions& options)
    : m_options(options) {
    m_console =
        std::make_unique<Console>(programDir, m_host, m_dialogs, m_clock, m_host, m_signals);
    m_host.Attach(m_console->Session());
    m_signals.Attach(*m_console);
    if (options.manager.manager) {
        m_port = std::make_unique<QtAdminPort>(m_console->AdminManager(), options.manager.port);
        m_console->AdminManager().AttachPort(*m_port);
        m_console->AdminManager().SetConnectionLimit(options.manager.maxAdmins);
    }
    m_window = std::make_unique<MainWindow>(*m_console, m_signals);
    if (m_port) m_window->EnterManagerRole();
    m_dialogs.SetParent(m_window.get());
    QObject::connect(&m_signals, &ConsoleSignals::started, m_window.get(),
                     [this] { handleStarted(); });
    QObject::connect(m_window.get(), &MainWindow::closed, m_window.get(),
                     [this] { handleClosed(); });
}

WindowApp::~WindowApp() {
    // The window goes first: its pages hold references into the console;
    // then the port, which reports to the console.
    m_window.reset();
    m_port.reset();
}

void WindowApp::Start() {
    // Pictures show the window at its default size and leave the remembered place alone.
    const bool pictures = !m_options.screenshots.empty();
    m_window->SetRemembersPlace(!pictures);
    if (!pictures) m_window->RestoreState(LoadWindowState(m_console->ProgramDir()));
    m_console->Initialise(m_port ? ConsoleRole::Manager : ConsoleRole::Client);
    m_window->show();
}

void WindowApp::handleStarted() {
    if (m_options.chatbot) m_console->ChatBot().SetOn(true);
    if (m_options.login) m_window->logIn();
}

void WindowApp::handleClosed() {
    // The logout asked the worker to end; the loop ends once it has, or
    // after the bound, and never waits in place.
    m_host.WaitForWorkers([this] {
        if (m_finished) return;
        m_finished = true;
        if (m_onFinished) m_onFinished();
    });
}

int RunWindow(int argc, char** argv) {
    WindowOptions options;
    switch (ParseOptions(argc, argv, options)) {
        case Parsed::Help:
            std::cout << kUsage;
            return 0;
        case Parsed::Bad:
            return 64;
        case Parsed::Run:
            break;
    }
    if (!options.screenshots.empty()) options.login = true;
    if (!HasDisplay()) {
        std::cerr << "tavrinrat: no display (DISPLAY and WAYLAND_DISPLAY are not set): "
                     "starting the console without a window\n";
        return RunHeadlessInstead(argv[0], options);
    }

    QApplication app(argc, argv);
    // The console ends when its closing is done, not when its last window hides.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("TavrinRAT"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tavrinrat"));
    QApplication::setWindowIcon(AppIcon());

    std::string dir = options.dir.empty() ? QDir::currentPath().toStdString() : options.dir;
    if (!QDir(QString::fromStdString(dir)).exists()) {
        std::cerr << "tavrinrat: no such folder: " << dir << "\n";
        return 66;
    }
    dir = QDir(QString::fromStdString(dir)).absolutePath().toStdString();
    if (dir.back() != '/') dir += '/';

    WindowApp window(dir, options);
    window.OnFinished([] { QCoreApplication::exit(0); });

    // SIGINT and SIGTERM close as Cancel does.
    ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe);
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char signo = 0;
        if (::read(g_signalPipe[0], &signo, 1) != 1) return;
        window.Window().closeConsole(false);
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGINT, SIGTERM}) ::sigaction(s, &sa, nullptr);

    std::unique_ptr<ScreenshotTour> tour;
    if (!options.screenshots.empty()) {
        window.Dialogs().SetScripted(true);
        tour =
            std::make_unique<ScreenshotTour>(window, QString::fromStdString(options.screenshots));
    }
    window.Start();
    const int rc = QApplication::exec();
    if (tour && !tour->Succeeded()) return 1;
    return rc;
}

}  // namespace tavrin
