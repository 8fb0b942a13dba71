#include "settings/ui/settings_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdlib>

#include "common/ui/icons.h"
#include "common/ui/new_button.h"
#include "common/ui/permit_view.h"
#include "common/ui/text_codec.h"
#include "settings/ui/settings_file_dialog.h"

namespace tavrin {

namespace {

QString Latin(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString Named(const char* stem, int n) {
    return QLatin1String(stem) + QString::number(n);
}

// A slider whose keys or wheel have moved it is sent once it has rested this
// long, so a run of steps sends one command, as a release does.
constexpr int kKeyStepRestMs = 400;
constexpr int kProgressPollMs = 100;

const QString kMark = QStringLiteral("\u25CF");

}  // namespace

SettingsPage::SettingsPage(CSettings& settings, UserDialogs& dialogs, SettingsPageHost& host,
                           QWidget* parent)
    : QWidget(parent), m_settings(settings), m_dialogs(dialogs), m_host(host) {
    setObjectName(QStringLiteral("settingsPage"));

    m_lock = NewButton(QStringLiteral("Unlock"), QStringLiteral("settingsLock"), this);
    m_lock->setCheckable(true);
    m_refresh = NewButton(QStringLiteral("Refresh"), QStringLiteral("settingsRefresh"), this);
    m_load = NewButton(QStringLiteral("Load"), QStringLiteral("settingsLoad"), this);
    m_save = NewButton(QStringLiteral("Save"), QStringLiteral("settingsSave"), this);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("bulkProgress"));
    m_progress->setFormat(QStringLiteral("%v of %m"));
    m_progress->setRange(0, kServerSettingsCount);
    m_progress->setValue(0);
    m_progress->hide();
    m_progressText = new QLabel(this);
    m_progressText->setObjectName(QStringLiteral("bulkProgressText"));
    // Wide enough for the longest text it shows, so it is never cut.
    const SettingsBulkProgress longest{kServerSettingsCount, kServerSettingsCount, true};
    m_progressText->setMinimumWidth(m_progressText->fontMetrics().horizontalAdvance(
        Latin(BulkProgressText(longest, SettingsBulkSend::kPauseMs)) + QStringLiteral("00")));
    m_progressText->hide();
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(kProgressPollMs);
    connect(m_progressTimer, &QTimer::timeout, this, &SettingsPage::ShowBulkProgress);

    auto* top = new QHBoxLayout;
    top->addWidget(m_lock);
    top->addWidget(m_refresh);
    auto* fileBox = new QGroupBox(QStringLiteral("Settings File"), this);
    auto* fileLayout = new QHBoxLayout(fileBox);
    fileLayout->addWidget(m_load);
    fileLayout->addWidget(m_save);
    fileLayout->addWidget(m_progress, 3);
    fileLayout->addWidget(m_progressText);
    fileLayout->addStretch(1);
    top->addWidget(fileBox, 1);

    // Three columns: the switches with the texts, the limits with the time
    // of day, and the weapons, whose list takes the page's whole height.
    auto* panel = new QWidget(this);
    BuildSettings(panel);
    auto* middle = new QHBoxLayout;
    middle->addWidget(panel);
    middle->addWidget(BuildWeapons(), 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);

