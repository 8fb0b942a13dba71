// Pairs each reply after login with the command it answers and hands it to
// the model it belongs to. The rules run in a fixed order and the first that
// matches decides; a rule is only tried for replies to the commands it can
// answer.
#include "link/reply_router.h"

#include <algorithm>
#include <cctype>

#include "common/value_text.h"
#include "link/session.h"

namespace tavrin {
namespace {

bool Has(std::string_view text, std::string_view marker) {
    return text.find(marker) != std::string_view::npos;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

struct CommandAnswer {
    std::string_view text;
    bool prefix;  // the command starts with `text`; otherwise it is `text`
    Answer answer;
};

// Every command the console sends, by the answer it gets.
constexpr CommandAnswer kCommandAnswers[] = {
    {"get gamestate", false, kAnswerGameState},
    {"player list", false, kAnswerPlayerList},
    {"chat get", false, kAnswerChat},
    {"chat send ", true, kAnswerChatSend},
    {"mission list", false, kAnswerMissionList},
    {"mission available", false, kAnswerMissionList},
    {"mission add ", true, kAnswerMissionAdd},
    {"mission remove ", true, kAnswerMissionRemove},
    {"mission setnext ", true, kAnswerMissionNext},
    {"mission cycle", false, kAnswerMissionCycle},
    {"player punt ", true, kAnswerPlayerAction},
    {"player ban ", true, kAnswerPlayerAction},
    {"player kill ", true, kAnswerPlayerAction},
    {"player swapteam ", true, kAnswerPlayerAction},
    {"player zeroscore ", true, kAnswerPlayerAction},
    {"set ", true, kAnswerSetting},
    {"weapon set ", true, kAnswerWeaponSet},
    {"weapon list", false, kAnswerWeaponList},
    {"get gamesettings", false, kAnswerGameSettings},
};

constexpr std::string_view kMask = "********";

bool IsMenuModeReply(std::string_view text) {
    return Has(text, "Current State = Menu");
}
bool IsGameModeReply(std::string_view text) {
    return Has(text, "Current State = Game");
}
// A refusal is the server's own word at the start of its reply. Any other
// place may hold a name someone chose: a mission file "TERROR.npj", a server
// title "NO USAGE LIMITS", a player's name.
bool StartsRefusal(std::string_view text, std::string_view marker) {
    const size_t start = text.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && StartsWith(text.substr(start), marker);
}
bool IsSyntaxErrorReply(std::string_view text) {
    return StartsRefusal(text, "USAGE");
}
bool IsErrorReply(std::string_view text) {
    return StartsRefusal(text, "ERROR");
}

}  // namespace

Answer ExpectedAnswer(std::string_view command) {
    for (const auto& c : kCommandAnswers)
        if (c.prefix ? StartsWith(command, c.text) : command == c.text) return c.answer;
    return kAnswerAny;
}

const char* ReplyKindName(ReplyKind kind) {
    switch (kind) {
        case ReplyKind::GameState:
            return "game state";
        case ReplyKind::PlayerList:
            return "player list";
        case ReplyKind::MissionList:
            return "mission list";
        case ReplyKind::MissionChange:
            return "mission change";
        case ReplyKind::Chat:
            return "chat";
        case ReplyKind::ChatConfirmation:
            return "chat confirmation";
        case ReplyKind::GameSettings:
            return "game settings";
        case ReplyKind::SettingChanged:
            return "setting changed";
        case ReplyKind::Weapons:
            return "weapons";
        case ReplyKind::WeaponChanged:
            return "weapon changed";
        case ReplyKind::ActionResult:
            return "action result";
        case ReplyKind::ServerRefusal:
            return "server refusal";
        case ReplyKind::Unanswered:
            return "unanswered";
        case ReplyKind::Unknown:
            return "unknown";
    }
    return "unknown";
}

ReplyClass ClassOfKind(ReplyKind kind) {
    switch (kind) {
        case ReplyKind::PlayerList:
        case ReplyKind::ActionResult:
            return kReplyPlayers;
        case ReplyKind::MissionList:
        case ReplyKind::MissionChange:
            return kReplyMissions;
        case ReplyKind::GameSettings:
        case ReplyKind::SettingChanged:
            return kReplySettings;
        case ReplyKind::Chat:
        case ReplyKind::ChatConfirmation:
            return kReplyChat;
        case ReplyKind::Weapons:
        case ReplyKind::WeaponChanged:
            return kReplyWeapons;
        default:
            return kReplyNone;
    }
}

std::optional<std::string> ReplyPairing::Sent(std::string command, bool dropReply) {
    const Answer answer = ExpectedAnswer(command);
    std::optional<std::string> forgotten;
    if (m_awaited.size() >= kMaxAwaited) {
        forgotten = std::move(m_awaited.front().command);
        m_awaited.pop_front();
    }
    m_awaited.push_back({std::move(command), answer, dropReply, m_round, false});
    return forgotten;
}

std::string SecretOfCommand(std::string_view command) {
    if (!StartsWith(command, "set ")) return {};
    std::string_view rest = command.substr(4);
    const size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) return {};
    std::string name(rest.substr(0, blank));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    constexpr std::string_view kSuffix = "password";
    if (name.size() < kSuffix.size() ||
        name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
        return {};
    return std::string(rest.substr(blank + 1));
}

std::string LoggableCommand(std::string_view command) {
    const std::string secret = SecretOfCommand(command);
    if (secret.empty()) return std::string(command);
    return std::string(command.substr(0, command.size() - secret.size())) + std::string(kMask);
}

std::string MaskSecret(std::string text, std::string_view secret) {
    if (secret.empty()) return text;
    for (size_t at = text.find(secret); at != std::string::npos;
         at = text.find(secret, at + kMask.size()))
        text.replace(at, secret.size(), kMask);
    return text;
}

bool HasControlBytes(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 32 || b == 127;
    });
}

