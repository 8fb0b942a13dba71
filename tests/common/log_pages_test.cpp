#include "common/log_pages.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrin {
namespace {

// The text a whole-file review shows: CR LF read as LF.
std::string AsReviewed(const std::string& disk) {
    std::string out;
    for (size_t i = 0; i < disk.size(); ++i)
        if (!(disk[i] == '\r' && i + 1 < disk.size() && disk[i + 1] == '\n'))
            out.push_back(disk[i]);
    return out;
}

// Reads `disk` as a review does, from its end, a page at a time, each fed in
// pieces of `piece` bytes; the pages joined in order.
std::string ReadBackwards(const std::string& disk, size_t piece, int* pages) {
    std::string shown;
    *pages = 0;
    for (uint64_t end = disk.size(); end > 0;) {
        const uint64_t begin = PageBegin(end);
        LogPage page(begin);
        for (uint64_t at = begin; at < end; at += piece)
            page.Feed(std::string_view(disk).substr(at, std::min<uint64_t>(piece, end - at)));
        shown = page.Text() + shown;
        EXPECT_LT(page.LineStart(), end) << "every page moves back";
        end = page.LineStart();
        ++*pages;
    }
    return shown;
}

TEST(LogPages, PagesReadFromTheEndMakeUpTheWholeText) {
    const std::string line = "[10:00:00] Rat Command: player list\r\n";
    std::string many;
    while (many.size() < 3 * kReviewPageBytes + 100) many += line;
    const struct {
        const char* name;
        std::string disk;
    } cases[] = {
        {"many lines, CR LF", many},
        {"a last line still being written", many + "[10:00:01] Rat Com"},
        {"LF alone", AsReviewed(many)},
        {"a line longer than a page",
         many + std::string(kReviewPageBytes + 7, 'x') + "\r\n" + many},
        {"a CR LF across a page edge", std::string(kReviewPageBytes - 1, 'y') + "\r\n" + many},
        {"one page", line + line},
    };
    for (const auto& c : cases) {
        for (size_t piece : {size_t{1} << 20, size_t{4093}}) {
            int pages = 0;
            EXPECT_EQ(ReadBackwards(c.disk, piece, &pages), AsReviewed(c.disk))
                << c.name << ", pieces of " << piece;
            EXPECT_LE(static_cast<uint64_t>(pages), c.disk.size() / (kReviewPageBytes / 2) + 1)
                << c.name;
        }
    }
}

TEST(LogPages, TheLastPageStartsAtALine) {
    std::string disk;
    for (int i = 0; disk.size() < 2 * kReviewPageBytes; ++i)
        disk += "[10:00:00] line " + std::to_string(i) + "\r\n";
    LogPage page(PageBegin(disk.size()));
    page.Feed(std::string_view(disk).substr(PageBegin(disk.size())));
    const std::string text = page.Text();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.rfind("[10:00:00] line ", 0), 0u) << text.substr(0, 40);
    EXPECT_EQ(disk.compare(page.LineStart(), 16, "[10:00:00] line "), 0);
    EXPECT_EQ(disk[page.LineStart() - 1], '\n');
}

}  // namespace
}  // namespace tavrin
