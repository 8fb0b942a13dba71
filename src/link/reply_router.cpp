// Pairs each reply after login with the command it answers and decides what
// it means: fields, follow-up commands, log lines, and the model that parses
// it. The rules run in a fixed order and the first that matches decides; a
// rule is only tried for replies to the commands it can answer.
#include "link/reply_router.h"

#include <algorithm>
#include <cctype>

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
    m_awaited.push_back({std::move(command), answer, dropReply, m_round, false, ++m_lastTicket});
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

struct ReplyRouter::Context {
    const std::string& text;
    Answer answer = kAnswerAny;
    std::string logged = {};  // the reply as it may be logged
    // What each model's marker said of this reply: -1 not asked yet.
    std::array<int8_t, kAnswerKinds> marked = Unasked();

    static std::array<int8_t, kAnswerKinds> Unasked() {
        std::array<int8_t, kAnswerKinds> a{};
        a.fill(-1);
        return a;
    }
};

struct ReplyRouter::Rule {
    ReplyKind kind;
    uint32_t answers;  // the kinds of command this rule may answer
    // The model's marker the rule reads; kAnswerAny when the rule reads the
    // server's own words (`own`) instead.
    Answer marker;
    bool (*own)(std::string_view text);
    void (*effects)(const Context& c, RouteEffects& out);
};

