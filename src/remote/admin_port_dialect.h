#pragma once

// The console's session through a manager's Admin Port: the login exchange
// of admin::Client, admin frames for commands, and what the manager's own
// frames after the login mean.

#include <optional>
#include <string>
#include <string_view>

#include "link/link_dialect.h"
#include "manager/admin_rights.h"
#include "remote/admin_port_client.h"

namespace tavrin::admin {

// A refusal of the manager's own ("Refused, missing right: Punt",
// "Refused: command too long", "Refused: control characters"), not a reply
// the game server sent.
bool IsManagerRefusal(std::string_view text);

// Whether the manager sends anything back for `command` from an account
// holding `rights`: a reply it relays, the reply to a setting (sent to its
// sender alone), or its refusal of a command the account may not send.
// "mission available" (a mission reply no admin waits for), "get gamestate"
// (never relayed), its own upper-case words and commands with no keyword get
// nothing.
bool ManagerAnswers(std::string_view command, RightsMask rights);

class AdminPortDialect final : public LinkDialect {
  public:
    void Begin(const LoginDetails& details) override;
    LoginStep OnLoginFrame(const std::string& text) override;
    // An admin frame; nullopt before the login and for a command longer
    // than the manager takes (as long as a game server takes).
    std::optional<std::string> EncodeCommand(std::string_view text) const override;
    // "[NO CHAT]" is the empty chat reply; the manager's refusals are marked.
    RelayedFrame AfterLogin(const std::string& text) const override;
    bool ViaManager() const override { return true; }
    bool Answers(std::string_view command) const override;

  private:
    std::optional<Client> m_client;
    RightsMask m_rights = 0;
};

}  // namespace tavrin::admin
