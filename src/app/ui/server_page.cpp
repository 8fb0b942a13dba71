#include "app/ui/server_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "common/ui/count_plot.h"
#include "common/ui/new_button.h"
#include "common/ui/server_details_dialog.h"
#include "common/ui/text_codec.h"

namespace tavrin {
namespace {

QLineEdit* NewField(const char* objectName, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(objectName));
    field->setReadOnly(true);
    // Shown, and selectable with the mouse, but no stop for the Tab key.
    field->setFocusPolicy(Qt::ClickFocus);
    return field;
}

QGroupBox* NewGroup(const QString& title, const char* objectName, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(QString::fromLatin1(objectName));
    return group;
}

}  // namespace

// ---------------------------------------------------------------------------
// The plot

PlayerCountPlot::PlayerCountPlot(const PlayerCountHistory& history, QWidget* parent)
    : QWidget(parent), m_history(history) {
    setObjectName(QStringLiteral("playerCountPlot"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setToolTip(QStringLiteral("Players in the game over the last hour of player lists"));
}

QSize PlayerCountPlot::sizeHint() const {
    return {360, 180};
}

QSize PlayerCountPlot::minimumSizeHint() const {
    return CountPlotMinimumSize(*this, QStringLiteral("00 -60 min -30 min latest"), 6);
}

void PlayerCountPlot::paintEvent(QPaintEvent*) {
    std::vector<CountPlotPoint> points;
    for (const PlayerCountPoint& point : m_history.PlotPoints())
        points.push_back({point.x, point.total, point.team1, point.team2, point.breakBefore});
    QPainter p(this);
    // The time grid: an hour ago, half an hour ago, the latest list.
    PaintCountPlot(
        p, *this, points,
        {{QStringLiteral("-60 min"), QStringLiteral("-30 min"), QStringLiteral("latest")},
         QStringLiteral("No player list yet")});
}

// ---------------------------------------------------------------------------
// The page

ServerPage::ServerPage(Console& console, ConsoleSignals& consoleSignals, QWidget* parent)
    : QWidget(parent), m_console(console) {
    setObjectName(QStringLiteral("serverPage"));

    // The chosen server's login details.
    QGroupBox* serverGroup = NewGroup(QStringLiteral("Server"), "serverGroup", this);
    m_record = NewField("recordField", serverGroup);
    m_address = NewField("addressField", serverGroup);
    m_port = NewField("portField", serverGroup);
    m_username = NewField("usernameField", serverGroup);
    m_password = NewField("passwordField", serverGroup);
    m_password->setEchoMode(QLineEdit::Password);
    m_showPassword = new QCheckBox(QStringLiteral("Show"), serverGroup);
    m_showPassword->setObjectName(QStringLiteral("showPasswordCheck"));
    auto* passwordRow = new QHBoxLayout;
    passwordRow->addWidget(m_password, 1);
    passwordRow->addWidget(m_showPassword);
    m_login = NewButton(QStringLiteral("Login"), "loginButton", serverGroup);
    m_logout = NewButton(QStringLiteral("Logout"), "logoutButton", serverGroup);
    m_change = NewButton(QStringLiteral("Change"), "changeButton", serverGroup);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_login);
    buttonRow->addWidget(m_logout);
    buttonRow->addWidget(m_change);
    buttonRow->addStretch(1);
    auto* serverForm = new QFormLayout(serverGroup);
    serverForm->addRow(QStringLiteral("Record"), m_record);
    serverForm->addRow(QStringLiteral("Server IP address"), m_address);
    serverForm->addRow(QStringLiteral("RAT port number"), m_port);
    serverForm->addRow(QStringLiteral("Username"), m_username);
    serverForm->addRow(QStringLiteral("Password"), passwordRow);
    serverForm->addRow(buttonRow);

    // What the game server reports.
    QGroupBox* gameGroup = NewGroup(QStringLiteral("Game State"), "gameStateGroup", this);
    m_mode = NewField("modeField", gameGroup);
    m_serverName = NewField("serverNameField", gameGroup);
    m_players = NewField("playersField", gameGroup);
    m_players->setToolTip(QStringLiteral("Total / Team 1 / Team 2"));
    m_mission = NewField("missionField", gameGroup);
    m_connectionStarted = NewField("connectionStartedField", gameGroup);
    auto* gameForm = new QFormLayout(gameGroup);
    gameForm->addRow(QStringLiteral("Mode"), m_mode);
    gameForm->addRow(QStringLiteral("Server Name"), m_serverName);
    gameForm->addRow(QStringLiteral("Players"), m_players);
    gameForm->addRow(QStringLiteral("Current Mission"), m_mission);
    gameForm->addRow(QStringLiteral("Connection Started"), m_connectionStarted);

    // The console's own machine.
    QGroupBox* systemGroup =
        NewGroup(QStringLiteral("System Information"), "systemInformationGroup", this);
    m_operatingSystem = NewField("operatingSystemField", systemGroup);
    m_cpus = NewField("cpusField", systemGroup);
    m_physicalMemory = NewField("physicalMemoryField", systemGroup);
    m_processMemory = NewField("processMemoryField", systemGroup);
    auto* systemForm = new QFormLayout(systemGroup);
    systemForm->addRow(QStringLiteral("Operating System"), m_operatingSystem);
    systemForm->addRow(QStringLiteral("CPU's"), m_cpus);
    systemForm->addRow(QStringLiteral("Physical Memory"), m_physicalMemory);
    systemForm->addRow(QStringLiteral("Memory for TavrinRat"), m_processMemory);

    QGroupBox* plotGroup = NewGroup(QStringLiteral("Players, last hour"), "playerCountGroup", this);
    m_plot = new PlayerCountPlot(console.CountHistory(), plotGroup);
    auto* plotLayout = new QVBoxLayout(plotGroup);
    plotLayout->addWidget(m_plot);

    auto* layout = new QGridLayout(this);
    layout->addWidget(serverGroup, 0, 0);
    layout->addWidget(gameGroup, 1, 0);
    layout->addWidget(systemGroup, 0, 1);
    layout->addWidget(plotGroup, 1, 1);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);

    connect(m_login, &QPushButton::clicked, this, &ServerPage::Login);
    connect(m_logout, &QPushButton::clicked, this, &ServerPage::Logout);
    connect(m_change, &QPushButton::clicked, this, &ServerPage::ChangeServer);
    connect(m_showPassword, &QCheckBox::toggled, this, [this](bool shown) {
        m_password->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
    connect(&consoleSignals, &ConsoleSignals::fieldChanged, this, &ServerPage::HandleFieldChanged);
    connect(&consoleSignals, &ConsoleSignals::controlChanged, this,
            &ServerPage::HandleControlChanged);
    // The plot draws the count history, which each player list adds to.
    connect(&consoleSignals, &ConsoleSignals::playersChanged, m_plot,
            qOverload<>(&QWidget::update));
    connect(&consoleSignals, &ConsoleSignals::clockTicked, this, &ServerPage::ShowSystemInfo);
    connect(&consoleSignals, &ConsoleSignals::started, this, [this] {
        ShowLoginDetails();
        ShowSystemInfo();
    });

    // Whatever the console holds already (the page may be made after start-up).
    ShowLoginDetails();
    ShowLoginButtons();
    ShowGameState();
    ShowSystemInfo();
}

void ServerPage::Login() {
    m_console.Login();
    ShowLoginButtons();
}

void ServerPage::Logout() {
    m_console.Logout();
    ShowLoginButtons();
}

void ServerPage::ChangeServer() {
    if (!m_console.Server().ChangeEnabled()) return;
    auto* dialog = new ServerDetailsDialog(m_console.Server(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (m_openServer) dialog->OfferOpen(m_openServer);
    connect(dialog, &QDialog::accepted, this, &ServerPage::ShowLoginDetails);
    dialog->open();
}

void ServerPage::HandleFieldChanged(Field field, const QString& text) {
    QLineEdit* shown = nullptr;
    switch (field) {
        case Field::TabMode:
            shown = m_mode;
            break;
        case Field::TabServerName:
            shown = m_serverName;
            break;
        case Field::TabPlayers:
            shown = m_players;
            break;
        case Field::TabMission:
            shown = m_mission;
            break;
        case Field::TabConnectionStarted:
            shown = m_connectionStarted;
            break;
        default:
            return;
    }
    shown->setText(text);
    // A long name shows its start; the whole of it on hover.
    shown->setCursorPosition(0);
    shown->setToolTip(text);
}

void ServerPage::HandleControlChanged(Control control, bool) {
    // The console has set the Server tab's model to what the session says.
    if (control == Control::LoginButtonsEnabled) ShowLoginButtons();
}

void ServerPage::ShowLoginDetails() {
    const ServerRecord& d = m_console.Server().LoginDetails();
    m_record->setText(FromWire(d.name));
    m_address->setText(FromWire(d.address));
    m_port->setText(FromWire(d.port));
    m_username->setText(FromWire(d.username));
    m_password->setText(FromWire(d.password));
    for (QLineEdit* field : {m_record, m_address, m_port, m_username}) field->setCursorPosition(0);
}

void ServerPage::ShowLoginButtons() {
    const CServer& server = m_console.Server();
    m_login->setEnabled(server.LoginEnabled());
    m_change->setEnabled(server.ChangeEnabled());
}

void ServerPage::ShowGameState() {
    const RatSession& session = m_console.Session();
    for (Field field : {Field::TabMode, Field::TabServerName, Field::TabPlayers, Field::TabMission,
                        Field::TabConnectionStarted})
        HandleFieldChanged(field, FromWire(session.FieldText(field)));
}

void ServerPage::ShowSystemInfo() {
    const CSysInfo& info = m_console.SystemInfo();
    const std::pair<QLineEdit*, const std::string*> fields[] = {
        {m_operatingSystem, &info.OperatingSystem()},
        {m_cpus, &info.Processors()},
        {m_physicalMemory, &info.PhysicalMemory()},
        {m_processMemory, &info.ProcessMemory()},
    };
    for (const auto& [field, value] : fields) {
        const QString text = FromWire(*value);
        if (field->text() == text) continue;
        field->setText(text);
        field->setCursorPosition(0);
        field->setToolTip(text);
        // These facts are read once: the frame grows to show them whole.
        if (field != m_processMemory) {
            const QFontMetrics fm(field->font());
            field->setMinimumWidth(fm.horizontalAdvance(text) + 3 * fm.averageCharWidth());
        }
    }
}

void ServerPage::RefreshPlot() {
    m_plot->update();
}

}  // namespace tavrin
