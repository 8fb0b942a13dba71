#include "app/ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <algorithm>

#include "app/ui/app_icon.h"
#include "app/ui/console_pane.h"
#include "app/ui/info_window.h"
#include "common/ui/log_viewer.h"
#include "common/ui/permit_view.h"
#include "common/ui/text_codec.h"
#include "history/ui/history_window.h"
#include "schedule/ui/schedule_editor.h"

namespace tavrin {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowIcon(AppIcon());

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralArea"));
    auto* layout = new QHBoxLayout(central);
    m_serverList = new QListWidget(central);
    m_serverList->setObjectName(QStringLiteral("serverList"));
    m_serverList->setAccessibleName(QStringLiteral("Servers"));
    m_serverList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_serverList->setContextMenuPolicy(Qt::CustomContextMenu);
    m_serverList->setMaximumWidth(220);
    // A gap between rows of two lines each keeps the servers apart.
    m_serverList->setSpacing(3);
    m_serverList->hide();
    m_panes = new QStackedWidget(central);
    m_panes->setObjectName(QStringLiteral("serverPanes"));
    layout->addWidget(m_serverList);
    layout->addWidget(m_panes, 1);
    setCentralWidget(central);

    connect(m_serverList, &QListWidget::currentRowChanged, this, &MainWindow::SelectServer);
    connect(m_serverList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const int row = m_serverList->indexAt(at).row();
        if (row < 0 || ServerCount() < 2) return;
        SelectServer(row);
        auto* menu = new QMenu(this);
        menu->setObjectName(QStringLiteral("serverRowMenu"));
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addAction(m_closeServer);
        menu->popup(m_serverList->viewport()->mapToGlobal(at));
    });

    // Window-wide: they move between servers whichever page has the focus.
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
    connect(previous, &QShortcut::activated, this, [this] { SelectServer(CurrentServer() - 1); });
    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
    connect(next, &QShortcut::activated, this, [this] { SelectServer(CurrentServer() + 1); });

    BuildMenus();
}

MainWindow::~MainWindow() = default;

ConsolePane& MainWindow::AddServer(Console& console, ConsoleSignals& consoleSignals,
                                   const std::string& name) {
    auto* pane = new ConsolePane(console, consoleSignals, name, m_panes);
    const bool first = m_panes->count() == 0;
    m_panes->addWidget(pane);
    statusBar()->addPermanentWidget(pane->LastReasonLabel());
    auto* item = new QListWidgetItem(m_serverList);
    item->setData(Qt::UserRole, QString::fromStdString(name));

    connect(pane, &ConsolePane::closeRequested, this, &MainWindow::CloseConsole);
    connect(pane, &ConsolePane::titleChanged, this, [this, pane] {
        if (pane == &CurrentPane()) ShowTitle();
    });
    connect(pane, &ConsolePane::rowChanged, this, [this, pane] { ShowRow(pane); });
    connect(pane, &ConsolePane::permitsChanged, this, &MainWindow::ShowMessageAllPermit);
    connect(pane, &ConsolePane::statusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text); });

    pane->SetSelected(first);
    if (first) {
        SelectServer(0);
        resize(DefaultSize());
    } else {
        pane->LastReasonLabel()->hide();
    }
    ShowRow(pane);
    ShowServerList();
    ShowTitle();
    ShowMessageAllPermit();
    return *pane;
}

void MainWindow::RemoveServer(ConsolePane& pane) {
    const int index = m_panes->indexOf(&pane);
    if (index < 0 || ServerCount() < 2) return;
    const bool current = index == CurrentServer();
    delete m_serverList->takeItem(index);
    m_panes->removeWidget(&pane);
    delete pane.LastReasonLabel();
    // Now, while its console still lives: the console goes once its worker has ended.
    delete &pane;
    if (current) SelectServer(std::min(index, ServerCount() - 1));
    ShowServerList();
    ShowTitle();
    ShowMessageAllPermit();
}

int MainWindow::ServerCount() const {
    return m_panes->count();
}

ConsolePane& MainWindow::Pane(int index) const {
    return *static_cast<ConsolePane*>(m_panes->widget(index));
}

ConsolePane& MainWindow::CurrentPane() const {
    return *static_cast<ConsolePane*>(m_panes->currentWidget());
}

int MainWindow::CurrentServer() const {
    return m_panes->currentIndex();
}

void MainWindow::SelectServer(int index) {
    if (index < 0 || index >= ServerCount()) return;
    const int before = CurrentServer();
    if (before != index && before >= 0) {
        Pane(before).SetSelected(false);
        Pane(before).LastReasonLabel()->hide();
    }
    m_panes->setCurrentIndex(index);
    ConsolePane& pane = Pane(index);
    pane.LastReasonLabel()->show();
    pane.SetSelected(true);
    if (m_serverList->currentRow() != index) m_serverList->setCurrentRow(index);
    ShowTitle();
}

