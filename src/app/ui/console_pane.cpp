#include "app/ui/console_pane.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/control_rights.h"
#include "app/ui/info_window.h"
#include "app/ui/server_page.h"
#include "app/ui/status_field.h"
#include "app/window_state.h"
#include "chatbot/ui/chatbot_page.h"
#include "common/ui/log_viewer.h"
#include "common/ui/text_codec.h"
#include "manager/ui/admins_page.h"
#include "missions/ui/missions_page.h"
#include "players/ui/players_page.h"
#include "settings/settings_file.h"

namespace tavrin {
namespace {

struct TabPage {
    const char* objectName;
    const char* text;
};

// The tab items carry a blank on each side.
constexpr std::array<TabPage, kWindowTabs> kTabPages{{
    {"serverPage", " Server "},
    {"playersPage", " Players "},
    {"missionsPage", " Missions "},
    {"settingsPage", " Settings "},
    {"chatBotPage", " ChatBot "},
}};

struct StatusFieldInfo {
    Field field;
    const char* objectName;
    const char* caption;
};

// The six status fields, two to a row.
constexpr std::array<StatusFieldInfo, 6> kStatusFields{{
    {Field::Connection, "connectionField", "Connection"},
    {Field::ServerMode, "serverModeField", "Server Mode"},
    {Field::RatCommand, "ratCommandField", "Rat Command"},
    {Field::RatResponse, "ratResponseField", "Rat Response"},
    {Field::Admins, "adminsField", "Admins"},
    {Field::Clock, "clockField", "Clock"},
}};

const char* LookName(ConnectionLook look) {
    switch (look) {
        case ConnectionLook::Connected:
            return "connected";
        case ConnectionLook::Reconnecting:
            return "reconnecting";
        case ConnectionLook::Offline:
            break;
    }
    return "offline";
}

// A page with many controls scrolls inside its tab rather than holding the
// window at its own full size. The tab carries the page's name; the page
// itself is "<name>Content".
QWidget* Scrolled(QWidget* page) {
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    page->setObjectName(page->objectName() + QStringLiteral("Content"));
    scroll->setWidget(page);
    return scroll;
}

}  // namespace

ConsolePane::ConsolePane(Console& console, ConsoleSignals& consoleSignals, std::string name,
                         QWidget* parent)
    : QWidget(parent), m_console(console), m_signals(consoleSignals), m_name(std::move(name)) {
    setObjectName(QStringLiteral("consolePane"));
    m_title = FromWire(console.Session().FieldText(Field::Title));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("mainTabs"));
    m_tabs->setDocumentMode(false);
    for (size_t i = 0; i < kTabPages.size(); ++i) {
        const TabPage& entry = kTabPages[i];
        QWidget* page = nullptr;
        if (i == 0)
            page = m_serverPage = new ServerPage(console, consoleSignals, m_tabs);
        else if (i == 1)
            page = m_playersPage =
                new PlayersPage(console.Players(), console.Actions(), console.AdminMenuText(),
                                console.ProgramDir(), console.Log(), console.Dialogs(), m_tabs);
        else if (i == 2)
            page = m_missionsPage = new MissionsPage(console.Missions(), m_tabs);
        else if (i == 3)
            page = Scrolled(m_settingsPage =
                                new SettingsPage(console.Settings(), console.Dialogs(), *this));
        else if (i == 4)
            page = Scrolled(m_chatBotPage = new ChatBotPage(console.ChatBot(), console.Dialogs()));
        else
            page = new QWidget(m_tabs);  // filled as its subsystem's page comes
        page->setObjectName(QString::fromLatin1(entry.objectName));
        AddPage(page, QString::fromLatin1(entry.text));
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(BuildStatusPanel());
    layout->addWidget(BuildButtonRow());

    // Why the last connection ended stays in view until the next Login.
    // The window puts it in its status bar.
    m_lastReason = new QLabel(this);
    m_lastReason->setObjectName(QStringLiteral("lastReasonLabel"));
    m_lastReason->setTextFormat(Qt::PlainText);
    ShowLastReason(FromWire(console.Session().FieldText(Field::LastReason)));
    ApplyCanSend(console.Session().ControlOn(Control::CanSend));
    ApplyRights();

    m_eventViewer = new LogViewer(
        console.Log(), LogViewer::Kind::Event,
        [&console] { return console.Session().FieldText(Field::TabConnectionStarted); }, this);
    m_chatViewer = new LogViewer(console.Log(), LogViewer::Kind::Chat, this);
    m_infoWindow = new InfoWindow(console, consoleSignals, this);

    // Each page redraws when the console announces that its model changed.
    connect(&consoleSignals, &ConsoleSignals::playersChanged, m_playersPage, &PlayersPage::Refresh);
    connect(&consoleSignals, &ConsoleSignals::missionsChanged, m_missionsPage,
            &MissionsPage::Refresh);
    connect(&consoleSignals, &ConsoleSignals::settingsChanged, m_settingsPage,
            &SettingsPage::Refresh);
    connect(&consoleSignals, &ConsoleSignals::weaponsChanged, m_settingsPage,
            &SettingsPage::Refresh);
    connect(&consoleSignals, &ConsoleSignals::chatChanged, m_chatBotPage, &ChatBotPage::Refresh);
    connect(&consoleSignals, &ConsoleSignals::caughtChanged, m_chatBotPage,
            &ChatBotPage::RefreshCaught);
    connect(&consoleSignals, &ConsoleSignals::rightsChanged, this, &ConsolePane::ApplyRights);
    m_infoWindow->hide();

    m_lookUpdate.setSingleShot(true);
    m_lookUpdate.setInterval(0);
    connect(&m_lookUpdate, &QTimer::timeout, this, &ConsolePane::ShowConnectionLook);

    connect(&consoleSignals, &ConsoleSignals::fieldChanged, this, &ConsolePane::HandleFieldChanged);
    connect(&consoleSignals, &ConsoleSignals::controlChanged, this,
            &ConsolePane::HandleControlChanged);
    connect(&consoleSignals, &ConsoleSignals::clockTicked, &m_lookUpdate,
            qOverload<>(&QTimer::start));
    // The event log cannot hold this line: it stays in view instead.
    connect(&consoleSignals, &ConsoleSignals::logWriteFailed, this, &ConsolePane::statusMessage);
    connect(&consoleSignals, &ConsoleSignals::caughtChanged, this, [this] {
        m_badge.Update(m_console.ChatBot().Catches(), m_selected);
        emit rowChanged();
    });
    connect(&consoleSignals, &ConsoleSignals::playersChanged, this, &ConsolePane::rowChanged);
    // A chat line is answered by the chat confirmation; a raw command by the
    // first reply once it went out (a poll's late reply may come first).
    connect(&consoleSignals, &ConsoleSignals::replyTextRouted, this,
            [this](ReplyKind kind, const QString& text) {
                if (!m_awaitingBroadcastReply || !m_broadcastSent) return;
                if (m_broadcastCommand.startsWith(QStringLiteral("chat send ")) &&
                    kind != ReplyKind::ChatConfirmation)
                    return;
                m_awaitingBroadcastReply = false;
                m_broadcastReply = text.trimmed();
                emit rowChanged();
            });
    connect(&consoleSignals, &ConsoleSignals::clockTicked, this, &ConsolePane::rowChanged);
    connect(&consoleSignals, &ConsoleSignals::eventLineWritten, m_eventViewer,
            &LogViewer::AppendLive);
    connect(&consoleSignals, &ConsoleSignals::chatTextWritten, m_chatViewer,
            &LogViewer::AppendLive);
    connect(m_reviewEventLog, &QPushButton::clicked, m_eventViewer, &LogViewer::Review);
    connect(m_reviewChatLog, &QPushButton::clicked, m_chatViewer, &LogViewer::Review);

    ShowConnectionLook();
}

ConsolePane::~ConsolePane() = default;

int ConsolePane::CurrentTab() const {
    return m_tabs->currentIndex();
}

QString ConsolePane::Title() const {
    return m_title;
}

ServerRow ConsolePane::Row() const {
    RatSession& session = m_console.Session();
    return SummariseServer(ShownName(), session.State(), session.FieldText(Field::LastReason),
                           static_cast<int>(m_console.Players().Rows().size()), m_badge.On(),
                           m_console.Remote());
}

std::string ConsolePane::ShownName() const {
    // The favourite, opened without a name, goes by its record's name.
    return m_name.empty() ? m_console.Server().LoginDetails().name : m_name;
}

void ConsolePane::SetSelected(bool on) {
    m_selected = on;
    if (!on) return;
    m_badge.Seen();
    emit rowChanged();
}

bool ConsolePane::SendBroadcast(const std::string& line) {
    if (const ControlPermit& permit = m_permits.Get("messageAllServersAction"); !permit.allowed) {
        // The manager would refuse it: the row says why instead.
        m_awaitingBroadcastReply = false;
        m_broadcastReply = QStringLiteral("Not sent: ") + FromWire(permit.tip);
        return false;
    }
    if (!m_console.Session().ControlOn(Control::CanSend)) {
        m_awaitingBroadcastReply = false;
        const SessionState& state = m_console.Session().State();
        std::string why(NotSentReason(state.m_fRATConnected, state.m_fGameMode));
        while (!why.empty() && (why.back() == ' ' || why.back() == ':')) why.pop_back();
        m_broadcastReply = FromWire(why.empty() ? std::string("Not sent") : why);
        return false;
    }
    // The reply is the first response once the command has gone out.
    m_broadcastCommand = FromWire(CChatBot::SendCommand(line));
    m_broadcastSent = false;
    m_awaitingBroadcastReply = true;
    m_broadcastReply.clear();
    m_console.ChatBot().Send(line);
    return true;
}

void ConsolePane::SetOpenServer(std::function<std::string(const std::string&)> open) {
    m_serverPage->SetOpenServer(std::move(open));
}

void ConsolePane::CloseConsole(bool ok) {
    m_console.Close(ok);
    m_eventViewer->hide();
    m_chatViewer->hide();
    m_infoWindow->hide();
}

void ConsolePane::AddPage(QWidget* page, const QString& text) {
    const int index = m_tabs->addTab(page, text);
    // Ctrl+1 .. Ctrl+6 switch pages.
    m_tabs->setTabToolTip(index, QStringLiteral("Ctrl+%1").arg(index + 1));
    auto* shortcut =
        new QShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + index)), this);
    // Only the pane in view takes them.
    connect(shortcut, &QShortcut::activated, this, [this, index] { ShowTab(index); });
}

