#pragma once

// What the console expects back for each command, and what a reply turned
// out to be. The game server answers its commands in order and a reply
// carries no type, so each reply is paired with the command it answers; only
// then are its markers read, and only the markers that can answer that
// command. A reply to "chat get" is chat whatever a player typed into it.

#include <array>
#include <bit>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "link/session_types.h"

namespace tavrin {

// The kinds of answer a command can get, as bits so that a rule of the router
// can name every kind of command it may answer.
enum Answer : uint32_t {
    kAnswerGameState = 1u << 0,
    kAnswerPlayerList = 1u << 1,
    kAnswerChat = 1u << 2,
    kAnswerChatSend = 1u << 3,
    kAnswerMissionList = 1u << 4,
    kAnswerMissionAdd = 1u << 5,
    kAnswerMissionRemove = 1u << 6,
    kAnswerMissionNext = 1u << 7,
    kAnswerMissionCycle = 1u << 8,
    kAnswerPlayerAction = 1u << 9,
    kAnswerSetting = 1u << 10,
    kAnswerWeaponSet = 1u << 11,
    kAnswerWeaponList = 1u << 12,
    kAnswerGameSettings = 1u << 13,
    // A command the console does not know (a raw command typed by the admin,
    // "cmd TOD"): every marker is read, in order, as for any reply.
    kAnswerAny = 1u << 14,
};

// The answer a command gets, by its text.
Answer ExpectedAnswer(std::string_view command);

// What the router found a reply to be.
enum class ReplyKind {
    GameState,
    PlayerList,
    MissionList,
    MissionChange,  // a mission added, removed, set next, or the cycle started
    Chat,
    ChatConfirmation,
    GameSettings,
    SettingChanged,
    Weapons,
    WeaponChanged,
    ActionResult,
    ServerRefusal,  // "USAGE" or "ERROR"
    Unanswered,     // the server sent it unasked: no command waits for a reply
    Unknown,        // answers none of the commands that wait
};

const char* ReplyKindName(ReplyKind kind);

ReplyClass ClassOfKind(ReplyKind kind);

// What routing one reply found.
struct RouteResult {
    ReplyKind kind = ReplyKind::Unknown;
    ReplyClass replyClass = kReplyNone;
    // The command the reply answers; empty for an unanswered or unknown reply.
    std::string command;
    // Its meaning was carried out (not dropped, not unpaired).
    bool acted = false;
    // The number the command was sent with (ReplyRouter::LastTicket), so that
    // whoever sent it can be told its own reply; 0 when the reply answers
    // nothing.
    uint64_t ticket = 0;
};

// A command sent and not yet answered.
struct AwaitedReply {
    std::string command;
    Answer answer = kAnswerAny;
    bool dropReply = false;   // its reply is taken and dropped (a bulk send)
    unsigned long round = 0;  // the poll round it was sent in
    // The server let a whole poll period pass in silence while this waited.
    bool overdue = false;
    // Numbers commands in the order they were sent, from 1.
    uint64_t ticket = 0;
};

// The commands that wait for replies, oldest first. A reply answers the
// oldest command it can answer: a command whose reply never came is passed
// over by the next reply that it cannot be, so one missing reply does not
// shift the pairing of every later one.
//
// A reply to "chat get" can be any text, so such a command can never be
// passed over by what a reply holds. Time settles it instead: a command the
// server has left unanswered through a whole poll period of silence is
// overdue, and a reply goes to the oldest command sent since that can take
// it; only a reply that none of them can take is a late answer to an overdue
// one. So a lost reply costs at most the replies of one poll round, and the
// text of a reply that answers "chat get" in time picks no route. (Within one
// round nothing tells a lost reply from one still on its way: chat that
// forges the reply of a command sent just before its "chat get", whose own
// reply was lost, is taken for that reply.)
class ReplyPairing {
  public:
    // More than this many unanswered commands means the server answers
    // nothing: the oldest is forgotten. It is far above what a console sends
    // in a burst: the manager forwards its admins' commands as they come, and
    // a command forgotten while its reply is on the way would give that reply
    // to the wrong command.
    static constexpr size_t kMaxAwaited = 1024;