    connect(m_lock, &QPushButton::clicked, this, [this] {
        m_settings.ToggleLock();
        Refresh();
    });
    connect(m_refresh, &QPushButton::clicked, this, [this] { m_settings.PressRefresh(); });
    connect(m_load, &QPushButton::clicked, this, &SettingsPage::Load);
    connect(m_save, &QPushButton::clicked, this, &SettingsPage::Save);
    Refresh();
}

SettingsFileDialog* SettingsPage::OpenFileDialog() const {
    return m_fileDialog;
}

void SettingsPage::BuildSettings(QWidget* panel) {
    auto* switches = new QGroupBox(QStringLiteral("Switches"), panel);
    auto* switchGrid = new QGridLayout(switches);
    auto* sliders = new QGroupBox(QStringLiteral("Limits"), panel);
    auto* sliderGrid = new QGridLayout(sliders);
    sliderGrid->setColumnStretch(1, 1);
    // Thirteen rows: kept close together so the page fits a laptop's screen.
    sliderGrid->setVerticalSpacing(2);
    auto* texts = new QGroupBox(QStringLiteral("Server Title and Passwords"), panel);
    auto* textGrid = new QGridLayout(texts);
    textGrid->setColumnStretch(1, 1);
    auto* tod = new QGroupBox(QStringLiteral("Time of Day"), panel);
    auto* todGrid = new QGridLayout(tod);

    int tickCount = 0;
    int sliderRow = 0;
    int textRow = 0;
    for (int n = 0; n < kSettingsCount; ++n) {
        const SettingEntry& e = kSettingsTable[static_cast<size_t>(n)];
        QString caption = Latin(e.caption);
        caption.replace(QLatin1Char('\n'), QLatin1Char(' '));
        switch (e.control) {
            case SettingControl::TickBox: {
                auto* box = new QCheckBox(caption, switches);
                box->setObjectName(Named("setting", n));
                switchGrid->addWidget(box, tickCount / 2, tickCount % 2);
                ++tickCount;
                m_ticks[n] = box;
                connect(box, &QCheckBox::clicked, this, [this, n](bool on) {
                    m_settings.ClickTickBox(n, on);
                    Refresh();
                });
                break;
            }
            case SettingControl::Slider: {
                auto* label = new QLabel(caption, sliders);
                auto* slider = new QSlider(Qt::Horizontal, sliders);
                slider->setObjectName(Named("setting", n));
                slider->setMinimumWidth(slider->fontMetrics().averageCharWidth() * 16);
                slider->setRange(e.minimum, e.maximum);
                slider->setSingleStep(e.step > 1 ? e.step : 1);
                slider->setPageStep(e.step > 1 ? e.step * 4 : 10);
                auto* value = new QLabel(sliders);
                value->setObjectName(Named("settingValue", n));
                value->setMinimumWidth(
                    value->fontMetrics().horizontalAdvance(QStringLiteral("000/000 ms")));
                value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                sliderGrid->addWidget(label, sliderRow, 0);
                sliderGrid->addWidget(slider, sliderRow, 1);
                sliderGrid->addWidget(value, sliderRow, 2);
                ++sliderRow;
                m_captions[n] = label;
                m_sliders[n] = slider;
                m_valueLabels[n] = value;
                auto* rest = new QTimer(this);
                rest->setSingleShot(true);
                rest->setInterval(kKeyStepRestMs);
                m_keySteps[n] = rest;
                connect(rest, &QTimer::timeout, this, [this, n] { ReleaseSlider(n); });
                connect(slider, &QSlider::sliderMoved, this, [this, n](int position) {
                    m_settings.DragSlider(n, position);
                    m_valueLabels[n]->setText(FromWire(m_settings.ValueLabel(n)));
                });
                connect(slider, &QSlider::sliderReleased, this, [this, n] {
                    m_keySteps[n]->stop();
                    ReleaseSlider(n);
                });
                connect(slider, &QSlider::valueChanged, this, [this, n] {
                    if (m_rendering || m_sliders[n]->isSliderDown()) return;
                    m_keySteps[n]->start();
                });
                break;
            }
            case SettingControl::TextBox: {
                auto* label = new QLabel(caption, texts);
                auto* box = new QLineEdit(texts);
                box->setObjectName(Named("setting", n));
                if (n != kServerNameEntry) box->setEchoMode(QLineEdit::PasswordEchoOnEdit);
                auto* set = NewButton(QStringLiteral("Set"), Named("settingSet", n), texts);
                auto* clear = NewButton(QStringLiteral("Clear"), Named("settingClear", n), texts);
                textGrid->addWidget(label, textRow, 0);
                textGrid->addWidget(box, textRow, 1);
                textGrid->addWidget(set, textRow, 2);
                textGrid->addWidget(clear, textRow, 3);
                ++textRow;
                m_captions[n] = label;
                m_boxes[n] = box;
                m_setButtons[n] = set;
                m_clearButtons[n] = clear;
                connect(set, &QPushButton::clicked, this, [this, n] { PressSet(n); });
                connect(box, &QLineEdit::returnPressed, this, [this, n] { PressSet(n); });
                connect(clear, &QPushButton::clicked, this, [this, n] {
                    m_boxes[n]->setModified(false);
                    m_settings.PressClear(n);
                    Refresh();
                });
                break;
            }
            case SettingControl::DropDown: {
                auto* label = new QLabel(caption, tod);
                auto* list = new QComboBox(tod);
                list->setObjectName(Named("setting", n));
                if (n == kTimeOfDayEntry) {
                    for (auto choice : kTimeOfDayChoices) list->addItem(Latin(choice));
                    m_timeOfDay = list;
                    connect(list, &QComboBox::activated, this, [this](int i) {
                        m_settings.ChooseTimeOfDay(static_cast<size_t>(i));
                        Refresh();
                    });
                } else {
                    for (auto choice : kTodRateChoices) list->addItem(Latin(choice));
                    m_todRate = list;
                    connect(list, &QComboBox::activated, this, [this](int i) {
                        m_settings.ChooseTodRate(static_cast<size_t>(i));
                        Refresh();
                    });
                }
                todGrid->addWidget(label, n - kTimeOfDayEntry, 0);
                todGrid->addWidget(list, n - kTimeOfDayEntry, 1);
                m_captions[n] = label;
                break;
            }
        }
    }

    auto* left = new QVBoxLayout;
    left->addWidget(switches);
    left->addWidget(texts);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(sliders);
    right->addWidget(tod);
    right->addStretch(1);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(left);
    layout->addLayout(right);
}

QWidget* SettingsPage::BuildWeapons() {
    auto* box = new QGroupBox(QStringLiteral("Weapons Availability"), this);
    m_filter = new QLineEdit(box);
    m_filter->setObjectName(QStringLiteral("weaponsFilter"));
    m_filter->setPlaceholderText(QStringLiteral("Filter by name"));
    m_filter->setClearButtonEnabled(true);
    connect(m_filter, &QLineEdit::textChanged, this, &SettingsPage::ApplyFilter);

    m_weapons = new QTableWidget(0, 4, box);
    m_weapons->setObjectName(QStringLiteral("weaponsList"));
    QStringList headers{QStringLiteral("Weapon")};
    for (const auto& s : kWeaponStates) headers << Latin(s.header);
    m_weapons->setHorizontalHeaderLabels(headers);
    m_weapons->verticalHeader()->hide();
    m_weapons->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c <= 3; ++c) m_weapons->setColumnWidth(c, 34);
    m_weapons->setSelectionMode(QAbstractItemView::NoSelection);
    m_weapons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_weapons->setFocusPolicy(Qt::NoFocus);
    connect(m_weapons, &QTableWidget::cellClicked, this, [this](int row, int column) {
        m_settings.ClickWeaponCell(static_cast<size_t>(row), column);
        Refresh();
    });

