#include "app/ui/window_app.h"

#include <QApplication>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "app/qt/headless.h"
#include "app/qt/history_setup.h"
#include "app/qt/signal_pipe.h"
#include "app/ui/app_icon.h"
#include "app/ui/screenshot_tour.h"

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

}  // namespace

WindowApp::WindowApp(const std::string& programDir, const ConsoleOptions& options,
                     const OpenServer& server, HistoryWriter* history)
    : m_runtime(programDir, options, m_dialogs, m_signals, server, history) {
    m_window = std::make_unique<MainWindow>(GetConsole(), m_signals);
    if (AdminPort()) m_window->EnterManagerRole();
    m_dialogs.SetParent(m_window.get());
    QObject::connect(&m_signals, &ConsoleSignals::started, m_window.get(),
                     [this] { HandleStarted(); });
    QObject::connect(m_window.get(), &MainWindow::closed, m_window.get(),
                     [this] { HandleClosed(); });
}

WindowApp::~WindowApp() {
    // The window goes first: its pages hold references into the console.
    m_window.reset();
}

void WindowApp::Start() {
    // Pictures show the window at its default size and leave the remembered place alone.
    const bool pictures = !m_runtime.Options().screenshots.empty();
    m_window->SetRemembersPlace(!pictures);
    if (!pictures) m_window->RestoreState(LoadWindowState(GetConsole().ProgramDir()));
    m_runtime.Initialise();
    m_window->show();
}

void WindowApp::HandleStarted() {
    if (m_runtime.Options().login) m_window->LogIn();
}

void WindowApp::HandleClosed() {
    // The logout asked the worker to end; the loop ends once it has, or
    // after the bound, and never waits in place.
    Host().WaitForWorkers([this] {
        if (m_finished) return;
        m_finished = true;
        if (m_onFinished) m_onFinished();
    });
}

int RunWindow(int argc, char** argv, const ConsoleOptions& options) {
    if (!HasDisplay()) {
        std::cerr << "tavrinrat: no display (DISPLAY and WAYLAND_DISPLAY are not set): "
                     "starting the console without a window\n";
        ConsoleOptions headless = options;
        headless.frontEnd = FrontEnd::Headless;
        return RunHeadless(argc, argv, headless);
    }

    QApplication app(argc, argv);
    // The console ends when its closing is done, not when its last window hides.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("TavrinRAT"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tavrinrat"));
    QApplication::setWindowIcon(AppIcon());

    const std::optional<std::string> dir = ConsoleRuntime::ProgramFolder(options);
    if (!dir) return 66;
    std::string error;
    const std::vector<OpenServer> servers = ServersToOpen(*dir, options, error);
    if (servers.empty()) {
        std::cerr << error;
        return 64;
    }
    std::string historyNote;
    const std::unique_ptr<HistoryWriter> history = StartHistory(*dir, options.history, historyNote);
    if (!historyNote.empty()) std::cerr << "tavrinrat: " << historyNote << "\n";
    // The command line lets the window open one server.
    WindowApp window(*dir, options, servers.front(), history.get());
    window.OnFinished([] { QCoreApplication::exit(0); });
    // SIGINT and SIGTERM close as Cancel does; SIGHUP reads the account,
    // ChatBot and admin menu files again.
    const SignalPipe signalPipe({SIGINT, SIGTERM, SIGHUP}, [&window](int signo) {
        if (signo == SIGHUP)
            window.GetConsole().ReloadConfiguration();
        else
            window.Window().CloseConsole(false);
    });

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
