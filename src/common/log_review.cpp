#include "common/log_review.h"

#include "common/text_file.h"

namespace tavrin {
namespace {

std::string Today(const EventLog& log) {
    std::string date, time;
    GetDateTimeTexts(log.GetClock(), date, time);
    return date;
}

// A log that is there but cannot be read is not ours to replace: the viewer
// says why it shows nothing.
LogReview Shown(const std::string& path, TextFileRead read) {
    if (read.status == TextFileRead::Status::Unreadable) return {path, read.failure + "\n"};
    return {path, std::move(read.text)};
}

}  // namespace

LogReview ReviewEventLog(EventLog& log, std::string_view runningSince) {
    std::string path = log.EventLogPath(Today(log));
    TextFileRead read = ReadTextFile(path);
    if (read.status == TextFileRead::Status::Missing) {
        log.LogEvent(std::string(kSeparatorEquals));
        log.LogEvent("Continuation File");
        log.LogEvent("Program Running Since " + std::string(runningSince));
        log.LogEvent(std::string(kSeparatorEquals));
        // The header went to the day of its own lines, which is today's file
        // even when midnight passed during the review.
        path = log.EventLogPath(Today(log));
        read = ReadTextFile(path);
    }
    return Shown(path, std::move(read));
}

LogReview ReviewChatLog(const EventLog& log) {
    const std::string path = log.ChatLogPath(Today(log));
    TextFileRead read = ReadTextFile(path);
    if (read.status == TextFileRead::Status::Missing)
        return {path + std::string(kNoSavedGameChat), {}};
    return Shown(path, std::move(read));
}

LogReview ReviewLog(EventLog& log, LogKind kind, std::string_view runningSince) {
    return kind == LogKind::Event ? ReviewEventLog(log, runningSince) : ReviewChatLog(log);
}

}  // namespace tavrin
