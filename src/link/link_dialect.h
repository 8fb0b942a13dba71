#pragma once

// How the session speaks to the other end of its connection: the frames of
// the login, and the frame of a command. A game server is spoken to directly;
// a manager's Admin Port relays the game server's replies to its remote
// admins. Everything after the login (pairing, the models, polling,
// reconnecting) is the session's own and shared by both.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/session_types.h"

namespace tavrin {

// What one frame received before the login finished settles.
struct LoginStep {
    enum class Outcome {
        Waiting,   // send `frames` (if any) and wait for the next frame
        Accepted,  // logged in
        Refused,   // the other end refused the login; `text` holds its words
        NotSent,   // the login could not be sent at all; `text` says why
        Broken,    // the other end broke the exchange; `text` is one printable line
    };
    Outcome outcome = Outcome::Waiting;
    // Complete frames to write, in order.
    std::vector<std::string> frames;
    std::string text;
    // Accepted through a manager: the account's rights, and whether the
    // manager is logged in to the game server itself.
    uint32_t rights = 0;
    bool gameLinkUp = true;
};

// A frame after the login, as the session is to take it.
struct RelayedFrame {
    // The reply the router pairs ("[NO CHAT]" is the empty chat reply).
    std::string text;
    // The manager refused the command itself: it answers the command
    // awaited, and nothing in it is parsed.
    bool managerRefusal = false;
};

class LinkDialect {
  public:
    virtual ~LinkDialect() = default;
    // A new connection to `details` starts: the login begins afresh.
    virtual void Begin(const LoginDetails& details) = 0;
    // A frame received before the login finished.
    virtual LoginStep OnLoginFrame(const std::string& text) = 0;
    // The complete frame for a command; nullopt when it is too long to send.
    virtual std::optional<std::string> EncodeCommand(std::string_view text) const = 0;
    // A frame received after the login.
    virtual RelayedFrame AfterLogin(const std::string& text) const { return {text, false}; }
    // Through a manager's Admin Port rather than to a game server.
    virtual bool ViaManager() const { return false; }
    // Whether the other end ever answers this command (through a manager,
    // some commands are never answered and must not be awaited).
    virtual bool Answers(std::string_view /*command*/) const { return true; }
};

// A game server: the greeting's code scrambles the login block; a verdict
// that starts with "User" refuses the login, any other accepts it.
class GameDialect final : public LinkDialect {
  public:
    void Begin(const LoginDetails& details) override;
    LoginStep OnLoginFrame(const std::string& text) override;
    std::optional<std::string> EncodeCommand(std::string_view text) const override;

  private:
    LoginDetails m_details;
    bool m_greeted = false;
};

}  // namespace tavrin
