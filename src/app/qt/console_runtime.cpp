#include "app/qt/console_runtime.h"

#include <QDir>
#include <algorithm>
#include <ctime>
#include <iostream>

#include "common/server_list.h"
#include "common/text_file.h"

namespace tavrin {

std::vector<OpenServer> ServersToOpen(const std::string& programDir, const ConsoleOptions& options,
                                      std::string& error) {
    if (options.servers.empty()) return {OpenServer{}};
    // A missing file holds the default line, as the console's start-up makes it.
    std::string text(kDefaultServerList);
    ReadTextFile(ServerListPath(programDir), text);
    const ServerList list = ParseServerList(text);
    std::vector<OpenServer> open;
    std::vector<std::string> folders;
    for (const std::string& name : options.servers) {
        if (FindServerRecord(list, name) < 0) {
            error = "tavrinrat: no server named \"" + name + "\" in Configs/servers.cfg\n";
            return {};
        }
        OpenServer server{name, {}};
        if (options.servers.size() > 1) {
            // Two names may make one folder ("a/b", "a_b"): a later one takes
            // the first free "NAME~2", "NAME~3"..., so no two servers share a log.
            const std::string base = ServerFolderName(name);
            std::string folder = base;
            for (int n = 2; std::find(folders.begin(), folders.end(), folder) != folders.end(); ++n)
                folder = base + "~" + std::to_string(n);
            folders.push_back(folder);
            server.logDir = programDir + "Servers" + kPathSeparator + folder + kPathSeparator;
        }
        open.push_back(std::move(server));
    }
    return open;
}

ConsoleRuntime::ConsoleRuntime(const std::string& programDir, const ConsoleOptions& options,
                               UserDialogs& dialogs, ConsoleObserver& observer,
                               const OpenServer& server, HistoryWriter* history)
    : m_options(options),
      m_console(programDir, m_host, dialogs, m_clock, m_host, observer, server.logDir) {
    if (!server.logDir.empty()) {
        // The name's bytes as they are: a Windows-1252 name is no UTF-8.
        MakeDirectory(programDir + "Servers");
        MakeDirectory(server.logDir.substr(0, server.logDir.size() - 1));
    }
    m_console.SetServerRecord(server.name);
    if (history) {
        m_history = std::make_unique<HistoryRecorder>(
            *history, [] { return static_cast<int64_t>(std::time(nullptr)); });
        m_console.SetHistory(m_history.get());
        // The writer's notes come from its thread; each console logs them.
        QObject::connect(history, &HistoryWriter::noteWritten, &m_host,
                         [this](const QString& text) {
                             m_console.Log().LogEvent(Windows1252FromUtf8(text.toStdString()));
                         });
    }
    m_host.Attach(m_console.Session());
    m_host.SetListener(m_console);
    if (options.dump) m_console.m_fAutoSysUpdate = true;
    // --chatbot before the front-end's login, as a person would.
    m_console.SetChatBotOnAtStart(options.chatbot);
    if (options.manager.manager) {
        m_port = std::make_unique<QtAdminPort>(m_console.AdminManager(), options.manager.port);
        m_console.AdminManager().AttachPort(*m_port);
        m_console.AdminManager().SetConnectionLimit(options.manager.maxAdmins);
    }
}

// The port reports to the console: it goes first (the members' order).
ConsoleRuntime::~ConsoleRuntime() = default;

std::optional<std::string> ConsoleRuntime::ProgramFolder(const ConsoleOptions& options) {
    std::string dir = options.dir.empty() ? QDir::currentPath().toStdString() : options.dir;
    if (!QDir(QString::fromStdString(dir)).exists()) {
        std::cerr << "tavrinrat: no such folder: " << dir << "\n";
        return std::nullopt;
    }
    dir = QDir(QString::fromStdString(dir)).absolutePath().toStdString();
    if (dir.back() != '/') dir += '/';
    return dir;
}

void ConsoleRuntime::Initialise() {
    m_console.Initialise(m_port ? ConsoleRole::Manager : ConsoleRole::Client);
}

}  // namespace tavrin
