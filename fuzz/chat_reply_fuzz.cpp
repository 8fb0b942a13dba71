// Feeds arbitrary "chat get" replies to the ChatBot. The first line of the
// input names the banned words ("|" between them); the rest is a series of
// replies separated by zero bytes. Every line is also matched by both layouts
// of the one-pass matcher and by the word-by-word search, which must agree.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "chatbot/chatbot.h"
#include "chatbot/reference_word_matcher.h"

namespace {

using namespace tavrin;

class Silent final : public EventSink, public CommandSink, public UserDialogs, public ChatLogSink {
  public:
    void LogEvent(const std::string&) override {}
    void SubmitCommands(std::vector<PacedCommand> batch) override {
        for (auto& c : batch) {
            if (c.text.size() > 247 && c.route == PacedCommand::Route::Request) std::abort();
            sent.push_back(std::move(c.text));
        }
    }
    void ShowMessage(const std::string&) override {}
    bool AskYesNo(const std::string&, DefaultAnswer) override { return true; }
    std::optional<std::string> AskOpenFileName(const FileQuestion&) override { return {}; }
    std::optional<std::string> AskSaveFileName(const FileQuestion&) override { return {}; }
    void AppendChatLog(const std::string&, const std::string&) override {}

    // Commands the session would have sent, in order.
    std::vector<std::string> sent;
};

std::vector<std::string> SplitAt(std::string_view text, char separator) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator, from)) {
        parts.emplace_back(text.substr(from, at - from));
        from = at + 1;
    }
    parts.emplace_back(text.substr(from));
    return parts;
}

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = input.find('\n');
    const std::string_view wordsLine = input.substr(0, lineEnd);
    const std::string_view replies =
        lineEnd == std::string_view::npos ? std::string_view() : input.substr(lineEnd + 1);

    ChatBotConfig config{{}, {"1\\W\\"}, 1};
    int n = 0;
    for (const auto& word : SplitAt(wordsLine, '|')) {
        if (word.find('\\') != std::string::npos) continue;
        config.words.push_back(std::string(n % 2 ? "1" : "0") + "\\" + word + "\\W\\" +
                               std::string(kPenaltyTexts[static_cast<size_t>(n % 6)]) + "\\0\\");
        ++n;
    }

    Silent host;
    ManualClock clock;
    // The folder does not exist, so the setup stays in memory.
    CChatBot bot("/nonexistent-tavrin-fuzz/", clock, host, host, host, host,
                 [](const std::string& name) { return name.size() % 2 ? name : std::string(); });
    bot.AcceptBannedWords(config);
    bot.SetOn(true);
    const BannedWordMatcher matcher(config.words);
    const BannedWordMatcher trieMatcher(config.words, 0);
    const testing::ReferenceWordMatcher reference(config.words);
    auto same = [](const std::optional<ChatCatch>& a, const std::optional<ChatCatch>& b) {
        return a.has_value() == b.has_value() &&
               (!a || (a->word == b->word && a->speaker == b->speaker));
    };

    for (const auto& reply : SplitAt(replies, '\0')) {
        bot.ProcessChatReply(reply);
        Check(bot.Lines().Lines().size() <= kMaxChatLines);
        Check(bot.ChatRows().size() == bot.Lines().Lines().size());
        for (const auto& line : bot.Lines().Lines()) {
            Check(line.find("\r\n") == std::string::npos && !line.empty());
            const auto caught = matcher.Match(line);
            if (caught)
                Check(caught->word < config.words.size() && SpeakerName(line) == caught->speaker);
            const auto expected = reference.Match(line);
            Check(same(caught, expected) && same(trieMatcher.Match(line), expected));
        }
        if (auto menu = bot.MenuForChatRow(0)) bot.WarnSpeaker(menu->speaker, menu->warnings[0]);
        for (const auto& text : bot.OnClockTick(true))
            Check(text.starts_with("Punt ") || text.starts_with("Warning "));
        for (const auto& row : bot.Shamed().Rows())
            Check((row.puntPts <= 3 || !row.ticked) && !(row.replayed && row.ticked));
        // The session reports every command it sends; the next replies may
        // hold their echoes.
        for (const auto& command : host.sent) bot.OnCommandSent(command);
        host.sent.clear();
    }
    return 0;
}