    // Returns the command forgotten to make room, if one was.
    std::optional<std::string> Sent(std::string command, bool dropReply);
    void Clear() { m_awaited.clear(); }
    bool Empty() const { return m_awaited.empty(); }
    size_t Size() const { return m_awaited.size(); }
    // The ticket of the last command sent; 0 before the first. A reply paired
    // with a command also takes every command sent before it off the list,
    // so no reply with a lower ticket follows.
    uint64_t LastTicket() const { return m_lastTicket; }

    // The poll timer starts (after a poll, after a reply): a new round.
    void NewRound() { ++m_round; }
    // The poll timer fired: every command sent before it last started has
    // waited a whole poll period in which the server answered nothing.
    void MarkOverdue() {
        for (AwaitedReply& a : m_awaited)
            if (a.round < m_round) a.overdue = true;
    }
    // A "chat get" still in time waits: it would take any reply.
    bool AwaitsChatInTime() const {
        for (const AwaitedReply& a : m_awaited)
            if (!a.overdue && a.answer == kAnswerChat) return true;
        return false;
    }

    // `canAnswer` tells whether the reply can be the answer to a command of
    // that kind. Returns the command the reply answers, removed with every
    // older one that was passed over (their texts go to `passedOver`), or
    // nullopt when no waiting command can have this reply. Commands still in
    // time come first; overdue ones (the oldest, as they were sent first)
    // only take what none of those can.
    template <typename CanAnswer>
    std::optional<AwaitedReply> Pair(CanAnswer canAnswer, std::deque<std::string>* passedOver) {
        size_t inTime = 0;
        while (inTime < m_awaited.size() && m_awaited[inTime].overdue) ++inTime;
        for (size_t i = inTime; i < m_awaited.size(); ++i)
            if (canAnswer(m_awaited[i].answer)) return Take(i, passedOver);
        for (size_t i = 0; i < inTime; ++i)
            if (canAnswer(m_awaited[i].answer)) return Take(i, passedOver);
        return std::nullopt;
    }

  private:
    AwaitedReply Take(size_t i, std::deque<std::string>* passedOver) {
        AwaitedReply found = std::move(m_awaited[i]);
        for (size_t j = 0; j < i; ++j)
            if (passedOver) passedOver->push_back(std::move(m_awaited[j].command));
        m_awaited.erase(m_awaited.begin(), m_awaited.begin() + static_cast<long>(i) + 1);
        return found;
    }

