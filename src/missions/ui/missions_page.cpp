#include "missions/ui/missions_page.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <iterator>
#include <map>

#include "common/ui/icons.h"
#include "common/ui/permit_view.h"
#include "common/ui/text_codec.h"
#include "common/view_types.h"
#include "missions/ui/mission_models.h"

namespace tavrin {
namespace {

// The menu opens this far below the pointer.
constexpr int kPopupDrop = 10;

// The mission menu as a QMenu: items of a line with a backslash go into the
// submenu the line names, made where its first line stands.
void FillMissionMenu(QMenu& menu, const MissionMenu& missionMenu, const ControlPermits& permits) {
    std::map<std::string, QMenu*> submenus;
    for (const MissionMenuEntry& entry : missionMenu.entries) {
        if (entry.separator) {
            menu.addSeparator();
            continue;
        }
        QMenu* target = &menu;
        if (!entry.submenu.empty()) {
            QMenu*& submenu = submenus[entry.submenu];
            if (!submenu) submenu = menu.addMenu(MenuText(FromWire(entry.submenu)));
            target = submenu;
        }
        QAction* action = target->addAction(MenuText(FromWire(entry.item)));
        action->setData(entry.id);
        const ControlPermit& permit = permits.Get(MissionMenuControl(entry.action));
        action->setEnabled(entry.enabled && permit.allowed);
        if (!permit.allowed) {
            action->setToolTip(FromWire(permit.tip));
            target->setToolTipsVisible(true);
        }
    }
}

QTableView* NewList(const char* objectName, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(objectName));
    view->verticalHeader()->hide();
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->horizontalHeader()->setHighlightSections(false);
    view->horizontalHeader()->setStretchLastSection(true);
    view->verticalHeader()->setDefaultSectionSize(
        std::max(kPictureSide + 4, view->fontMetrics().height() + 4));
    view->installEventFilter(parent);
    return view;
}

QPushButton* NewButton(const char* objectName, const QString& toolTip, QWidget* parent) {
    auto* button = new QPushButton(QStringLiteral("Refresh"), parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setToolTip(toolTip);
    return button;
}

}  // namespace

MissionsPage::MissionsPage(CMissions& missions, QWidget* parent)
    : QWidget(parent), m_missions(missions) {
    setObjectName(QStringLiteral("missionsPage"));

    m_cycleModel = new CycleListModel(m_missions, this);
    m_cycle = NewList("cycleList", this);
    m_cycle->setModel(m_cycleModel);
    m_cycle->setContextMenuPolicy(Qt::CustomContextMenu);
    m_cycle->horizontalHeader()->setSectionsClickable(false);
    m_cycle->setColumnHidden(3, true);
    m_refreshCycle =
        NewButton("refreshCycleButton", QStringLiteral("Ask the server for its cycle"), this);

    m_availableModel = new AvailableListModel(m_missions, this);
    m_available = NewList("availableList", this);
    m_available->setModel(m_availableModel);
    m_available->horizontalHeader()->setSectionsClickable(true);
    m_refreshAvailable = NewButton("refreshAvailableButton",
                                   QStringLiteral("Ask the server for all its missions"), this);

    auto* cycleHint = new QLabel(QStringLiteral("Double click: remove. Right click: menu."), this);
    cycleHint->setObjectName(QStringLiteral("cycleHint"));
    cycleHint->setWordWrap(true);
    auto* availableHint = new QLabel(QStringLiteral("Double click: add to the cycle."), this);
    availableHint->setObjectName(QStringLiteral("availableHint"));
    availableHint->setWordWrap(true);

    // A grid, so both lists end at the same height whatever their hints take.
    auto* cycleRow = new QHBoxLayout;
    cycleRow->addWidget(m_refreshCycle);
    cycleRow->addWidget(cycleHint, 1);
    auto* availableRow = new QHBoxLayout;
    availableRow->addWidget(m_refreshAvailable);
    availableRow->addWidget(availableHint, 1);
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_cycle, 0, 0);
    layout->addWidget(m_available, 0, 1);
    layout->addLayout(cycleRow, 1, 0);
    layout->addLayout(availableRow, 1, 1);
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);

    connect(m_cycle, &QWidget::customContextMenuRequested, this, &MissionsPage::ShowMissionMenu);
    connect(m_cycle, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { RemoveFromCycle(index.row()); });
    connect(m_cycle->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                m_missions.SelectCycleRow(m_cycleModel->CoreRow(current.row()));
            });
    connect(m_available, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { AddAvailable(index.row()); });
    connect(m_available->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) {
        m_missions.SortAvailable(c);
        Refresh();
    });
    connect(m_refreshCycle, &QPushButton::clicked, this, [this] { m_missions.RefreshCycle(); });
    connect(m_refreshAvailable, &QPushButton::clicked, this,
            [this] { m_missions.RefreshAvailable(); });

    SizeColumns();
    m_cycleModel->SetPalette(m_cycle->palette());
    m_availableModel->SetPalette(m_available->palette());
    Refresh();
}

MissionsPage::~MissionsPage() = default;

