#pragma once

// What the console expects back for each command, and what a reply turned
// out to be. The game server answers its commands in order and a reply
// carries no type, so each reply is paired with the command it answers; only
// then are its markers read, and only the markers that can answer that
// command. A reply to "chat get" is chat whatever a player typed into it.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

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
};

// A command sent and not yet answered.
struct AwaitedReply {
    std::string command;
    Answer answer = kAnswerAny;
    bool dropReply = false;   // its reply is taken and dropped (a bulk send)
    unsigned long round = 0;  // the poll round it was sent in
    // The server let a whole poll period pass in silence while this waited.
    bool overdue = false;
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
