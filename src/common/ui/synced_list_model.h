#pragma once

#include <QAbstractTableModel>
#include <algorithm>
#include <numeric>
#include <string>
#include <unordered_map>
#include <vector>

namespace tavrin {

// A table model that shows a copy of a core list and follows each new state
// of that list in place, row by row, so that a view over it keeps its
// selection, current row and scroll position across refreshes: rows that
// left are removed, rows that came are inserted, rows whose cells changed
// are reported changed, and a new order is one layout change that carries
// every persistent index (and so the selection) with its row. Rows are
// matched by a key (a player's id, a mission's file name); the n-th row of
// the same key matches the n-th.
//
// The copy is what the view reads, so the model answers consistently between
// the begin and end of each change whatever the core list holds meanwhile.
class SyncedListModel : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;

  protected:
    // Keys made unique by their occurrence: the second "7" becomes "7" + US + "1".
    static std::vector<std::string> NumberedKeys(std::vector<std::string> keys) {
        std::unordered_map<std::string, int> seen;
        for (std::string& key : keys) {
            const int n = seen[key]++;
            if (n > 0) key += '\x1f' + std::to_string(n);
        }
        return keys;
    }

    // Brings `shown` (whose numbered keys are `shownKeys`) to `fresh`,
    // emitting the model's signals for each step. `Row` needs operator==.
    template <class Row>
    void SyncRows(std::vector<Row>& shown, std::vector<std::string>& shownKeys,
                  const std::vector<Row>& fresh, const std::vector<std::string>& freshKeys);
};

template <class Row>
void SyncedListModel::SyncRows(std::vector<Row>& shown, std::vector<std::string>& shownKeys,
                               const std::vector<Row>& fresh,
                               const std::vector<std::string>& freshKeys) {
    std::unordered_map<std::string, int> freshRow;
    freshRow.reserve(freshKeys.size());
    for (size_t i = 0; i < freshKeys.size(); ++i) freshRow.emplace(freshKeys[i], int(i));

    // 1. Rows that left, in runs from the bottom.
    for (int last = int(shown.size()) - 1; last >= 0;) {
        if (freshRow.count(shownKeys[last])) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && !freshRow.count(shownKeys[first - 1])) --first;
        beginRemoveRows(QModelIndex(), first, last);
        shown.erase(shown.begin() + first, shown.begin() + last + 1);
        shownKeys.erase(shownKeys.begin() + first, shownKeys.begin() + last + 1);
        endRemoveRows();
        last = first - 1;
    }

    // 2. The rows that stay, put in their new order in one layout change.
    std::vector<int> target(shown.size());
    for (size_t i = 0; i < shown.size(); ++i) target[i] = freshRow.at(shownKeys[i]);
    if (!std::is_sorted(target.begin(), target.end())) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        std::vector<int> order(shown.size());  // order[new row] = old row
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return target[a] < target[b]; });
        std::vector<int> newRowOf(shown.size());
        std::vector<Row> rows;
        std::vector<std::string> keys;
        rows.reserve(shown.size());
        keys.reserve(shown.size());
        for (size_t n = 0; n < order.size(); ++n) {
            newRowOf[order[n]] = int(n);
            rows.push_back(std::move(shown[order[n]]));
            keys.push_back(std::move(shownKeys[order[n]]));
        }
        shown = std::move(rows);
        shownKeys = std::move(keys);
        const QModelIndexList from = persistentIndexList();
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex& index : from)
            to.append(index.isValid() ? createIndex(newRowOf[index.row()], index.column())
                                      : QModelIndex());
        changePersistentIndexList(from, to);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

    // 3. New rows in runs, and the cells of the rows that stay. What is shown
    // is now in fresh order with gaps, so a gap runs up to the next shown key.
    std::vector<int> changed;
    for (size_t i = 0; i < fresh.size();) {
        if (i < shown.size() && shownKeys[i] == freshKeys[i]) {
            if (!(shown[i] == fresh[i])) {
                shown[i] = fresh[i];
                changed.push_back(int(i));
            }
            ++i;
            continue;
        }
        size_t end = i;
        while (end < fresh.size() && (i >= shown.size() || freshKeys[end] != shownKeys[i])) ++end;
        beginInsertRows(QModelIndex(), int(i), int(end) - 1);
        shown.insert(shown.begin() + i, fresh.begin() + i, fresh.begin() + end);
        shownKeys.insert(shownKeys.begin() + i, freshKeys.begin() + i, freshKeys.begin() + end);
        endInsertRows();
        i = end;
    }

    // 4. Changed cells, a signal per run of rows.
    const int lastColumn = columnCount() - 1;
    for (size_t k = 0; k < changed.size();) {
        size_t end = k + 1;
        while (end < changed.size() && changed[end] == changed[end - 1] + 1) ++end;
        emit dataChanged(index(changed[k], 0), index(changed[end - 1], lastColumn));
        k = end;
    }
}

}  // namespace tavrin