// ---------------------------------------------------------------------------
// The rules

struct RatSession::RouteContext {
    const std::string& text;
    Answer answer;
    int missionList;
    std::string logged;  // the reply as it may be logged
};

struct RatSession::RouteRule {
    ReplyKind kind;
    uint32_t answers;  // the kinds of command this rule may answer
    bool (*matches)(RatSession&, const RouteContext&);
    void (*act)(RatSession&, const RouteContext&);
};

namespace {
constexpr uint32_t kAllButChat = ~static_cast<uint32_t>(kAnswerChat);
}

const std::vector<RatSession::RouteRule>& RatSession::Rules() {
    using S = RatSession;
    using C = RouteContext;
    // A follow-up command clears the response field as it goes out, so it is
    // sent before the status text is shown; otherwise the text would vanish.
    static const std::vector<RouteRule> rules = {
        {ReplyKind::GameState, kAnswerGameState | kAnswerAny,
         [](S&, const C& c) { return IsMenuModeReply(c.text); },
         [](S& s, const C& c) {
             s.m_fGameMode = false;
             s.SetField(Field::ServerMode, "Server Status = MENU MODE");
             s.SetField(Field::TabMode, "Menu Mode");
             s.Log("Server is in Menu Mode: Connection closed");
             s.OnLogoutRequest();
             s.Then([&s, logged = c.logged] {
                 s.Log("Rat Reply: " + logged);
                 s.m_fRequestingStatus = false;
                 s.m_host.StopTimer(TimerId::RequestTimeout);
             });
         }},
        {ReplyKind::GameState, kAnswerGameState | kAnswerAny,
         [](S&, const C& c) { return IsGameModeReply(c.text); },
         [](S& s, const C&) {
             s.m_fGameMode = true;
             s.SetField(Field::ServerMode, "Server Status = Game Mode");
             s.SetField(Field::TabMode, "Game Mode");
             s.m_fRequestingStatus = false;
             s.m_host.StopTimer(TimerId::RequestTimeout);
         }},
        {ReplyKind::ServerRefusal, kAllButChat,
         [](S&, const C& c) { return IsSyntaxErrorReply(c.text); },
         [](S& s, const C& c) {
             s.SetField(Field::RatResponse, "RAT syntax error");
             s.Log("Rat Reply: " + c.logged);
         }},
        {ReplyKind::ServerRefusal, kAllButChat, [](S&, const C& c) { return IsErrorReply(c.text); },
         [](S& s, const C& c) {
             s.SetField(Field::RatResponse, c.text);
             s.Log("Rat Reply: " + c.logged);
         }},
        {ReplyKind::WeaponChanged, kAnswerWeaponSet | kAnswerAny,
         [](S& s, const C& c) { return s.m_models.IsWeaponChangeReply(c.text); },
         [](S& s, const C& c) {
             s.SendRatCommand("weapon list");
             s.SetField(Field::RatResponse, c.text);
             s.Log("Rat Reply: Weapons data");
         }},
        {ReplyKind::SettingChanged, kAnswerSetting | kAnswerAny,
         [](S& s, const C& c) { return s.m_models.IsSettingChangeReply(c.text); },
         [](S& s, const C& c) {
             s.SetField(Field::RatResponse, c.logged);
             s.Log("Rat Reply: " + c.logged);
         }},
        {ReplyKind::MissionList, kAnswerMissionList | kAnswerAny,
         [](S&, const C& c) { return c.missionList != 0; },
         [](S& s, const C& c) {
             s.SetField(Field::RatResponse, "Mission List Updated");
             s.UpdateMissionInfo(c.missionList, c.text);
         }},
        {ReplyKind::MissionChange, kAnswerMissionAdd | kAnswerAny,
         [](S& s, const C& c) { return s.m_models.IsMissionAddedReply(c.text); },
         [](S& s, const C& c) {
             s.SendRatCommand("mission list");
             s.SetField(Field::RatResponse, "Mission Added");
             s.Log("Rat Reply: " + c.logged);
         }},
        {ReplyKind::MissionChange, kAnswerMissionRemove | kAnswerAny,
         [](S& s, const C& c) { return s.m_models.IsMissionRemovedReply(c.text); },
         [](S& s, const C& c) {
             s.SendRatCommand("mission list");
             s.SetField(Field::RatResponse, "Mission Removed");
             s.Log("Rat Reply: " + c.logged);
         }},
        {ReplyKind::MissionChange, kAnswerMissionNext | kAnswerAny,
         [](S& s, const C& c) { return s.m_models.IsNextMissionSetReply(c.text); },
         [](S& s, const C& c) {
             s.SendRatCommand("mission list");
             s.SetField(Field::RatResponse, c.text);
             s.Log("Rat Reply: " + c.logged);
         }},
        {ReplyKind::MissionChange, kAnswerMissionCycle | kAnswerAny,
         [](S& s, const C& c) { return s.m_models.IsCyclingReply(c.text); },
         [](S& s, const C& c) {
             s.SetField(Field::RatResponse, c.text);
             s.Log("Rat Reply: " + c.logged);
         }},
        // Only a reply to a "chat send" confirms it: chat that quotes the
        // marker is chat, so it cannot set off an endless round of "chat get".
        {ReplyKind::ChatConfirmation, kAnswerChatSend,
         [](S& s, const C& c) { return s.m_models.IsChatSentReply(c.text); },
         [](S& s, const C&) {
             s.SendRatCommand("chat get");
             s.SetField(Field::RatResponse, "Game Chat Updated");
         }},
        {ReplyKind::PlayerList, kAnswerPlayerList | kAnswerAny,
         [](S& s, const C& c) { return s.m_models.IsPlayerListReply(c.text); },
         [](S& s, const C& c) {
             s.UpdatePlayerCounts(c.text);
             s.SetField(Field::RatResponse, "Player List Updated");
         }},
        {ReplyKind::ActionResult, kAnswerPlayerAction | kAnswerAny,
         [](S& s, const C& c) { return s.m_models.IsActionResultReply(c.text); },
         [](S& s, const C& c) {
             s.SendRatCommand("player list");
             s.SetField(Field::RatResponse, c.text);
             s.Log("Rat Reply: " + c.logged);
         }},
        {ReplyKind::GameSettings, kAnswerGameSettings | kAnswerAny,
         [](S& s, const C& c) { return s.m_models.IsGameSettingsReply(c.text); },
         [](S& s, const C& c) {
             s.SetField(Field::RatResponse, "Game Settings Updated");
             const std::string name = s.m_models.ParseGameSettings(c.text);
             if (!name.empty()) {
                 s.SetField(Field::TabServerName, name);
                 s.SetField(Field::Title, name + " : " + s.m_connecting.address);
             }
         }},
        {ReplyKind::Weapons, kAnswerWeaponList | kAnswerAny,
         [](S& s, const C& c) { return s.m_models.IsWeaponsListReply(c.text); },
         [](S& s, const C& c) {
             s.m_models.ParseWeaponsList(c.text);
             s.SetField(Field::RatResponse, "Weapons List Updated");
             s.Log("Rat Reply: Weapons data");
         }},
        // A reply to "chat get" is chat whatever it holds; so is anything
        // else that answers a command the console does not know.
        {ReplyKind::Chat, kAnswerChat | kAnswerAny, [](S&, const C&) { return true; },
         [](S& s, const C& c) {
             s.SetField(Field::RatResponse, "Game Chat Updated");
             s.m_fChatScanning = true;
             s.m_models.ProcessChatReply(c.text);
             s.m_fChatScanning = false;
         }},
    };
    return rules;
}

