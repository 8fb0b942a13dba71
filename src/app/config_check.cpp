#include "app/config_check.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <optional>
#include <string_view>

#include "app/window_state.h"
#include "chatbot/chatbot_config.h"
#include "common/server_list.h"
#include "common/text_file.h"
#include "manager/admin_accounts.h"

namespace tavrin {
namespace {

constexpr std::string_view kServersFile = "Configs/servers.cfg";
constexpr std::string_view kManagersFile = "Configs/managers.cfg";
constexpr std::string_view kAdminsFile = "Configs/radmins.cfg";
constexpr std::string_view kChatBotFile = kChatBotConfigFile;
constexpr std::string_view kAdminMenuFile = "Configs/adminmenu.cfg";
constexpr std::string_view kWindowFile = "Configs/window.cfg";

// The lines of a text with their numbers; a last line without a line feed
// counts, an empty text has none.
void ForEachLine(std::string_view text, const std::function<void(int, std::string_view)>& take) {
    int number = 0;
    while (!text.empty()) {
        const size_t lf = text.find('\n');
        take(++number, text.substr(0, lf));
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    }
}

std::optional<long> ParseWhole(std::string_view text) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

// A value is shown cut short: a file may hold anything.
std::string Shown(std::string_view text) {
    std::string shown(text.substr(0, 40));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    return "\"" + shown + (text.size() > 40 ? "...\"" : "\"");
}

}  // namespace

std::string ProblemLine(const ConfigProblem& p) {
    return p.file + (p.line > 0 ? ":" + std::to_string(p.line) : std::string()) +
           (p.severity == ProblemSeverity::Error ? ": error: " : ": warning: ") + p.text;
}

bool AnyError(const std::vector<ConfigProblem>& problems) {
    return std::any_of(problems.begin(), problems.end(),
                       [](const ConfigProblem& p) { return p.severity == ProblemSeverity::Error; });
}

namespace {

// servers.cfg and managers.cfg: one line format, read by one reader.
std::vector<ConfigProblem> CheckConnectionLines(std::string_view text, std::string_view file) {
    std::vector<ConfigProblem> problems;
    const auto add = [&](int line, std::string what) {
        problems.push_back({std::string(file), line, std::move(what)});
    };
    ForEachLine(text, [&](int n, std::string_view line) {
        if (line.empty()) return;
        ServerRecord record;
        if (!ParseServerLine(line, record)) {
            add(n, "not a server record (NAME,ADDRESS,PORT,USERNAME,PASSWORD): skipped");
            return;
        }
        const std::optional<long> port = ParseWhole(record.port);
        if (!port || *port < 1 || *port > 65535)
            add(n, "port " + Shown(record.port) + " is not a number from 1 to 65535");
    });
    return problems;
}

}  // namespace

std::vector<ConfigProblem> CheckServerList(std::string_view text) {
    std::vector<ConfigProblem> problems = CheckConnectionLines(text, kServersFile);
    if (ParseServerList(text).records.empty())
        problems.push_back({std::string(kServersFile), 0, "no server record"});
    return problems;
}

std::vector<ConfigProblem> CheckManagerList(std::string_view text) {
    // No manager at all is no problem: most consoles log in to game servers.
    return CheckConnectionLines(text, kManagersFile);
}

std::vector<ConfigProblem> CheckNamedServers(std::string_view text,
                                             const std::vector<std::string>& names) {
    std::vector<ConfigProblem> problems;
    const ServerList list = ParseServerList(text);
    for (const std::string& name : names) {
        const int index = FindServerRecord(list, name);
        if (index < 0) {
            problems.push_back(
                {std::string(kServersFile), 0,
                 "no server record named " + Shown(name) + ": the console refuses to start",
                 ProblemSeverity::Error});
            continue;
        }
        const std::optional<long> port = ParseWhole(list.records[static_cast<size_t>(index)].port);
        if (!port || *port < 1 || *port > 65535)
            problems.push_back({std::string(kServersFile), 0,
                                "server " + Shown(name) +
                                    " has no port from 1 to 65535: the "
                                    "console cannot connect to it",
                                ProblemSeverity::Error});
    }
    return problems;
}

std::vector<ConfigProblem> CheckAdminAccounts(std::string_view text) {
    // The reader names its problems "radmins.cfg line N: ..." or
    // "radmins.cfg: ..." (never a value: a value may be a password).
    std::vector<ConfigProblem> problems;
    for (const std::string& problem : ParseAdminAccounts(text).problems) {
        ConfigProblem p{std::string(kAdminsFile), 0, problem};
        constexpr std::string_view atLine = "radmins.cfg line ";
        constexpr std::string_view whole = "radmins.cfg: ";
        if (problem.starts_with(atLine)) {
            const size_t colon = problem.find(": ", atLine.size());
            if (colon != std::string::npos) {
                const std::optional<long> n = ParseWhole(
                    std::string_view(problem).substr(atLine.size(), colon - atLine.size()));
                p.line = n ? static_cast<int>(*n) : 0;
                p.text = problem.substr(colon + 2);
            }
        } else if (problem.starts_with(whole)) {
            p.text = problem.substr(whole.size());
        }
        problems.push_back(std::move(p));
    }
    return problems;
}

std::vector<ConfigProblem> CheckChatBotConfig(std::string_view text) {
    std::vector<ConfigProblem> problems;
    const auto add = [&](int line, std::string what) {
        problems.push_back({std::string(kChatBotFile), line, std::move(what)});
    };
    enum class Section { Before, Words, Warnings, Default, After } section = Section::Before;
    ForEachLine(text, [&](int n, std::string_view line) {
        if (line == "[WORDS]" && section == Section::Before) {
            section = Section::Words;
        } else if (line == "[WARNINGS]" && section == Section::Words) {
            section = Section::Warnings;
        } else if (line == "[DEFAULT]" && section == Section::Warnings) {
            section = Section::Default;
        } else if (section == Section::Before) {
            add(n, "expected [WORDS]");
            section = Section::Words;
        } else if (section == Section::Words) {
            if (IsBlankWord(RecordField(line, 2))) add(n, "banned word is blank: skipped");
        } else if (section == Section::Default) {
            const std::optional<long> penalty = ParseWhole(line);
            if (!penalty || PenaltyText(static_cast<int>(*penalty)).empty())
                add(n, "default penalty " + Shown(line) + " is not a number from 1 to 6");
            section = Section::After;
        } else if (section == Section::After && !line.empty()) {
            add(n, "text after the default penalty");
        }
    });
    if (section == Section::Before || section == Section::Words)
        add(0, "no [WARNINGS] line");
    else if (section == Section::Warnings)
        add(0, "no [DEFAULT] line");
    else if (section == Section::Default)
        add(0, "no default penalty after [DEFAULT]");
    return problems;
}

std::vector<ConfigProblem> CheckAdminMenu(std::string_view text) {
    std::vector<ConfigProblem> problems;
    const auto add = [&](int line, std::string what) {
        problems.push_back({std::string(kAdminMenuFile), line, std::move(what)});
    };
    if (text.find('\n') == std::string_view::npos) {
        add(0, "no line feed: the menu shows \"!\" and offers nothing");
        return problems;
    }
    ForEachLine(text, [&](int n, std::string_view line) {
        // Line 1 is a comment for the reader.
        if (n == 1 || line.empty()) return;
        if (line.front() == '[' && line.back() == ']') return;
        if (line.find('\\') == std::string_view::npos)
            add(n, "no backslash: the line names no action and is shown greyed");
    });
    return problems;
}

std::vector<ConfigProblem> CheckWindowState(std::string_view text) {
    std::vector<ConfigProblem> problems;
    const auto add = [&](int line, std::string what) {
        problems.push_back({std::string(kWindowFile), line, std::move(what)});
    };
    ForEachLine(text, [&](int n, std::string_view line) {
        if (line.empty()) return;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            add(n, "not a KEY=VALUE line");
            return;
        }
        // Each line alone, with the keys that are not its own from a sound
        // state: what the reader refuses there is this line's fault.
        std::string probe = WindowStateText(WindowState{true, 0, 0, 640, 480, false, 0, {}});
        const std::string key(line.substr(0, eq));
        const size_t at = probe.find(key + "=");
        if (key.empty() || at == std::string::npos || (at != 0 && probe[at - 1] != '\n')) {
            add(n, "unknown key " + Shown(key));
            return;
        }
        probe.replace(at, probe.find('\n', at) - at, line);
        if (!ParseWindowState(probe).placed)
            add(n, "value " + Shown(line.substr(eq + 1)) + " out of range for " + key);
    });
    if (problems.empty() && !text.empty() && !ParseWindowState(text).placed)
        add(0, "a key is missing: the window takes its own place");
    return problems;
}

