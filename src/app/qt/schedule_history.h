#pragma once

#include <QObject>
#include <map>

#include "schedule/scheduler.h"

namespace tavrin {

class Console;
class HistoryReader;

// Answers the ON OFFENDER rules of a console's schedule from the history: a
// joining player's record is read on the reader's thread, and its punts and
// bans come back to the schedule when the answer arrives.
class ScheduleHistory final : public QObject {
    Q_OBJECT
  public:
    // Lives as long as `parent`, which must not outlive the console.
    ScheduleHistory(Console& console, HistoryReader& reader, QObject* parent);

  private:
    Console& m_console;
    std::map<quint64, OffenderLookup> m_asked;
};

}  // namespace tavrin
