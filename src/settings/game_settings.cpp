#include "settings/game_settings.h"

#include <algorithm>

#include "common/tab_command.h"
#include "common/value_text.h"

namespace tavrin {

namespace {

void EraseAll(std::string& text, std::string_view what) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at))
        text.erase(at, what.size());
}

bool IsWholeNumber(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

ServerSettingValues ReadGameSettings(std::string_view reply) {
    // Turn "Key = value" lines into one "\Key\value\Key\value\" text.
    std::string text = "\\";
    text.reserve(reply.size() + 2);
    for (char c : reply) {
        if (c == ' ') continue;
        text += (c == '\n' || c == '\r' || c == '=') ? '\\' : c;
    }
    text += '\\';

    ServerSettingValues values;
    for (int n = 0; n < kServerSettingsCount; ++n)
        values[n] = GetKeyValue(text, kSettingsTable[n].key);
    return values;
}

std::string SliderValueText(std::string_view value) {
    std::string t(value);
    if (t.find('.') == std::string::npos) return t;
    EraseAll(t, "0.");
    if (t.size() < 2) t += '0';
    return t.substr(0, 2);
}

std::string_view UnitFromLabel(std::string_view label) {
    std::string_view unit;
    if (label.find('s') != std::string_view::npos) unit = " s";
    if (label.find('m') != std::string_view::npos) unit = " m";
    if (label.find("ms") != std::string_view::npos) unit = " ms";
    if (label.find('%') != std::string_view::npos) unit = " %";
    return unit;
}

int SliderReleasePosition(const SettingEntry& entry, int position) {
    position = std::clamp(position, entry.minimum, entry.maximum);
    if (entry.step == 5) position -= position % 5;
    return position;
}

std::string VotePercentFraction(int percent) {
    std::string digits = IntToText(percent);
    if (digits.size() < 2) digits.insert(0, "0");
    return "0." + digits;
}

std::string NormaliseVotePercent(std::string_view value) {
    if (!IsWholeNumber(value)) return std::string(value);
    const SettingEntry& entry = kSettingsTable[kVotePercentEntry];
    return VotePercentFraction(std::clamp(TextToInt(value), entry.minimum, entry.maximum));
}

std::string SettingTooLongMessage(const SettingEntry& entry, size_t length) {
    return TabCommandTooLongMessage(std::string(entry.prefix) + "...", length);
}

}  // namespace tavrin
