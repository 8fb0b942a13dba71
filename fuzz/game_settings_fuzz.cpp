// Feeds "get gamesettings" replies to the parser and the Settings tab.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/tab_command.h"
#include "settings/settings_tab.h"

namespace {

struct NoCommands final : tavrin::CommandSink {
    void SubmitCommands(std::vector<tavrin::PacedCommand>) override {}
};

struct NoDialogs final : tavrin::UserDialogs {
    void ShowMessage(const std::string&) override {}
    bool AskYesNo(const std::string&, tavrin::DefaultAnswer) override { return false; }
    std::optional<std::string> AskOpenFileName(const tavrin::FileQuestion&) override { return {}; }
    std::optional<std::string> AskSaveFileName(const tavrin::FileQuestion&) override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    NoCommands commands;
    NoDialogs dialogs;
    tavrin::CSettings tab("/nonexistent/", commands, dialogs);
    tab.ToggleLock();
    tab.ParseGameSettings(reply);
    // The shown values must survive the next gestures and the bulk send.
    tab.ReleaseSlider(tavrin::kVotePercentEntry, 50);
    for (const auto& command : tab.ApplySettingsFile("").commands)
        if (command.text.size() > tavrin::kMaxTabCommand) __builtin_trap();
    return 0;
}
