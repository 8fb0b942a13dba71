#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <string>

#include "common/control_permit.h"
#include "common/user_dialogs.h"
#include "settings/bulk_progress.h"
#include "settings/settings_tab.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QTableWidget;
class QTimer;

namespace tavrin {

class SettingsFileDialog;

// What the Settings tab needs of the window around it, which owns the session.
class SettingsPageHost {
  public:
    virtual ~SettingsPageHost() = default;
    // The Settings File Data dialog's Apply: Console::ApplySettingsFile.
    virtual void ApplySettingsFile(const std::string& applied) = 0;
    // How far the bulk send has got (the session's Bulk()).
    virtual SettingsBulkProgress BulkProgress() const = 0;
    // "Save" wrote its file: the Rat Response field shows kSettingsSavedStatus.
    virtual void SettingsSaved() = 0;
};

// The Settings tab over CSettings: tick boxes, sliders (sent on release),
// the text boxes with Set and Clear, the time-of-day lists, the lock, the
// weapons list with its filter and buttons, Load (the Settings File Data
// dialog and the bulk send with its progress bar), Save and Refresh.
//
// The main window calls Refresh() when the console announces that the
// settings or the weapons changed (their replies, and whether a command can
// go out, which locks the tab).
//
// Object names: settingsPage; settingsLock, settingsLoad, settingsSave,
// settingsRefresh; for entry n of the settings table setting<n> (its tick
// box, slider, text box or list), settingValue<n> (a slider's value label),
// settingSet<n> and settingClear<n>; weaponsList, weaponsFilter,
// weaponsUpdate, weaponsAllYes, weaponsAllArmory, weaponsAllNo;
// bulkProgress and bulkProgressText.
class SettingsPage final : public QWidget {
    Q_OBJECT

  public:
    SettingsPage(CSettings& settings, UserDialogs& dialogs, SettingsPageHost& host,
                 QWidget* parent = nullptr);

    // The dialog of the Load under way, while it is open.
    SettingsFileDialog* OpenFileDialog() const;

  public slots:
    // Shows what the model holds.
    void Refresh();
    // What the account may send (a remote console): each setting, Load,
    // Refresh and the weapons' controls follow their permits, a refused one
    // disabled with the tooltip naming the missing right.
    void SetPermits(const ControlPermits& permits);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void BuildSettings(QWidget* panel);
    QWidget* BuildWeapons();
    void RenderWeapons();
    void ApplyFilter();
    void ReleaseSlider(int n);
    void PressSet(int n);
    void Load();
    void Save();
    void StartBulkWatch();
    void ShowBulkProgress();

    CSettings& m_settings;
    UserDialogs& m_dialogs;
    SettingsPageHost& m_host;

    std::array<QCheckBox*, kSettingsCount> m_ticks{};
    std::array<QSlider*, kSettingsCount> m_sliders{};
    std::array<QLabel*, kSettingsCount> m_captions{};
    std::array<QLabel*, kSettingsCount> m_valueLabels{};
    std::array<QLineEdit*, kSettingsCount> m_boxes{};
    std::array<QPushButton*, kSettingsCount> m_setButtons{};
    std::array<QPushButton*, kSettingsCount> m_clearButtons{};
    std::array<QTimer*, kSettingsCount> m_keySteps{};
    QComboBox* m_timeOfDay = nullptr;
    QComboBox* m_todRate = nullptr;
    QPushButton* m_lock = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_refresh = nullptr;
    QTableWidget* m_weapons = nullptr;
    QLineEdit* m_filter = nullptr;
    QPushButton* m_update = nullptr;
    std::array<QPushButton*, 3> m_setAll{};
    QProgressBar* m_progress = nullptr;
    QLabel* m_progressText = nullptr;
    QTimer* m_progressTimer = nullptr;
    QPointer<SettingsFileDialog> m_fileDialog;
    bool m_rendering = false;
    ControlPermits m_permits;
};

}  // namespace tavrin
