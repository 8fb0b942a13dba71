#pragma once

// What the history keeps: the sessions of the players seen, the sanctions
// taken, the player counts. Times are UTC seconds since 1970.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tavrin {

// A stretch of consecutive player lists of one connection that hold the name.
struct SessionRecord {
    std::string server;
    std::string name;
    int64_t started = 0;  // the first list that held the name
    int64_t lastSeen = 0;
    int64_t kills = 0;  // counted over the session, across score resets
    int64_t deaths = 0;
    std::optional<int> bestPing;  // the lowest ping read; none read yet

    bool operator==(const SessionRecord&) const = default;
};

// The actions a sanction row holds, by their stored names.
enum class SanctionAction { Warn, Punt, Ban, Kill, Swap, Zero };
inline constexpr std::array<std::string_view, 6> kSanctionActionNames = {"warn", "punt", "ban",
                                                                         "kill", "swap", "zero"};
constexpr std::string_view SanctionActionName(SanctionAction action) {
    return kSanctionActionNames[static_cast<size_t>(action)];
}

// Who took a sanction: the ChatBot, this console's admin, or a remote admin
// of the manager by user name ("admin:USER").
inline constexpr std::string_view kSourceChatBot = "chatbot";
inline constexpr std::string_view kSourceConsole = "console";
std::string RemoteAdminSource(std::string_view user);

struct SanctionRecord {
    int64_t time = 0;
    std::string server;
    std::string player;
    SanctionAction action = SanctionAction::Warn;
    std::string reason;
    std::string source;

    bool operator==(const SanctionRecord&) const = default;
};

// The counts of one player list, as the Server tab plots them.
struct CountRecord {
    int64_t time = 0;
    std::string server;
    int total = 0;
    int team1 = 0;
    int team2 = 0;

    bool operator==(const CountRecord&) const = default;
};

// One thing for the writer to store. A session is written again as it grows:
// the newest copy of a session (by server, name and start) wins.
using HistoryItem = std::variant<SessionRecord, SanctionRecord, CountRecord>;

// Leaves out every copy of a session that a newer copy in `items` follows,
// the newest staying where it came; other items stay as they are. A batch
// then writes each session once, however many lists it spans.
void KeepNewestSessions(std::vector<HistoryItem>& items);

// Where the console hands what it records; the writer behind it stores it off
// the console's thread. Add never blocks for long and never fails.
class HistoryQueue {
  public:
    virtual ~HistoryQueue() = default;
    virtual void Add(std::vector<HistoryItem> items) = 0;
};

// "2026-12-11T03:49:52Z": UTC, as every stored time and the views show it.
std::string UtcText(int64_t seconds);
// The other way round; nullopt for any other text.
std::optional<int64_t> ParseUtcText(std::string_view text);

}  // namespace tavrin

namespace tavrin {

// The database holds text as UTF-8; the console's texts are Windows-1252
// bytes. Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D, which Windows-1252 leaves
// unassigned, go to the control characters of the same number and back.
std::string Utf8FromWindows1252(std::string_view bytes);
// A character Windows-1252 lacks becomes '?'; a broken UTF-8 byte too.
std::string Windows1252FromUtf8(std::string_view text);

}  // namespace tavrin
