#pragma once

// `tavrinrat --check-config`: every configuration file of a program folder
// read the way the console reads it, with each thing the console would pass
// over, default or refuse named by its file and line.

#include <string>
#include <vector>

namespace tavrin {

struct ConfigProblem {
    std::string file;  // relative to the program folder: "Configs/servers.cfg"
    int line = 0;      // 1-based; 0: the file as a whole
    std::string text;

    bool operator==(const ConfigProblem&) const = default;
};

// "Configs/servers.cfg:3: text", or "Configs/servers.cfg: text" for line 0.
std::string ProblemLine(const ConfigProblem& problem);

// The problems of each file's text, as read (LF line ends).
std::vector<ConfigProblem> CheckServerList(std::string_view text);
std::vector<ConfigProblem> CheckManagerList(std::string_view text);
std::vector<ConfigProblem> CheckAdminAccounts(std::string_view text);
std::vector<ConfigProblem> CheckChatBotConfig(std::string_view text);
std::vector<ConfigProblem> CheckAdminMenu(std::string_view text);
std::vector<ConfigProblem> CheckWindowState(std::string_view text);

// Every configuration file under `programDir` (ending with the separator). A
// missing file is no problem (the console writes its defaults); one that is
// there but cannot be read is.
std::vector<ConfigProblem> CheckConfigFiles(const std::string& programDir);

}  // namespace tavrin