QWidget* ConsolePane::BuildStatusPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("statusPanel"));
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    for (size_t i = 0; i < kStatusFields.size(); ++i) {
        const StatusFieldInfo& info = kStatusFields[i];
        const QString caption = QString::fromLatin1(info.caption);
        auto* field = new StatusField(QString::fromLatin1(info.objectName), panel);
        field->setAccessibleName(caption);
        field->SetFieldText(FromWire(m_console.Session().FieldText(info.field)));
        auto* label = new QLabel(caption, panel);
        label->setBuddy(field);
        const int row = static_cast<int>(i / 2);
        const int column = static_cast<int>(i % 2) * 2;
        grid->addWidget(label, row, column);
        grid->addWidget(field, row, column + 1);
        m_fields[i] = field;
    }
    return panel;
}

QWidget* ConsolePane::BuildButtonRow() {
    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("buttonRow"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    m_autoRefresh = new QCheckBox(QStringLiteral("&Auto Refresh"), row);
    m_autoRefresh->setObjectName(QStringLiteral("autoRefreshBox"));
    m_autoRefresh->setChecked(m_console.Session().ControlOn(Control::AutoRefreshTicked));
    m_autoRefresh->setEnabled(m_console.Session().ControlOn(Control::AutoRefreshEnabled));
    // A click is the person's gesture; the box then shows what the session says.
    connect(m_autoRefresh, &QCheckBox::clicked, this,
            [this](bool ticked) { m_console.Session().OnAutoRefreshToggled(ticked); });

    auto button = [row](const QString& text, const char* name) {
        auto* b = new QPushButton(text, row);
        b->setObjectName(QString::fromLatin1(name));
        // No button of the window acts on Enter.
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    m_reviewEventLog = button(QStringLiteral("Review Current &Event Log"), "reviewEventLogButton");
    m_reviewChatLog = button(QStringLiteral("Review Current &Chat Log"), "reviewChatLogButton");
    QPushButton* ok = button(QStringLiteral("OK"), "okButton");
    QPushButton* cancel = button(QStringLiteral("Cancel"), "cancelButton");
    connect(ok, &QPushButton::clicked, this, [this] { emit closeRequested(true); });
    connect(cancel, &QPushButton::clicked, this, [this] { emit closeRequested(false); });

    m_adminPortGroup = BuildAdminPortGroup();
    m_adminPortGroup->hide();

    layout->addWidget(m_autoRefresh);
    layout->addSpacing(12);
    layout->addWidget(m_adminPortGroup);
    layout->addWidget(m_reviewEventLog);
    layout->addWidget(m_reviewChatLog);
    layout->addStretch(1);
    layout->addWidget(ok);
    layout->addWidget(cancel);
    return row;
}

QWidget* ConsolePane::BuildAdminPortGroup() {
    auto* group = new QGroupBox(QStringLiteral("Admin Port"), this);
    group->setObjectName(QStringLiteral("adminPortGroup"));
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(6, 2, 6, 2);
    auto button = [group](const QString& text, const char* name) {
        auto* b = new QPushButton(text, group);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    m_portToggle = button(QString::fromLatin1(AdminPortCaption(false)), "adminPortToggle");
    m_portToggle->setCheckable(true);
    QPushButton* closeAll =
        button(QStringLiteral("Close Admin Connections"), "closeAdminConnectionsButton");
    connect(m_portToggle, &QPushButton::clicked, this,
            [this](bool on) { ShowAdminPort(m_console.AdminManager().SetListening(on)); });
    connect(closeAll, &QPushButton::clicked, this,
            [this] { m_console.AdminManager().DisconnectAllAdmins(); });
    layout->addWidget(m_portToggle);
    layout->addWidget(closeAll);
    return group;
}

void ConsolePane::ShowAdminPort(bool listening) {
    m_portToggle->setChecked(listening);
    m_portToggle->setText(QString::fromLatin1(AdminPortCaption(listening)));
}

void ConsolePane::EnterManagerRole() {
    if (m_adminsPage != nullptr) return;
    ManagerRole& manager = m_console.AdminManager();
    m_adminsPage = new AdminsPage(manager.Accounts(), m_console.ProgramDir(), m_console.Log(),
                                  m_console.Dialogs(), m_tabs);
    m_adminsPage->setObjectName(QStringLiteral("adminsPage"));
    AddPage(m_adminsPage, QStringLiteral(" Admins "));
    // The accounts are read at start-up; rows change as admins come and go.
    connect(&m_signals, &ConsoleSignals::adminsChanged, m_adminsPage, &AdminsPage::Refresh);
    connect(&m_signals, &ConsoleSignals::adminAccountChanged, m_adminsPage,
            &AdminsPage::AccountRowChanged);
    connect(&m_signals, &ConsoleSignals::adminPortChanged, this, &ConsolePane::ShowAdminPort);
    m_adminPortGroup->show();
    ShowAdminPort(manager.Listening());
    emit titleChanged();
}

void ConsolePane::ShowTab(int index) {
    if (index < 0 || index >= m_tabs->count()) return;
    m_tabs->setCurrentIndex(index);
}

void ConsolePane::LogIn() {
    m_serverPage->Login();
}

void ConsolePane::HandleFieldChanged(Field field, const QString& text) {
    if (field == Field::Title) {
        m_title = text;
        emit titleChanged();
        return;
    }
    if (field == Field::LastReason) {
        ShowLastReason(text);
        return;
    }
    if (m_awaitingBroadcastReply && field == Field::RatCommand && text == m_broadcastCommand)
        m_broadcastSent = true;
    for (size_t i = 0; i < kStatusFields.size(); ++i)
        if (kStatusFields[i].field == field) m_fields[i]->SetFieldText(text);
    m_lookUpdate.start();
    emit rowChanged();
}

void ConsolePane::HandleControlChanged(Control control, bool on) {
    if (control == Control::AutoRefreshTicked) m_autoRefresh->setChecked(on);
    if (control == Control::AutoRefreshEnabled) m_autoRefresh->setEnabled(on);
    if (control == Control::CanSend) ApplyCanSend(on);
    m_lookUpdate.start();
    emit rowChanged();
}

void ConsolePane::ApplyCanSend(bool on) {
    // The Settings tab's model follows in the console, which announces it.
    m_playersPage->SetCanSend(on);
    m_missionsPage->SetCanSend(on);
    m_chatBotPage->SetCanSend(on);
}

void ConsolePane::ApplyRights() {
    m_permits = WindowPermits(m_console.Remote(), m_console.Rights());
    m_playersPage->SetPermits(m_permits);
    m_missionsPage->SetPermits(m_permits);
    m_settingsPage->SetPermits(m_permits);
    m_chatBotPage->SetPermits(m_permits);
    emit permitsChanged();
}

void ConsolePane::ShowLastReason(const QString& reason) {
    m_lastReason->setText(reason.isEmpty() ? QString() : QStringLiteral("Last reason: ") + reason);
    m_lastReason->setToolTip(reason);
    emit rowChanged();
}

void ConsolePane::ShowConnectionLook() {
    const ConnectionLook look = LookOfConnection(m_console.Session().State());
    StatusField* field = m_fields[0];
    if (look == m_look && field->property("connectionLook").isValid()) return;
    m_look = look;
    field->setProperty("connectionLook", QString::fromLatin1(LookName(look)));
    // The palette's own colours, so the look holds in light and dark themes:
    // AutoRecon in the selection colours, a login in bold.
    const bool reconnecting = look == ConnectionLook::Reconnecting;
    field->setAutoFillBackground(reconnecting);
    field->setBackgroundRole(reconnecting ? QPalette::Highlight : QPalette::Window);
    field->setForegroundRole(reconnecting ? QPalette::HighlightedText : QPalette::WindowText);
    QFont font = field->font();
    font.setBold(look != ConnectionLook::Offline);
    field->setFont(font);
    field->update();
}

void ConsolePane::ApplySettingsFile(const std::string& applied) {
    m_console.ApplySettingsFile(applied);
}

SettingsBulkProgress ConsolePane::BulkProgress() const {
    const auto bulk = m_console.Session().Bulk();
    return {bulk.done, bulk.total, bulk.running};
}

void ConsolePane::SettingsSaved() {
    m_console.Session().SetField(Field::RatResponse, std::string(kSettingsSavedStatus));
}

}  // namespace tavrin
