#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::sim {

struct SimPlayer {
    int id = 0;
    std::string name;
    int team = 1;   // 1 JointOps, 2 Rebel
    int klass = 8;  // 5 Medic .. 9 Engineer
    int kills = 0;
    int deaths = 0;
    int ping = 0;
};

struct CycleEntry {
    std::string file;
    bool twice = false;
    bool flipped = false;
};

struct AvailableMission {
    std::string file;
    std::string description;  // may be empty: the reply then shows "()"
};

enum class WeaponState { Always, Armory, Never };

struct Weapon {
    std::string name;  // with its "WPN_" prefix
    WeaponState state = WeaponState::Always;
};

inline constexpr size_t kMinPlayers = 12;
inline constexpr size_t kMaxPlayers = 32;
inline constexpr size_t kChatLinesKept = 50;
inline constexpr size_t kMinCycle = 2;

// The simulated game: players, chat, missions, settings and weapons, and the
// text of the reply to every command. Time moves only through Tick(), and all
// chance comes from one generator seeded at construction, so a seed replays
// the same game.
class SimGame {
  public:
    explicit SimGame(uint32_t seed);

    // The reply text to one command text; empty only for commands that get
    // no reply in particular. Every command is answered.
    std::string Execute(std::string_view command);

    // One step of play: kills and deaths, ping jitter, players joining and
    // leaving, new chat lines.
    void Tick();

    // A fresh greeting code for a new connection: printable, 40 characters.
    std::string MakeGreeting();

    // Player `name` says `text` in the game chat, byte for byte; a new player
    // of that name joins first when there is none. The player's id, or
    // nothing when the name is banned, cannot be a chat speaker (empty, the
    // host's, or holding ':' or '[') or the game is full.
    std::optional<int> Say(std::string_view name, std::string_view text);

    // The speaker the chat shows for the admin's "chat send" lines ("Admin");
    // empty: the text alone, without a speaker.
    void SetEchoName(std::string name) { m_echoName = std::move(name); }
    const std::string& EchoName() const { return m_echoName; }
    // The chat buffer drops its `n` oldest lines at once, as a server that
    // trims its buffer does; returns how many lines are left.
    size_t TrimChat(size_t n);

    void SetMenuMode(bool on) { m_menu = on; }
    bool MenuMode() const { return m_menu; }

    const SimPlayer& Host() const { return m_host; }
    const std::vector<SimPlayer>& Players() const { return m_players; }
    const std::vector<std::string>& ChatLines() const { return m_chat; }
    const std::vector<CycleEntry>& Cycle() const { return m_cycle; }
    size_t CurrentMission() const { return m_current; }
    size_t NextMission() const { return m_next; }
    const std::vector<AvailableMission>& Available() const { return m_available; }
    const std::vector<Weapon>& Weapons() const { return m_weapons; }
    // The value of a setting by its key (as in the reply); empty when unknown.
    std::string Setting(std::string_view key) const;

    // Replies of the read commands, also used by Execute.
    std::string GameStateReply() const;
    std::string PlayerListReply() const;
    std::string ChatReply() const;
    std::string CycleReply() const;
    std::string AvailableReply() const;
    std::string SettingsReply() const;
    std::string WeaponListReply() const;

  private:
    int Rand(int lo, int hi);  // inclusive range
    bool Chance(int percent) { return Rand(1, 100) <= percent; }

    std::string PlayerCommand(const std::vector<std::string_view>& words);
    std::string MissionCommand(const std::vector<std::string_view>& words);
    std::string SetCommand(std::string_view rest);
    std::string WeaponCommand(const std::vector<std::string_view>& words);
    std::string TimeCommand(const std::vector<std::string_view>& words);

    SimPlayer* FindPlayer(int id);
    void AddChatLine(std::string line);
    void AddChatter();
    void JoinPlayer();
    SimPlayer& AddPlayer(std::string name);
    void FightRound();

    std::mt19937 m_rng;
    bool m_menu = false;
    SimPlayer m_host;
    std::vector<SimPlayer> m_players;
    int m_nextId = 1;
    std::set<std::string> m_banned;
    std::vector<std::string> m_chat;
    std::string m_echoName = "Admin";
    std::vector<AvailableMission> m_available;
    std::vector<CycleEntry> m_cycle;
    size_t m_current = 0;
    size_t m_next = 1;
    std::vector<std::string> m_settings;  // values, in the order of the settings reply
    std::vector<Weapon> m_weapons;
    std::string m_timeOfDay = "Def";
    std::string m_timeRate = "Def";
};

}  // namespace tavrin::sim
