#include "app/qt/schedule_history.h"

#include "app/console.h"
#include "history/qt/history_reader.h"

namespace tavrin {

ScheduleHistory::ScheduleHistory(Console& console, HistoryReader& reader, QObject* parent)
    : QObject(parent), m_console(console) {
    console.Schedule().SetOffenderLookup([this, &reader](const OffenderLookup& lookup) {
        m_asked[reader.ReadMark(lookup.name)] = lookup;
    });
    connect(&reader, &HistoryReader::markRead, this,
            [this](quint64 request, const std::string&, const PlayerMark& mark) {
                const auto asked = m_asked.find(request);
                if (asked == m_asked.end()) return;  // another console's question
                const OffenderLookup lookup = asked->second;
                m_asked.erase(asked);
                m_console.Schedule().OffenderAnswered(lookup, mark.punts + mark.bans);
            });
}

}  // namespace tavrin
