#pragma once

#include <QPalette>
#include <string>
#include <vector>

#include "common/ui/synced_list_model.h"
#include "missions/missions.h"

namespace tavrin {

// The mission cycle as a table model over CMissions, in the game server's
// order: the mission's name (with the current-mission picture), the play
// count, the next or flipped picture, a hidden column and the file name. The
// row under the mission menu is painted in the menu colour. A mission is the
// same row by its file name across refreshes.
class CycleListModel final : public SyncedListModel {
  public:
    explicit CycleListModel(const CMissions& missions, QObject* parent = nullptr);

    void Refresh();
    void SetPalette(const QPalette& palette);
    // The core's cycle row of shown row `row` (the same mission), or -1.
    int CoreRow(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    struct Row {
        CycleRow cycle;
        bool underMenu = false;
        bool operator==(const Row&) const = default;
    };

  private:
    std::vector<Row> Take() const;
    static std::vector<std::string> KeysOf(const std::vector<Row>& rows);

    const CMissions& m_missions;
    QPalette m_palette;
    std::vector<Row> m_rows;
    std::vector<std::string> m_keys;
};

// All available missions as a table model over CMissions: description and
// file name, in the order the core holds (the server's, or the last sort).
class AvailableListModel final : public SyncedListModel {
  public:
    explicit AvailableListModel(const CMissions& missions, QObject* parent = nullptr);

    void Refresh();
    void SetPalette(const QPalette& palette);
    int CoreRow(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    static std::vector<std::string> KeysOf(const std::vector<AvailableRow>& rows);

    const CMissions& m_missions;
    QPalette m_palette;
    std::vector<AvailableRow> m_rows;
    std::vector<std::string> m_keys;
};

}  // namespace tavrin
