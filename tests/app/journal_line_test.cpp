#include "app/journal_line.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

const OutputStyle kTerminal = OutputStyleFor(nullptr, false);
const OutputStyle kJournal = OutputStyleFor("8:12345", false);
const OutputStyle kJournalVerbose = OutputStyleFor("8:12345", true);

TEST(JournalLine, TheJournalGetsPrioritiesAndNoStamps) {
    EXPECT_FALSE(kTerminal.journal);
    EXPECT_FALSE(OutputStyleFor("", false).journal);
    EXPECT_TRUE(kJournal.journal);

    EXPECT_EQ(PriorityPrefix(LinePriority::Error, kJournal), "<3>");
    EXPECT_EQ(PriorityPrefix(LinePriority::Warning, kJournal), "<4>");
    EXPECT_EQ(PriorityPrefix(LinePriority::Info, kJournal), "<6>");
    EXPECT_EQ(PriorityPrefix(LinePriority::Error, kTerminal), "");

    EXPECT_EQ(EventLineText("[12:34:56] Logged In", kJournal), "Logged In");
    EXPECT_EQ(EventLineText("[12:34:56] Logged In", kTerminal), "[12:34:56] Logged In");
    // Only a stamp is taken away.
    EXPECT_EQ(EventLineText("[NAME] said [12:34:56]", kJournal), "[NAME] said [12:34:56]");
    EXPECT_EQ(EventLineText("[12:3x:56] x", kJournal), "[12:3x:56] x");
}

TEST(JournalLine, EventPriorityFollowsWhatTheLineSays) {
    const std::pair<const char*, LinePriority> cases[] = {
        {"Logged In", LinePriority::Info},
        {"Program Started - As TavrinMAN", LinePriority::Info},
        {"Login Rejected: bad password", LinePriority::Warning},
        {"Admin login refused (1.2.3.4): bad password", LinePriority::Warning},
        {"ChatBot: banned word 2 of x is blank and was skipped", LinePriority::Warning},
        {"TavrinRat: socket error [10061] Connection refused", LinePriority::Error},
        {"TavrinRat: AutoRecon has failed after 5 attempts", LinePriority::Error},
        {"The admin list was not saved: disk full", LinePriority::Error},
    };
    for (const auto& [text, priority] : cases) EXPECT_EQ(EventPriority(text), priority) << text;
}

TEST(JournalLine, ChatterFieldsStayOutOfTheJournalUnlessVerbose) {
    for (int i = 0; i < static_cast<int>(Field::Count); ++i) {
        const Field f = static_cast<Field>(i);
        const bool chatter = f == Field::Clock || f == Field::RatCommand || f == Field::RatResponse;
        EXPECT_TRUE(FieldPrinted(f, kTerminal)) << i;
        EXPECT_TRUE(FieldPrinted(f, kJournalVerbose)) << i;
        EXPECT_EQ(FieldPrinted(f, kJournal), !chatter) << i;
    }
}

}  // namespace
}  // namespace tavrin
