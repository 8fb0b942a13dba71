#include "players/ui/players_page.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "common/ui/icons.h"
#include "common/ui/new_button.h"
#include "common/ui/permit_view.h"
#include "common/ui/text_codec.h"
#include "common/view_types.h"
#include "players/ui/admin_menu_dialog.h"
#include "players/ui/admin_popup.h"
#include "players/ui/player_models.h"

namespace tavrin {
namespace {

// The popup opens this far below the pointer.
constexpr int kPopupDrop = 10;

QTableView* NewList(const char* objectName, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(objectName));
    view->verticalHeader()->hide();
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->horizontalHeader()->setHighlightSections(false);
    view->verticalHeader()->setDefaultSectionSize(
        std::max(kPictureSide + 4, view->fontMetrics().height() + 4));
    return view;
}

}  // namespace

PlayersPage::PlayersPage(PlayerList& players, AdminActions& actions,
                         const std::string& adminMenuText, const std::string& programDir,
                         EventSink& log, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      m_players(players),
      m_actions(actions),
      m_menuFile(adminMenuText, programDir, log),
      m_dialogs(dialogs) {
    setObjectName(QStringLiteral("playersPage"));

    // The players list, through the filter.
    m_model = new PlayerListModel(m_players, this);
    m_filter = new PlayerFilterModel(*m_model, this);
    m_filterBox = new QLineEdit(this);
    m_filterBox->setObjectName(QStringLiteral("playerFilter"));
    m_filterBox->setPlaceholderText(QStringLiteral("Filter: part of a name, or a team"));
    m_filterBox->setClearButtonEnabled(true);
    m_list = NewList("playerList", this);
    m_list->setModel(m_filter);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);
    QHeaderView* header = m_list->horizontalHeader();
    header->setSectionsClickable(true);
    header->setStretchLastSection(true);
    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("selectedCountLabel"));

    // The tallies and the buttons beside it.
    m_stats = new PlayerStatsModel(m_players, this);
    m_statsTable = NewList("statsTable", this);
    m_statsTable->setModel(m_stats);
    m_statsTable->setSelectionMode(QAbstractItemView::NoSelection);
    m_statsTable->setFocusPolicy(Qt::NoFocus);
    m_statsTable->horizontalHeader()->setSectionsClickable(false);
    m_statsTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_statsTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_showHost = new QCheckBox(QStringLiteral("Show Host"), this);
    m_showHost->setObjectName(QStringLiteral("showHostCheck"));
    m_refresh = NewButton(QStringLiteral("Refresh PlayerList"), "refreshPlayersButton", this);
    m_edit = NewButton(QStringLiteral("Edit \nAdmin Menu"), "editAdminMenuButton", this);

    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel(QStringLiteral("&Filter:"), this);
    filterLabel->setBuddy(m_filterBox);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(m_filterBox, 1);
    auto* left = new QVBoxLayout;
    left->addLayout(filterRow);
    left->addWidget(m_list, 1);
    left->addWidget(m_counts);
    auto* right = new QVBoxLayout;
    right->addWidget(m_statsTable);
    right->addWidget(m_showHost);
    right->addWidget(m_refresh);
    right->addWidget(m_edit);
    right->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    connect(m_filterBox, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_filter->SetFilterText(text);
        ShowCounts();
    });
    connect(header, &QHeaderView::sectionClicked, this, &PlayersPage::HandleHeaderClicked);
    connect(m_list, &QWidget::customContextMenuRequested, this, &PlayersPage::ShowPlayerPopup);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PlayersPage::ShowCounts);
    connect(m_filter, &QAbstractItemModel::rowsInserted, this, &PlayersPage::ShowCounts);
    connect(m_filter, &QAbstractItemModel::rowsRemoved, this, &PlayersPage::ShowCounts);
    connect(m_filter, &QAbstractItemModel::layoutChanged, this, &PlayersPage::ShowCounts);
    connect(m_showHost, &QCheckBox::toggled, this, &PlayersPage::HandleShowHostToggled);
    connect(m_refresh, &QPushButton::clicked, this, [this] { m_actions.RefreshPlayerList(); });
    connect(m_edit, &QPushButton::clicked, this, &PlayersPage::EditAdminMenu);

    SizeColumns();
    m_model->SetPalette(m_list->palette());
    m_stats->SetPalette(m_statsTable->palette());
    Refresh();
}

void PlayersPage::SetPlayerMark(const std::string& name, const QString& text) {
    m_model->SetMark(name, text);
}

bool PlayersPage::PlayerMarked(const std::string& name) const {
    return m_model->IsMarked(name);
}

PlayersPage::~PlayersPage() = default;

