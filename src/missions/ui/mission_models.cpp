#include "missions/ui/mission_models.h"

#include <QGuiApplication>
#include <algorithm>
#include <iterator>

#include "common/ui/icons.h"
#include "common/ui/text_codec.h"
#include "missions/mission_text.h"

namespace tavrin {
namespace {

constexpr int kCycleColumnCount = static_cast<int>(std::size(kCycleColumns));
constexpr int kAvailableColumnCount = static_cast<int>(std::size(kAvailableColumns));
enum CycleColumn { kCycleName = 0, kCyclePlays = 1, kCycleMark = 2, kCycleFile = 4 };

Rgb RgbOf(uint32_t colour) {
    return {static_cast<int>(colour >> 16 & 0xFF), static_cast<int>(colour >> 8 & 0xFF),
            static_cast<int>(colour & 0xFF)};
}

QVariant Alignment(MissionColumn::Align align) {
    return QVariant::fromValue(
        Qt::Alignment((align == MissionColumn::Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft) |
                      Qt::AlignVCenter));
}

template <class Keys>
int IndexOf(const Keys& keys, const std::string& key) {
    const auto found = std::find(keys.begin(), keys.end(), key);
    return found == keys.end() ? -1 : static_cast<int>(found - keys.begin());
}

}  // namespace

// ---------------------------------------------------------------------------
// CycleListModel

CycleListModel::CycleListModel(const CMissions& missions, QObject* parent)
    : SyncedListModel(parent), m_missions(missions), m_palette(QGuiApplication::palette()) {
    Refresh();
}

std::vector<CycleListModel::Row> CycleListModel::Take() const {
    std::vector<Row> rows;
    rows.reserve(m_missions.CycleRows().size());
    for (const CycleRow& cycle : m_missions.CycleRows()) rows.push_back({cycle, false});
    const int32_t menuRow = m_missions.MenuRow();
    if (menuRow >= 0 && static_cast<size_t>(menuRow) < rows.size()) rows[menuRow].underMenu = true;
    return rows;
}

std::vector<std::string> CycleListModel::KeysOf(const std::vector<Row>& rows) {
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const Row& row : rows) keys.emplace_back(mission_text::TrimBlanks(row.cycle.fileName));
    return NumberedKeys(std::move(keys));
}

void CycleListModel::Refresh() {
    const std::vector<Row> fresh = Take();
    SyncRows(m_rows, m_keys, fresh, KeysOf(fresh));
}

void CycleListModel::SetPalette(const QPalette& palette) {
    m_palette = palette;
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, kCycleColumnCount - 1),
                         {Qt::DecorationRole, Qt::BackgroundRole});
}

int CycleListModel::CoreRow(int row) const {
    if (row < 0 || row >= rowCount()) return -1;
    return IndexOf(KeysOf(Take()), m_keys[row]);
}

int CycleListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CycleListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kCycleColumnCount;
}

QVariant CycleListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            if (column == kCycleName) return FromWire(row.cycle.name);
            if (column == kCyclePlays) return FromWire(row.cycle.playCount);
            if (column == kCycleFile) return FromWire(row.cycle.fileName);
            return {};
        case Qt::DecorationRole:
            // Every name gets a picture's room, so the names line up beside
            // the current mission's marker.
            if (column == kCycleName)
                return StripDecoration(
                    row.cycle.namePicture == kNoPicture ? kStripEmpty : row.cycle.namePicture,
                    m_palette);
            if (column == kCycleMark) return StripDecoration(row.cycle.markPicture, m_palette);
            return {};
        case Qt::BackgroundRole:
            return ListTint(RgbOf(row.underMenu ? kMissionMenuRowColour : kMissionListColour),
                            m_palette);
        case Qt::TextAlignmentRole:
            return Alignment(kCycleColumns[column].align);
        case Qt::ToolTipRole: {
            QString tip = FromWire(mission_text::TrimBlanks(row.cycle.fileName));
            if (row.cycle.namePicture == kPictureCurrent) tip += QStringLiteral(": being played");
            if (row.cycle.markPicture == kPictureNext) tip += QStringLiteral(": next");
            if (row.cycle.markPicture == kPictureFlipped) tip += QStringLiteral(": flipped");
            if (row.cycle.playCount == "2") tip += QStringLiteral(", played twice");
            return tip;
        }
        default:
            return {};
    }
}

QVariant CycleListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kCycleColumnCount) return {};
    if (role == Qt::DisplayRole) return FromWire(kCycleColumns[section].header);
    if (role == Qt::TextAlignmentRole) return Alignment(kCycleColumns[section].align);
    if (role == Qt::ToolTipRole && section == kCyclePlays)
        return QStringLiteral("Rounds: 2 when the mission is played twice");
    return {};
}

// ---------------------------------------------------------------------------
// AvailableListModel

AvailableListModel::AvailableListModel(const CMissions& missions, QObject* parent)
    : SyncedListModel(parent), m_missions(missions), m_palette(QGuiApplication::palette()) {
    Refresh();
}

std::vector<std::string> AvailableListModel::KeysOf(const std::vector<AvailableRow>& rows) {
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const AvailableRow& row : rows) keys.push_back(row.fileName);
    return NumberedKeys(std::move(keys));
}

void AvailableListModel::Refresh() {
    const std::vector<AvailableRow>& fresh = m_missions.AvailableRows();
    SyncRows(m_rows, m_keys, fresh, KeysOf(fresh));
}

void AvailableListModel::SetPalette(const QPalette& palette) {
    m_palette = palette;
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, kAvailableColumnCount - 1),
                         {Qt::BackgroundRole});
}

int AvailableListModel::CoreRow(int row) const {
    if (row < 0 || row >= rowCount()) return -1;
    return IndexOf(KeysOf(m_missions.AvailableRows()), m_keys[row]);
}

int AvailableListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int AvailableListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kAvailableColumnCount;
}

QVariant AvailableListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const AvailableRow& row = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return FromWire(index.column() == 0 ? row.description : row.fileName);
        case Qt::BackgroundRole:
            return ListTint(RgbOf(kMissionListColour), m_palette);
        case Qt::TextAlignmentRole:
            return Alignment(kAvailableColumns[index.column()].align);
        case Qt::ToolTipRole:
            return QStringLiteral("Double click to add %1 to the cycle")
                .arg(FromWire(row.fileName));
        default:
            return {};
    }
}

QVariant AvailableListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kAvailableColumnCount) return {};
    if (role == Qt::DisplayRole) return FromWire(kAvailableColumns[section].header);
    if (role == Qt::TextAlignmentRole) return Alignment(kAvailableColumns[section].align);
    if (role == Qt::ToolTipRole)
        return QStringLiteral("Sort by this column; click again to reverse");
    return {};
}

}  // namespace tavrin
