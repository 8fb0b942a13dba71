#include "app/control_rights.h"

#include "manager/command_classes.h"
#include "players/admin_actions.h"
#include "settings/settings_table.h"

namespace tavrin {
namespace {

constexpr std::string_view kMissingPrefix = "Missing right: ";

// What one command lacks, as the manager's refusal names it; empty when
// `held` allows it.
std::string Missing(RightsMask held, std::string_view command) {
    if (command.empty()) return {};
    const RightsNeeded needed = RightsForCommand(command, ClassifyAdminCommand(command));
    if (RightsAllow(held, needed)) return {};
    const std::string refusal = MissingRightText(needed);
    const size_t colon = refusal.find(": ");
    return colon == std::string::npos ? refusal : refusal.substr(colon + 2);
}

}  // namespace

ControlPermit CommandsPermit(RightsMask held, std::string_view first, std::string_view second) {
    std::string missing = Missing(held, first);
    const std::string more = Missing(held, second);
    if (!more.empty() && more != missing) missing += (missing.empty() ? "" : "; ") + more;
    if (missing.empty()) return {};
    return {false, std::string(kMissingPrefix) + missing};
}

ControlPermit AdminMenuLinePermit(RightsMask held, std::string_view line) {
    // The player is a stand-in: the commands' words, not their player, need
    // the rights.
    const AdminAction action = BuildAdminAction(line, "1", "Player");
    return CommandsPermit(held, action.first, action.second);
}

ControlPermits WindowPermits(bool remote, RightsMask held) {
    ControlPermits permits;
    if (!remote) return permits;
    for (const GatedControl& control : kGatedControls)
        permits.Set(std::string(control.name), CommandsPermit(held, control.first, control.second));
    for (size_t n = 0; n < kSettingsTable.size(); ++n)
        permits.Set("setting" + std::to_string(n),
                    CommandsPermit(held, std::string(kSettingsTable[n].prefix) + "1"));
    permits.Set(std::string(kChatBotToggleName), {false, std::string(kRemoteChatBotTip)});
    permits.SetAdminMenuGate(
        [held](std::string_view line) { return AdminMenuLinePermit(held, line); });
    return permits;
}

}  // namespace tavrin
