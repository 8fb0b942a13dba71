#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "history/history_browse.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tavrin {

class HistoryReader;

// The player-count plot of the History window: the buckets' peaks, total
// and both teams, a gap where a bucket holds no count.
class HistoryCountPlot final : public QWidget {
  public:
    explicit HistoryCountPlot(QWidget* parent = nullptr);
    void Show(std::vector<CountBucket> buckets, QString startLabel, QString endLabel);
    const std::vector<CountBucket>& Buckets() const { return m_buckets; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    std::vector<CountBucket> m_buckets;
    QString m_start;
    QString m_end;
};

// The History window ("historyWindow", non-modal): a search by part of a
// name across every server ("historySearch", "historySearchButton", its
// state in "historyStatus"), the players found ("historyPlayers"), the
// selected player's sessions ("historySessions") and sanctions
// ("historySanctions"), and the player counts of that player's server over
// the range chosen in "historyRange" ("historyPlot", "historyPlotCaption").
// Every look-up goes to the reader; the window shows the answers.
class HistoryWindow final : public QWidget {
    Q_OBJECT
  public:
    explicit HistoryWindow(HistoryReader& reader, QWidget* parent = nullptr);

    // Test hooks: the time the ranges end at, and the zone times are shown in
    // (seconds east of UTC). The system clock and local zone unless set.
    void SetClock(std::function<int64_t()> utcNow) { m_now = std::move(utcNow); }
    void SetUtcOffset(int64_t seconds) { m_offset = seconds; }

    const std::vector<PlayerSummary>& Players() const { return m_players; }

  public slots:
    void Search();
    // Shows player `row` of the results, as a click on it does.
    void SelectPlayer(int row);
    void SetRange(tavrin::HistoryRange range);

  private:
    void HandlePlayersFound(quint64 request, const std::vector<PlayerSummary>& players);
    void HandlePlayerRead(quint64 request, const std::vector<SessionRecord>& sessions,
                          const std::vector<SanctionRecord>& sanctions);
    void HandleCountsRead(quint64 request, const std::vector<CountRecord>& counts);
    void ReadCounts();
    int64_t Now() const;
    int64_t Offset() const;

    HistoryReader& m_reader;
    std::function<int64_t()> m_now;
    std::optional<int64_t> m_offset;
    std::vector<PlayerSummary> m_players;
    std::string m_plotServer;
    HistoryRange m_range = HistoryRange::Day;
    int64_t m_plotFrom = 0;
    int64_t m_plotTo = 0;
    quint64 m_searchRequest = 0;
    quint64 m_playerRequest = 0;
    quint64 m_countsRequest = 0;

    QLineEdit* m_search = nullptr;
    QPushButton* m_searchButton = nullptr;
    QLabel* m_status = nullptr;
    QTableWidget* m_playerTable = nullptr;
    QTableWidget* m_sessions = nullptr;
    QTableWidget* m_sanctions = nullptr;
    QComboBox* m_rangeBox = nullptr;
    QLabel* m_plotCaption = nullptr;
    HistoryCountPlot* m_plot = nullptr;
};

}  // namespace tavrin