    m_update = NewButton(QStringLiteral("Update List"), QStringLiteral("weaponsUpdate"), box);
    connect(m_update, &QPushButton::clicked, this, [this] { m_settings.PressUpdateWeapons(); });
    auto* all = new QGroupBox(QStringLiteral("Set All Weapons Availability"), box);
    auto* allLayout = new QHBoxLayout(all);
    const std::array<std::pair<const char*, const char*>, 3> buttons = {
        {{"Yes", "weaponsAllYes"}, {"Armory", "weaponsAllArmory"}, {"No", "weaponsAllNo"}}};
    for (size_t i = 0; i < buttons.size(); ++i) {
        m_setAll[i] =
            NewButton(QLatin1String(buttons[i].first), QLatin1String(buttons[i].second), all);
        allLayout->addWidget(m_setAll[i]);
        const WeaponState state = kWeaponStates[i].state;
        connect(m_setAll[i], &QPushButton::clicked, this, [this, state] {
            m_settings.PressSetAllWeapons(state);
            Refresh();
        });
    }

    // At least a few rows of the list show however short the page gets.
    m_weapons->setMinimumHeight(m_weapons->horizontalHeader()->sizeHint().height() +
                                6 * m_weapons->verticalHeader()->defaultSectionSize());
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(m_filter);
    layout->addWidget(m_weapons, 1);
    layout->addWidget(m_update);
    layout->addWidget(all);
    return box;
}

