// The child of the kill -9 test: `save_child DIR saves` saves every
// configuration file kSaveRounds times, each time as the program does;
// `save_child DIR log` writes a burst of event-log lines. It prints
// "started" once it is under way, and is killed at some moment after.

#include <cstdio>
#include <optional>
#include <string>

#include "app/window_state.h"
#include "chatbot/chatbot_config.h"
#include "common/event_log.h"
#include "common/server_list.h"
#include "manager/admin_accounts.h"
#include "players/admin_menu.h"
#include "save_versions.h"
#include "settings/settings_file.h"

namespace {

using namespace tavrin;
using namespace tavrin::testing;

class Quiet final : public EventSink, public LogObserver {
  public:
    void LogEvent(const std::string&) override {}
    void EventLineWritten(const std::string&) override {}
    void ChatTextWritten(const std::string&) override {}
    void LogWriteFailed(const std::string& failure) override {
        std::fprintf(stderr, "%s\n", failure.c_str());
    }
};

// The settings file's Save As, its question answered with one path.
class SaveAsDialogs final : public UserDialogs {
  public:
    explicit SaveAsDialogs(std::string path) : m_path(std::move(path)) {}
    void ShowMessage(const std::string&) override {}
    bool AskYesNo(const std::string&, DefaultAnswer) override { return true; }
    std::optional<std::string> AskOpenFileName(const FileQuestion&) override { return {}; }
    std::optional<std::string> AskSaveFileName(const FileQuestion&) override { return m_path; }

  private:
    std::string m_path;
};

void Started() {
    std::puts("started");
    std::fflush(stdout);
}

int Saves(const std::string& dir) {
    Quiet quiet;
    SaveAsDialogs dialogs(dir + "game.set");
    for (int v = 1; v <= kSaveRounds; ++v) {
        if (!SaveServerList(dir, BuildServerList(ServersVersion(v), 0), quiet)) return 1;
        if (!CAdmins(AdminsVersion(v)).SaveList(dir, quiet).ok()) return 1;
        if (!SaveChatBotConfig(dir, ChatBotVersion(v), nullptr)) return 1;
        if (!SaveAdminMenu(dir, AdminMenuVersion(v), quiet)) return 1;
        if (!SaveWindowState(dir, WindowVersion(v), quiet)) return 1;
        CSettingsFile settings(dir + "game.set", SettingsVersion(v));
        if (!settings.SaveAs(dialogs)) return 1;
        if (v == 1) Started();
    }
    return 0;
}

int Burst(const std::string& dir) {
    Quiet quiet;
    SystemClock clock;
    EventLog log(dir, clock, quiet);
    for (int n = 1; n <= 100000; ++n) {
        log.LogEvent(BurstLine(n));
        if (n == 1) Started();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 64;
    const std::string dir = argv[1];
    const std::string what = argv[2];
    if (what == "saves") return Saves(dir);
    if (what == "log") return Burst(dir);
    return 64;
}