void MainWindow::ShowServerList() {
    const bool several = ServerCount() > 1;
    m_serverList->setVisible(several);
    m_closeServer->setEnabled(several);
}

void MainWindow::ShowMessageAllPermit() {
    constexpr const char* kName = "messageAllServersAction";
    ControlPermit permit;
    for (int i = 0; i < ServerCount(); ++i) {
        permit = Pane(i).Permits().Get(kName);
        if (permit.allowed) break;
    }
    ShowPermit(*m_messageAll, permit);
}

void MainWindow::ShowTitle() {
    if (ServerCount() == 0) return;
    const ConsolePane& pane = CurrentPane();
    QString title = pane.Title() + m_titleSuffix;
    if (ServerCount() > 1) title += QStringLiteral(" - ") + FromWire(pane.ShownName());
    setWindowTitle(title);
}

void MainWindow::ShowRow(ConsolePane* pane) {
    const int index = m_panes->indexOf(pane);
    QListWidgetItem* item = m_serverList->item(index);
    if (item == nullptr) return;
    const ServerRow row = pane->Row();
    const QString text = FromWire(ServerRowText(row));
    if (item->text() != text) item->setText(text);
    item->setData(Qt::UserRole + 1, static_cast<int>(row.mark));
    item->setData(Qt::UserRole + 2, row.badge);
    QFont font = item->font();
    font.setBold(row.badge);
    item->setFont(font);
    item->setToolTip(pane->LastBroadcastReply());
}

void MainWindow::EnterManagerRole() {
    if (ServerCount() == 0 || InManagerRole()) return;
    m_titleSuffix = QString::fromLatin1(kManagerRoleSuffix);
    Pane(0).EnterManagerRole();
    ShowTitle();
}

bool MainWindow::InManagerRole() const {
    return ServerCount() > 0 && Pane(0).InManagerRole();
}

void MainWindow::BuildMenus() {
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("viewMenu"));
    QAction* variables = view->addAction(QStringLiteral("System Variables"));
    variables->setObjectName(QStringLiteral("systemVariablesAction"));
    connect(variables, &QAction::triggered, this, &MainWindow::ShowSystemVariables);
    m_historyAction = view->addAction(QStringLiteral("History"));
    m_historyAction->setObjectName(QStringLiteral("historyAction"));
    m_historyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    m_historyAction->setShortcutContext(Qt::ApplicationShortcut);
    view->setToolTipsVisible(true);
    connect(m_historyAction, &QAction::triggered, this, &MainWindow::ShowHistory);
    QAction* schedule = view->addAction(QStringLiteral("Schedule\u2026"));
    schedule->setObjectName(QStringLiteral("scheduleAction"));
    connect(schedule, &QAction::triggered, this, &MainWindow::ShowSchedule);
    SetHistory(nullptr);

    QMenu* servers = menuBar()->addMenu(QStringLiteral("&Servers"));
    servers->setObjectName(QStringLiteral("serversMenu"));
    m_messageAll = servers->addAction(QStringLiteral("Message all servers"));
    m_messageAll->setObjectName(QStringLiteral("messageAllServersAction"));
    servers->setToolTipsVisible(true);
    connect(m_messageAll, &QAction::triggered, this, &MainWindow::AskMessageAllServers);
    m_closeServer = servers->addAction(QStringLiteral("Close Server"));
    m_closeServer->setObjectName(QStringLiteral("closeServerAction"));
    m_closeServer->setEnabled(false);
    connect(m_closeServer, &QAction::triggered, this, &MainWindow::AskCloseServer);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("helpMenu"));
    QAction* about = help->addAction(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("aboutAction"));
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &MainWindow::ShowAbout);
}

void MainWindow::SetHistory(HistoryReader* reader) {
    m_history = reader;
    m_historyAction->setEnabled(reader != nullptr);
    m_historyAction->setToolTip(
        reader ? QStringLiteral("Players, sessions, sanctions and player counts of every server")
               : QStringLiteral("History is off: this console keeps no history"));
}

