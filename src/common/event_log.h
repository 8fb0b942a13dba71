#pragma once

#include <string>
#include <string_view>

#include "common/clock.h"

namespace tavrin {

inline constexpr std::string_view kSeparatorEquals =
    "=================================================";
inline constexpr std::string_view kSeparatorDashes =
    "-------------------------------------------------";

// Where models report what they did: one event-log line per call.
class EventSink {
  public:
    virtual ~EventSink() = default;
    virtual void LogEvent(const std::string& text) = 0;
};

// Who hears of everything the logs write: the live viewers, the headless
// console's output.
class LogObserver {
  public:
    virtual ~LogObserver() = default;
    // A line or block just written, as written.
    virtual void EventLineWritten(const std::string& line) = 0;
    virtual void ChatTextWritten(const std::string& block) = 0;
    // A log file could not be written (the log cannot hold that).
    virtual void LogWriteFailed(const std::string& failure) = 0;
};

// The day's event log (adminlog.txt) and chat log (chatlog.txt), each in the
// folder DD-MM-YY under the program directory. Every line is on disk when the
// call returns; the day is taken at each call, so writing follows midnight.
//
// Much of what is logged comes from the game server, so each logged line's
// text goes through LogLineText: no control byte reaches a file inside a
// line (a forged "\r\n[00:00:00] User Logged out" stays visibly one line),
// and no line holds more than kMaxLogLineText bytes of text.
class EventLog final : public EventSink {
  public:
    // `programDir` ends with the path separator.
    EventLog(std::string programDir, const Clock& clock, LogObserver& observer);

    // Appends "[HH:MM:SS] text" to today's event log, as one line.
    void LogEvent(const std::string& text) override;

    // Appends a block of chat lines, each "[HH:MM:SS] " + text + LF with one
    // stamp for the whole block, to the chat log of the given day. The line
    // ends between the lines stay; a piece after a line feed that does not
    // start with the block's stamp came from inside a chat text and stays on
    // its line, its line feed shown as "\n".
    void AppendChatLog(const std::string& date, const std::string& text);

    std::string DayDirectory(const std::string& date) const;
    std::string EventLogPath(const std::string& date) const;
    std::string ChatLogPath(const std::string& date) const;
    const std::string& ProgramDir() const { return m_programDir; }
    const Clock& GetClock() const { return m_clock; }

  private:
    void Append(const std::string& date, const char* file, const std::string& text);

    std::string m_programDir;
    const Clock& m_clock;
    LogObserver& m_observer;
};

}  // namespace tavrin
