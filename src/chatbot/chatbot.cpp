#include "chatbot/chatbot.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "chatbot/chat_text.h"
#include "common/tab_command.h"
#include "common/text_file.h"
#include "common/text_helpers.h"
#include "common/value_text.h"

namespace tavrin {

CChatBot::CChatBot(std::string programDir, const Clock& clock, EventSink& log,
                   CommandSink& commands, UserDialogs& dialogs, ChatLogSink& chatLog,
                   PlayerIdLookup findPlayerId)
    : m_programDir(std::move(programDir)),
      m_clock(clock),
      m_log(log),
      m_commands(commands),
      m_dialogs(dialogs),
      m_chatLog(chatLog),
      m_shamed(log, commands, std::move(findPlayerId)) {}

void CChatBot::LoadConfiguration() {
    m_config = LoadChatBotConfig(m_programDir, m_log, m_dialogs);
    m_matcherStale = true;
    ++m_configGeneration;
}

bool CChatBot::ReloadConfiguration() {
    const TextFileRead read = ReadTextFile(ChatBotConfigPath(m_programDir));
    std::string why;
    if (read.status == TextFileRead::Status::Missing) why = "the file is missing";
    if (read.status == TextFileRead::Status::Unreadable) why = read.failure;
    if (why.empty() && (read.text.rfind("[WORDS]\n", 0) != 0 ||
                        read.text.find("\n[WARNINGS]\n") == std::string::npos ||
                        read.text.find("\n[DEFAULT]\n") == std::string::npos))
        why = "its [WORDS], [WARNINGS] or [DEFAULT] line is missing";
    if (!why.empty()) {
        m_log.LogEvent("chatbot.cfg not read again (" + why + "): the ChatBot keeps its setup");
        return false;
    }
    m_config = LoadChatBotConfig(m_programDir, m_log, m_dialogs);
    m_matcherStale = true;
    ++m_configGeneration;
    m_log.LogEvent("chatbot.cfg read again: " + std::to_string(m_config.words.size()) +
                   " banned words");
    return true;
}

bool CChatBot::SaveConfiguration() {
    std::string failure;
    if (SaveChatBotConfig(m_programDir, m_config, &failure)) return true;
    m_dialogs.ShowMessage("The ChatBot setup was not saved: " + failure);
    return false;
}

void CChatBot::AcceptBannedWords(const ChatBotConfig& edited) {
    m_config = edited;
    m_matcherStale = true;
    ++m_configGeneration;
    SaveConfiguration();
}

bool ReplayChatLogFile(const std::string& path, ChatLogReplay& replay) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::string buffer(1 << 16, '\0');
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            return n == 0;
        }
        replay.Feed(std::string_view(buffer.data(), static_cast<size_t>(n)));
    }
}

void CChatBot::ProcessChatReply(const std::string& reply) {
    std::string date, time;
    GetDateTimeTexts(m_clock, date, time);
    const std::string stamp = "[" + time + "] ";
    m_scan.preLines = IntToText(static_cast<int32_t>(m_tracker.Lines().size()));
    m_scan.knownLength = IntToText(static_cast<int32_t>(m_tracker.KnownText().size()));
    m_scan.newLength = IntToText(static_cast<int32_t>(reply.size()));

    const NewLines added = m_tracker.TakeReply(reply);
    const auto& lines = m_tracker.Lines();
    const int post = static_cast<int>(lines.size());
    m_scan.postLines = IntToText(post);
    m_scan.linesToScan = added.first > -1 && added.match ? IntToText(post - added.first) : "None";

    if (added.first > -1) {
        // Every line of a reply is matched against the list as it stood when
        // the reply came.
        const BannedWordMatcher* matcher = m_on && added.match ? &Matcher() : nullptr;
        const int firstNew = added.first + added.seenAgain;
        std::string batch;
        for (int i = added.first; i < post; ++i) {
            const std::string& line = lines[static_cast<size_t>(i)];
            // Lines seen before a reset are shown again, never matched or logged again.
            const bool isNew = i >= firstNew;
            auto [image, caught] = matcher && isNew ? MatchLine(line, *matcher)
                                                    : std::pair<int, std::string>{kImageShown, {}};
            m_rows.push_front({image, stamp, line, std::move(caught)});
            if (isNew) batch += stamp + line + "\n";
        }
        // The first batch holds what the server had before we came.
        if (!m_fFirstBatch) {
            if (!batch.empty()) m_chatLog.AppendChatLog(date, batch);
        } else {
            m_fFirstBatch = false;
        }
    }

    const size_t excess = m_tracker.CutTo(kMaxChatLines);
    if (excess > 0) m_scan.excessLines = IntToText(static_cast<int32_t>(excess));
    // A replay may have left rows that the tracker does not hold: cut the list
    // by its own length.
    if (m_rows.size() > kMaxChatLines) m_rows.resize(kMaxChatLines);
}

