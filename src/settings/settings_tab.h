#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/command_sink.h"
#include "common/user_dialogs.h"
#include "common/view_types.h"
#include "settings/game_settings.h"
#include "settings/settings_file.h"
#include "settings/settings_table.h"
#include "settings/weapons_list.h"

namespace tavrin {

// The weapons list's cell background and text.
struct ListColours {
    Rgb background;
    Rgb text;
    bool operator==(const ListColours&) const = default;
};

inline constexpr ListColours kLockedListColours = {{240, 240, 240}, {200, 200, 200}};
inline constexpr ListColours kUnlockedListColours = {{150, 200, 150}, {0, 0, 0}};

inline constexpr std::string_view kGameSettingsCommand = "get gamesettings";

// The Game Settings tab: the values of the 30 entries, what each control
// shows, the lock, the weapons list and the settings-file buttons. Every
// change sends its command at once as a tab command request; nothing reacts
// while the tab is locked, and it starts locked.
class CSettings {
  public:
    // `programDir` ends with the path separator; settings files live in its
    // "Settings" folder.
    CSettings(std::string programDir, CommandSink& commands, UserDialogs& dialogs);

    // What the controls show. `n` is an entry of the settings table.
    const std::string& Value(int n) const { return m_values.at(n); }
    bool IsTicked(int n) const { return m_entries.at(n).ticked; }
    int SliderPosition(int n) const { return m_entries.at(n).position; }
    const std::string& ValueLabel(int n) const { return m_entries.at(n).label; }
    const std::string& TextBoxText(int n) const { return m_entries.at(n).box; }
    size_t TimeOfDayChoice() const { return m_timeOfDayChoice; }
    size_t TodRateChoice() const { return m_todRateChoice; }

    bool IsLocked() const { return m_locked; }
    // Whether a command can go out now (logged in, game mode). While it
    // cannot, the tab is locked and stays locked: a change would look made
    // and never reach the server.
    void SetCanSend(bool on);
    bool CanSend() const { return m_canSend; }
    // The lock button works only while a command can go out.
    bool IsLockEnabled() const { return m_canSend; }
    // The lock button names the action it offers.
    std::string_view LockButtonLabel() const { return m_locked ? "Unlock" : "Lock"; }
    // An entry's control (and its labels, Set and Clear). A dependent slider
    // follows its tick box while the tab is unlocked.
    bool IsEnabled(int n) const;
    // Load, Save, Refresh, the weapons list and its buttons.
    bool AreButtonsEnabled() const { return !m_locked; }
    const ListColours& WeaponsListColours() const { return m_weaponsColours; }
    const WeaponsList& Weapons() const { return m_weapons; }

    // Replies, from the reply router.
    void ParseGameSettings(std::string_view reply);
    // The server name as its text box shows it, for the Server tab and title.
    const std::string& ServerName() const { return TextBoxText(kServerNameEntry); }
    void ParseWeaponList(std::string_view reply);

    // Gestures.
    void ToggleLock();
    void ClickTickBox(int n, bool ticked);
    void DragSlider(int n, int position);
    void ReleaseSlider(int n, int position);
    void PressSet(int n, const std::string& boxText);
    void PressClear(int n);
    void ChooseTimeOfDay(size_t choice);
    void ChooseTodRate(size_t choice);
    void PressRefresh();
    void PressUpdateWeapons();
    void PressSetAllWeapons(WeaponState state);
    void ClickWeaponCell(size_t row, int column);

    // "Save": writes entries 0 to 27 to a file the person chooses. Returns
    // true when the Rat Response field is to show kSettingsSavedStatus.
    bool Save();
    // "Load", first step: the file to open in the Settings File Data dialog.
    std::optional<std::string> AskSettingsFileToLoad();
    // "Load", after the dialog's Apply: takes the applied values, shows them
    // and returns the bulk send for the main window.
    SettingsBulkSend ApplySettingsFile(std::string_view applied);

    std::string SettingsFolder() const { return m_programDir + std::string(kSettingsFolderName); }

  private:
    // What an entry's control shows, apart from its value.
    struct EntryState {
        bool ticked = false;
        int position = 0;
        std::string label;
        std::string box;
    };

    // Changes entry n to `value` and posts its command; a command too long
    // for the buffer is refused with a message and changes nothing.
    void SetAndSend(int n, std::string value);
    // False, after telling the person, when entry n's command with `value`
    // would not fit the command buffer.
    bool FitsCommand(int n, const std::string& value);
    void Post(std::string text);
    void ShowValue(int n);
    // True when entry n exists, has this kind of control and is enabled.
    bool Accepts(int n, SettingControl control) const;

    std::string m_programDir;
    CommandSink& m_commands;
    UserDialogs& m_dialogs;
    std::array<std::string, kSettingsCount> m_values;
    std::array<EntryState, kSettingsCount> m_entries;
    size_t m_timeOfDayChoice = 0;
    size_t m_todRateChoice = 0;
    bool m_locked = true;
    bool m_canSend = true;
    ListColours m_weaponsColours = kLockedListColours;
    WeaponsList m_weapons;
};

}  // namespace tavrin