void SettingsPage::SetPermits(const ControlPermits& permits) {
    m_permits = permits;
    Refresh();
}

void SettingsPage::Refresh() {
    m_rendering = true;
    for (int n = 0; n < kSettingsCount; ++n) {
        const ControlPermit& permit = m_permits.Get("setting" + std::to_string(n));
        const bool enabled = m_settings.IsEnabled(n) && permit.allowed;
        if (m_captions[n]) m_captions[n]->setEnabled(enabled);
        switch (kSettingsTable[static_cast<size_t>(n)].control) {
            case SettingControl::TickBox: {
                const QSignalBlocker block(m_ticks[n]);
                m_ticks[n]->setChecked(m_settings.IsTicked(n));
                ShowPermit(*m_ticks[n], permit, enabled);
                break;
            }
            case SettingControl::Slider: {
                if (!m_sliders[n]->isSliderDown() && !m_keySteps[n]->isActive()) {
                    const QSignalBlocker block(m_sliders[n]);
                    m_sliders[n]->setValue(m_settings.SliderPosition(n));
                }
                ShowPermit(*m_sliders[n], permit, enabled);
                m_valueLabels[n]->setText(FromWire(m_settings.ValueLabel(n)));
                m_valueLabels[n]->setEnabled(enabled);
                break;
            }
            case SettingControl::TextBox: {
                // What the person is typing stays until Set or Clear.
                QLineEdit* box = m_boxes[n];
                if (!(box->hasFocus() && box->isModified())) {
                    box->setText(FromWire(m_settings.TextBoxText(n)));
                    box->setModified(false);
                }
                ShowPermit(*box, permit, enabled);
                ShowPermit(*m_setButtons[n], permit, enabled);
                ShowPermit(*m_clearButtons[n], permit, enabled);
                break;
            }
            case SettingControl::DropDown: {
                QComboBox* list = n == kTimeOfDayEntry ? m_timeOfDay : m_todRate;
                const QSignalBlocker block(list);
                list->setCurrentIndex(static_cast<int>(n == kTimeOfDayEntry
                                                           ? m_settings.TimeOfDayChoice()
                                                           : m_settings.TodRateChoice()));
                ShowPermit(*list, permit, enabled);
                break;
            }
        }
    }
    m_lock->setChecked(m_settings.IsLocked());
    m_lock->setText(Latin(m_settings.LockButtonLabel()));
    m_lock->setEnabled(m_settings.IsLockEnabled());
    m_lock->setToolTip(m_settings.IsLockEnabled() ? QString() : Latin(kSendNeedsGameMode));
    const bool buttons = m_settings.AreButtonsEnabled();
    m_save->setEnabled(buttons);
    ShowPermit(*m_load, m_permits.Get("settingsLoad"), buttons);
    ShowPermit(*m_refresh, m_permits.Get("settingsRefresh"), buttons);
    ShowPermit(*m_weapons, m_permits.Get("weaponsList"), buttons);
    ShowPermit(*m_update, m_permits.Get("weaponsUpdate"), buttons);
    for (auto* b : m_setAll) ShowPermit(*b, m_permits.Get("weaponsSetAll"), buttons);
    RenderWeapons();
    m_rendering = false;
}

