#include "sim/sim_game.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <optional>

#include "sim/sim_text.h"

namespace tavrin::sim {
namespace {

enum class SettingKind { Switch, Number, Fraction, Text };

// One rule setting of the server: the key its reply line carries, the kind of
// value and, for numbers, the range a "set" command must stay in.
struct SettingDef {
    std::string_view key;
    SettingKind kind;
    int min;
    int max;
    std::string_view initial;
};

// The settings in the order the "get gamesettings" reply lists them.
constexpr SettingDef kSettings[] = {
    {"AutoBalanceOnRecycle", SettingKind::Switch, 0, 1, "1"},
    {"PuntVote", SettingKind::Switch, 0, 1, "1"},
    {"VotePercent", SettingKind::Fraction, 1, 95, "0.5"},
    {"VoteNumPlayersReq", SettingKind::Number, 1, 100, "4"},
    {"ChangeTeam", SettingKind::Switch, 0, 1, "1"},
    {"ChangeTeamInterval", SettingKind::Number, 0, 500, "60"},
    {"ChangeTeamPenalty", SettingKind::Number, 0, 120, "30"},
    {"ChangeTeamDelay", SettingKind::Number, 0, 60, "10"},
    {"StartDelay", SettingKind::Number, 0, 300, "30"},
    {"DoMinPingCheck", SettingKind::Switch, 0, 1, "0"},
    {"MinPing", SettingKind::Number, 0, 50, "0"},
    {"DoMaxPingCheck", SettingKind::Switch, 0, 1, "1"},
    {"MaxPing", SettingKind::Number, 100, 500, "400"},
    {"MaxFriendlyKills", SettingKind::Number, 0, 50, "5"},
    {"GameTime", SettingKind::Number, 0, 240, "60"},
    {"FriendlyFire", SettingKind::Switch, 0, 1, "1"},
    {"FriendlyTags", SettingKind::Switch, 0, 1, "1"},
    {"TeamTriggerClaymore", SettingKind::Switch, 0, 1, "0"},
    {"Tracers", SettingKind::Switch, 0, 1, "1"},
    {"KOTHLimit", SettingKind::Number, 0, 500, "100"},
    {"KillLimit", SettingKind::Number, 0, 200, "100"},
    {"FatBullets", SettingKind::Switch, 0, 1, "0"},
    {"OneShotKill", SettingKind::Switch, 0, 1, "0"},
    {"ArmoryTimer", SettingKind::Number, 0, 60, "10"},
    {"ServerName", SettingKind::Text, 0, 0, "TavrinSim"},
    {"ServerPassword", SettingKind::Text, 0, 0, ""},
    {"SideAPassword", SettingKind::Text, 0, 0, ""},
    {"SideBPassword", SettingKind::Text, 0, 0, ""},
};

// No name is a prefix of another: the console deletes each weapon line's text
// from the rest of the reply, so a line must never occur inside another one.
constexpr std::array<std::pair<std::string_view, WeaponState>, 18> kWeapons = {{
    {"WPN_Knife", WeaponState::Always},
    {"WPN_Colt45", WeaponState::Always},
    {"WPN_Beretta", WeaponState::Always},
    {"WPN_Remmington", WeaponState::Armory},
    {"WPN_MP5", WeaponState::Always},
    {"WPN_CAR15", WeaponState::Always},
    {"WPN_M16", WeaponState::Always},
    {"WPN_G3", WeaponState::Always},
    {"WPN_SAW", WeaponState::Armory},
    {"WPN_M60", WeaponState::Armory},
    {"WPN_PSG1", WeaponState::Armory},
    {"WPN_Barrett", WeaponState::Never},
    {"WPN_AK47", WeaponState::Always},
    {"WPN_RPG7", WeaponState::Armory},
    {"WPN_LAW", WeaponState::Never},
    {"WPN_Claymore", WeaponState::Armory},
    {"WPN_Grenade", WeaponState::Always},
    {"WPN_Satchel", WeaponState::Never},
}};

constexpr std::array<std::pair<std::string_view, std::string_view>, 18> kMissions = {{
    {"training.bms", "Training: Boot Camp"},
    {"irene.bms", "Operation: Irene"},
    {"marketplace.bms", "Operation: Marketplace"},
    {"stadium.bms", "Operation: Stadium"},
    {"crossfire.npz", "TKOTH: Crossfire"},
    {"hilltop.npz", "TKOTH: Hilltop"},
    {"compound.npz", "TKOTH: Compound"},
    {"harbour.npj", "AS: Harbour"},
    {"oasis.npj", "AS: Oasis"},
    {"canyon.npj", "Operation: Canyon Run"},
    {"nightfall.npj", "Operation: Nightfall"},
    {"depot.bms", ""},
    {"ridge.bms", "TKOTH: Ridge"},
    {"airfield.npz", "AS: Airfield"},
    {"village.npj", "Operation: Silent Village"},
    {"bridge.bms", ""},
    {"quarry.npz", "TKOTH: Quarry"},
    {"outpost.npj", "AS: Outpost"},
}};

constexpr std::string_view kNames[] = {
    "Viper",   "Ghost_7", "Maverick",    "Sarge",   "DocHoliday", "Tango",    "Reaper",
    "Blaze",   "Hawkeye", "Nomad",       "Bulldog", "Shadow",     "Raptor",   "Falcon",
    "Cobra",   "Havoc",   "Jester",      "Kodiak",  "Lynx",       "Mongoose", "Nitro",
    "Outlaw",  "Phantom", "Quicksilver", "Rook",    "Sabre",      "Titan",    "Vandal",
    "Warlock", "Yankee",  "Zulu",        "Bishop",  "Crash",      "Diesel",   "Echo",
    "Flint",   "Gator",   "Hammer",      "Iceman",  "Joker",      "Keystone", "Lancer",
};

constexpr std::string_view kChatter[] = {
    "gg",
    "nice shot",
    "cover me",
    "moving to the bridge",
    "need a medic here",
    "anyone got ammo?",
    "lol",
    "good game all",
    "push to the flag",
    "watch the rooftops",
    "sniper on the tower",
    "who took my humvee",
    "rebels camping again",
    "hold the hill",
    "incoming!",
    "thanks mate",
    "one more round",
    "lag is bad tonight",
    "reloading",
    "on my way",
};

// Lines a ChatBot should catch.
constexpr std::string_view kRudeChatter[] = {
    "you noob",      "total noob move",    "cheater! nobody shoots like that",
    "what an idiot", "stop camping idiot", "report that cheater",
};

constexpr std::string_view kUsage =
    "USAGE: get gamestate|gamesettings; player list|punt|ban|kill|swapteam|zeroscore <id>; "
    "chat get|send <text>; mission list|available|add <file>|remove <n>|setnext <n>|cycle; "
    "set <name> <value>; cmd TOD|TODRate <value>; weapon list|set <n>|all always|armory|never";

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool Is(std::string_view word, std::string_view lower) {
    return Lower(word) == lower;
}

// The text after the first `count` words and the one blank that follows them.
std::string_view RestAfterWords(std::string_view s, int count) {
    size_t i = 0;
    for (int w = 0; w < count; ++w) {
        while (i < s.size() && s[i] == ' ') ++i;
        while (i < s.size() && s[i] != ' ') ++i;
    }
    if (i < s.size()) ++i;
    return s.substr(std::min(i, s.size()));
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Chat lines and settings values are single lines: a line break inside would
// split the reply's own lines.
std::string OneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

std::optional<WeaponState> ParseWeaponState(std::string_view word) {
    const std::string w = Lower(word);
    if (w == "always") return WeaponState::Always;
    if (w == "armory") return WeaponState::Armory;
    if (w == "never") return WeaponState::Never;
    return std::nullopt;
}

std::string_view StateWord(WeaponState s) {
    switch (s) {
        case WeaponState::Always:
            return "ALWAYS";
        case WeaponState::Armory:
            return "ARMORY";
        case WeaponState::Never:
            return "NEVER";
    }
    return "ALWAYS";
}

std::string_view TeamName(int team) {
    return team == 1 ? "JointOps" : "Rebel";
}

std::string Error(std::string_view what) {
    return "ERROR: " + std::string(what);
}

}  // namespace

SimGame::SimGame(uint32_t seed) : m_rng(seed) {
    m_host = {0, "Host", 1, 8, 0, 0, 0};
    const int count = Rand(kMinPlayers, kMaxPlayers);
    for (int i = 0; i < count; ++i) JoinPlayer();
    for (auto& p : m_players) {
        p.kills = Rand(0, 15);
        p.deaths = Rand(0, 15);
    }
    for (const auto& [file, description] : kMissions)
        m_available.push_back({std::string(file), std::string(description)});
    // A shuffled pick of the available missions makes the cycle.
    std::vector<size_t> order(m_available.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    for (size_t i = order.size() - 1; i > 0; --i) std::swap(order[i], order[Rand(0, i)]);
    const int cycleSize = Rand(5, 7);
    for (int i = 0; i < cycleSize; ++i)
        m_cycle.push_back({m_available[order[i]].file, Chance(15), Chance(15)});
    for (const auto& s : kSettings) m_settings.emplace_back(s.initial);
    for (const auto& [name, state] : kWeapons) m_weapons.push_back({std::string(name), state});
    while (m_chat.size() < 40) AddChatter();
}

int SimGame::Rand(int lo, int hi) {
    // Plain modulo keeps a seed's game the same with every standard library.
    return lo + static_cast<int>(m_rng() % static_cast<uint32_t>(hi - lo + 1));
}

std::string SimGame::MakeGreeting() {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string code;
    for (int i = 0; i < 40; ++i) code += kAlphabet[Rand(0, kAlphabet.size() - 1)];
    return code;
}

std::string SimGame::Setting(std::string_view key) const {
    for (size_t i = 0; i < std::size(kSettings); ++i)
        if (kSettings[i].key == key) return m_settings[i];
    return {};
}

SimPlayer* SimGame::FindPlayer(int id) {
    if (id == 0) return &m_host;
    for (auto& p : m_players)
        if (p.id == id) return &p;
    return nullptr;
}

void SimGame::JoinPlayer() {
    std::vector<std::string_view> free;
    for (auto name : kNames) {
        const bool present = std::any_of(m_players.begin(), m_players.end(),
                                         [&](const SimPlayer& p) { return p.name == name; });
        if (!present && !m_banned.count(std::string(name))) free.push_back(name);
    }
    if (free.empty()) return;
    AddPlayer(std::string(free[Rand(0, free.size() - 1)]));
}

SimPlayer& SimGame::AddPlayer(std::string name) {
    const auto team1 = std::count_if(m_players.begin(), m_players.end(),
                                     [](const SimPlayer& p) { return p.team == 1; });
    const int team = team1 * 2 <= static_cast<long>(m_players.size()) ? 1 : 2;
    const int klass = Rand(5, 9);
    const int ping = Rand(30, 200);
    m_players.push_back({m_nextId++, std::move(name), team, klass, 0, 0, ping});
    return m_players.back();
}

std::optional<int> SimGame::Say(std::string_view name, std::string_view text) {
    // A colon or a bracket in the name would make the line's speaker another
    // one, or a team marker. Any other byte is a player's to choose, line
    // breaks and control bytes included: this is how a test plays a hostile
    // player, so neither name nor text is cleaned.
    const bool speakable =
        !name.empty() && name != m_host.name && name.find_first_of(":[") == std::string_view::npos;
    if (!speakable || m_banned.count(std::string(name))) return std::nullopt;
    auto it = std::find_if(m_players.begin(), m_players.end(),
                           [&](const SimPlayer& p) { return p.name == name; });
    if (it == m_players.end() && m_players.size() >= kMaxPlayers) return std::nullopt;
    const SimPlayer& p = it != m_players.end() ? *it : AddPlayer(std::string(name));
    const int id = p.id;
    AddChatLine(p.name + ": " + std::string(text));
    return id;
}

void SimGame::AddChatLine(std::string line) {
    m_chat.push_back(std::move(line));
    if (m_chat.size() > kChatLinesKept) m_chat.erase(m_chat.begin());
}

size_t SimGame::TrimChat(size_t n) {
    m_chat.erase(m_chat.begin(),
                 m_chat.begin() + static_cast<std::ptrdiff_t>(std::min(n, m_chat.size())));
    return m_chat.size();
}

void SimGame::AddChatter() {
    if (m_players.empty()) return;
    const SimPlayer& p = m_players[Rand(0, m_players.size() - 1)];
    const std::string_view text = Chance(12) ? kRudeChatter[Rand(0, std::size(kRudeChatter) - 1)]
                                             : kChatter[Rand(0, std::size(kChatter) - 1)];
    if (Chance(25))
        AddChatLine(p.name + ":[" + std::string(TeamName(p.team)) + "]: " + std::string(text));
    else
        AddChatLine(p.name + ": " + std::string(text));
}

void SimGame::FightRound() {
    const int events = Rand(0, 2);
    for (int e = 0; e < events && !m_players.empty(); ++e) {
        SimPlayer& killer = m_players[Rand(0, m_players.size() - 1)];
        std::vector<SimPlayer*> foes;
        for (auto& p : m_players)
            if (p.team != killer.team) foes.push_back(&p);
        if (foes.empty()) continue;
        killer.kills++;
        foes[Rand(0, foes.size() - 1)]->deaths++;
    }
}

void SimGame::Tick() {
    FightRound();
    for (auto& p : m_players) p.ping = std::clamp(p.ping + Rand(-15, 15), 15, 450);
    if (m_players.size() > kMinPlayers && Chance(3))
        m_players.erase(m_players.begin() + Rand(0, m_players.size() - 1));
    if (m_players.size() < kMaxPlayers && Chance(4)) JoinPlayer();
    if (Chance(45)) AddChatter();
}

std::string SimGame::Execute(std::string_view command) {
    const auto words = SplitWords(command);
    if (words.empty()) return std::string(kUsage);
    const std::string verb = Lower(words[0]);
    if (verb == "get" && words.size() == 2) {
        if (Is(words[1], "gamestate")) return GameStateReply();
        if (Is(words[1], "gamesettings")) return SettingsReply();
    }
    if (verb == "player") return PlayerCommand(words);
    if (verb == "chat" && words.size() >= 2) {
        if (Is(words[1], "get") && words.size() == 2) return ChatReply();
        if (Is(words[1], "send")) {
            const std::string_view text = RestAfterWords(command, 2);
            if (Trim(text).empty()) return "USAGE: chat send <text>";
            AddChatLine(m_echoName.empty() ? OneLine(text) : m_echoName + ": " + OneLine(text));
            return "Chat sent.";
        }
    }
    if (verb == "mission") return MissionCommand(words);
    if (verb == "set") return SetCommand(RestAfterWords(command, 1));
    if (verb == "cmd") return TimeCommand(words);
    if (verb == "weapon") return WeaponCommand(words);
    return std::string(kUsage);
}

std::string SimGame::PlayerCommand(const std::vector<std::string_view>& words) {
    if (words.size() == 2 && Is(words[1], "list")) return PlayerListReply();
    if (words.size() != 3) return "USAGE: player list|punt|ban|kill|swapteam|zeroscore <id>";
    const std::string action = Lower(words[1]);
    static constexpr std::string_view kActions[] = {"punt", "ban", "kill", "swapteam", "zeroscore"};
    const auto id = ParseNumber(words[2]);
    if (std::find(std::begin(kActions), std::end(kActions), action) == std::end(kActions) || !id)
        return "USAGE: player list|punt|ban|kill|swapteam|zeroscore <id>";
    SimPlayer* p = FindPlayer(*id);
    if (!p) return Error("No player with id " + std::to_string(*id));
    const std::string name = p->name;
    if (action == "punt" || action == "ban") {
        if (*id == 0) return Error("The server host cannot be removed");
        if (action == "ban") m_banned.insert(name);
        std::erase_if(m_players, [&](const SimPlayer& q) { return q.id == *id; });
        return (action == "ban" ? "Player Banned: " : "Player Punted: ") + name;
    }
    if (action == "kill") {
        p->deaths++;
        return "Player Killed: " + name;
    }
    if (action == "swapteam") {
        p->team = 3 - p->team;
        return "Player Swapped: " + name + " now plays for " + std::string(TeamName(p->team));
    }
    p->kills = 0;
    p->deaths = 0;
    return "Player Zeroed: " + name;
}

std::string SimGame::MissionCommand(const std::vector<std::string_view>& words) {
    static constexpr std::string_view kMissionUsage =
        "USAGE: mission list|available|add <file>|remove <n>|setnext <n>|cycle";
    if (words.size() < 2) return std::string(kMissionUsage);
    const std::string sub = Lower(words[1]);
    if (words.size() == 2) {
        if (sub == "list") return CycleReply();
        if (sub == "available") return AvailableReply();
        if (sub == "cycle") {
            m_current = m_next;
            m_next = (m_current + 1) % m_cycle.size();
            // A new mission starts every score afresh.
            for (auto& p : m_players) p.kills = p.deaths = 0;
            return "Server is cycling to " + m_cycle[m_current].file;
        }
        return std::string(kMissionUsage);
    }
    if (words.size() != 3) return std::string(kMissionUsage);
    if (sub == "add") {
        const bool known =
            std::any_of(m_available.begin(), m_available.end(),
                        [&](const AvailableMission& m) { return m.file == words[2]; });
        if (!known) return Error("Mission file not found: " + std::string(words[2]));
        m_cycle.push_back({std::string(words[2]), false, false});
        return "Entry Added: " + std::string(words[2]);
    }
    const auto row = ParseNumber(words[2]);
    if (!row || (sub != "remove" && sub != "setnext")) return std::string(kMissionUsage);
    const size_t n = static_cast<size_t>(*row);
    if (n >= m_cycle.size()) return Error("No mission at row " + std::to_string(n));
    const std::string file = m_cycle[n].file;
    if (sub == "setnext") {
        m_next = n;
        return "Next Mission Set: " + file;
    }
    if (n == m_current) return Error("Cannot remove the current mission");
    // The cycle reply needs two rows to carry its "<>" slot marks.
    if (m_cycle.size() <= kMinCycle) return Error("The cycle needs at least two missions");
    m_cycle.erase(m_cycle.begin() + n);
    if (n < m_current) --m_current;
    if (n == m_next)
        m_next = (m_current + 1) % m_cycle.size();
    else if (n < m_next)
        --m_next;
    return "Mission Removed: " + file;
}

std::string SimGame::SetCommand(std::string_view rest) {
    static constexpr std::string_view kSetUsage = "USAGE: set <name> <value>";
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    const size_t blank = rest.find(' ');
    const std::string_view name = rest.substr(0, blank);
    const std::string_view raw =
        blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    if (name.empty()) return std::string(kSetUsage);
    size_t i = 0;
    while (i < std::size(kSettings) && Lower(kSettings[i].key) != Lower(name)) ++i;
    if (i == std::size(kSettings)) return Error("Unknown setting " + std::string(name));
    const SettingDef& def = kSettings[i];
    std::string value = OneLine(raw);
    if (def.kind != SettingKind::Text) {
        const std::string_view v = Trim(value);
        if (v.empty()) return std::string(kSetUsage);
        const auto number = ParseNumber(v);
        if (def.kind == SettingKind::Fraction) {
            // A fraction such as 0.25, or a whole percentage such as 25.
            char* end = nullptr;
            const std::string text(v);
            const double f = std::strtod(text.c_str(), &end);
            const bool isFraction = end == text.c_str() + text.size() && f > 0 && f <= 1 &&
                                    text.find('.') != std::string::npos;
            if (isFraction && f * 100 >= def.min - 1e-9 && f * 100 <= def.max + 1e-9) {
                value = text;
            } else if (number && *number >= def.min && *number <= def.max) {
                value = (*number < 10 ? "0.0" : "0.") + std::to_string(*number);
            } else {
                return Error("Bad value for " + std::string(def.key) + ": " + text);
            }
        } else {
            if (!number || *number < def.min || *number > def.max)
                return Error("Bad value for " + std::string(def.key) + ": " + std::string(v));
            value = std::to_string(*number);
        }
    }
    m_settings[i] = value;
    return "OK - Setting " + std::string(def.key) + " = " + value;
}

std::string SimGame::TimeCommand(const std::vector<std::string_view>& words) {
    if (words.size() != 3) return "USAGE: cmd TOD <hhmm|Def>; cmd TODRate <seconds>";
    const auto number = ParseNumber(words[2]);
    if (Is(words[1], "tod")) {
        if (!Is(words[2], "def") && (!number || *number > 2400))
            return Error("Bad time of day " + std::string(words[2]));
        m_timeOfDay = std::string(words[2]);
        return "Time of day set to " + m_timeOfDay;
    }
    if (Is(words[1], "todrate")) {
        if (!number) return Error("Bad time of day rate " + std::string(words[2]));
        m_timeRate = std::string(words[2]);
        return "Time of day rate set to " + m_timeRate + " seconds";
    }
    return "USAGE: cmd TOD <hhmm|Def>; cmd TODRate <seconds>";
}

std::string SimGame::WeaponCommand(const std::vector<std::string_view>& words) {
    static constexpr std::string_view kWeaponUsage =
        "USAGE: weapon list; weapon set <n> always|armory|never; weapon set all "
        "always|armory|never";
    if (words.size() == 2 && Is(words[1], "list")) return WeaponListReply();
    if (words.size() != 4 || !Is(words[1], "set")) return std::string(kWeaponUsage);
    const auto state = ParseWeaponState(words[3]);
    if (!state) return std::string(kWeaponUsage);
    if (Is(words[2], "all")) {
        for (auto& w : m_weapons) w.state = *state;
        return "OK - All weapons set to " + std::string(StateWord(*state));
    }
    const auto number = ParseNumber(words[2]);
    if (!number) return std::string(kWeaponUsage);
    if (*number < 1 || static_cast<size_t>(*number) > m_weapons.size())
        return Error("No weapon number " + std::to_string(*number));
    Weapon& w = m_weapons[*number - 1];
    w.state = *state;
    return "OK - Weapon " + std::to_string(*number) + " " + w.name.substr(4) + " set to " +
           std::string(StateWord(*state));
}

std::string SimGame::GameStateReply() const {
    return "Server Name = " + Setting("ServerName") +
           "\nCurrent State = " + (m_menu ? "Menu" : "Game") +
           "\nCurrent Mission = " + m_cycle[m_current].file +
           "\nPlayers = " + std::to_string(m_players.size()) + "\nTime Of Day = " + m_timeOfDay +
           "\nTime Of Day Rate = " + m_timeRate + "\n";
}

std::string SimGame::PlayerListReply() const {
    std::string out = "NAME\t#\tTEAM\tClass\tKills\tDeaths\tPING\n";
    auto add = [&](const SimPlayer& p) {
        out += p.name + '\t' + std::to_string(p.id) + '\t' + std::to_string(p.team) + '\t' +
               std::to_string(p.klass) + '\t' + std::to_string(p.kills) + '\t' +
               std::to_string(p.deaths) + '\t' + std::to_string(p.ping) + '\n';
    };
    add(m_host);
    for (const auto& p : m_players) add(p);
    return out;
}

std::string SimGame::ChatReply() const {
    std::string out;
    for (const auto& line : m_chat) out += line + "\r\n";
    return out;
}

std::string SimGame::CycleReply() const {
    std::string out;
    for (size_t i = 0; i < m_cycle.size(); ++i) {
        const CycleEntry& e = m_cycle[i];
        out += std::to_string(i) + ": " + (i == m_current ? "<CURRENT MISSION>" : "<>") + " " +
               (i == m_next ? "<NEXT MISSION>" : "<>") + " " + e.file;
        if (e.twice) out += " (2x)";
        if (e.flipped) out += " (IS FLIPPED)";
        out += '\n';
    }
    return out;
}

std::string SimGame::AvailableReply() const {
    std::string out;
    for (size_t i = 0; i < m_available.size(); ++i)
        out += std::to_string(i + 1) + ". " + m_available[i].file + " (" +
               m_available[i].description + ")\n";
    return out;
}

std::string SimGame::SettingsReply() const {
    std::string out;
    for (size_t i = 0; i < std::size(kSettings); ++i)
        out += std::string(kSettings[i].key) + " = " + m_settings[i] + "\n";
    return out;
}

std::string SimGame::WeaponListReply() const {
    std::string out;
    for (size_t i = 0; i < m_weapons.size(); ++i)
        out += std::to_string(i + 1) + ". " + std::string(StateWord(m_weapons[i].state)) + " " +
               m_weapons[i].name + "\n";
    return out;
}

}  // namespace tavrin::sim