    std::deque<AwaitedReply> m_awaited;
    unsigned long m_round = 0;
    uint64_t m_lastTicket = 0;
};

// How a model knows its own replies: a reply to a command that gets `answer`
// is that model's when `recognises` finds its marker in it. The router reads a
// marker only for replies to the commands of its answer.
struct ReplyMarker {
    Answer answer;
    bool (*recognises)(std::string_view text);
};
using ReplyMarkers = std::vector<ReplyMarker>;

// What a routed reply asks of the session, carried out in order.
struct SetFieldEffect {
    Field field;
    std::string text;
    bool operator==(const SetFieldEffect&) const = default;
};
// A command sent after the reply (SendRatCommand).
struct FollowUpCommand {
    std::string text;
    bool operator==(const FollowUpCommand&) const = default;
};
struct RouteLogLine {
    std::string text;
    bool operator==(const RouteLogLine&) const = default;
};
// The reply's text goes to the model that parses replies of this kind
// (player list, mission list, game settings, weapons, chat); the session
// shows what the parse found.
struct ParseByModel {
    ReplyKind kind;
    bool operator==(const ParseByModel&) const = default;
};
// The server said which mode it is in.
struct SetGameMode {
    bool game;
    bool operator==(const SetGameMode&) const = default;
};
// The status request has its answer: its time-out no longer runs.
struct StatusAnswered {
    bool operator==(const StatusAnswered&) const = default;
};
// The session logs out; the effects after this one wait until the
// connection's worker has ended.
struct LogOutEffect {
    bool operator==(const LogOutEffect&) const = default;
};

using RouteEffect = std::variant<SetFieldEffect, FollowUpCommand, RouteLogLine, ParseByModel,
                                 SetGameMode, StatusAnswered, LogOutEffect>;
using RouteEffects = std::vector<RouteEffect>;

// What routing one reply decided.
struct RouteOutcome {
    RouteResult result;
    // Lines about the pairing itself, logged first: commands passed over, a
    // reply that answers nothing.
    std::vector<std::string> pairingLog;
    // What the reply means, in order; empty unless `result.acted`.
    RouteEffects effects;
};

// Pairs each reply with the command it answers and decides what it means.
// The rules run in a fixed order and the first that matches decides; a rule
// is only tried for replies to the commands it can answer. The router only
// decides: the session carries out the outcome.
class ReplyRouter {
  public:
    // `logPassedOver`: a command passed over by a later reply is logged.
    ReplyRouter(const ReplyMarkers& markers, bool logPassedOver);

    // A command went out; its reply is taken and dropped when `dropReply`.
    // Returns the log line of a command forgotten to make room, if one was.
    std::optional<std::string> Sent(std::string command, bool dropReply);
    // Pairs the reply with its command and, unless it is to be dropped
    // (`drop`, or its command's reply is), decides what it means.
    // `managerRefusal`: a manager refused the command itself; the refusal
    // answers the command awaited, is shown and logged, and nothing is parsed.
    RouteOutcome Route(const std::string& text, bool drop, bool managerRefusal = false);

    // A new connection: nothing awaited, nothing counted.
    void NewConnection();
    // The connection ended: nothing is awaited any longer.
    void Clear() { m_pairing.Clear(); }
    const ReplyPairing& Pairing() const { return m_pairing; }
    uint64_t LastTicket() const { return m_pairing.LastTicket(); }
    // See ReplyPairing.
    void NewRound() { m_pairing.NewRound(); }
    void MarkOverdue() { m_pairing.MarkOverdue(); }
    bool AwaitsChatInTime() const { return m_pairing.AwaitsChatInTime(); }

    // A connection's first replies that answer nothing, and first commands
    // forgotten, are logged each; later ones one in a thousand.
    static constexpr long kUnpairedRepliesLogged = 20;

    // The rule table's own types (reply_router.cpp).
    struct Context;
    struct Rule;

  private:
    bool Recognises(Context& c, Answer answer) const;
    const Rule* FindRule(Context& c) const;
    std::optional<std::string> UnpairedLine(ReplyKind kind, const std::string& text);

    static constexpr size_t kAnswerKinds = std::bit_width(static_cast<uint32_t>(kAnswerAny));
    static size_t IndexOf(Answer answer) { return std::countr_zero(static_cast<uint32_t>(answer)); }

    std::array<bool (*)(std::string_view), kAnswerKinds> m_markers{};
    bool m_logPassedOver;
    ReplyPairing m_pairing;
    long m_unpairedReplies = 0;
    long m_forgottenCommands = 0;
};

// The text of a command as it may be logged: the value of a password setting
// ("set serverPassword X" and every other "...Password") is masked.
std::string LoggableCommand(std::string_view command);
// The password value a command carries, or empty.
std::string SecretOfCommand(std::string_view command);
// `text` with every occurrence of `secret` masked.
std::string MaskSecret(std::string text, std::string_view secret);

// A command built from text that came from the game must not carry a byte
// that could end the command early or start another: no byte below 32, no 127.
bool HasControlBytes(std::string_view text);

}  // namespace tavrin
