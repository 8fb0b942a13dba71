#pragma once

#include <QAbstractTableModel>
#include <QPalette>
#include <QSortFilterProxyModel>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/ui/synced_list_model.h"
#include "players/player_list.h"

namespace tavrin {

// The Players list as a table model over the core's PlayerList: seven
// columns (id with the team picture, name, team, class, kills, deaths, ping),
// the sort arrow on the sorted column's header, a tooltip per row. It shows
// the rows as they were at the last Refresh() and follows each refresh in
// place, a player being the same row by id.
class PlayerListModel final : public SyncedListModel {
  public:
    explicit PlayerListModel(const PlayerList& players, QObject* parent = nullptr);

    // Takes the core's rows and header state now.
    void Refresh();
    // The colours and pictures follow this palette (the view's).
    void SetPalette(const QPalette& palette);
    // Marks the rows of `name` (a player sanctioned before): a sign before
    // the name, and `text` as the last line of the row's tooltip.
    void SetMark(const std::string& name, const QString& text);
    bool IsMarked(const std::string& name) const { return m_marks.count(name) > 0; }

    const PlayerRow& ShownRow(int row) const { return m_rows[static_cast<size_t>(row)]; }
    // The core's row index of shown row `row` (the same player by id), or -1
    // when the core no longer holds it.
    int CoreRow(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    static std::vector<std::string> KeysOf(const std::vector<PlayerRow>& rows);

    const PlayerList& m_players;
    QPalette m_palette;
    std::vector<PlayerRow> m_rows;
    std::vector<std::string> m_keys;
    std::array<int, kPlayerColumnCount> m_headerPictures{};
    std::map<std::string, QString> m_marks;
};

// The team tallies beside the Players list: nine rows (Teams, Kills, ...),
// the labels in column 0 and the two teams' numbers in columns 1 and 2.
class PlayerStatsModel final : public QAbstractTableModel {
  public:
    explicit PlayerStatsModel(const PlayerList& players, QObject* parent = nullptr);

    void Refresh();
    void SetPalette(const QPalette& palette);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    using Cells = std::array<std::array<std::string, 3>, StatsTable::kRows>;
    Cells Take() const;

    const PlayerList& m_players;
    QPalette m_palette;
    Cells m_cells;
};

// The filter box over the Players list: passes the rows whose player matches
// the typed text (the rule is the core's PlayerMatchesFilter) and keeps the
// list's own order. A text that Windows-1252 cannot hold matches nobody.
class PlayerFilterModel final : public QSortFilterProxyModel {
  public:
    explicit PlayerFilterModel(PlayerListModel& source, QObject* parent = nullptr);

    void SetFilterText(const QString& text);

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

  private:
    PlayerListModel& m_source;
    std::optional<std::string> m_filter = std::string();
};

}  // namespace tavrin
