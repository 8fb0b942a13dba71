#include "settings/settings_tab.h"

#include <algorithm>
#include <span>

#include "common/tab_command.h"
#include "common/text_file.h"
#include "common/value_text.h"

namespace tavrin {

namespace {

const SettingEntry& EntryOf(int n) {
    return kSettingsTable.at(n);
}

// A value from a settings file as the server takes it: a bare votePercent
// there is a percentage (older files hold it so) and becomes the fraction.
// The server's own reply is never converted: it says what it holds.
std::string FileValueForServer(int n, std::string value) {
    return n == kVotePercentEntry ? NormaliseVotePercent(value) : value;
}

}  // namespace

CSettings::CSettings(std::string programDir, CommandSink& commands, UserDialogs& dialogs)
    : m_programDir(std::move(programDir)), m_commands(commands), m_dialogs(dialogs) {
    // A value label starts with its unit, which later values keep.
    for (int n = 0; n < kSettingsCount; ++n) {
        const SettingEntry& entry = EntryOf(n);
        if (entry.control != SettingControl::Slider) continue;
        m_entries[n].position = entry.minimum;
        m_entries[n].label = IntToText(entry.minimum) + std::string(entry.unit);
    }
}

bool CSettings::IsEnabled(int n) const {
    int parent = EntryOf(n).enabledBy;
    return !m_locked && (parent < 0 || m_entries[parent].ticked);
}

bool CSettings::Accepts(int n, SettingControl control) const {
    return n >= 0 && n < kSettingsCount && EntryOf(n).control == control && IsEnabled(n);
}

void CSettings::ParseGameSettings(std::string_view reply) {
    ServerSettingValues values = ReadGameSettings(reply);
    for (int n = 0; n < kServerSettingsCount; ++n) {
        m_values[n] = std::move(values[n]);
        ShowValue(n);
    }
}

void CSettings::ShowValue(int n) {
    const SettingEntry& entry = EntryOf(n);
    EntryState& state = m_entries[n];
    const std::string& value = m_values[n];
    switch (entry.control) {
        case SettingControl::TickBox:
            state.ticked = TextToInt(value) != 0;
            break;
        case SettingControl::Slider: {
            std::string shown = SliderValueText(value);
            state.position = std::clamp(TextToInt(shown), entry.minimum, entry.maximum);
            state.label = shown + std::string(UnitFromLabel(state.label));
            break;
        }
        case SettingControl::TextBox:
            state.box = value;
            break;
        case SettingControl::DropDown:
            break;
    }
}

void CSettings::ParseWeaponList(std::string_view reply) {
    m_weapons.Parse(reply);
    m_weaponsColours.background = kUnlockedListColours.background;
}

void CSettings::ToggleLock() {
    if (!m_canSend && m_locked) return;
    m_locked = !m_locked;
    m_weaponsColours = m_locked ? kLockedListColours : kUnlockedListColours;
}

void CSettings::SetCanSend(bool on) {
    m_canSend = on;
    if (!on && !m_locked) ToggleLock();
}

void CSettings::ClickTickBox(int n, bool ticked) {
    if (!Accepts(n, SettingControl::TickBox)) return;
    m_entries[n].ticked = ticked;
    SetAndSend(n, ticked ? "1" : "0");
}

void CSettings::DragSlider(int n, int position) {
    if (!Accepts(n, SettingControl::Slider) || position == 0) return;
    std::string& label = m_entries[n].label;
    label = IntToText(position) + std::string(UnitFromLabel(label));
}

void CSettings::ReleaseSlider(int n, int position) {
    if (!Accepts(n, SettingControl::Slider)) return;
    EntryState& state = m_entries[n];
    state.position = SliderReleasePosition(EntryOf(n), position);
    if (n == kVotePercentEntry) {
        // The server takes the percentage as a fraction.
        state.label = IntToText(state.position) + " %";
        SetAndSend(n, VotePercentFraction(state.position));
    } else {
        state.label = IntToText(state.position) + std::string(UnitFromLabel(state.label));
        SetAndSend(n, IntToText(state.position));
    }
}

void CSettings::PressSet(int n, const std::string& boxText) {
    if (!Accepts(n, SettingControl::TextBox)) return;
    std::string& box = m_entries[n].box;
    box = boxText;
    if (n == kServerNameEntry && box.empty()) box = "Unknown";
    SetAndSend(n, box);
}

void CSettings::PressClear(int n) {
    if (!Accepts(n, SettingControl::TextBox)) return;
    std::string& box = m_entries[n].box;
    box = n == kServerNameEntry ? "Unknown" : "";
    SetAndSend(n, box);
}

void CSettings::ChooseTimeOfDay(size_t choice) {
    if (!Accepts(kTimeOfDayEntry, SettingControl::DropDown) || choice >= kTimeOfDayChoices.size())
        return;
    m_timeOfDayChoice = choice;
    std::string value(kTimeOfDayChoices[choice]);
    std::erase(value, ':');
    SetAndSend(kTimeOfDayEntry, value);
}

void CSettings::ChooseTodRate(size_t choice) {
    if (!Accepts(kTodRateEntry, SettingControl::DropDown) || choice >= kTodRateChoices.size())
        return;
    m_todRateChoice = choice;
    // Minutes of real time for a game day, sent in seconds; "Def" reads as 0.
    SetAndSend(kTodRateEntry, IntToText(TextToInt(kTodRateChoices[choice]) * 60));
}

void CSettings::PressRefresh() {
    if (!m_locked) Post(std::string(kGameSettingsCommand));
}

void CSettings::PressUpdateWeapons() {
    if (!m_locked) Post(std::string(kWeaponListCommand));
}

void CSettings::PressSetAllWeapons(WeaponState state) {
    if (!m_locked) Post(m_weapons.SetAll(state));
}

void CSettings::ClickWeaponCell(size_t row, int column) {
    if (m_locked) return;
    if (std::optional<std::string> command = m_weapons.Click(row, column)) Post(*command);
}

bool CSettings::Save() {
    if (m_locked) return false;
    std::string text = PrepareSettingsFileText(
        std::span<std::string, kServerSettingsCount>(m_values.data(), kServerSettingsCount));
    MakeDirectory(SettingsFolder());
    std::optional<std::string> path = m_dialogs.AskSaveFileName(
        SettingsFileQuestion(kSaveSettingsTitle, SettingsFolder() + kPathSeparator));
    if (!path) return false;
    *path = WithDefaultExtension(*path, kSettingsFileExtension);
    std::string failure;
    if (!WriteTextFile(*path, text, WriteMode::Replace, &failure, kSettingsFileAccess)) {
        m_dialogs.ShowMessage("Settings not saved. " + failure);
        return false;
    }
    return true;
}

std::optional<std::string> CSettings::AskSettingsFileToLoad() {
    if (m_locked) return std::nullopt;
    MakeDirectory(SettingsFolder());
    return m_dialogs.AskOpenFileName(
        SettingsFileQuestion(kLoadSettingsTitle, SettingsFolder() + kPathSeparator));
}

SettingsBulkSend CSettings::ApplySettingsFile(std::string_view applied) {
    auto found = ReadAppliedValues(applied);
    for (int n = 0; n < kServerSettingsCount; ++n) {
        if (!found[n]) continue;
        std::string value = FileValueForServer(n, std::move(*found[n]));
        if (FitsCommand(n, value)) m_values[n] = std::move(value);
    }
    SettingsBulkSend bulk;
    for (int n = 0; n < kServerSettingsCount; ++n) {
        ShowValue(n);
        if (FitsCommand(n, m_values[n]))
            bulk.commands.push_back({std::string(EntryOf(n).prefix) + m_values[n],
                                     SettingsBulkSend::kPauseMs, PacedCommand::Route::Request});
    }
    return bulk;
}

bool CSettings::FitsCommand(int n, const std::string& value) {
    size_t length = EntryOf(n).prefix.size() + value.size();
    if (length <= kMaxTabCommand) return true;
    m_dialogs.ShowMessage(SettingTooLongMessage(EntryOf(n), length));
    return false;
}

void CSettings::SetAndSend(int n, std::string value) {
    if (!FitsCommand(n, value)) return;
    m_values[n] = std::move(value);
    Post(std::string(EntryOf(n).prefix) + m_values[n]);
}

void CSettings::Post(std::string text) {
    m_commands.SubmitCommands({PacedCommand{std::move(text), 0, PacedCommand::Route::Request}});
}

}  // namespace tavrin