void MainWindow::ShowSchedule() {
    if (ServerCount() == 0) return;
    Console& console = CurrentPane().GetConsole();
    // One file for every server: each open server reads it again once saved.
    auto* editor = new ScheduleEditor(
        console.ProgramDir(), console.Dialogs(),
        [this] {
            for (int i = 0; i < ServerCount(); ++i) Pane(i).GetConsole().Schedule().Load(true);
        },
        this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->open();
}

void MainWindow::ShowHistory() {
    if (!m_history) return;
    if (!m_historyWindow) m_historyWindow = new HistoryWindow(*m_history, this);
    m_historyWindow->show();
    m_historyWindow->raise();
    m_historyWindow->activateWindow();
}

QSize MainWindow::DefaultSize() const {
    // Every page shows whole at this size, and the window with its frame
    // still fits a 1366 x 768 screen above a task bar.
    return sizeHint().expandedTo(QSize(1180, 680));
}

void MainWindow::ShowTab(int index) {
    if (ServerCount() > 0) CurrentPane().ShowTab(index);
}

WindowState MainWindow::CurrentState() const {
    WindowState s;
    s.placed = true;
    s.maximized = isMaximized();
    // A maximised window remembers the place it goes back to.
    const QRect normal = s.maximized ? normalGeometry() : QRect(pos(), size());
    s.x = normal.x();
    s.y = normal.y();
    s.width = std::clamp(normal.width(), kMinWindowSide, kMaxWindowSide);
    s.height = std::clamp(normal.height(), kMinWindowSide, kMaxWindowSide);
    s.tab = ServerCount() > 0 ? CurrentPane().CurrentTab() : 0;
    // The favourite alone is no set: the next run opens the favourite then,
    // whichever record that is. Beside others it is kept by its record's name.
    if (ServerCount() > 1 || (ServerCount() == 1 && !Pane(0).Name().empty()))
        for (int i = 0; i < ServerCount(); ++i) s.servers.push_back(Pane(i).ShownName());
    return s;
}

void MainWindow::RestoreState(const WindowState& state) {
    ShowTab(state.tab);
    if (!state.placed) return;
    resize(QSize(state.width, state.height).expandedTo(minimumSizeHint()));
    // A place on a screen that is no longer there is forgotten.
    if (QGuiApplication::screenAt(QPoint(state.x + 40, state.y + 20)) != nullptr)
        move(state.x, state.y);
    if (state.maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::CloseConsole(bool ok) {
    if (m_closing) return;
    m_closing = true;
    // Before the window goes, while its place is known.
    if (m_remembersPlace && ServerCount() > 0 && Pane(0).GetConsole().Started())
        SaveWindowState(Pane(0).GetConsole().ProgramDir(), CurrentState(),
                        Pane(0).GetConsole().Log());
    for (int i = 0; i < ServerCount(); ++i) Pane(i).CloseConsole(ok);
    hide();
    emit closed(ok);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close box is Cancel.
    CloseConsole(false);
    event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Enter does nothing here, as the window's hidden default button did.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::ShowAbout() {
    // Opened without an event loop of its own: replies keep coming meanwhile.
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("About TavrinRAT"),
                                QStringLiteral("TavrinRAT"), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("aboutBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIconPixmap(AppIcon().pixmap(64, 64));
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(
        FromWire(CurrentPane().GetConsole().Session().State().m_strVersionTitle) +
        QStringLiteral("\nA console for administering a game server through its remote "
                       "administration service.\nBuilt with Qt %1.")
            .arg(QString::fromLatin1(QT_VERSION_STR)));
    box->open();
}

void MainWindow::LogIn() {
    CurrentPane().LogIn();
}

void MainWindow::ShowSystemVariables() {
    CurrentPane().Information().ShowSystemVariables();
}

void MainWindow::AskMessageAllServers() {
    // Opened without an event loop of its own: replies keep coming meanwhile.
    auto* dialog = new QInputDialog(this);
    dialog->setObjectName(QStringLiteral("messageAllServersDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Message all servers"));
    dialog->setLabelText(QStringLiteral("Chat line for every logged-in server:"));
    dialog->setInputMode(QInputDialog::TextInput);
    connect(dialog, &QInputDialog::textValueSelected, this, &MainWindow::MessageAllServers);
    dialog->open();
}

void MainWindow::MessageAllServers(const QString& line) {
    if (m_closing || ServerCount() == 0) return;
    const auto bytes = ToWire(line);
    if (!bytes) {
        CurrentPane().GetConsole().Dialogs().ShowMessage(
            ToWire(NotEncodableMessage(line)).value_or(std::string()));
        return;
    }
    if (bytes->empty()) return;
    for (int i = 0; i < ServerCount(); ++i) {
        ConsolePane& pane = Pane(i);
        pane.SendBroadcast(*bytes);
        ShowRow(&pane);
    }
}

void MainWindow::AskCloseServer() {
    if (m_closing || ServerCount() < 2) return;
    ConsolePane& pane = CurrentPane();
    if (!pane.GetConsole().Dialogs().AskYesNo("Close " + pane.ShownName() + "?", DefaultAnswer::No))
        return;
    emit serverCloseRequested(&pane);
}

LogViewer& MainWindow::EventLogViewer() const {
    return CurrentPane().EventLogViewer();
}

LogViewer& MainWindow::ChatLogViewer() const {
    return CurrentPane().ChatLogViewer();
}

InfoWindow& MainWindow::Information() const {
    return CurrentPane().Information();
}

}  // namespace tavrin
