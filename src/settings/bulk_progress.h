#pragma once

// How far the bulk send of an applied settings file has got, as the Settings
// tab's progress bar shows it.

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrin {

struct SettingsBulkProgress {
    size_t done = 0;       // commands released so far (shown, and sent when logged in)
    size_t total = 0;      // commands of the bulk
    bool running = false;  // replies are still dropped and polling waits
    bool operator==(const SettingsBulkProgress&) const = default;
};

// The time still to go: a pause after each command not yet released, and the
// pause after the last one released while the send still runs.
int BulkMillisecondsLeft(const SettingsBulkProgress& progress, int pauseMs);

// "Command 5 of 28, about 6 s left" while running; "Sent 28 commands" when done.
std::string BulkProgressText(const SettingsBulkProgress& progress, int pauseMs);

// The weapons list's filter: whether a weapon's name holds the text typed,
// ignoring case; an empty filter shows every weapon.
bool WeaponNameMatches(std::string_view name, std::string_view filter);

}  // namespace tavrin
