#include "chatbot/chatbot.h"

#include <climits>

#include "chatbot/chat_text.h"
#include "common/text_file.h"
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
    SaveConfiguration();
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
        std::string batch;
        for (int i = added.first; i < post; ++i) {
            const std::string& line = lines[static_cast<size_t>(i)];
            auto [image, caught] =
                matcher ? MatchLine(line, *matcher) : std::pair<int, std::string>{kImageShown, {}};
            m_rows.push_front({image, stamp, line, std::move(caught)});
            batch += stamp + line + "\n";
        }
        // The first batch holds what the server had before we came; a replay
        // is already in a log.
        if (!m_fFirstBatch && !m_fLogScan) {
            if (!batch.empty()) m_chatLog.AppendChatLog(date, batch);
        } else {
            m_fFirstBatch = false;
        }
    }

    const size_t excess = m_tracker.CutTo(kMaxChatLines);
    if (excess > 0) {
        m_scan.excessLines = IntToText(static_cast<int32_t>(excess));
        m_rows.resize(m_rows.size() > excess ? m_rows.size() - excess : 0);
    }
}

std::pair<int, std::string> CChatBot::MatchLine(const std::string& line,
                                                const BannedWordMatcher& matcher) {
    // The console's own lines are never caught. A replayed log is not what
    // the console just said, so it neither uses nor uses up what it said.
    if (!m_fLogScan && m_ownLines.TakeEcho(line)) return {kImageClean, {}};
    const auto caught = matcher.Match(line);
    if (!caught) return {kImageClean, {}};
    std::string& record = m_config.words[caught->word];
    const int points = PuntPoints(record);
    const int found = FoundCount(record);
    const std::string warning = RecordField(record, 3);
    const std::string word = RecordField(record, 2);
    record = WithFoundCount(record, found < INT_MAX ? found + 1 : found);
    // A record that lacked the backslash after its word gains it with the
    // count, and so a word; the next reply looks for that word.
    if (RecordField(record, 2) != word) m_matcherStale = true;
    // Monitor-only words are only counted, except in a replay, which lists who
    // would have been caught.
    if (points != kMonitorOnly || m_fLogScan)
        m_shamed.RecordCatch(caught->speaker, points, warning, word, m_fLogScan);
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

void CChatBot::Send(const std::string& text) {
    const std::string command =
        !text.empty() && text.front() == '$' ? EraseAll(text, "$") : "chat send " + text;
    if (!command.empty()) PostCommand(command);
}

void CChatBot::Reset() {
    m_rows.clear();
    m_tracker.Clear();
}

FileQuestion ChatlogFileQuestion(std::string programDir) {
    return {"Scan Chatlog", std::move(programDir), "Text Files (chatlog.txt)|chatlog.txt", "txt"};
}

void CChatBot::ScanChatlog() {
    const bool wasOn = m_on;
    m_on = true;
    Reset();
    const auto file = m_dialogs.AskOpenFileName(ChatlogFileQuestion(m_programDir));
    std::string text;
    if (file && !ReadTextFile(*file, text)) m_dialogs.ShowMessage("Could not read " + *file);
    if (!file || text.empty()) {
        m_on = wasOn;
        return;
    }
    m_fLogScan = true;
    // Each log line without its time stamp grows the replayed buffer by one
    // line, as a live server's buffer grows.
    std::string running;
    size_t from = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', from)) {
        std::string_view line(text.data() + from, end - from);
        from = end + 1;
        const size_t blank = line.find(' ');
        if (blank == std::string_view::npos) continue;
        running.append(line.substr(blank + 1));
        running += "\r\n";
        ProcessChatReply(running);
    }
    m_fLogScan = false;
    m_on = wasOn;
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
