#pragma once

// The ChatBot's configuration: banned-word and warning records kept as text,
// the default penalty for new words, and the file Configs/chatbot.cfg.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/event_log.h"
#include "common/user_dialogs.h"

namespace tavrin {

// The six penalty texts; a penalty index (1..6) is the position in this list plus one.
inline constexpr std::array<std::string_view, 6> kPenaltyTexts = {
    "Monitor Only", "[0 PPts] - Warn Only", "[1 PPts]", "[2 PPts]",
    "[3 PPts]",     "[4 PPts] - Punt Only",
};

// Punt points of a "Monitor Only" word, and of a penalty text that names no points.
inline constexpr int kMonitorOnly = -999;
inline constexpr int kUnknownPenalty = -1;

inline constexpr std::string_view kChatBotConfigFile = "Configs/chatbot.cfg";

// What a missing configuration file is replaced with.
inline constexpr std::string_view kDefaultChatBotConfig =
    "[WORDS]\n"
    "0\\NEWWORD\\EDIT_THIS_WARNING\\Monitor Only\\0\\\n"
    "[WARNINGS]\n"
    "1\\EDIT_THIS_WARNING\\\n"
    "[DEFAULT]\n"
    "1\n";

// Banned-word record: whole-word flag, word, warning, penalty text, found count.
// Warning record: tick, warning text. Every field ends with a backslash.
// Field n (1-based) is the text before the n-th backslash after field n-1;
// empty when the record has fewer than n backslashes.
std::string RecordField(std::string_view record, int n);

// Only the first character of a banned-word record decides whole-word matching.
bool IsWholeWord(std::string_view record);

// Points a catch of this word gives: kMonitorOnly, 0..4, or kUnknownPenalty.
int PuntPoints(std::string_view record);

int FoundCount(std::string_view record);

// The record with its found count (field 5) replaced, every other byte kept.
std::string WithFoundCount(std::string_view record, int count);

// What one catch of a banned word takes from its record, read before the
// record's found count is raised by one (held at INT_MAX).
struct CountedCatch {
    int points = 0;
    std::string warning;
    std::string word;
    // A record that lacked the backslash after its word gains it with the
    // count, and so a word: a matcher built from the old record is stale.
    bool wordChanged = false;
};
CountedCatch CountCatch(std::string& record);

// Penalty text of an index 1..6; empty for any other index.
std::string_view PenaltyText(int index);

// A word that is empty or only blanks (ASCII white space or the Windows-1252
// no-break space) is never a banned word: the matcher would find it in every
// chat line, or in every line holding a blank, and warn everyone who chats.
bool IsBlankWord(std::string_view word);

struct ChatBotConfig {
    std::vector<std::string> words;     // banned-word records, in match order
    std::vector<std::string> warnings;  // warning records
    int defaultPenalty = 1;             // penalty index for new words

    bool operator==(const ChatBotConfig&) const = default;
};

ChatBotConfig ParseChatBotConfig(std::string_view text);
std::string FormatChatBotConfig(const ChatBotConfig& config);

std::string ChatBotConfigPath(const std::string& programDir);

// Reads the file. A missing file is replaced by the default text, written
// back at once. A file that is there but cannot be read is left alone: the
// default text is used in memory, the user is told (a message and an
// event-log line), and only the user's own save (OK of the Banned Words
// dialog) writes the file. Word records with a blank word (a blank line, for
// one) are skipped, each with an event-log line.
ChatBotConfig LoadChatBotConfig(const std::string& programDir, EventSink& log,
                                UserDialogs& dialogs);
// The same without anyone to tell: an unreadable file is still left alone and
// blank words are still skipped, silently.
ChatBotConfig LoadChatBotConfig(const std::string& programDir);

// Replaces the file. `failure` receives a description when it cannot be written.
bool SaveChatBotConfig(const std::string& programDir, const ChatBotConfig& config,
                       std::string* failure);

}  // namespace tavrin
