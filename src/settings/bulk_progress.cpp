#include "settings/bulk_progress.h"

#include "common/text_helpers.h"

namespace tavrin {

int BulkMillisecondsLeft(const SettingsBulkProgress& progress, int pauseMs) {
    if (!progress.running) return 0;
    const size_t waiting = progress.total > progress.done ? progress.total - progress.done : 0;
    return static_cast<int>(waiting) * pauseMs + (progress.done > 0 ? pauseMs : 0);
}

std::string BulkProgressText(const SettingsBulkProgress& progress, int pauseMs) {
    if (!progress.running)
        return "Sent " + std::to_string(progress.done) + " of " + std::to_string(progress.total) +
               " commands";
    const int left = BulkMillisecondsLeft(progress, pauseMs);
    const int seconds = (left + 999) / 1000;
    return "Command " + std::to_string(progress.done) + " of " + std::to_string(progress.total) +
           ", about " + std::to_string(seconds) + " s left";
}

bool WeaponNameMatches(std::string_view name, std::string_view filter) {
    const std::string_view wanted = Trim(filter);
    return wanted.empty() || Contains(LowerCase1252(name), LowerCase1252(wanted));
}

}  // namespace tavrin
