#include "app/ui/pane_history.h"

#include <QDateTime>
#include <ctime>

#include "app/player_count_history.h"
#include "app/ui/console_pane.h"
#include "app/ui/server_page.h"
#include "common/ui/text_codec.h"
#include "history/qt/history_reader.h"
#include "players/ui/players_page.h"

namespace tavrin {

PaneHistory::PaneHistory(ConsolePane& pane, HistoryReader& reader)
    : QObject(&pane), m_pane(pane), m_reader(reader) {
    connect(&pane.Signals(), &ConsoleSignals::started, this, &PaneHistory::ReadStoredHour);
    connect(&pane.Signals(), &ConsoleSignals::playersChanged, this,
            &PaneHistory::HandlePlayersChanged);
    connect(&reader, &HistoryReader::markRead, this, &PaneHistory::HandleMarkRead);
    connect(&reader, &HistoryReader::countsRead, this,
            [this](quint64 request, const std::vector<CountRecord>& counts) {
                if (request != m_hourRequest) return;
                const int64_t offset =
                    m_offset ? *m_offset : QDateTime::currentDateTime().offsetFromUtc();
                m_pane.GetConsole().SeedCountHistory(SamplesFromHistory(counts, offset));
                m_pane.ServerTab().RefreshPlot();
            });
}

void PaneHistory::ReadStoredHour() {
    const int64_t now = m_now ? m_now() : static_cast<int64_t>(std::time(nullptr));
    m_hourRequest = m_reader.ReadCounts(m_pane.GetConsole().HistoryServerName(),
                                        now - PlayerCountHistory::kSpanSeconds, now);
}

void PaneHistory::HandlePlayersChanged() {
    Console& console = m_pane.GetConsole();
    std::vector<std::string> names;
    for (const PlayerRow& row : console.Players().Rows()) names.push_back(row.cells[kColumnName]);
    const int connection = console.ConnectionCount();
    for (const std::string& name : m_marks.ToLookUp(names, connection))
        m_asked[m_reader.ReadMark(name)] = connection;
}

void PaneHistory::HandleMarkRead(quint64 request, const std::string& name, const PlayerMark& mark) {
    const auto asked = m_asked.find(request);
    if (asked == m_asked.end()) return;  // another pane's look-up
    const int connection = asked->second;
    m_asked.erase(asked);
    if (!m_marks.Found(name, connection, mark) || !IsMarked(mark)) return;
    m_pane.PlayersTab().SetPlayerMark(name, FromWire(PlayerMarkText(mark)));
}

}  // namespace tavrin
