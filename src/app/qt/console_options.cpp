#include "app/qt/console_options.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "manager/admin_frame.h"
#include "manager/manager.h"
#include "remote/remote_target.h"

namespace tavrin {
namespace {

// Which front-end takes an option; the other one calls it unknown.
enum class Where { Both, Window, Headless };

// Where an option shows in the usage lines at the top of --help.
enum class Group {
    Console,  // a usage line of each front-end that takes it
    Review,   // the usage line of the log reviews
    Manager,  // the MANAGER line
    History,  // the HISTORY line
    Remote,   // the REMOTE line
    Other,    // in the list only
};

using Take = bool (*)(ConsoleOptions& o, const std::string* values, std::string& error);

struct Option {
    std::string_view name;
    std::string_view values;  // its values' names, one word each; empty: none
    Where where;
    Group group;
    std::string_view help;
    Take take;
};

bool ParseNumber(const std::string& text, unsigned long max, unsigned long& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value <= max;
}

bool TakeNothing(ConsoleOptions&, const std::string*, std::string&) {
    return true;
}

template <bool ConsoleOptions::*flag, bool value = true>
bool SetFlag(ConsoleOptions& o, const std::string*, std::string&) {
    o.*flag = value;
    return true;
}

template <std::string ConsoleOptions::*text>
bool SetText(ConsoleOptions& o, const std::string* v, std::string&) {
    o.*text = v[0];
    return true;
}

bool TakeAdminPort(ConsoleOptions& o, const std::string* v, std::string& error) {
    unsigned long number = 0;
    if (!ParseNumber(v[0], 65535, number)) {
        error = "--admin-port takes a port number (0 to 65535)";
        return false;
    }
    o.manager.port.port = static_cast<uint16_t>(number);
    return true;
}

bool TakeAdminBind(ConsoleOptions& o, const std::string* v, std::string& error) {
    QHostAddress address;
    if (!address.setAddress(QString::fromLocal8Bit(v[0]))) {
        error = "--admin-bind takes an IP address, e.g. 127.0.0.1 or ::";
        return false;
    }
    o.manager.port.bind = address;
    return true;
}

bool TakeMaxAdmins(ConsoleOptions& o, const std::string* v, std::string& error) {
    unsigned long number = 0;
    if (!ParseNumber(v[0], 1'000'000, number) || number == 0) {
        error = "--max-admins takes a number from 1 to 1000000";
        return false;
    }
    o.manager.maxAdmins = number;
    return true;
}

bool TakeMaxUnsent(ConsoleOptions& o, const std::string* v, std::string& error) {
    unsigned long number = 0;
    if (!ParseNumber(v[0], 65536, number) || number == 0) {
        error = "--max-unsent takes a number of MiB from 1 to 65536";
        return false;
    }
    o.manager.port.maxUnsentInAll = static_cast<int64_t>(number) * 1024 * 1024;
    return true;
}

bool TakeKeepDays(ConsoleOptions& o, const std::string* v, std::string& error) {
    unsigned long number = 0;
    if (!ParseNumber(v[0], 36500, number) || number == 0) {
        error = "--keep-days takes a number of days from 1 to 36500";
        return false;
    }
    o.keepDays = static_cast<int>(number);
    return true;
}

bool TakeHistoryKeepDays(ConsoleOptions& o, const std::string* v, std::string& error) {
    unsigned long number = 0;
    if (!ParseNumber(v[0], 100'000, number)) {
        error = "--history-keep-days takes a number of days from 0 (keep all) to 100000";
        return false;
    }
    o.history.keepDays = static_cast<int>(number);
    return true;
}

bool TakeServer(ConsoleOptions& o, const std::string* v, std::string&) {
    if (std::find(o.servers.begin(), o.servers.end(), v[0]) == o.servers.end())
        o.servers.push_back(v[0]);
    return true;
}

bool TakeRemote(ConsoleOptions& o, const std::string* v, std::string& error) {
    const std::optional<admin::AdminAddress> address =
        admin::ParseAdminAddress(v[0], static_cast<uint16_t>(kAdminPort));
    if (!address) {
        error = "--remote takes a manager's address: HOST:PORT, or [IPV6]:PORT";
        return false;
    }
    o.remote.host = address->host;
    o.remote.port = address->port;
    return true;
}

bool TakeUser(ConsoleOptions& o, const std::string* v, std::string& error) {
    if (v[0].empty() || v[0].size() > kMaxAdminFrame) {
        error = "--user takes an account name of 1 to " + std::to_string(kMaxAdminFrame) + " bytes";
        return false;
    }
    o.remote.user = v[0];
    return true;
}

// Every option of both front-ends, in the order --help lists them.
constexpr Option kOptions[] = {
    {"--dir", "DIR", Where::Both, Group::Console,
     "the program folder (default: the current folder)", SetText<&ConsoleOptions::dir>},
    {"--server", "NAME", Where::Both, Group::Console,
     "servers.cfg (or managers.cfg) record to open, once per server", TakeServer},
    {"--chatbot", "", Where::Both, Group::Console, "switch the ChatBot on at start-up",
     SetFlag<&ConsoleOptions::chatbot>},
    {"--login", "", Where::Window, Group::Console,
     "press Login for the server shown on the Server page", SetFlag<&ConsoleOptions::login>},
    {"--screenshots", "DIR", Where::Window, Group::Console,
     "save a picture of every window and dialog in DIR, then exit",
     SetText<&ConsoleOptions::screenshots>},
    // Read before the others: it picks the front-end.
    {"--headless", "", Where::Both, Group::Other,
     "run without a window; it logs in to the servers it opens", TakeNothing},
    {"--no-login", "", Where::Headless, Group::Console, "(--headless) start without logging in",
     SetFlag<&ConsoleOptions::login, false>},
    {"--dump", "", Where::Headless, Group::Console,
     "(--headless) print the state dump every second", SetFlag<&ConsoleOptions::dump>},
    {"--verbose", "", Where::Headless, Group::Console,
     "(--headless) journal: print the clock and command fields", SetFlag<&ConsoleOptions::verbose>},
    {"--keep-days", "N", Where::Headless, Group::Console,
     "(--headless) remove day folders over N days old", TakeKeepDays},
    {"--review-log", "", Where::Headless, Group::Review,
     "(--headless) print the current event log and exit", SetFlag<&ConsoleOptions::reviewLog>},
    {"--review-chat", "", Where::Headless, Group::Review,
     "(--headless) print the current chat log and exit", SetFlag<&ConsoleOptions::reviewChat>},
    {"--manager", "", Where::Both, Group::Manager,
     "the manager role: remote admins share the connection",
     [](ConsoleOptions& o, const std::string*, std::string&) {
         o.manager.manager = true;
         return true;
     }},
    {"--admin-port", "N", Where::Both, Group::Manager, "the Admin Port (default 9898)",
     TakeAdminPort},
    {"--admin-bind", "ADDR", Where::Both, Group::Manager,
     "listen on this address only (default: all)", TakeAdminBind},
    {"--admin-tls", "CERT KEY", Where::Both, Group::Manager,
     "TLS on the Admin Port with this certificate and key",
     [](ConsoleOptions& o, const std::string* v, std::string&) {
         o.manager.port.tlsCertificate = QString::fromLocal8Bit(v[0]);
         o.manager.port.tlsKey = QString::fromLocal8Bit(v[1]);
         return true;
     }},
    {"--max-admins", "N", Where::Both, Group::Manager,
     "at most N admins logged in at once (default 1000)", TakeMaxAdmins},
    {"--max-unsent", "MIB", Where::Both, Group::Manager,
     "at most MIB MiB waiting for all admins together (default 64)", TakeMaxUnsent},
    {"--remote", "HOST:PORT", Where::Both, Group::Remote,
     "log in to a manager's Admin Port as a remote admin", TakeRemote},
    {"--user", "USER", Where::Both, Group::Remote, "(--remote) the admin account", TakeUser},
    {"--password-file", "FILE", Where::Both, Group::Remote,
     "(--remote) password from FILE's first line (else TAVRIN_ADMIN_PASSWORD)",
     [](ConsoleOptions& o, const std::string* v, std::string&) {
         o.remote.passwordFile = v[0];
         return true;
     }},
    {"--tls", "", Where::Both, Group::Remote, "(--remote) connect to the manager with TLS",
     [](ConsoleOptions& o, const std::string*, std::string&) {
         o.remote.tls = true;
         return true;
     }},
    {"--ca", "FILE", Where::Both, Group::Remote,
     "(--tls) trust exactly the PEM certificate in FILE",
     [](ConsoleOptions& o, const std::string* v, std::string&) {
         o.remote.caFile = v[0];
         return true;
     }},
    {"--insecure", "", Where::Both, Group::Remote,
     "(--tls) do not check the manager's certificate at all",
     [](ConsoleOptions& o, const std::string*, std::string&) {
         o.remote.insecure = true;
         return true;
     }},
    {"--check-config", "", Where::Both, Group::Other,
     "print each configuration file problem; exit 1 on an error",
     SetFlag<&ConsoleOptions::checkConfig>},
    {"--history", "NAME", Where::Headless, Group::Other,
     "print the player's sessions and sanctions and exit (1: none)",
     [](ConsoleOptions& o, const std::string* v, std::string&) {
         o.history.player = v[0];
         return true;
     }},
    {"--history-export", "FILE", Where::Headless, Group::Other,
     "write every sanction to FILE as CSV and exit",
     [](ConsoleOptions& o, const std::string* v, std::string&) {
         o.history.exportFile = v[0];
         return true;
     }},
    {"--history-db", "DB", Where::Both, Group::History,
     "history file, or postgresql://USER@HOST:PORT/DB (default: history.db)",
     [](ConsoleOptions& o, const std::string* v, std::string&) {
         o.history.db = v[0];
         return true;
     }},
    {"--history-password-file", "FILE", Where::Both, Group::History,
     "PostgreSQL password from FILE's first line (else PGPASSWORD)",
     [](ConsoleOptions& o, const std::string* v, std::string&) {
         o.history.passwordFile = v[0];
         return true;
     }},
    {"--no-history", "", Where::Both, Group::History, "keep no history",
     [](ConsoleOptions& o, const std::string*, std::string&) {
         o.history.off = true;
         return true;
     }},
    {"--history-keep-days", "N", Where::Both, Group::History,
     "delete history older than N days (default 365; 0: keep all)", TakeHistoryKeepDays},
    // Read before the others: it prints the usage whatever else is given.
    {"--help", "", Where::Both, Group::Other, "this text", TakeNothing},
};

size_t ValueCount(std::string_view values) {
    if (values.empty()) return 0;
    return static_cast<size_t>(std::count(values.begin(), values.end(), ' ')) + 1;
}

bool TakenBy(Where where, FrontEnd frontEnd) {
    switch (where) {
        case Where::Both:
            return true;
        case Where::Window:
            return frontEnd == FrontEnd::Window;
        case Where::Headless:
            return frontEnd == FrontEnd::Headless;
    }
    return false;
}

const Option* Find(std::string_view name) {
    for (const Option& option : kOptions)
        if (option.name == name) return &option;
    return nullptr;
}

std::string Synopsis(const Option& option) {
    std::string text = "[" + std::string(option.name);
    if (!option.values.empty()) text += " " + std::string(option.values);
    return text + "]";
}

// " [--a] [--b X]": the options of a group that a front-end takes.
std::string Synopses(Group group, FrontEnd frontEnd) {
    std::string text;
    for (const Option& option : kOptions)
        if (option.group == group && TakenBy(option.where, frontEnd))
            text += " " + Synopsis(option);
    return text;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    ConsoleOptions& o = line.options;
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            line.outcome = CommandLine::Outcome::Help;
            return line;
        }
        if (a == "--headless" || a == "--history" || a == "--history-export")
            o.frontEnd = FrontEnd::Headless;
    }
    o.login = o.frontEnd == FrontEnd::Headless;
    const auto bad = [&line](std::string error) {
        line.outcome = CommandLine::Outcome::Bad;
        line.error = "tavrinrat: " + error + "\n";
        return line;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const Option* option = Find(args[i]);
        if (option == nullptr || !TakenBy(option->where, o.frontEnd))
            return bad("unknown option " + args[i] + "\n" + UsageText());
        const size_t count = ValueCount(option->values);
        if (i + count >= args.size())
            return bad(args[i] + " needs " + (count == 1 ? "a value" : "two values"));
        std::string error;
        if (!option->take(o, args.data() + i + 1, error)) return bad(error);
        i += count;
    }
    if (o.history.off && (!o.history.player.empty() || !o.history.exportFile.empty()))
        return bad("--no-history leaves no history to read");
    if (o.servers.size() > 1 && o.manager.manager)
        return bad("--manager serves one game server: give one --server at most");
    const RemoteOptions& r = o.remote;
    if (!r.host.empty()) {
        if (r.user.empty()) return bad("--remote needs --user");
        if (o.manager.manager) return bad("--remote and --manager: a console is one or the other");
        if (!o.servers.empty()) return bad("--remote and --server: give one or the other");
    } else if (!r.user.empty() || !r.passwordFile.empty()) {
        return bad("--user and --password-file go with --remote");
    }
    if ((!r.caFile.empty() || r.insecure) && !r.tls) return bad("--ca and --insecure need --tls");
    if (!r.caFile.empty() && r.insecure) return bad("--ca and --insecure both given");
    if (r.tls && o.manager.manager)
        return bad("--tls is for a remote console; the manager's Admin Port takes --admin-tls");
    // The manager's own ChatBot moderates: two would sanction twice.
    if (o.chatbot && !r.host.empty())
        return bad("--chatbot: a remote console never runs the ChatBot (the manager's does)");
    // The pictures show a logged-in console.
    if (!o.screenshots.empty()) o.login = true;
    return line;
}

CommandLine ParseCommandLine(int argc, char** argv) {
    return ParseCommandLine(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
}

std::string UsageText() {
    std::string text =
        "usage: tavrinrat" + Synopses(Group::Console, FrontEnd::Window) +
        " [MANAGER | REMOTE] [HISTORY]\n" + "       tavrinrat --headless" +
        Synopses(Group::Console, FrontEnd::Headless) + " [MANAGER | REMOTE] [HISTORY]\n" +
        "       tavrinrat --headless " + Synopsis(*Find("--dir")) + " " +
        Synopsis(*Find("--server")) + Synopses(Group::Review, FrontEnd::Headless) + "\n" +
        "       tavrinrat --history NAME " + Synopsis(*Find("--dir")) + " [HISTORY]\n" +
        "       tavrinrat --history-export FILE.csv " + Synopsis(*Find("--dir")) + " [HISTORY]\n" +
        "       tavrinrat --check-config " + Synopsis(*Find("--dir")) + " " +
        Synopsis(*Find("--server")) + "\n" + "       tavrinrat --help\n";
    // The MANAGER and HISTORY lines, folded before 80 columns.
    const auto groupLine = [&text](Group group, std::string line) {
        bool first = true;
        for (const Option& option : kOptions) {
            if (option.group != group || option.name == "--manager" || option.name == "--remote" ||
                option.name == "--user")
                continue;
            const std::string more = Synopsis(option);
            if (!first && line.size() + 1 + more.size() > 80) {
                text += line + "\n";
                line = "        ";
            }
            line += " " + more;
            first = false;
        }
        text += line + "\n";
    };
    groupLine(Group::Manager, "MANAGER: --manager");
    groupLine(Group::History, "HISTORY:");
    groupLine(Group::Remote, "REMOTE: --remote HOST:PORT --user USER");
    text += "\n";
    for (const Option& option : kOptions) {
        std::string head = std::string(option.name);
        if (!option.values.empty()) head += " " + std::string(option.values);
        head.resize(std::max<size_t>(head.size(), 20), ' ');
        text += "  " + head + " " + std::string(option.help) + "\n";
    }
    return text +
           "\n"
           "Without a display (no DISPLAY or WAYLAND_DISPLAY) the window's options run the\n"
           "console without a window, which logs in only when --login is given.\n";
}

}  // namespace tavrin