void PlayersPage::SizeColumns() {
    // The core's widths, widened where this font or the picture needs more.
    const QFontMetrics fm(m_list->font());
    const int padding = 2 * m_list->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    QHeaderView* header = m_list->horizontalHeader();
    for (int c = 0; c < kPlayerColumnCount; ++c) {
        int needed = fm.horizontalAdvance(FromWire(kPlayerColumns[c].header)) + kPictureSide +
                     padding;  // room for the sort arrow
        if (c == kColumnId)
            needed = std::max(needed,
                              kPictureSide + fm.horizontalAdvance(QStringLiteral("000")) + padding);
        header->resizeSection(c, std::max(kPlayerColumns[c].width, needed));
    }

    QHeaderView* statsHeader = m_statsTable->horizontalHeader();
    int width = 2 * m_statsTable->frameWidth();
    for (int c = 0; c < 3; ++c) {
        int needed = fm.horizontalAdvance(FromWire(StatsTable::kColumns[c].header)) + padding;
        for (int r = 0; r < StatsTable::kRows; ++r)
            needed =
                std::max(needed, fm.horizontalAdvance(FromWire(StatsTable::kLabels[r])) + padding);
        if (c > 0) needed = std::max(needed, fm.horizontalAdvance(QStringLiteral("000000")) + 8);
        statsHeader->resizeSection(c, std::max(StatsTable::kColumns[c].width, needed));
        width += statsHeader->sectionSize(c);
    }
    m_statsTable->setFixedWidth(width);
    m_statsTable->setFixedHeight(2 * m_statsTable->frameWidth() + statsHeader->sizeHint().height() +
                                 StatsTable::kRows *
                                     m_statsTable->verticalHeader()->defaultSectionSize());
}

void PlayersPage::Refresh() {
    m_model->Refresh();
    m_stats->Refresh();
    const QSignalBlocker block(m_showHost);
    m_showHost->setChecked(m_players.ShowHost());
    ShowCounts();
}

void PlayersPage::HandleHeaderClicked(int column) {
    m_players.SortByColumn(column);
    Refresh();
}

void PlayersPage::HandleShowHostToggled(bool on) {
    m_players.ToggleShowHost(on);
    Refresh();
}

void PlayersPage::ShowCounts() {
    const int all = m_model->rowCount();
    const int shown = m_filter->rowCount();
    const int selected = static_cast<int>(m_list->selectionModel()->selectedRows().size());
    QString text = shown == all ? QStringLiteral("%1 players").arg(all)
                                : QStringLiteral("%1 of %2 players shown").arg(shown).arg(all);
    if (selected > 0) text += QStringLiteral(", %1 selected").arg(selected);
    m_counts->setText(text);
}

void PlayersPage::SetCanSend(bool on) {
    m_canSend = on;
    m_list->setToolTip(on ? QString() : FromWire(kSendNeedsGameMode));
}

void PlayersPage::SetPermits(const ControlPermits& permits) {
    m_permits = permits;
    ShowPermit(*m_refresh, m_permits.Get("refreshPlayersButton"));
}

void PlayersPage::ShowPlayerPopup(const QPoint& viewportPos) {
    // Every entry of the popup sends a command.
    if (!m_canSend) return;
    const QModelIndex at = m_list->indexAt(viewportPos);
    // Off the rows there is no player to act on, and so no menu.
    if (!at.isValid()) return;
    const int row = m_model->CoreRow(m_filter->mapToSource(at).row());
    if (row < 0) return;
    WidgetPopupMenus popups(
        this, m_list->viewport()->mapToGlobal(viewportPos + QPoint(0, kPopupDrop)), m_chooser);
    m_actions.OnPlayerRightClick(row, [this, &popups] {
        return ShowAdminMenu(m_menuFile.Text(), m_dialogs, popups, m_permits.AdminMenuGate());
    });
}

AdminMenuDialog* PlayersPage::OpenEditor() const {
    return m_editor;
}

void PlayersPage::EditAdminMenu() {
    if (m_editor) {
        m_editor->raise();
        m_editor->activateWindow();
        return;
    }
    m_editor = new AdminMenuDialog(m_menuFile.Text(), m_dialogs, this);
    m_editor->setAttribute(Qt::WA_DeleteOnClose);
    AdminMenuDialog* editor = m_editor;
    connect(editor, &QDialog::accepted, this,
            [this, editor] { m_menuFile.Replace(editor->MenuText()); });
    editor->open();
}

bool PlayersPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        IsPopupKey(*static_cast<QKeyEvent*>(event))) {
        if (const auto point = KeyboardPopupPoint(*m_list)) ShowPlayerPopup(*point);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PlayersPage::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_model) {
        m_model->SetPalette(palette());
        m_stats->SetPalette(palette());
    }
}

}  // namespace tavrin