std::vector<ConfigProblem> CheckConfigFiles(const std::string& programDir,
                                            const std::vector<std::string>& servers) {
    struct File {
        std::string_view name;
        std::vector<ConfigProblem> (*check)(std::string_view);
    };
    static constexpr File kFiles[] = {
        {kServersFile, CheckServerList},   {kManagersFile, CheckManagerList},
        {kAdminsFile, CheckAdminAccounts}, {kChatBotFile, CheckChatBotConfig},
        {kAdminMenuFile, CheckAdminMenu},  {kWindowFile, CheckWindowState},
    };
    std::vector<ConfigProblem> problems;
    for (const File& file : kFiles) {
        std::string path = programDir + std::string(file.name);
        std::replace(path.begin() + static_cast<std::ptrdiff_t>(programDir.size()), path.end(), '/',
                     kPathSeparator);
        const TextFileRead read = ReadTextFile(path);
        if (read.status == TextFileRead::Status::Unreadable) {
            problems.push_back({std::string(file.name), 0, read.failure, ProblemSeverity::Error});
            continue;
        }
        const bool missing = read.status == TextFileRead::Status::Missing;
        if (!missing)
            for (ConfigProblem& p : file.check(read.text)) problems.push_back(std::move(p));
        // Without the file the console opens its default record.
        if (file.name == kServersFile)
            for (ConfigProblem& p :
                 CheckNamedServers(missing ? kDefaultServerList : read.text, servers))
                problems.push_back(std::move(p));
    }
    return problems;
}

}  // namespace tavrin
