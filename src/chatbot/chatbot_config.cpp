#include "chatbot/chatbot_config.h"

#include <algorithm>
#include <climits>

#include "chatbot/chat_text.h"
#include "common/config_file.h"
#include "common/text_file.h"
#include "common/value_text.h"

namespace tavrin {

namespace {

constexpr int kWordFields = 5;

// Position of the n-th backslash (1-based), or npos.
size_t NthBackslash(std::string_view record, int n) {
    size_t at = std::string_view::npos;
    for (int i = 0; i < n; ++i) {
        at = record.find('\\', at == std::string_view::npos ? 0 : at + 1);
        if (at == std::string_view::npos) break;
    }
    return at;
}

}  // namespace

std::string RecordField(std::string_view record, int n) {
    if (n < 1) return {};
    size_t end = NthBackslash(record, n);
    if (end == std::string_view::npos) return {};
    size_t begin = n == 1 ? 0 : NthBackslash(record, n - 1) + 1;
    return std::string(record.substr(begin, end - begin));
}

bool IsWholeWord(std::string_view record) {
    return !record.empty() && record.front() == '1';
}

int PuntPoints(std::string_view record) {
    std::string penalty = RecordField(record, 4);
    if (penalty == kPenaltyTexts[0]) return kMonitorOnly;
    static constexpr std::string_view kMarks[] = {"[0", "[1", "[2", "[3", "[4"};
    for (int points = 0; points < 5; ++points)
        if (penalty.find(kMarks[points]) != std::string::npos) return points;
    return kUnknownPenalty;
}

int FoundCount(std::string_view record) {
    return TextToInt(RecordField(record, 5));
}

std::string WithFoundCount(std::string_view record, int count) {
    std::string out(record);
    // A short record gets the field ends it lacks, so the count lands in field 5.
    const auto have = std::count(out.begin(), out.end(), '\\');
    if (have < kWordFields) out.append(static_cast<size_t>(kWordFields - have), '\\');
    size_t begin = NthBackslash(out, kWordFields - 1) + 1;
    size_t end = NthBackslash(out, kWordFields);
    out.replace(begin, end - begin, IntToText(count));
    return out;
}

CountedCatch CountCatch(std::string& record) {
    CountedCatch c{PuntPoints(record), RecordField(record, 3), RecordField(record, 2), false};
    const int found = FoundCount(record);
    record = WithFoundCount(record, found < INT_MAX ? found + 1 : found);
    c.wordChanged = RecordField(record, 2) != c.word;
    return c;
}

std::string_view PenaltyText(int index) {
    if (index < 1 || index > static_cast<int>(kPenaltyTexts.size())) return {};
    return kPenaltyTexts[static_cast<size_t>(index - 1)];
}

bool IsBlankWord(std::string_view word) {
    return std::all_of(word.begin(), word.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' ||
               c == '\xa0';
    });
}

ChatBotConfig ParseChatBotConfig(std::string_view text) {
    const std::string rest = EraseAll(text, "[WORDS]\n");
    size_t pos = 0;
    // Takes lines up to the end marker; a section also ends where no line feed follows.
    auto takeSection = [&](std::vector<std::string>& out, std::string_view end) {
        for (size_t lf = rest.find('\n', pos); lf != std::string::npos; lf = rest.find('\n', pos)) {
            std::string_view line(rest.data() + pos, lf - pos);
            pos = lf + 1;
            if (line == end) return;
            out.emplace_back(line);
        }
    };
    ChatBotConfig config;
    takeSection(config.words, "[WARNINGS]");
    takeSection(config.warnings, "[DEFAULT]");
    config.defaultPenalty = TextToInt(std::string_view(rest).substr(pos));
    return config;
}

std::string FormatChatBotConfig(const ChatBotConfig& config) {
    std::string text = "[WORDS]\n";
    for (const auto& word : config.words) text += word + "\n";
    text += "[WARNINGS]\n";
    for (const auto& warning : config.warnings) text += warning + "\n";
    text += "[DEFAULT]\n";
    text += IntToText(config.defaultPenalty);
    return text;
}

std::string ChatBotConfigPath(const std::string& programDir) {
    return programDir + std::string(kChatBotConfigFile);
}

namespace {

// Loads the file; `log` and `dialogs` (either may be null) hear of what was
// not used.
ChatBotConfig LoadConfig(const std::string& programDir, EventSink* log, UserDialogs* dialogs) {
    const std::string path = ChatBotConfigPath(programDir);
    ChatBotConfig config = ParseChatBotConfig(
        LoadConfigText(path, kDefaultChatBotConfig, FileAccess::Shared, log, dialogs));
    std::vector<std::string> words;
    for (size_t i = 0; i < config.words.size(); ++i) {
        if (!IsBlankWord(RecordField(config.words[i], 2))) {
            words.push_back(std::move(config.words[i]));
        } else if (log) {
            log->LogEvent("ChatBot: banned word " + IntToText(static_cast<int32_t>(i + 1)) +
                          " of " + path + " is blank and was skipped");
        }
    }
    config.words = std::move(words);
    return config;
}

}  // namespace

ChatBotConfig LoadChatBotConfig(const std::string& programDir, EventSink& log,
                                UserDialogs& dialogs) {
    return LoadConfig(programDir, &log, &dialogs);
}

ChatBotConfig LoadChatBotConfig(const std::string& programDir) {
    return LoadConfig(programDir, nullptr, nullptr);
}

bool SaveChatBotConfig(const std::string& programDir, const ChatBotConfig& config,
                       std::string* failure) {
    return WriteTextFile(ChatBotConfigPath(programDir), FormatChatBotConfig(config),
                         WriteMode::Replace, failure);
}

}  // namespace tavrin
