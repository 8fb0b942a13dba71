#pragma once

// The ChatBot tab without its widgets: the configuration, the chat list fed
// by "chat get" replies, the matching of new lines, the buttons, and the
// sanctioned players.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "chatbot/banned_words.h"
#include "chatbot/chat_line_tracker.h"
#include "chatbot/chat_replay.h"
#include "chatbot/chatbot_config.h"
#include "chatbot/sanctions.h"
#include "common/clock.h"
#include "common/command_sink.h"
#include "common/event_log.h"
#include "common/user_dialogs.h"

namespace tavrin {

// Scan Chatlog's open-file dialog: it lists the day folders' chat logs and
// opens in the program directory.
FileQuestion ChatlogFileQuestion(std::string programDir);

// Where the stamped chat lines of each reply are kept.
class ChatLogSink {
  public:
    virtual ~ChatLogSink() = default;
    virtual void AppendChatLog(const std::string& date, const std::string& block) = 0;
};

// The day's chatlog.txt of the event log.
class EventLogChatLog final : public ChatLogSink {
  public:
    explicit EventLogChatLog(EventLog& log) : m_log(log) {}
    void AppendChatLog(const std::string& date, const std::string& block) override {
        m_log.AppendChatLog(date, block);
    }

  private:
    EventLog& m_log;
};

// What a right click on a chat row offers: warn the line's speaker.
struct ChatRowMenu {
    std::string speaker;
    std::vector<std::string> warnings;  // the menu items, in list order
};

// A chat log replay asked for: the file and what it starts from.
struct ChatBotScanJob {
    std::string path;
    std::vector<std::string> words;  // the banned-word records when it began
    std::string stamp;               // "[HH:MM:SS] " of its rows
    uint64_t configGeneration = 0;
};

// Reads the file through the replay; false when it cannot be read.
bool ReplayChatLogFile(const std::string& path, ChatLogReplay& replay);

// A chat log up to this size is replayed at once, on the caller's thread: it
// is read sooner than a thread would start. A window reads a larger one in
// the background.
inline constexpr uint64_t kScanAtOnceBytes = 64 * 1024;

class CChatBot {
  public:
    CChatBot(std::string programDir, const Clock& clock, EventSink& log, CommandSink& commands,
             UserDialogs& dialogs, ChatLogSink& chatLog, PlayerIdLookup findPlayerId);

    // Configuration: loaded once when the tab is set up.
    void LoadConfiguration();
    // The configuration file read again while running: the new text is used
    // when it reads; a missing or unreadable file, or one whose sections
    // are not all there, keeps the setup in use and the log says why.
    // Nothing is written. Returns whether the setup was replaced.
    bool ReloadConfiguration();
    bool SaveConfiguration();
    const ChatBotConfig& Config() const { return m_config; }
    // "View Banned Words": the dialog on copies of the configuration.
    CBannedWords OpenBannedWords() { return CBannedWords(m_config, m_dialogs); }
    // The dialog's OK: its records replace the configuration, which is saved.
    void AcceptBannedWords(const ChatBotConfig& edited);

    // A reply the router took for chat.
    void ProcessChatReply(const std::string& reply);

    const std::deque<ChatRow>& ChatRows() const { return m_rows; }  // newest first
    const ScanData& Scan() const { return m_scan; }
    const ChatLineTracker& Lines() const { return m_tracker; }
    // Lines caught by a banned word since start-up (monitor-only words too).
    uint64_t Catches() const { return m_catches; }

    // "Start ChatBot" / "Stop ChatBot". Switching on is refused (false, the
    // ChatBot stays off) while a reason forbids it; switching off never is.
    bool IsOn() const { return m_on; }
    bool SetOn(bool on) {
        if (on && !m_forbidden.empty()) return false;
        m_on = on;
        return true;
    }
    // Forbids switching on, with the reason a view shows (empty: allowed);
    // a ChatBot that runs is switched off.
    void ForbidSwitchingOn(std::string reason) {
        m_forbidden = std::move(reason);
        if (!m_forbidden.empty()) m_on = false;
    }
    const std::string& SwitchingOnForbidden() const { return m_forbidden; }
    const char* StartStopLabel() const { return m_on ? "Stop ChatBot" : "Start ChatBot"; }

    void RequestChat();
    // "$" first: the rest, without any "$", is a raw command; else a chat line.
    void Send(const std::string& text);
    // The command Send makes of `text` (empty: nothing goes out).
    static std::string SendCommand(const std::string& text);
    // "Reset ChatBot ", also at every connect request.
    void Reset();
    // "Scan Chatlog": asks for the file, replays it and shows the results,
    // all at once. A window does the same in three steps, reading the file
    // away from its thread: BeginScan asks for the file (nullopt when the user
    // cancels), the replay reads it, and FinishScan shows the results (or
    // ScanFailed reports an unreadable file). Until FinishScan nothing of the
    // live chat changes, so a replay given up leaves no trace. The live chat's
    // known lines never take part: the next live reply adds only what is new.
    void ScanChatlog();
    std::optional<ChatBotScanJob> BeginScan();
    // The file of a job read through a replay and shown, at once.
    void ScanFile(const ChatBotScanJob& job);
    void FinishScan(const ChatBotScanJob& job, const ChatLogReplay& replay);
    void ScanFailed(const std::string& path);

    // Right click on a chat row: nullopt when the row names no speaker.
    std::optional<ChatRowMenu> MenuForChatRow(int row) const;
    // After the choice: asks, then warns the speaker in the game chat.
    void WarnSpeaker(const std::string& speaker, const std::string& warning);

    CShamed& Shamed() { return m_shamed; }
    const CShamed& Shamed() const { return m_shamed; }
    // Each clock tick: the sanctions pass, while on and connected. Returns the
    // texts the main window's "Rat Command" field is to show, in order.
    [[nodiscard]] std::vector<std::string> OnClockTick(bool ratConnected);

    // Every command the session sends to the game server: the texts of
    // "chat send" commands are kept, so that their echoes in the chat are
    // not matched.
    void OnCommandSent(const std::string& command) { m_ownLines.CommandSent(command); }

  private:
    // The row's image, and for a catch the banned word.
    std::pair<int, std::string> MatchLine(const std::string& line,
                                          const BannedWordMatcher& matcher);
    // The matcher of the current word list, built when first needed after
    // the list changed.
    const BannedWordMatcher& Matcher();
    void PostCommand(const std::string& command);

    std::string m_programDir;
    const Clock& m_clock;
    EventSink& m_log;
    CommandSink& m_commands;
    UserDialogs& m_dialogs;
    ChatLogSink& m_chatLog;
    ChatBotConfig m_config;
    BannedWordMatcher m_matcher;
    bool m_matcherStale = true;  // the word list changed since m_matcher was built
    ChatLineTracker m_tracker;
    OwnChatLines m_ownLines;
    std::deque<ChatRow> m_rows;
    ScanData m_scan;
    CShamed m_shamed;
    uint64_t m_catches = 0;
    bool m_on = false;
    std::string m_forbidden;
    bool m_fFirstBatch = true;
    uint64_t m_configGeneration = 0;  // raised whenever the word list is replaced
};

}  // namespace tavrin
