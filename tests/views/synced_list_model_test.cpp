// The in-place list model under random changes: after every sync it shows
// the new list, the model tester finds nothing wrong, and persistent indexes
// (what a view's selection is made of) stay on their rows' keys.

#include "common/ui/synced_list_model.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <random>
#include <string>
#include <vector>

#include "views/list_pages_support.h"

namespace tavrin::testing {
namespace {

struct Item {
    std::string key;
    int value = 0;
    bool operator==(const Item&) const = default;
};

class ItemModel final : public SyncedListModel {
  public:
    void Show(const std::vector<Item>& fresh) {
        std::vector<std::string> keys;
        for (const Item& item : fresh) keys.push_back(item.key);
        SyncRows(m_rows, m_keys, fresh, NumberedKeys(std::move(keys)));
    }
    const std::vector<Item>& Rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : 2;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole)
            return {};
        const Item& item = m_rows[static_cast<size_t>(index.row())];
        return index.column() == 0 ? QString::fromStdString(item.key) : QString::number(item.value);
    }

  private:
    std::vector<Item> m_rows;
    std::vector<std::string> m_keys;
};

// A new list from an old one: some leave, some come, values change, and now
// and then the order is shuffled; duplicate keys happen.
std::vector<Item> Next(std::vector<Item> list, std::mt19937& rng) {
    auto chance = [&](int percent) {
        return std::uniform_int_distribution(1, 100)(rng) <= percent;
    };
    std::erase_if(list, [&](const Item&) { return chance(15); });
    for (Item& item : list)
        if (chance(30)) item.value = std::uniform_int_distribution(0, 99)(rng);
    const int joins = std::uniform_int_distribution(0, 5)(rng);
    for (int j = 0; j < joins; ++j) {
        const size_t at = std::uniform_int_distribution<size_t>(0, list.size())(rng);
        list.insert(list.begin() + at, {std::to_string(std::uniform_int_distribution(0, 60)(rng)),
                                        std::uniform_int_distribution(0, 99)(rng)});
    }
    if (chance(40)) std::shuffle(list.begin(), list.end(), rng);
    return list;
}

TEST(SyncedListModel, FollowsRandomChangesInPlace) {
    ItemModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    std::mt19937 rng(2026);
    std::vector<Item> list;
    for (int round = 0; round < 400; ++round) {
        // Hold an index on every row, with the key each one must stay on.
        std::vector<std::pair<QPersistentModelIndex, QString>> held;
        for (int r = 0; r < model.rowCount(); ++r)
            held.emplace_back(model.index(r, 1), model.index(r, 0).data().toString());

        list = Next(list, rng);
        model.Show(list);
        ASSERT_EQ(model.Rows(), list) << "round " << round;
        for (const auto& [index, key] : held) {
            if (!index.isValid()) continue;  // its row left
            EXPECT_EQ(model.index(index.row(), 0).data().toString(), key) << "round " << round;
            EXPECT_EQ(index.column(), 1);
        }
    }
    EXPECT_EQ(resets.count(), 0);
}

TEST(SyncedListModel, KeepsAPersistentIndexOnARowThatStays) {
    ItemModel model;
    model.Show({{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}});
    const QPersistentModelIndex c = model.index(2, 0);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy moved(&model, &QAbstractItemModel::layoutChanged);
    // b leaves, e comes in front, c's value changes, no reorder.
    model.Show({{"e", 5}, {"a", 1}, {"c", 30}, {"d", 4}});
    EXPECT_EQ(c.row(), 2);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(moved.count(), 0);
    // Reversed: one layout change, c follows.
    model.Show({{"d", 4}, {"c", 30}, {"a", 1}, {"e", 5}});
    EXPECT_EQ(c.row(), 1);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(inserted.count(), 1);
}

}  // namespace
}  // namespace tavrin::testing
