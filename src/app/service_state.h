#pragma once

// What a console run as a system service tells its service manager: ready
// once every console has read its configuration and, in the manager role,
// its Admin Port listens; a status line with the connection state and the
// count of admins; stopping when it closes. The shell sends the messages.

#include <string>
#include <string_view>
#include <vector>

#include "link/session_types.h"

namespace tavrin {

class ServiceState {
  public:
    // One entry per console: its line prefix ("[NAME] " with several, else
    // empty) and whether it runs the manager role.
    struct Console {
        std::string prefix;
        bool manager = false;
    };
    explicit ServiceState(std::vector<Console> consoles);

    // Each returns the notification to send now ("READY=1\nSTATUS=...",
    // "STATUS=..."), or empty when nothing it says has changed.
    std::string Started(size_t console);
    std::string PortChanged(size_t console, bool listening);
    std::string FieldChanged(size_t console, Field field, std::string_view text);
    // The closing has begun.
    static std::string Stopping() { return "STOPPING=1"; }

    bool Ready() const { return m_ready; }
    // "Connection: Connected, Admins: 1 / 3"; with several consoles each
    // after its prefix, joined by "; ".
    std::string StatusText() const;

  private:
    struct State {
        Console console;
        bool started = false;
        bool listening = false;
        std::string connection;
        std::string admins;
    };
    std::string Notice();

    std::vector<State> m_states;
    bool m_ready = false;
    std::string m_sentStatus;
};

}  // namespace tavrin