namespace {

constexpr uint32_t kAllButChat = ~static_cast<uint32_t>(kAnswerChat);

bool Always(std::string_view) {
    return true;
}

void Show(RouteEffects& out, Field field, std::string text) {
    out.emplace_back(SetFieldEffect{field, std::move(text)});
}
void Line(RouteEffects& out, std::string text) {
    out.emplace_back(RouteLogLine{std::move(text)});
}
void FollowUp(RouteEffects& out, std::string command) {
    out.emplace_back(FollowUpCommand{std::move(command)});
}

using C = ReplyRouter::Context;

// A follow-up command clears the response field as it goes out, so it is
// sent before the status text is shown; otherwise the text would vanish.
const ReplyRouter::Rule kRules[] = {
    {ReplyKind::GameState, kAnswerGameState | kAnswerAny, kAnswerAny, IsMenuModeReply,
     [](const C& c, RouteEffects& out) {
         out.emplace_back(SetGameMode{false});
         Show(out, Field::ServerMode, "Server Status = MENU MODE");
         Show(out, Field::TabMode, "Menu Mode");
         Line(out, "Server is in Menu Mode: Connection closed");
         out.emplace_back(LogOutEffect{});
         Line(out, "Rat Reply: " + c.logged);
         out.emplace_back(StatusAnswered{});
     }},
    {ReplyKind::GameState, kAnswerGameState | kAnswerAny, kAnswerAny, IsGameModeReply,
     [](const C&, RouteEffects& out) {
         out.emplace_back(SetGameMode{true});
         Show(out, Field::ServerMode, "Server Status = Game Mode");
         Show(out, Field::TabMode, "Game Mode");
         out.emplace_back(StatusAnswered{});
     }},
    {ReplyKind::ServerRefusal, kAllButChat, kAnswerAny, IsSyntaxErrorReply,
     [](const C& c, RouteEffects& out) {
         Show(out, Field::RatResponse, "RAT syntax error");
         Line(out, "Rat Reply: " + c.logged);
     }},
    {ReplyKind::ServerRefusal, kAllButChat, kAnswerAny, IsErrorReply,
     [](const C& c, RouteEffects& out) {
         Show(out, Field::RatResponse, c.text);
         Line(out, "Rat Reply: " + c.logged);
     }},
    {ReplyKind::WeaponChanged, kAnswerWeaponSet | kAnswerAny, kAnswerWeaponSet, nullptr,
     [](const C& c, RouteEffects& out) {
         FollowUp(out, "weapon list");
         Show(out, Field::RatResponse, c.text);
         Line(out, "Rat Reply: Weapons data");
     }},
    {ReplyKind::SettingChanged, kAnswerSetting | kAnswerAny, kAnswerSetting, nullptr,
     [](const C& c, RouteEffects& out) {
         Show(out, Field::RatResponse, c.logged);
         Line(out, "Rat Reply: " + c.logged);
     }},
    {ReplyKind::MissionList, kAnswerMissionList | kAnswerAny, kAnswerMissionList, nullptr,
     [](const C&, RouteEffects& out) {
         Show(out, Field::RatResponse, "Mission List Updated");
         out.emplace_back(ParseByModel{ReplyKind::MissionList});
     }},
    {ReplyKind::MissionChange, kAnswerMissionAdd | kAnswerAny, kAnswerMissionAdd, nullptr,
     [](const C& c, RouteEffects& out) {
         FollowUp(out, "mission list");
         Show(out, Field::RatResponse, "Mission Added");
         Line(out, "Rat Reply: " + c.logged);
     }},
    {ReplyKind::MissionChange, kAnswerMissionRemove | kAnswerAny, kAnswerMissionRemove, nullptr,
     [](const C& c, RouteEffects& out) {
         FollowUp(out, "mission list");
         Show(out, Field::RatResponse, "Mission Removed");
         Line(out, "Rat Reply: " + c.logged);
     }},
    {ReplyKind::MissionChange, kAnswerMissionNext | kAnswerAny, kAnswerMissionNext, nullptr,
     [](const C& c, RouteEffects& out) {
         FollowUp(out, "mission list");
         Show(out, Field::RatResponse, c.text);
         Line(out, "Rat Reply: " + c.logged);
     }},
    {ReplyKind::MissionChange, kAnswerMissionCycle | kAnswerAny, kAnswerMissionCycle, nullptr,
     [](const C& c, RouteEffects& out) {
         Show(out, Field::RatResponse, c.text);
         Line(out, "Rat Reply: " + c.logged);
     }},
    // Only a reply to a "chat send" confirms it: chat that quotes the
    // marker is chat, so it cannot set off an endless round of "chat get".
    {ReplyKind::ChatConfirmation, kAnswerChatSend, kAnswerChatSend, nullptr,
     [](const C&, RouteEffects& out) {
         FollowUp(out, "chat get");
         Show(out, Field::RatResponse, "Game Chat Updated");
     }},
    {ReplyKind::PlayerList, kAnswerPlayerList | kAnswerAny, kAnswerPlayerList, nullptr,
     [](const C&, RouteEffects& out) {
         out.emplace_back(ParseByModel{ReplyKind::PlayerList});
         Show(out, Field::RatResponse, "Player List Updated");
     }},
    {ReplyKind::ActionResult, kAnswerPlayerAction | kAnswerAny, kAnswerPlayerAction, nullptr,
     [](const C& c, RouteEffects& out) {
         FollowUp(out, "player list");
         Show(out, Field::RatResponse, c.text);
         Line(out, "Rat Reply: " + c.logged);
     }},
    {ReplyKind::GameSettings, kAnswerGameSettings | kAnswerAny, kAnswerGameSettings, nullptr,
     [](const C&, RouteEffects& out) {
         Show(out, Field::RatResponse, "Game Settings Updated");
         out.emplace_back(ParseByModel{ReplyKind::GameSettings});
     }},
    {ReplyKind::Weapons, kAnswerWeaponList | kAnswerAny, kAnswerWeaponList, nullptr,
     [](const C&, RouteEffects& out) {
         out.emplace_back(ParseByModel{ReplyKind::Weapons});
         Show(out, Field::RatResponse, "Weapons List Updated");
         Line(out, "Rat Reply: Weapons data");
     }},
    // A reply to "chat get" is chat whatever it holds; so is anything
    // else that answers a command the console does not know.
    {ReplyKind::Chat, kAnswerChat | kAnswerAny, kAnswerAny, Always,
     [](const C&, RouteEffects& out) {
         Show(out, Field::RatResponse, "Game Chat Updated");
         out.emplace_back(ParseByModel{ReplyKind::Chat});
     }},
};

// A manager's own refusal of a command ("Refused, missing right: Punt"): it
// answers whatever command waits, chat included, and only shows its words.
const ReplyRouter::Rule kManagerRefusalRule = {ReplyKind::ServerRefusal, ~0u, kAnswerAny, Always,
                                               [](const C& c, RouteEffects& out) {
                                                   Show(out, Field::RatResponse, c.text);
                                                   Line(out, "Rat Reply: " + c.logged);
                                               }};

}  // namespace

