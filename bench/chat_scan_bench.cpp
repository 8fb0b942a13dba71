// Chat processing: 45-line "chat get" replies against 10 to 10,000 banned
// words and lines of about 50 to 2,300 characters; replies that bring one new
// line, as a live server's do; building the matcher; and the matcher alone.
//
// BM_MatchLineFromFiles and BM_ChatReplyFromFiles read the word records and
// the chat lines from the files named by TAVRIN_CHAT_WORDS and
// TAVRIN_CHAT_LINES (one per line), so that another matcher can be measured
// on the very same input (bench/chat_vs_python.sh); without them they use
// 1,000 words and 45 lines of their own.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
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
    bool AskYesNo(const std::string&, DefaultAnswer) override { return false; }
    std::optional<std::string> AskOpenFileName(const FileQuestion&) override { return {}; }
    std::optional<std::string> AskSaveFileName(const FileQuestion&) override { return {}; }
    void AppendChatLog(const std::string&, const std::string&) override {}
};

// A ChatBot that is on, with `words` as its banned words.
struct Rig {
    explicit Rig(std::vector<std::string> words) {
        bot.AcceptBannedWords({std::move(words), {"1\\W\\"}, 1});
        bot.SetOn(true);
    }
    Quiet host;
    ManualClock clock;
    // The folder does not exist, so the setup stays in memory.
    CChatBot bot{
        "/nonexistent-tavrin-bench/", clock, host, host, host, host, [](const std::string&) {
            return std::string();
        }};
};

// `count` words that no line holds, every second one a whole word: each
// line is searched for all of them.
std::vector<std::string> BannedWords(int count) {
    std::vector<std::string> words;
    for (int i = 0; i < count; ++i)
        words.push_back(std::string(i % 2 ? "1" : "0") + "\\banned" + std::to_string(i) +
                        "\\W\\[1 PPts]\\0\\");
    return words;
}

// A chat line of about `length` bytes; `tag` and `n` make it unique.
std::string ChatLine(int n, char tag, size_t length) {
    static const std::string kTalk = "going round the back of the warehouse, cover me on the left ";
    std::string line = "Player" + std::to_string(n % 12) + ": " + tag + " ";
    const std::string number = " " + std::to_string(n);
    for (size_t i = 0; line.size() + number.size() < length; ++i) line += kTalk[i % kTalk.size()];
    return line + number;
}

// 45 chat lines; `tag` makes the two alternating replies share no line.
std::string Reply(char tag, size_t lineLength) {
    std::string text;
    for (int i = 0; i < 45; ++i) text += ChatLine(i, tag, lineLength) + "\r\n";
    return text;
}

// Every reply is 45 new lines: the whole reply is matched.
void BM_ChatReply45Lines(benchmark::State& state) {
    Rig rig(BannedWords(static_cast<int>(state.range(0))));
    const size_t lineLength = static_cast<size_t>(state.range(1));
    const std::string replies[2] = {Reply('a', lineLength), Reply('b', lineLength)};
    rig.bot.ProcessChatReply(replies[1]);  // the first reply is never matched

    int next = 0;
    for (auto _ : state) {
        rig.bot.ProcessChatReply(replies[next]);
        next ^= 1;
    }
    if (rig.bot.Scan().linesToScan != "45") state.SkipWithError("replies were not all new");
    state.SetItemsProcessed(state.iterations() * 45);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(replies[0].size()));
}
BENCHMARK(BM_ChatReply45Lines)
    ->ArgNames({"words", "line"})
    ->ArgsProduct({{10, 100, 1000, 10000}, {50, 150, 600, 2300}});

