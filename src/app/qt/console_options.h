#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "manager/qt/qt_admin_port.h"

namespace tavrin {

// The command-line options of the manager role.
struct ManagerOptions {
    bool manager = false;     // --manager
    AdminPortOptions port;    // --admin-port N, --admin-bind ADDR, --admin-tls CERT KEY
    size_t maxAdmins = 1000;  // --max-admins N: admins logged in at once
    // --max-unsent MIB sets port.maxUnsentInAll: what may wait to be written
    // to all admins together.
};

// Where the history is kept, and the one-shot look-ups of it.
struct HistoryOptions {
    // --history-db: a file, or postgresql://USER@HOST:PORT/DB; empty:
    // history.db in the program folder.
    std::string db;
    std::string passwordFile;  // --history-password-file FILE (else PGPASSWORD)
    bool off = false;          // --no-history
    int keepDays = 365;        // --history-keep-days N
    std::string player;        // --history NAME: print the player's record and exit
    std::string exportFile;    // --history-export FILE: write the sanctions as CSV and exit
};

// The console as a remote admin of a manager: its Admin Port and account.
struct RemoteOptions {
    std::string host;  // --remote HOST:PORT; empty: not given
    uint16_t port = 0;
    std::string user;          // --user USER
    std::string passwordFile;  // --password-file FILE (else TAVRIN_ADMIN_PASSWORD)
    bool tls = false;          // --tls
    std::string caFile;        // --ca FILE: trust exactly this certificate
    bool insecure = false;     // --insecure: no check of the manager's certificate
};

// Which front-end a command line runs: --headless anywhere picks the console
// without a window, and so do --history and --history-export.
enum class FrontEnd { Window, Headless };

// What `tavrinrat` is started with, for the window and the console without a
// window alike.
struct ConsoleOptions {
    FrontEnd frontEnd = FrontEnd::Window;
    std::string dir;       // --dir DIR: the program folder; empty: the current folder
    bool chatbot = false;  // --chatbot: the ChatBot on at start-up
    // Login for the favourite record at start-up: the window's --login (and
    // --screenshots); the console without a window logs in unless --no-login.
    bool login = false;
    std::string screenshots;  // --screenshots DIR: pictures of every window, then exit
    bool dump = false;        // --dump: the state dump printed every second
    // --verbose: in the journal too, every change of the clock, command and
    // response fields is printed.
    bool verbose = false;
    // --keep-days N: day folders more than N days old are removed at start
    // and after each midnight; 0 keeps them all.
    int keepDays = 0;
    // --review-log, --review-chat: print what a review button shows and exit,
    // without logging in.
    bool reviewLog = false;
    bool reviewChat = false;
    ManagerOptions manager;  // --manager and the Admin Port's options
    HistoryOptions history;  // the --history options
    RemoteOptions remote;    // --remote and the options of the remote login
    // --server NAME, once per game server, each name once: the records of
    // Configs/servers.cfg to open. Empty: the favourite, as the only one.
    std::vector<std::string> servers;
    // --check-config: read every configuration file of the program folder,
    // print each problem and exit 0 (none) or 1; nothing else runs.
    bool checkConfig = false;
};

// A command line read against the options table.
struct CommandLine {
    enum class Outcome {
        Run,   // `options` holds what to run
        Help,  // --help or -h: print UsageText() and exit 0
        Bad,   // print `error` on standard error and exit 64
    };
    Outcome outcome = Outcome::Run;
    ConsoleOptions options;
    // What is wrong, ready for standard error: one line, then the usage text
    // after an unknown option.
    std::string error;
};

// `args` without the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);
CommandLine ParseCommandLine(int argc, char** argv);

// What `tavrinrat --help` prints: every option of the table.
std::string UsageText();

}  // namespace tavrin