void SettingsPage::RenderWeapons() {
    const auto& rows = m_settings.Weapons().Rows();
    const ListColours& colours = m_settings.WeaponsListColours();
    QColor background(colours.background.r, colours.background.g, colours.background.b);
    QColor text(colours.text.r, colours.text.g, colours.text.b);
    // The locked list's grey text is kept only where it can still be read:
    // on the green that a reply brings, or any other near colour, a darker
    // grey keeps the names legible while the list stays disabled.
    if (std::abs(qGray(background.rgb()) - qGray(text.rgb())) < 80) text = QColor(90, 90, 90);
    // On a dark palette the light colours are toned into its base, and the
    // palette's own text colour stays readable on them.
    if (IsDarkPalette(palette())) {
        background = ListTint(colours.background, palette());
        text = palette().color(
            m_settings.AreButtonsEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text);
    }
    m_weapons->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const WeaponRow& row = rows[static_cast<size_t>(r)];
        for (int c = 0; c < 4; ++c) {
            QTableWidgetItem* item = m_weapons->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsEnabled);
                if (c > 0) item->setTextAlignment(Qt::AlignCenter);
                m_weapons->setItem(r, c, item);
            }
            item->setText(c == 0 ? FromWire(row.name)
                                 : (c == static_cast<int>(row.state) ? kMark : QString()));
            item->setBackground(background);
            item->setForeground(text);
        }
    }
    ApplyFilter();
}

void SettingsPage::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_weapons) RenderWeapons();
}

void SettingsPage::ApplyFilter() {
    const auto& rows = m_settings.Weapons().Rows();
    const auto filter = ToWire(m_filter->text()).value_or(std::string());
    for (int r = 0; r < m_weapons->rowCount() && r < static_cast<int>(rows.size()); ++r)
        m_weapons->setRowHidden(r, !WeaponNameMatches(rows[static_cast<size_t>(r)].name, filter));
}

void SettingsPage::ReleaseSlider(int n) {
    m_settings.ReleaseSlider(n, m_sliders[n]->value());
    Refresh();
}

void SettingsPage::PressSet(int n) {
    const QString text = m_boxes[n]->text();
    const auto bytes = ToWire(text);
    if (!bytes) {
        m_dialogs.ShowMessage(ToWire(NotEncodableMessage(text)).value_or(std::string()));
        return;
    }
    m_boxes[n]->setModified(false);
    m_settings.PressSet(n, *bytes);
    Refresh();
}

void SettingsPage::Load() {
    const auto path = m_settings.AskSettingsFileToLoad();
    if (!path) return;
    auto* dialog = new SettingsFileDialog(OpenSettingsFile(*path), m_dialogs, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_fileDialog = dialog;
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const std::string applied = dialog->ApplyText();
        m_host.ApplySettingsFile(applied);
        Refresh();
        StartBulkWatch();
    });
    dialog->open();
}

void SettingsPage::Save() {
    if (m_settings.Save()) m_host.SettingsSaved();
    Refresh();
}

void SettingsPage::StartBulkWatch() {
    m_progress->show();
    m_progressText->show();
    ShowBulkProgress();
    if (m_host.BulkProgress().running) m_progressTimer->start();
}

void SettingsPage::ShowBulkProgress() {
    const SettingsBulkProgress p = m_host.BulkProgress();
    m_progress->setRange(0, static_cast<int>(p.total));
    m_progress->setValue(static_cast<int>(p.done));
    m_progressText->setText(Latin(BulkProgressText(p, SettingsBulkSend::kPauseMs)));
    if (!p.running) m_progressTimer->stop();
}

}  // namespace tavrin