// A live server's buffer: each reply drops its oldest line and brings one
// new one, so the work per reply is one line's match beside the tracking of
// 45 lines.
void BM_ChatReplyOneNewLine(benchmark::State& state) {
    Rig rig(BannedWords(static_cast<int>(state.range(0))));
    constexpr int kReplies = 4096;
    std::vector<std::string> lines;
    for (int i = 0; i < kReplies + 45; ++i) lines.push_back(ChatLine(i, 'x', 60) + "\r\n");
    std::vector<std::string> replies;
    for (int i = 0; i < kReplies; ++i) {
        std::string reply;
        for (int k = 0; k < 45; ++k) reply += lines[static_cast<size_t>(i + k)];
        replies.push_back(std::move(reply));
    }
    rig.bot.ProcessChatReply(replies[0]);

    size_t next = 1;
    int64_t added = 0;
    for (auto _ : state) {
        rig.bot.ProcessChatReply(replies[next]);
        added += std::atoi(rig.bot.Scan().linesToScan.c_str());
        next = (next + 1) % kReplies;
    }
    // Only the wrap from the last reply to the first brings more than one.
    if (added > state.iterations() + 45 * (state.iterations() / kReplies + 1))
        state.SkipWithError("replies brought more than one new line");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ChatReplyOneNewLine)->ArgName("words")->Arg(10)->Arg(1000)->Arg(10000);

// What a change of the word list costs.
void BM_BuildMatcher(benchmark::State& state) {
    const auto words = BannedWords(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        BannedWordMatcher matcher(words);
        benchmark::DoNotOptimize(&matcher);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BuildMatcher)->ArgName("words")->Arg(10)->Arg(100)->Arg(1000)->Arg(10000);

// --- the same words and lines as another matcher ------------------------------

std::vector<std::string> ReadLines(const char* path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Words and lines of the shape a moderation bot meets: random lower-case
// words, and lines of everyday chat words that hold none of them.
struct ChatInput {
    std::vector<std::string> words;
    std::vector<std::string> lines;
};

const ChatInput& Input() {
    static const ChatInput input = [] {
        ChatInput in;
        const char* words = std::getenv("TAVRIN_CHAT_WORDS");
        const char* lines = std::getenv("TAVRIN_CHAT_LINES");
        if (words && lines) {
            in.words = ReadLines(words);
            in.lines = ReadLines(lines);
            return in;
        }
        std::mt19937 random(7);
        auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
        for (int i = 0; i < 1000; ++i) {
            std::string word;
            for (int n = 4 + below(6); n > 0; --n) word += static_cast<char>('a' + below(26));
            in.words.push_back(std::string(i % 2 ? "1" : "0") + "\\" + word + "\\W\\[1 PPts]\\0\\");
        }
        static const char* const kVocabulary[] = {"hello", "gg",     "nice",  "shot",
                                                  "team",  "rush",   "base",  "flag",
                                                  "camp",  "sniper", "medic", "lol"};
        for (int i = 0; i < 45; ++i) {
            std::string line = "Player" + std::to_string(i) + ":";
            for (int n = 3 + below(10); n > 0; --n)
                line += std::string(" ") + kVocabulary[below(12)];
            in.lines.push_back(line);
        }
        return in;
    }();
    return input;
}

void BM_MatchLineFromFiles(benchmark::State& state) {
    const ChatInput& in = Input();
    const BannedWordMatcher matcher(in.words);
    for (auto _ : state)
        for (const auto& line : in.lines) benchmark::DoNotOptimize(matcher.Match(line));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(in.lines.size()));
    state.counters["words"] = static_cast<double>(in.words.size());
    // Lines caught, to be checked against the other matcher's count.
    state.counters["caught"] = static_cast<double>(
        std::count_if(in.lines.begin(), in.lines.end(),
                      [&](const std::string& line) { return matcher.Match(line).has_value(); }));
}
BENCHMARK(BM_MatchLineFromFiles);

// The whole reply processing on the same lines: the second reply gives each
// line another speaker, so that no line of one reply is in the other while
// the text that is searched stays the same.
void BM_ChatReplyFromFiles(benchmark::State& state) {
    const ChatInput& in = Input();
    Rig rig(in.words);
    std::string replies[2];
    for (const auto& line : in.lines) {
        replies[0] += line + "\r\n";
        std::string other = line;
        other.insert(std::min(other.find(": "), other.size()), "~");
        replies[1] += other + "\r\n";
    }
    rig.bot.ProcessChatReply(replies[1]);

    int next = 0;
    for (auto _ : state) {
        rig.bot.ProcessChatReply(replies[next]);
        next ^= 1;
    }
    if (rig.bot.Scan().linesToScan != std::to_string(in.lines.size()))
        state.SkipWithError("replies were not all new");
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(in.lines.size()));
    state.counters["words"] = static_cast<double>(in.words.size());
}
BENCHMARK(BM_ChatReplyFromFiles);

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
