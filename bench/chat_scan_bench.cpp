// Chat processing of 45-line "chat get" replies against 1,000 banned words.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "chatbot/chatbot.h"

namespace {

using namespace tavrin;

class Quiet final : public EventSink, public CommandSink, public UserDialogs, public ChatLogSink {
  public:
    void LogEvent(const std::string&) override {}
    void SubmitCommands(std::vector<PacedCommand>) override {}
    void ShowMessage(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
    std::optional<std::string> AskOpenFileName(const std::string&) override { return {}; }
    std::optional<std::string> AskSaveFileName(const std::string&) override { return {}; }
    void AppendChatLog(const std::string&, const std::string&) override {}
};

// 45 chat lines; `tag` makes the two alternating replies share no line.
std::string Reply(char tag) {
    std::string text;
    for (int i = 0; i < 45; ++i)
        text += "Player" + std::to_string(i % 12) + ": " + tag +
                " going round the back of the warehouse, cover me on the left " +
                std::to_string(i) + "\r\n";
    return text;
}

void BM_ChatReply45Lines(benchmark::State& state) {
    const int wordCount = static_cast<int>(state.range(0));
    ChatBotConfig config{{}, {"1\\W\\"}, 1};
    for (int i = 0; i < wordCount; ++i)
        config.words.push_back(std::string(i % 2 ? "1" : "0") + "\\banned" + std::to_string(i) +
                               "\\W\\[1 PPts]\\0\\");
    Quiet host;
    ManualClock clock;
    // The folder does not exist, so the setup stays in memory.
    CChatBot bot("/nonexistent-tavrin-bench/", clock, host, host, host, host,
                 [](const std::string&) { return std::string(); });
    bot.AcceptBannedWords(config);
    bot.SetOn(true);
    const std::string replies[2] = {Reply('a'), Reply('b')};
    bot.ProcessChatReply(replies[1]);  // the first reply is never matched

    int next = 0;
    for (auto _ : state) {
        bot.ProcessChatReply(replies[next]);
        next ^= 1;
    }
    if (bot.Scan().linesToScan != "45") state.SkipWithError("replies were not all new");
    state.SetItemsProcessed(state.iterations() * 45);
}
BENCHMARK(BM_ChatReply45Lines)->Arg(1000)->Arg(10);

}  // namespace

// A reply of `lines` three-byte lines whose last line alternates between two
// texts: the known text never occurs in the next reply, so the tracker looks
// for the longest tail of it that does, one line shorter each time.
std::string AlternatingReply(int lines, char last) {
    std::string text;
    text.reserve(static_cast<size_t>(lines) * 3);
    for (int i = 1; i < lines; ++i) text += "x\r\n";
    text += last;
    text += "\r\n";
    return text;
}

void BM_ChatReplyAlternatingLastLine(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    ChatBotConfig config{{}, {"1\\W\\"}, 1};
    for (int i = 0; i < 10; ++i)
        config.words.push_back(std::string(i % 2 ? "1" : "0") + "\\banned" + std::to_string(i) +
                               "\\W\\[1 PPts]\\0\\");
    Quiet host;
    ManualClock clock;
    CChatBot bot("/nonexistent-tavrin-bench/", clock, host, host, host, host,
                 [](const std::string&) { return std::string(); });
    bot.AcceptBannedWords(config);
    bot.SetOn(true);
    const std::string replies[2] = {AlternatingReply(lines, 'a'), AlternatingReply(lines, 'b')};
    // The first reply is never matched; the second fills the buffer past the
    // point where a reply that lacks the known text is searched line by line.
    bot.ProcessChatReply(replies[1]);
    bot.ProcessChatReply(replies[0]);

    int next = 1;
    for (auto _ : state) {
        bot.ProcessChatReply(replies[next]);
        next ^= 1;
    }
    // The reply holds no tail of the last one, so each of its lines is new.
    if (bot.Scan().linesToScan != std::to_string(lines))
        state.SkipWithError("replies were not all new");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(replies[0].size()));
}
BENCHMARK(BM_ChatReplyAlternatingLastLine)->Arg(2100)->Arg(21000)->Unit(benchmark::kMillisecond);