const RatSession::RouteRule* RatSession::FindRule(const RouteContext& c) {
    for (const RouteRule& rule : Rules())
        if ((rule.answers & c.answer) != 0 && rule.matches(*this, c)) return &rule;
    return nullptr;
}

RouteResult RatSession::RouteReply(const std::string& text, bool drop) {
    const int missionList = m_models.ClassifyMissionReply(text);
    std::deque<std::string> passedOver;
    RouteContext context{text, kAnswerAny, missionList, {}};
    const RouteRule* rule = nullptr;
    std::optional<AwaitedReply> awaited = m_awaiting.Pair(
        [&](Answer answer) {
            context.answer = answer;
            rule = FindRule(context);
            return rule != nullptr;
        },
        &passedOver);
    if (kDiagnostics)
        for (const auto& command : passedOver) Log("No reply to: " + LoggableCommand(command));
    if (!awaited) {
        RouteResult r;
        r.kind = m_awaiting.Empty() ? ReplyKind::Unanswered : ReplyKind::Unknown;
        if (!drop) LogUnpairedReply(r.kind, text);
        return r;
    }
    context.answer = awaited->answer;
    context.logged = MaskSecret(text, SecretOfCommand(awaited->command));
    RouteResult result{rule->kind, ClassOfKind(rule->kind), awaited->command, false};
    if (drop || awaited->dropReply) return result;
    m_host.StopTimer(TimerId::StatusPoll);
    rule->act(*this, context);
    result.acted = true;
    m_host.ReplyRouted(result, text);
    return result;
}

