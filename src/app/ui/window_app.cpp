#include "app/ui/window_app.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "app/qt/headless.h"
#include "app/qt/history_setup.h"
#include "app/qt/schedule_history.h"
#include "app/qt/signal_pipe.h"
#include "app/ui/app_icon.h"
#include "app/ui/console_pane.h"
#include "app/ui/pane_history.h"
#include "app/ui/screenshot_tour.h"
#include "common/server_list.h"
#include "common/text_file.h"
#include "common/ui/text_codec.h"

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

std::vector<OpenServer> WindowServers(const std::string& programDir, const ConsoleOptions& options,
                                      std::string& error) {
    // --manager serves one server; the command line's set wins over the remembered one.
    if (!options.servers.empty() || options.manager.manager || !options.remote.host.empty())
        return ServersToOpen(programDir, options, error);
    std::string text(kDefaultServerList);
    ReadTextFile(ServerListPath(programDir), text);
    const ServerList list = ParseServerList(text);
    ConsoleOptions remembered = options;
    for (const std::string& name : LoadWindowState(programDir).servers)
        if (FindServerRecord(list, name) >= 0 &&
            std::find(remembered.servers.begin(), remembered.servers.end(), name) ==
                remembered.servers.end())
            remembered.servers.push_back(name);
    return ServersToOpen(programDir, remembered, error);
}

WindowApp::WindowApp(const std::string& programDir, const ConsoleOptions& options,
                     const OpenServer& server, HistoryWriter* history)
    : WindowApp(programDir, options, std::vector<OpenServer>{server}, history) {}

WindowApp::WindowApp(const std::string& programDir, const ConsoleOptions& options,
                     const std::vector<OpenServer>& servers, HistoryWriter* history)
    : m_programDir(programDir),
      m_options(options),
      m_history(history),
      m_window(std::make_unique<MainWindow>()) {
    if (m_history)
        m_reader = std::make_unique<HistoryReader>(m_history->Options().target,
                                                   m_history->Options().password);
    m_window->SetHistory(m_reader.get());
    for (const OpenServer& open : servers) Add(open);
    if (AdminPort()) m_window->EnterManagerRole();
    QObject::connect(m_window.get(), &MainWindow::closed, m_window.get(),
                     [this] { HandleClosed(); });
    QObject::connect(m_window.get(), &MainWindow::serverCloseRequested, m_window.get(),
                     [this](ConsolePane* pane) { HandleCloseRequest(pane); });
}

WindowApp::~WindowApp() {
    // The window goes first: its panes hold references into the consoles.
    m_window.reset();
}

WindowApp::OpenConsole& WindowApp::Add(const OpenServer& open) {
    auto server = std::make_unique<OpenConsole>();
    OpenConsole& s = *server;
    s.open = open;
    s.dialogs.SetParent(m_window.get());
    s.dialogs.SetScripted(m_scripted);
    s.runtime = std::make_unique<ConsoleRuntime>(m_programDir, m_options, s.dialogs,
                                                 s.consoleSignals, open, m_history);
    s.pane = &m_window->AddServer(s.runtime->GetConsole(), s.consoleSignals, open.name);
    ConsolePane* pane = s.pane;
    QObject::connect(&s.consoleSignals, &ConsoleSignals::started, pane, [this, pane] {
        if (m_options.login) pane->LogIn();
    });
    pane->SetOpenServer([this](const std::string& name) { return OpenRecord(name); });
    if (m_reader) {
        new PaneHistory(*pane, *m_reader);
        new ScheduleHistory(s.runtime->GetConsole(), *m_reader, pane);
    }
    // A known offender's arrival, from the schedule, in the status bar.
    s.runtime->GetConsole().Schedule().SetNoticeListener(
        [pane](const std::string& notice) { emit pane->statusMessage(FromWire(notice)); });
    m_servers.push_back(std::move(server));
    return s;
}

void WindowApp::SetDialogsScripted(bool on) {
    m_scripted = on;
    for (auto& server : m_servers) server->dialogs.SetScripted(on);
}

void WindowApp::Start() {
    // Pictures show the window at its default size and leave the remembered place alone.
    const bool pictures = !m_options.screenshots.empty();
    m_window->SetRemembersPlace(!pictures);
    if (!pictures) m_window->RestoreState(LoadWindowState(m_programDir));
    for (auto& server : m_servers) server->runtime->Initialise();
    m_started = true;
    m_window->show();
}

