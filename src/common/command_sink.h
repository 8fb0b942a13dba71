#pragma once

#include <string>
#include <vector>

namespace tavrin {

// The pause after each command of a batch, so the server is not flooded.
inline constexpr int kCommandPauseMs = 250;

// One command a model wants sent to the game server, with the pause the main
// window keeps after it before the next command of the same batch goes out.
struct PacedCommand {
    enum class Route {
        Request,    // a tab's command event: shown, sent when logged in, always logged
        Direct,     // the main window's own sending: sent when logged in, not logged
        Scheduled,  // a rule of the schedule: shown and logged as "Scheduled: ..."
    };
    std::string text;
    int pauseAfterMs = 0;
    Route route = Route::Request;

    bool operator==(const PacedCommand&) const = default;
};

// Where models hand their commands. The main window sends a batch in order,
// keeping each pause without ever blocking its thread.
class CommandSink {
  public:
    virtual ~CommandSink() = default;
    virtual void SubmitCommands(std::vector<PacedCommand> batch) = 0;
};

}  // namespace tavrin