void MissionsPage::SizeColumns() {
    const QFontMetrics fm(font());
    const int padding = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    QHeaderView* cycle = m_cycle->horizontalHeader();
    for (int c = 0; c < static_cast<int>(std::size(kCycleColumns)); ++c) {
        if (kCycleColumns[c].width == 0) continue;
        int needed = fm.horizontalAdvance(FromWire(kCycleColumns[c].header)) + padding;
        if (c == 1) needed = std::max(needed, fm.horizontalAdvance(QStringLiteral("2")) + padding);
        if (c == 2) needed = std::max(needed, kPictureSide + padding);
        cycle->resizeSection(c, std::max(kCycleColumns[c].width, needed));
    }
    QHeaderView* available = m_available->horizontalHeader();
    for (int c = 0; c < static_cast<int>(std::size(kAvailableColumns)); ++c)
        available->resizeSection(
            c, std::max(kAvailableColumns[c].width,
                        fm.horizontalAdvance(FromWire(kAvailableColumns[c].header)) + padding));
}

void MissionsPage::Refresh() {
    const bool firstCycle = m_cycleModel->rowCount() == 0;
    // A reply gives the server's order: keep the sort the last click chose.
    m_missions.ReapplyAvailableSort();
    m_cycleModel->Refresh();
    m_availableModel->Refresh();
    // The first cycle shown opens on the mission being played; later ones
    // keep the place the admin scrolled to.
    const int32_t scrollTo = m_missions.CycleScrollRow();
    if (firstCycle && scrollTo >= 0 && scrollTo < m_cycleModel->rowCount())
        m_cycle->scrollTo(m_cycleModel->index(scrollTo, 0));
}

void MissionsPage::SetCanSend(bool on) {
    m_canSend = on;
    ShowListTips();
}

void MissionsPage::SetPermits(const ControlPermits& permits) {
    m_permits = permits;
    ShowPermit(*m_refreshCycle, m_permits.Get("refreshCycleButton"));
    ShowPermit(*m_refreshAvailable, m_permits.Get("refreshAvailableButton"));
    ShowListTips();
}

void MissionsPage::ShowListTips() {
    // The lists stay usable for reading: only their edits are refused.
    const auto tip = [this](const char* name) {
        if (!m_canSend) return FromWire(kSendNeedsGameMode);
        const ControlPermit& permit = m_permits.Get(name);
        return permit.allowed ? QString() : FromWire(permit.tip);
    };
    m_cycle->setToolTip(tip("cycleList"));
    m_available->setToolTip(tip("availableList"));
}

void MissionsPage::AddAvailable(int shownRow) {
    if (!m_canSend || !m_permits.Allowed("availableList")) return;
    const int row = m_availableModel->CoreRow(shownRow);
    if (row < 0) return;
    m_missions.AddMissionToCycle(row);
    Refresh();
    // The added mission comes at the end of the cycle: show it.
    const int32_t added = m_missions.CycleScrollRow();
    if (added >= 0 && added < m_cycleModel->rowCount())
        m_cycle->scrollTo(m_cycleModel->index(added, 0));
}

void MissionsPage::RemoveFromCycle(int shownRow) {
    if (!m_canSend || !m_permits.Allowed("cycleList")) return;
    const int row = m_cycleModel->CoreRow(shownRow);
    if (row < 0) return;
    m_missions.RemoveMissionFromCycle(row);
    Refresh();
}

void MissionsPage::ShowMissionMenu(const QPoint& viewportPos) {
    // Every entry of the menu sends a command.
    if (!m_canSend) return;
    const QModelIndex at = m_cycle->indexAt(viewportPos);
    // Off the rows there is no mission to act on, and so no menu.
    if (!at.isValid()) return;
    const std::optional<MissionMenu> menu =
        m_missions.OpenMissionMenu(m_cycleModel->CoreRow(at.row()));
    if (!menu) return;
    m_cycleModel->Refresh();  // the row under the menu takes the menu colour
    QMenu popup(this);
    popup.setObjectName(QStringLiteral("missionPopup"));
    FillMissionMenu(popup, *menu, m_permits);
    const QPoint global = m_cycle->viewport()->mapToGlobal(viewportPos + QPoint(0, kPopupDrop));
    QAction* chosen = m_chooser ? m_chooser(popup, global) : nullptr;
    m_missions.ChooseMissionMenuEntry(chosen ? chosen->data().toInt() : 0);
    Refresh();
}

bool MissionsPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || (watched != m_cycle && watched != m_available))
        return QWidget::eventFilter(watched, event);
    const auto& key = *static_cast<QKeyEvent*>(event);
    auto* view = static_cast<QTableView*>(watched);
    const QModelIndex current = view->currentIndex();
    if (view == m_cycle && IsPopupKey(key)) {
        if (const auto point = KeyboardPopupPoint(*m_cycle)) ShowMissionMenu(*point);
        return true;
    }
    if (view == m_cycle && key.key() == Qt::Key_Delete && current.isValid()) {
        RemoveFromCycle(current.row());
        return true;
    }
    if (view == m_available && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
        current.isValid()) {
        AddAvailable(current.row());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MissionsPage::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_cycleModel) {
        m_cycleModel->SetPalette(palette());
        m_availableModel->SetPalette(palette());
    }
}

}  // namespace tavrin
