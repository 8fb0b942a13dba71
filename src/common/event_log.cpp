#include "common/event_log.h"

#include "common/log_text.h"
#include "common/text_file.h"

namespace tavrin {

namespace {

// "[HH:MM:SS] " at the start of a chat block, or nothing.
std::string_view BlockStamp(std::string_view block) {
    constexpr std::string_view kShape = "[00:00:00] ";
    if (block.size() < kShape.size()) return {};
    for (size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = block[i] >= '0' && block[i] <= '9';
        if (kShape[i] == '0' ? !digit : block[i] != kShape[i]) return {};
    }
    return block.substr(0, kShape.size());
}

}  // namespace

EventLog::EventLog(std::string programDir, const Clock& clock, LogObserver& observer)
    : m_programDir(std::move(programDir)), m_clock(clock), m_observer(observer) {}

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
    if (!WriteTextFile(path, text, WriteMode::Append, &failure)) m_observer.LogWriteFailed(failure);
}

void EventLog::LogEvent(const std::string& text) {
    std::string date, time;
    GetDateTimeTexts(m_clock, date, time);
    const std::string line = "[" + time + "] " + LogLineText(text) + "\n";
    Append(date, "adminlog.txt", line);
    m_observer.EventLineWritten(line);
}

void EventLog::AppendChatLog(const std::string& date, const std::string& text) {
    // The chat scanner stamps every line of a block with one reading of the
    // clock, so a piece that does not start with that stamp continues the
    // line before it. Without a stamp every piece is a line of its own.
    const std::string_view stamp = BlockStamp(text);
    std::string out;
    std::string line;
    bool open = false;
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t lf = rest.find('\n');
        const std::string_view piece = rest.substr(0, lf);
        rest.remove_prefix(lf == std::string_view::npos ? rest.size() : lf + 1);
        if (open && (stamp.empty() || piece.starts_with(stamp))) {
            out += LogLineText(line) + '\n';
            line.clear();
            open = false;
        }
        if (open) line += '\n';  // it was inside the chat text: escaped below
        line += piece;
        open = true;
    }
    if (open) out += LogLineText(line) + '\n';
    if (out.empty()) return;
    Append(date, "chatlog.txt", out);
    m_observer.ChatTextWritten(out);
}

}  // namespace tavrin
