#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/console.h"
#include "app/qt/console_options.h"
#include "common/server_list.h"
#include "history/history_recorder.h"
#include "history/qt/history_writer.h"
#include "link/qt/session_host.h"
#include "remote/qt/admin_tls.h"

namespace tavrin {

// A game server a runtime opens: the record of servers.cfg and the folder of
// its day folders. Or a manager whose Admin Port the runtime logs in to as a
// remote admin: a record of managers.cfg, or the one --remote gives.
struct OpenServer {
    OpenServer() = default;
    OpenServer(std::string name_, std::string logDir_ = {})
        : name(std::move(name_)), logDir(std::move(logDir_)) {}

    std::string name;    // the record's name; empty: the favourite
    std::string logDir;  // ends with the path separator; empty: the program folder
    ConnectionKind kind = ConnectionKind::GameServer;
    // --remote: the manager's address and account, in no file.
    std::optional<ServerRecord> record;
    AdminTlsSettings tls;  // how a manager is connected to
};

// The folder of the day folders of server `name` among several:
// Servers/NAME/ of the program folder (NAME made safe by ServerFolderName),
// or "NAME~2", "NAME~3"... when one of `taken` (log folders in use) is that
// folder already.
std::string ServerLogDir(const std::string& programDir, const std::string& name,
                         const std::vector<std::string>& taken);

// The servers a command line opens, in its order. With --remote the one
// manager it names (the password from --password-file or
// TAVRIN_ADMIN_PASSWORD). A --server name that no record of servers.cfg has
// opens the record of managers.cfg of that name. Without --server the
// favourite, its logs in the program folder, as with one --server; with
// several, each server's day folders are in Servers/NAME/ of the program
// folder (NAME made safe by ServerFolderName, and "NAME~2"... when two names
// make one folder). A name that no record of Configs/servers.cfg has is a
// usage error: `error` says so, ready for standard error (the exit status is
// 64).
std::vector<OpenServer> ServersToOpen(const std::string& programDir, const ConsoleOptions& options,
                                      std::string& error);

// One connection's console engine: its clock, session host, console and, in
// the manager role, the Admin Port, for the program folder and options it
// was made with. A front-end (the window, the console without a window)
// renders it and answers its questions; nothing of the process lives in
// here, so several runtimes can run side by side.
//
// The session host reports to the console, which acts and then tells the
// front-end through `observer`.
class ConsoleRuntime final {
  public:
    // `programDir` ends with the path separator; `observer` hears what the
    // console tells.
    // `server` picks the record and the log folder (made if missing).
    // `history`, shared by the runtimes of a process, keeps what the console
    // records and outlives the runtime; null: nothing is recorded.
    ConsoleRuntime(const std::string& programDir, const ConsoleOptions& options,
                   UserDialogs& dialogs, ConsoleObserver& observer, const OpenServer& server = {},
                   HistoryWriter* history = nullptr);
    ~ConsoleRuntime();
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
    const ConsoleOptions m_options;
    SystemClock m_clock;
    QtSessionHost m_host;
    Console m_console;
    std::unique_ptr<HistoryRecorder> m_history;
    std::unique_ptr<QtAdminPort> m_port;
};

}  // namespace tavrin
