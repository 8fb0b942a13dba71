#pragma once

// `tavrinrat --check-config`: every configuration file of a program folder
// read the way the console reads it, with each thing the console would pass
// over, default or refuse named by its file and line. Most problems are
// warnings: the console runs on with the line skipped or a default in its
// place. An error is a problem the console cannot run the server through: a
// file it cannot read, or a server asked for by name that servers.cfg does
// not hold in a usable form. Only errors fail the check, so a service that
// checks before it starts is not kept down by a line the console passes over.

#include <string>
#include <vector>

namespace tavrin {

enum class ProblemSeverity { Warning, Error };

struct ConfigProblem {
    std::string file;  // relative to the program folder: "Configs/servers.cfg"
    int line = 0;      // 1-based; 0: the file as a whole
    std::string text;
    ProblemSeverity severity = ProblemSeverity::Warning;

    bool operator==(const ConfigProblem&) const = default;
};

// "Configs/servers.cfg:3: warning: text", or "Configs/servers.cfg: error:
// text" for line 0.
std::string ProblemLine(const ConfigProblem& problem);

// Whether any of the problems is an error.
bool AnyError(const std::vector<ConfigProblem>& problems);

// The problems of each file's text, as read (LF line ends).
std::vector<ConfigProblem> CheckServerList(std::string_view text);
// The servers asked for by name (--server) in servers.cfg's text: each must be
// there with a port the console can connect to.
std::vector<ConfigProblem> CheckNamedServers(std::string_view text,
                                             const std::vector<std::string>& names);
std::vector<ConfigProblem> CheckManagerList(std::string_view text);
std::vector<ConfigProblem> CheckAdminAccounts(std::string_view text);
std::vector<ConfigProblem> CheckChatBotConfig(std::string_view text);
std::vector<ConfigProblem> CheckAdminMenu(std::string_view text);
std::vector<ConfigProblem> CheckWindowState(std::string_view text);

// Every configuration file under `programDir` (ending with the separator),
// and the servers named in `servers`. A missing file is no problem (the
// console writes its defaults); one that is there but cannot be read is an
// error.
std::vector<ConfigProblem> CheckConfigFiles(const std::string& programDir,
                                            const std::vector<std::string>& servers = {});

}  // namespace tavrin
