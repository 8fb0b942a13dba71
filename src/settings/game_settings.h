#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "settings/settings_table.h"

namespace tavrin {

using ServerSettingValues = std::array<std::string, kServerSettingsCount>;

// The values of entries 0 to 27 in a "get gamesettings" reply of lines like
// "GameTime = 60". Blanks are dropped, so values never hold one; a key that
// is missing gives "Failed".
ServerSettingValues ReadGameSettings(std::string_view reply);

// The text a slider shows for a value. A value with a "." is the server's
// fraction and becomes a two-digit percentage ("0.5" gives "50", "0.25"
// gives "25"); any other value is shown as it is.
std::string SliderValueText(std::string_view value);

// The unit a value label carries, judged from the letters of its current
// text: "s", then "m", then "ms", then "%"; the last one found wins.
std::string_view UnitFromLabel(std::string_view label);

// A released slider position inside the entry's range, rounded down to a
// multiple of its step when the step is 5.
int SliderReleasePosition(const SettingEntry& entry, int position);

// The server's fraction form of a vote percentage: "0." and two digits, so
// 5 gives "0.05" and 25 gives "0.25".
std::string VotePercentFraction(int percent);

// A votePercent value from a settings file as the server takes it. A bare
// whole number there is a percentage, as older settings files hold it, and
// becomes the fraction, kept inside the slider's range; any other text is
// already the server's form and is kept. A value the server reports is never
// put through this: it is shown as the server sent it.
std::string NormaliseVotePercent(std::string_view value);

// The message shown when an entry's command would not fit the command
// buffer. It names the command by its prefix only, so no password is shown.
std::string SettingTooLongMessage(const SettingEntry& entry, size_t length);

// The reply router's test for a "get gamesettings" reply.
inline bool IsGameSettingsReply(std::string_view reply) {
    return reply.find("AutoBalanceOnRecycle") != std::string_view::npos;
}

// The reply router's test for the answer to a "set" command.
inline bool IsSettingChangeReply(std::string_view reply) {
    return reply.find("OK - Setting") != std::string_view::npos;
}

}  // namespace tavrin
