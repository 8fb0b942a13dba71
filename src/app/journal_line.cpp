#include "app/journal_line.h"

#include <utility>

namespace tavrin {
namespace {

// Words of a logged line that say something went wrong: the first match
// decides, so the failures come before the refusals.
constexpr std::pair<std::string_view, LinePriority> kPriorityWords[] = {
    {"socket error", LinePriority::Error},
    {"Socket error", LinePriority::Error},
    {"Internal error", LinePriority::Error},
    {"has failed", LinePriority::Error},
    {"not saved", LinePriority::Error},
    {"not opened", LinePriority::Error},
    {"cannot be read", LinePriority::Error},
    {"Could not", LinePriority::Error},
    {"could not", LinePriority::Error},
    {"Rejected", LinePriority::Warning},
    {"refused", LinePriority::Warning},
    {"Refused", LinePriority::Warning},
    {"skipped", LinePriority::Warning},
    {"not sent", LinePriority::Warning},
    {"Lost", LinePriority::Warning},
    {"Aborted", LinePriority::Warning},
    {"AutoRecon timer started", LinePriority::Warning},
};

// "[HH:MM:SS] ".
bool HasStamp(std::string_view line) {
    if (line.size() < 11 || line[0] != '[' || line[9] != ']' || line[10] != ' ') return false;
    for (size_t i : {1, 2, 4, 5, 7, 8})
        if (line[i] < '0' || line[i] > '9') return false;
    return line[3] == ':' && line[6] == ':';
}

}  // namespace

OutputStyle OutputStyleFor(const char* journalStream, bool verbose) {
    return OutputStyle{journalStream != nullptr && *journalStream != '\0', verbose};
}

bool FieldPrinted(Field field, const OutputStyle& style) {
    if (!style.journal || style.verbose) return true;
    return field != Field::Clock && field != Field::RatCommand && field != Field::RatResponse;
}

LinePriority EventPriority(std::string_view text) {
    for (const auto& [word, priority] : kPriorityWords)
        if (text.find(word) != std::string_view::npos) return priority;
    return LinePriority::Info;
}

std::string EventLineText(std::string_view line, const OutputStyle& style) {
    if (style.journal && HasStamp(line)) line.remove_prefix(11);
    return std::string(line);
}

std::string PriorityPrefix(LinePriority priority, const OutputStyle& style) {
    if (!style.journal) return {};
    return "<" + std::to_string(static_cast<int>(priority)) + ">";
}

}  // namespace tavrin
