#pragma once

// Reviewing a large log: its end first, earlier pages as the reader scrolls
// back, so that neither the reading nor the view ever holds a whole file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/log_review.h"

namespace tavrin {

// A log up to this size is reviewed whole, at once; a larger one page by
// page, each page this size at most.
inline constexpr uint64_t kReviewPageBytes = 32 * 1024;

// Today's log of this kind when it is larger than one page: its path (the
// review's caption) and its size now. nullopt for a smaller, missing or
// unreadable log, which the whole-file review shows (and, for a missing event
// log, begins with the continuation header).
struct LargeLog {
    std::string path;
    uint64_t size = 0;
};
std::optional<LargeLog> LargeLogToReview(const EventLog& log, LogKind kind);

// Where the page that ends at `end` begins.
inline uint64_t PageBegin(uint64_t end) {
    return end > kReviewPageBytes ? end - kReviewPageBytes : 0;
}

// One page, bytes [begin, end) of the file fed in order. Unless it begins
// the file, its first bytes up to and including the first line feed are the
// end of a line that began on the page before, which shows that line whole:
// the page's text starts after them. CR LF becomes LF, as the whole-file
// review reads it.
class LogPage {
  public:
    explicit LogPage(uint64_t begin) : m_begin(begin) {}
    void Feed(std::string_view bytes) { m_raw.append(bytes); }

    // Where the page's first whole line begins: the page before ends there.
    // A page that holds no whole line (part of a line longer than a page) is
    // shown whole.
    uint64_t LineStart() const;
    std::string Text() const;

  private:
    size_t Skipped() const;

    uint64_t m_begin;
    std::string m_raw;
};

}  // namespace tavrin
