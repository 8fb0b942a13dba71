#include "players/ui/player_models.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include "common/ui/icons.h"
#include "common/ui/text_codec.h"

namespace tavrin {
namespace {

// A tooltip shows names as they are, even one that looks like markup.
QString PlainToolTip(const QString& text) {
    return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped());
}

// The sign of a player sanctioned before: a small filled diamond in the
// palette's link colour, which reads on light and dark palettes alike.
QIcon MarkIcon(const QPalette& palette) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette.color(QPalette::Text), 1));
    p.setBrush(QColor(0xE0, 0x6C, 0x00));
    const QPointF diamond[] = {{8, 1.5}, {14.5, 8}, {8, 14.5}, {1.5, 8}};
    p.drawPolygon(diamond, 4);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(8, 4.5), QPointF(8, 9));
    p.drawPoint(QPointF(8, 11.5));
    return QIcon(pixmap);
}

}  // namespace

// ---------------------------------------------------------------------------
// PlayerListModel

PlayerListModel::PlayerListModel(const PlayerList& players, QObject* parent)
    : SyncedListModel(parent), m_players(players), m_palette(QGuiApplication::palette()) {
    m_headerPictures.fill(kNoPicture);
    Refresh();
}

std::vector<std::string> PlayerListModel::KeysOf(const std::vector<PlayerRow>& rows) {
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const PlayerRow& row : rows) keys.push_back(row.cells[kColumnId]);
    return NumberedKeys(std::move(keys));
}

void PlayerListModel::Refresh() {
    const std::vector<PlayerRow>& fresh = m_players.Rows();
    SyncRows(m_rows, m_keys, fresh, KeysOf(fresh));
    std::array<int, kPlayerColumnCount> pictures{};
    for (int c = 0; c < kPlayerColumnCount; ++c) pictures[c] = m_players.HeaderPicture(c);
    if (pictures != m_headerPictures) {
        m_headerPictures = pictures;
        emit headerDataChanged(Qt::Horizontal, 0, kPlayerColumnCount - 1);
    }
}

void PlayerListModel::SetPalette(const QPalette& palette) {
    m_palette = palette;
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, kPlayerColumnCount - 1),
                         {Qt::DecorationRole, Qt::BackgroundRole});
    emit headerDataChanged(Qt::Horizontal, 0, kPlayerColumnCount - 1);
}

void PlayerListModel::SetMark(const std::string& name, const QString& text) {
    m_marks[name] = text;
    for (int r = 0; r < rowCount(); ++r) {
        if (m_rows[static_cast<size_t>(r)].cells[kColumnName] == name)
            emit dataChanged(index(r, 0), index(r, kPlayerColumnCount - 1),
                             {Qt::DecorationRole, Qt::ToolTipRole});
    }
}

int PlayerListModel::CoreRow(int row) const {
    if (row < 0 || row >= rowCount()) return -1;
    const std::vector<std::string> coreKeys = KeysOf(m_players.Rows());
    const auto found = std::find(coreKeys.begin(), coreKeys.end(), m_keys[row]);
    return found == coreKeys.end() ? -1 : static_cast<int>(found - coreKeys.begin());
}

int PlayerListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int PlayerListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kPlayerColumnCount;
}

QVariant PlayerListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const PlayerRow& row = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return FromWire(row.cells[index.column()]);
        case Qt::DecorationRole:
            // The row's picture stands at its start, before the id.
            if (index.column() == kColumnId) return StripDecoration(row.image, m_palette);
            if (index.column() == kColumnName && m_marks.count(row.cells[kColumnName]))
                return MarkIcon(m_palette);
            return {};
        case Qt::BackgroundRole:
            return ListTint(kPlayerRowColour, m_palette);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        case Qt::ToolTipRole: {
            QString tip =
                QStringLiteral("%1\nKills: %2\nDeaths: %3\nPing: %4")
                    .arg(FromWire(row.cells[kColumnName]), FromWire(row.cells[kColumnKills]),
                         FromWire(row.cells[kColumnDeaths]), FromWire(row.cells[kColumnPing]));
            const auto mark = m_marks.find(row.cells[kColumnName]);
            if (mark != m_marks.end()) tip += QLatin1Char('\n') + mark->second;
            return PlainToolTip(tip);
        }
        default:
            return {};
    }
}

QVariant PlayerListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kPlayerColumnCount) return {};
    switch (role) {
        case Qt::DisplayRole:
            return FromWire(kPlayerColumns[section].header);
        case Qt::DecorationRole:
            return StripDecoration(m_headerPictures[section], m_palette);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        case Qt::ToolTipRole:
            return QStringLiteral("Sort by this column; click again to reverse");
        default:
            return {};
    }
}

// ---------------------------------------------------------------------------
// PlayerStatsModel

PlayerStatsModel::PlayerStatsModel(const PlayerList& players, QObject* parent)
    : QAbstractTableModel(parent), m_players(players), m_palette(QGuiApplication::palette()) {
    m_cells = Take();
}

PlayerStatsModel::Cells PlayerStatsModel::Take() const {
    Cells cells;
    for (int r = 0; r < StatsTable::kRows; ++r)
        for (int c = 0; c < 3; ++c) cells[r][c] = m_players.Stats().Cell(r, c);
    return cells;
}

void PlayerStatsModel::Refresh() {
    Cells fresh = Take();
    int first = -1, last = -1;
    for (int r = 0; r < StatsTable::kRows; ++r) {
        if (fresh[r] == m_cells[r]) continue;
        if (first < 0) first = r;
        last = r;
    }
    m_cells = std::move(fresh);
    if (first >= 0) emit dataChanged(index(first, 1), index(last, 2), {Qt::DisplayRole});
}

void PlayerStatsModel::SetPalette(const QPalette& palette) {
    m_palette = palette;
    emit dataChanged(index(0, 0), index(StatsTable::kRows - 1, 2), {Qt::BackgroundRole});
}

int PlayerStatsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : StatsTable::kRows;
}

int PlayerStatsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant PlayerStatsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    switch (role) {
        case Qt::DisplayRole:
            return FromWire(m_cells[index.row()][index.column()]);
        case Qt::BackgroundRole:
            return ListTint(kStatsColour, m_palette);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(
                (index.column() == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter));
        default:
            return {};
    }
}

QVariant PlayerStatsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section > 2) return {};
    if (role == Qt::DisplayRole) return FromWire(StatsTable::kColumns[section].header);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            Qt::Alignment((section == 0 ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignVCenter));
    return {};
}

// ---------------------------------------------------------------------------
// PlayerFilterModel

PlayerFilterModel::PlayerFilterModel(PlayerListModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), m_source(source) {
    setSourceModel(&source);
    // Rows are filtered again as their cells change; no sorting of its own.
    setDynamicSortFilter(true);
}

void PlayerFilterModel::SetFilterText(const QString& text) {
    std::optional<std::string> filter = ToWire(text);
    if (filter == m_filter) return;
    m_filter = std::move(filter);
    invalidateFilter();
}

bool PlayerFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (sourceParent.isValid()) return false;
    return m_filter && PlayerMatchesFilter(m_source.ShownRow(sourceRow), *m_filter);
}

}  // namespace tavrin
