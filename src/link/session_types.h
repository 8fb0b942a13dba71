#pragma once

#include <string>
#include <string_view>

namespace tavrin {

// The main window's timers, by the numbers they carry everywhere.
enum class TimerId : int {
    StatusPoll = 500,
    Clock = 501,
    AutoRecon = 503,
    Startup = 504,
    RequestTimeout = 505,
    Pacer = 506,  // releases the next paced command
};

struct TimerInfo {
    TimerId id;
    int periodMs;
    std::string_view name;
};

inline constexpr TimerInfo kTimers[] = {
    {TimerId::StatusPoll, 5000, "TimerStatusPoll"},
    {TimerId::Clock, 1000, "TimerClock"},
    {TimerId::AutoRecon, 1000, "TimerAutoRecon"},
    {TimerId::Startup, 500, "TimerStartup"},
    {TimerId::RequestTimeout, 10000, "TimerRequestTimeout"},
    {TimerId::Pacer, 0, "TimerPacer"},
};

constexpr int TimerPeriod(TimerId id) {
    for (const auto& t : kTimers)
        if (t.id == id) return t.periodMs;
    return 0;
}

// Text fields of the main window and the game-state fields of the Server tab.
enum class Field : int {
    Connection,
    ServerMode,
    RatCommand,
    RatResponse,
    Admins,
    Clock,
    Title,
    TabMode,
    TabServerName,
    TabPlayers,
    TabMission,
    TabConnectionStarted,
    // Why the last connection ended (or never began), kept until the next
    // Login so that it stays in view after the other fields are reset.
    LastReason,
    Count
};

inline constexpr std::string_view kFieldNames[] = {
    "Connection",  "Server Mode", "Rat Command",     "Rat Response",
    "Admins",      "Clock",       "Title",           "Mode",
    "Server Name", "Players",     "Current Mission", "Connection Started",
    "Last Reason"};
static_assert(std::size(kFieldNames) == static_cast<size_t>(Field::Count));

// Controls whose state the session sets.
enum class Control : int {
    AutoRefreshTicked,
    AutoRefreshEnabled,
    LoginButtonsEnabled,  // the Server tab's Login and Change buttons
    // Logged in to a server in game mode: the tabs' controls that send a
    // command are usable only while this is on.
    CanSend,
    Count
};

// What the Server tab holds when Login is pressed.
struct LoginDetails {
    std::string record;
    std::string address;
    std::string port;
    std::string user;
    std::string password;
};

// Reply classes, as the manager's relaying uses them.
enum ReplyClass : int {
    kReplyNone = 0,
    kReplyPlayers = 100,
    kReplyMissions = 101,
    kReplySettings = 102,
    kReplyChat = 103,
    kReplyWeapons = 105,
};

}  // namespace tavrin
