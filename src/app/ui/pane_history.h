#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "history/history_browse.h"

namespace tavrin {

class ConsolePane;
class HistoryReader;

// What one server's pane takes from the history: at start, the Server tab's
// last hour of player counts (so that a restart keeps its plot); then, for
// every name its player lists show, one look-up per connection, and the
// Players tab's mark on those sanctioned before.
class PaneHistory final : public QObject {
    Q_OBJECT
  public:
    // Lives as long as `pane`, its parent.
    PaneHistory(ConsolePane& pane, HistoryReader& reader);

    // Test hooks: the UTC time the stored hour ends at, and the local zone's
    // offset. The system clock and zone unless set.
    void SetClock(std::function<int64_t()> utcNow) { m_now = std::move(utcNow); }
    void SetUtcOffset(int64_t seconds) { m_offset = seconds; }

    // Asks for the stored hour of counts now (the console does at start).
    void ReadStoredHour();

  private:
    void HandlePlayersChanged();
    void HandleMarkRead(quint64 request, const std::string& name, const PlayerMark& mark);

    ConsolePane& m_pane;
    HistoryReader& m_reader;
    std::function<int64_t()> m_now;
    std::optional<int64_t> m_offset;
    PlayerMarkCache m_marks;
    std::map<quint64, int> m_asked;  // request → its connection
    quint64 m_hourRequest = 0;
};

}  // namespace tavrin