void RatSession::AwaitReply(const std::string& command) {
    const std::optional<std::string> forgotten = m_awaiting.Sent(command, m_ignoring);
    if (!forgotten) return;
    ++m_forgottenCommands;
    if (m_forgottenCommands <= kUnpairedRepliesLogged || m_forgottenCommands % 1000 == 0)
        Log("No reply awaited any longer (" + std::to_string(ReplyPairing::kMaxAwaited) +
            " commands wait, " + std::to_string(m_forgottenCommands) +
            " forgotten so far): " + LoggableCommand(*forgotten));
}

void RatSession::LogUnpairedReply(ReplyKind kind, const std::string& text) {
    // A server that sends frames nobody asked for must not fill the log:
    // the first few are logged, then one line in a thousand.
    ++m_unpairedReplies;
    const bool log = m_unpairedReplies <= kUnpairedRepliesLogged || m_unpairedReplies % 1000 == 0;
    if (!log) return;
    Log(std::string("Rat Reply (") + ReplyKindName(kind) + ", " +
        std::to_string(m_unpairedReplies) + " so far): " + text);
}

void RatSession::UpdateMissionInfo(int list, const std::string& text) {
    std::string name, file;
    m_models.ParseMissionReply(list, text, name, file);
    const std::string old = FieldText(Field::TabMission);
    std::string candidate = name;
    if (candidate == "NO MISSION DETAILS" || candidate == kFailed) candidate = file;
    if (candidate.empty()) return;
    SetField(Field::TabMission, candidate);
    if (candidate != old) Log("New mission:" + candidate);
}

void RatSession::LoadCannedPlayerList(const std::string& text) {
    UpdatePlayerCounts(text);
}

void RatSession::LoadCannedMissionReply(const std::string& text) {
    if (const int list = m_models.ClassifyMissionReply(text); list != 0)
        UpdateMissionInfo(list, text);
}

void RatSession::SimulateRequestTimeout() {
    m_fRequestingStatus = true;
    m_host.StartTimer(TimerId::RequestTimeout, TimerPeriod(TimerId::RequestTimeout));
}

void RatSession::UpdatePlayerCounts(const std::string& text) {
    const TeamCounts c = m_models.ParsePlayerList(text);
    const std::string counts =
        IntToText(c.total) + " / " + IntToText(c.team1) + " / " + IntToText(c.team2);
    SetField(Field::TabPlayers, counts);
    if (m_countsInAdminsField) SetField(Field::Admins, counts);
}

}  // namespace tavrin