ReplyRouter::ReplyRouter(const ReplyMarkers& markers, bool logPassedOver)
    : m_logPassedOver(logPassedOver) {
    for (const ReplyMarker& m : markers)
        if (std::has_single_bit(static_cast<uint32_t>(m.answer)))
            m_markers[IndexOf(m.answer)] = m.recognises;
}

void ReplyRouter::NewConnection() {
    m_pairing.Clear();
    m_unpairedReplies = 0;
    m_forgottenCommands = 0;
}

bool ReplyRouter::Recognises(Context& c, Answer answer) const {
    const size_t i = IndexOf(answer);
    if (c.marked[i] < 0) {
        const auto recognises = m_markers[i];
        c.marked[i] = recognises != nullptr && recognises(c.text) ? 1 : 0;
    }
    return c.marked[i] == 1;
}

const ReplyRouter::Rule* ReplyRouter::FindRule(Context& c) const {
    for (const Rule& rule : kRules) {
        if ((rule.answers & c.answer) == 0) continue;
        if (rule.marker == kAnswerAny ? rule.own(c.text) : Recognises(c, rule.marker)) return &rule;
    }
    return nullptr;
}

std::optional<std::string> ReplyRouter::Sent(std::string command, bool dropReply) {
    const std::optional<std::string> forgotten = m_pairing.Sent(std::move(command), dropReply);
    if (!forgotten) return std::nullopt;
    ++m_forgottenCommands;
    if (m_forgottenCommands > kUnpairedRepliesLogged && m_forgottenCommands % 1000 != 0)
        return std::nullopt;
    return "No reply awaited any longer (" + std::to_string(ReplyPairing::kMaxAwaited) +
           " commands wait, " + std::to_string(m_forgottenCommands) +
           " forgotten so far): " + LoggableCommand(*forgotten);
}

std::optional<std::string> ReplyRouter::UnpairedLine(ReplyKind kind, const std::string& text) {
    // A server that sends frames nobody asked for must not fill the log:
    // the first few are logged, then one line in a thousand.
    ++m_unpairedReplies;
    if (m_unpairedReplies > kUnpairedRepliesLogged && m_unpairedReplies % 1000 != 0)
        return std::nullopt;
    return std::string("Rat Reply (") + ReplyKindName(kind) + ", " +
           std::to_string(m_unpairedReplies) + " so far): " + text;
}

RouteOutcome ReplyRouter::Route(const std::string& text, bool drop, bool managerRefusal) {
    RouteOutcome out;
    std::deque<std::string> passedOver;
    Context context{text};
    // Every reply is read as a mission list before it is paired, as the
    // console always has, and the mission list rule reuses the answer. The
    // manager's choice of which silent admin to close, when together they
    // hold too much, follows how fast replies are relayed: skipping this read
    // for other replies turns that choice (ManagerE2e.TheAdminHoldingMost...).
    Recognises(context, kAnswerMissionList);
    const Rule* rule = nullptr;
    std::optional<AwaitedReply> awaited = m_pairing.Pair(
        [&](Answer answer) {
            context.answer = answer;
            rule = managerRefusal ? &kManagerRefusalRule : FindRule(context);
            return rule != nullptr;
        },
        &passedOver);
    if (m_logPassedOver)
        for (const auto& command : passedOver)
            out.pairingLog.push_back("No reply to: " + LoggableCommand(command));
    if (!awaited) {
        out.result.kind = m_pairing.Empty() ? ReplyKind::Unanswered : ReplyKind::Unknown;
        if (!drop)
            if (std::optional<std::string> line = UnpairedLine(out.result.kind, text))
                out.pairingLog.push_back(std::move(*line));
        return out;
    }
    context.answer = awaited->answer;
    context.logged = MaskSecret(text, SecretOfCommand(awaited->command));
    out.result = {rule->kind, ClassOfKind(rule->kind), awaited->command, false, awaited->ticket};
    if (drop || awaited->dropReply) return out;
    rule->effects(context, out.effects);
    out.result.acted = true;
    return out;
}

}  // namespace tavrin
