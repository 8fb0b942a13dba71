#include "common/event_log.h"

#include "common/text_file.h"

namespace tavrin {

EventLog::EventLog(std::string programDir, const Clock& clock)
    : m_programDir(std::move(programDir)), m_clock(clock) {}

std::string EventLog::DayDirectory(const std::string& date) const {
    return m_programDir + date;
}

std::string EventLog::EventLogPath(const std::string& date) const {
    return DayDirectory(date) + kPathSeparator + "adminlog.txt";
}

std::string EventLog::ChatLogPath(const std::string& date) const {
    return DayDirectory(date) + kPathSeparator + "chatlog.txt";
}

void EventLog::Append(const std::string& date, const char* file, const std::string& text) {
    MakeDirectory(DayDirectory(date));
    std::string failure;
    const std::string path = DayDirectory(date) + kPathSeparator + file;
    if (!WriteTextFile(path, text, WriteMode::Append, &failure) && onWriteFailure)
        onWriteFailure(failure);
}

void EventLog::LogEvent(const std::string& text) {
    std::string date, time;
    GetDateTimeTexts(m_clock, date, time);
    const std::string line = "[" + time + "] " + text + "\n";
    Append(date, "adminlog.txt", line);
    if (onEventLine) onEventLine(line);
}

void EventLog::AppendChatLog(const std::string& date, const std::string& text) {
    Append(date, "chatlog.txt", text);
    if (onChatText) onChatText(text);
}

}  // namespace tavrin
