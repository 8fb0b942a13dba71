#include "common/log_pages.h"

#include <sys/stat.h>

namespace tavrin {

std::optional<LargeLog> LargeLogToReview(const EventLog& log, LogKind kind) {
    std::string date, time;
    GetDateTimeTexts(log.GetClock(), date, time);
    std::string path = kind == LogKind::Event ? log.EventLogPath(date) : log.ChatLogPath(date);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<uint64_t>(st.st_size) <= kReviewPageBytes)
        return std::nullopt;
    return LargeLog{std::move(path), static_cast<uint64_t>(st.st_size)};
}

size_t LogPage::Skipped() const {
    if (m_begin == 0) return 0;
    const size_t lineFeed = m_raw.find('\n');
    // A page with no whole line shows what it holds, so that the next page
    // back begins before it.
    if (lineFeed == std::string::npos || lineFeed + 1 == m_raw.size()) return 0;
    return lineFeed + 1;
}

uint64_t LogPage::LineStart() const {
    return m_begin + Skipped();
}

std::string LogPage::Text() const {
    std::string out;
    out.reserve(m_raw.size());
    for (size_t i = Skipped(); i < m_raw.size(); ++i) {
        if (m_raw[i] == '\r' && i + 1 < m_raw.size() && m_raw[i + 1] == '\n') continue;
        out.push_back(m_raw[i]);
    }
    return out;
}

}  // namespace tavrin