std::pair<int, std::string> CChatBot::MatchLine(const std::string& line,
                                                const BannedWordMatcher& matcher) {
    // The console's own lines are never caught.
    if (m_ownLines.TakeEcho(line)) return {kImageClean, {}};
    const auto caught = matcher.Match(line);
    if (!caught) return {kImageClean, {}};
    const auto [points, warning, word, wordChanged] = CountCatch(m_config.words[caught->word]);
    // The next reply looks for the word the record has now.
    if (wordChanged) m_matcherStale = true;
    ++m_catches;
    // Monitor-only words are only counted.
    if (points != kMonitorOnly) m_shamed.RecordCatch(caught->speaker, points, warning, word, false);
    return {kImageCaught, word};
}

const BannedWordMatcher& CChatBot::Matcher() {
    if (m_matcherStale) {
        m_matcher = BannedWordMatcher(m_config.words);
        m_matcherStale = false;
    }
    return m_matcher;
}

void CChatBot::PostCommand(const std::string& command) {
    if (command.size() > kMaxTabCommand) {
        m_dialogs.ShowMessage(TabCommandTooLongMessage(command, command.size()));
        return;
    }
    m_commands.SubmitCommands({{command, kCommandPauseMs, PacedCommand::Route::Request}});
}

void CChatBot::RequestChat() {
    m_commands.SubmitCommands({{"chat get", 0, PacedCommand::Route::Request}});
}

std::string CChatBot::SendCommand(const std::string& text) {
    return !text.empty() && text.front() == '$' ? EraseAll(text, "$") : "chat send " + text;
}

void CChatBot::Send(const std::string& text) {
    const std::string command = SendCommand(text);
    if (!command.empty()) PostCommand(command);
}

void CChatBot::Reset() {
    m_rows.clear();
    m_tracker.Clear();
}

FileQuestion ChatlogFileQuestion(std::string programDir) {
    return {"Scan Chatlog", std::move(programDir), "Text Files (chatlog.txt)|chatlog.txt", "txt"};
}

std::optional<ChatBotScanJob> CChatBot::BeginScan() {
    const auto file = m_dialogs.AskOpenFileName(ChatlogFileQuestion(m_programDir));
    if (!file) return std::nullopt;
    std::string date, time;
    GetDateTimeTexts(m_clock, date, time);
    return ChatBotScanJob{*file, m_config.words, "[" + time + "] ", m_configGeneration};
}

void CChatBot::FinishScan(const ChatBotScanJob& job, const ChatLogReplay& replay) {
    // The list shows what the replay showed. The live known lines and buffer
    // stay as they were, so the next live reply adds only what is new.
    m_rows = replay.Rows();
    m_scan = replay.Scan();
    // The found counts the replay raised, unless the list was edited meanwhile.
    if (job.configGeneration == m_configGeneration) {
        m_config.words = replay.Words();
        m_matcherStale = true;
    }
    for (const auto& c : replay.Catches())
        m_shamed.RecordCatch(c.player, c.points, c.warning, c.word, true);
    if (replay.TookLines()) m_fFirstBatch = false;
}

void CChatBot::ScanFailed(const std::string& path) {
    m_dialogs.ShowMessage("Could not read " + path);
}

void CChatBot::ScanChatlog() {
    if (const auto job = BeginScan()) ScanFile(*job);
}

void CChatBot::ScanFile(const ChatBotScanJob& job) {
    ChatLogReplay replay(job.words, job.stamp);
    if (!ReplayChatLogFile(job.path, replay)) {
        ScanFailed(job.path);
        return;
    }
    FinishScan(job, replay);
}

std::optional<ChatRowMenu> CChatBot::MenuForChatRow(int row) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return std::nullopt;
    auto speaker = SpeakerName(m_rows[static_cast<size_t>(row)].text);
    if (!speaker || speaker->empty()) return std::nullopt;
    ChatRowMenu menu{std::move(*speaker), {}};
    for (const auto& record : m_config.warnings) menu.warnings.push_back(RecordField(record, 2));
    return menu;
}

void CChatBot::WarnSpeaker(const std::string& speaker, const std::string& warning) {
    if (!m_dialogs.AskYesNo("Warn: this player > " + warning, DefaultAnswer::Yes)) return;
    // The chat line a Warn action of the Players tab sends.
    PostCommand("chat send " + speaker + " " + " > " + warning);
}

std::vector<std::string> CChatBot::OnClockTick(bool ratConnected) {
    if (!m_on || !ratConnected) return {};
    return m_shamed.RunSanctionsPass();
}

}  // namespace tavrin
