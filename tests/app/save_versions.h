#pragma once

// The texts the kill -9 test's child saves: version 0 is on disk before it
// starts, then versions 1 to kSaveRounds, each of a length of its own so
// that a cut file is never a whole version.

#include <string>
#include <vector>

#include "app/window_state.h"
#include "chatbot/chatbot_config.h"
#include "common/server_list.h"
#include "manager/admin_accounts.h"

namespace tavrin::testing {

inline constexpr int kSaveRounds = 200;

// The files, by their path under the program folder.
inline const std::vector<std::string>& SavedFiles() {
    static const std::vector<std::string> files = {"Configs/servers.cfg", "Configs/radmins.cfg",
                                                   "Configs/chatbot.cfg", "Configs/adminmenu.cfg",
                                                   "Configs/window.cfg",  "game.set"};
    return files;
}

inline std::string Filler(int version) {
    return std::string(static_cast<size_t>(version % 37 + 1),
                       static_cast<char>('a' + version % 26)) +
           std::to_string(version);
}

inline std::vector<ServerRecord> ServersVersion(int v) {
    return {{"Home" + Filler(v), "10.0.0.5", "40000", "admin", "secret" + Filler(v)},
            {"Away", "10.0.0.6", "40001", "admin", "x"}};
}
inline std::vector<AdminAccount> AdminsVersion(int v) {
    AdminAccount a;
    a.name = "Ann" + Filler(v);
    a.user = "ann";
    a.pass = "pass" + Filler(v);
    a.rights = "3FFF";
    return {a, AdminAccount{}};
}
inline ChatBotConfig ChatBotVersion(int v) {
    return {{"0\\" + Filler(v) + "\\warn\\Monitor Only\\0\\"}, {"1\\warn\\"}, 1 + v % 6};
}
inline std::string AdminMenuVersion(int v) {
    return "[FORMAT]\n[WARN]\nWarn\\" + Filler(v) + "\n";
}
inline WindowState WindowVersion(int v) {
    return {
        true, v, -v, 300 + v, 200 + 2 * v, v % 2 == 1, v % kWindowTabs, {"S" + std::to_string(v)}};
}
inline std::string SettingsVersion(int v) {
    return "set gameTime " + Filler(v) + "\nset maxPlayers 16\n";
}

// Each file's text in memory (LF line ends) at version `v`, in the order of
// SavedFiles().
inline std::vector<std::string> VersionTexts(int v) {
    return {BuildServerList(ServersVersion(v), 0),  BuildAdminAccounts(AdminsVersion(v)),
            FormatChatBotConfig(ChatBotVersion(v)), AdminMenuVersion(v),
            WindowStateText(WindowVersion(v)),      SettingsVersion(v)};
}

// The event-log burst's line n, without its stamp.
inline std::string BurstLine(int n) {
    return "burst " + std::to_string(n) + " " + std::string(static_cast<size_t>(n % 50), 'x');
}

}  // namespace tavrin::testing