bool WindowApp::OpenServerRecord(const std::string& name) {
    return OpenRecord(name).empty();
}

std::string WindowApp::OpenRecord(const std::string& name) {
    if (m_window->Closing()) return "The console is closing.";
    for (int i = 0; i < ServerCount(); ++i) {
        // The favourite opened without a name is the record it named then.
        if (m_servers[i]->open.name == name ||
            (m_servers[i]->open.name.empty() &&
             GetConsole(i).Server().LoginDetails().name == name)) {
            m_window->SelectServer(i);
            return "Server " + name + " is open already.";
        }
    }
    std::string text(kDefaultServerList);
    ReadTextFile(ServerListPath(m_programDir), text);
    if (FindServerRecord(ParseServerList(text), name) < 0)
        return "Server " + name + " is not saved yet: press OK, then open it.";
    // A server opened later logs in Servers/NAME/, as each of several opened
    // at start does; those open already keep the folders they log in.
    std::vector<std::string> taken;
    for (const auto& server : m_servers) taken.push_back(server->open.logDir);
    for (const auto& server : m_leaving) taken.push_back(server->open.logDir);
    OpenServer open;
    open.name = name;
    open.logDir = ServerLogDir(m_programDir, name, taken);
    OpenConsole& s = Add(open);
    if (m_started) s.runtime->Initialise();
    m_window->SelectServer(ServerCount() - 1);
    return {};
}

void WindowApp::HandleCloseRequest(ConsolePane* pane) {
    for (int i = 0; i < ServerCount(); ++i)
        if (m_servers[i]->pane == pane) CloseServer(i);
}

void WindowApp::CloseServer(int index) {
    if (index < 0 || index >= ServerCount() || ServerCount() < 2 || m_window->Closing()) return;
    std::unique_ptr<OpenConsole> server = std::move(m_servers[index]);
    m_servers.erase(m_servers.begin() + index);
    server->pane->CloseConsole(false);
    m_window->RemoveServer(*server->pane);
    server->pane = nullptr;
    OpenConsole* leaving = server.get();
    m_leaving.push_back(std::move(server));
    leaving->runtime->Host().WaitForWorkers([this, leaving] {
        // Not inside its own host's call: the runtime goes once the call is over.
        QTimer::singleShot(0, m_window.get(), [this, leaving] {
            std::erase_if(m_leaving, [leaving](const auto& s) { return s.get() == leaving; });
        });
    });
}

void WindowApp::HandleClosed() {
    // Every logout asked its worker to end; the loop ends once all have,
    // or after the bound, side by side, and never waits in place.
    auto pending = std::make_shared<int>(ServerCount() + static_cast<int>(m_leaving.size()));
    auto done = [this, pending] {
        if (--*pending > 0 || m_finished) return;
        m_finished = true;
        if (m_onFinished) m_onFinished();
    };
    for (auto& server : m_servers) server->runtime->Host().WaitForWorkers(done);
    for (auto& server : m_leaving) server->runtime->Host().WaitForWorkers(done);
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
    const std::vector<OpenServer> servers = WindowServers(*dir, options, error);
    if (servers.empty()) {
        std::cerr << error;
        return 64;
    }
    std::string historyNote;
    const std::unique_ptr<HistoryWriter> history = StartHistory(*dir, options.history, historyNote);
    if (!historyNote.empty()) std::cerr << "tavrinrat: " << historyNote << "\n";
    WindowApp window(*dir, options, servers, history.get());
    window.OnFinished([] { QCoreApplication::exit(0); });
    // SIGINT and SIGTERM close as Cancel does; SIGHUP reads the account,
    // ChatBot and admin menu files again.
    const SignalPipe signalPipe({SIGINT, SIGTERM, SIGHUP}, [&window](int signo) {
        if (signo == SIGHUP)
            for (int i = 0; i < window.ServerCount(); ++i)
                window.GetConsole(i).ReloadConfiguration();
        else
            window.Window().CloseConsole(false);
    });

    std::unique_ptr<ScreenshotTour> tour;
    if (!options.screenshots.empty()) {
        window.SetDialogsScripted(true);
        tour =
            std::make_unique<ScreenshotTour>(window, QString::fromStdString(options.screenshots));
    }
    window.Start();
    const int rc = QApplication::exec();
    if (tour && !tour->Succeeded()) return 1;
    return rc;
}

}  // namespace tavrin
