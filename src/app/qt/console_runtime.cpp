#include "app/qt/console_runtime.h"

#include <QDir>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "common/server_list.h"
#include "common/text_file.h"
#include "remote/qt/admin_port_worker.h"
#include "remote/remote_target.h"

namespace tavrin {

std::string ServerLogDir(const std::string& programDir, const std::string& name,
                         const std::vector<std::string>& taken) {
    // Two names may make one folder ("a/b", "a_b"): a later one takes the
    // first free "NAME~2", "NAME~3"..., so no two servers share a log.
    const std::string servers = programDir + "Servers" + kPathSeparator;
    const std::string base = ServerFolderName(name);
    std::string folder = base;
    for (int n = 2;
         std::find(taken.begin(), taken.end(), servers + folder + kPathSeparator) != taken.end();
         ++n)
        folder = base + "~" + std::to_string(n);
    return servers + folder + kPathSeparator;
}

namespace {

// The TLS of a remote console: --tls, with the --ca file read now so that a
// bad one is a usage error before anything starts.
bool RemoteTls(const RemoteOptions& remote, AdminTlsSettings& tls, std::string& error) {
    tls.tls = remote.tls;
    tls.insecure = remote.insecure;
    if (remote.caFile.empty()) return true;
    Result<QList<QSslCertificate>> trusted = ReadTrustedCertificates(remote.caFile);
    if (!trusted) {
        error = "tavrinrat: --ca " + remote.caFile + ": " + trusted.failure() + "\n";
        return false;
    }
    tls.trusted = std::move(trusted.value());
    return true;
}

// The manager --remote names, logged in to with --user and the password of
// --password-file or TAVRIN_ADMIN_PASSWORD.
std::vector<OpenServer> RemoteToOpen(const RemoteOptions& remote, std::string& error) {
    OpenServer open;
    open.kind = ConnectionKind::Manager;
    const bool v6 = remote.host.find(':') != std::string::npos;
    open.name = (v6 ? "[" + remote.host + "]" : remote.host) + ":" + std::to_string(remote.port);
    ServerRecord record{open.name, remote.host, std::to_string(remote.port), remote.user, {}};
    if (!remote.passwordFile.empty()) {
        Result<std::string> read = admin::ReadPasswordFile(remote.passwordFile);
        if (!read) {
            error =
                "tavrinrat: --password-file " + remote.passwordFile + ": " + read.failure() + "\n";
            return {};
        }
        record.password = std::move(read.value());
    } else if (const char* env = std::getenv(std::string(admin::kPasswordVariable).c_str());
               env && *env) {
        record.password = env;
    } else {
        error = "tavrinrat: --remote needs a password: --password-file FILE, or set " +
                std::string(admin::kPasswordVariable) + "\n";
        return {};
    }
    open.record = std::move(record);
    if (!RemoteTls(remote, open.tls, error)) return {};
    return {std::move(open)};
}

}  // namespace

std::vector<OpenServer> ServersToOpen(const std::string& programDir, const ConsoleOptions& options,
                                      std::string& error) {
    if (!options.remote.host.empty()) return RemoteToOpen(options.remote, error);
    if (options.servers.empty()) return {OpenServer{}};
    // A missing file holds the default line, as the console's start-up makes it.
    std::string text(kDefaultServerList);
    ReadTextFile(ServerListPath(programDir), text);
    const ServerList list = ParseServerList(text);
    std::string managersText;
    ReadTextFile(ServerListPath(programDir, ConnectionKind::Manager), managersText);
    const ServerList managers = ParseServerList(managersText);
    AdminTlsSettings tls;
    if (!RemoteTls(options.remote, tls, error)) return {};
    std::vector<OpenServer> open;
    std::vector<std::string> folders;
    for (const std::string& name : options.servers) {
        OpenServer server;
        server.name = name;
        if (FindServerRecord(list, name) < 0) {
            if (FindServerRecord(managers, name) < 0 || options.manager.manager) {
                error = "tavrinrat: no server named \"" + name + "\" in Configs/servers.cfg" +
                        (options.manager.manager ? "" : " or Configs/managers.cfg") + "\n";
                return {};
            }
            server.kind = ConnectionKind::Manager;
            server.tls = tls;
        }
        if (options.servers.size() > 1) {
            server.logDir = ServerLogDir(programDir, name, folders);
            folders.push_back(server.logDir);
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
    if (server.kind == ConnectionKind::Manager) {
        // A remote admin of a manager: the same engine over the Admin Port.
        m_console.SetRemoteManager(server.name);
        if (server.record) m_console.SetConnectionRecord(*server.record);
        m_host.SetWorkerFactory([this, tls = server.tls](const std::string& host, int port,
                                                         QObject*, RatThreadEvents& events) {
            return std::make_unique<AdminPortWorker>(
                host, port, events, tls,
                [this](const std::string& note) { m_console.Log().LogEvent(note); });
        });
    }
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
