#pragma once

// The remote admin's side of an Admin Port connection, without a socket: the
// bytes the manager sends go in, what the program is to do about them comes
// out as events (frames to write, the outcome of the login, replies). The
// command-line admin tool and the console as a remote admin both use it.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/result.h"
#include "manager/admin_frame.h"
#include "manager/admin_rights.h"

namespace tavrin::admin {

// The manager's greeting arrived and was the right one.
struct Greeted {
    bool operator==(const Greeted&) const = default;
};
// Write these bytes (one whole frame) to the manager.
struct SendFrame {
    std::string bytes;
    bool operator==(const SendFrame&) const = default;
};
// Logged in: the account's rights, and whether the manager is logged in to
// the game server (LOGGED_IN) or not (NOT_LOGGED_IN).
struct LoginDone {
    RightsMask rights = 0;
    bool gameLoggedIn = false;
    bool operator==(const LoginDone&) const = default;
};
// The manager refused the login with one of its status texts ("User:In Use",
// "Pass:Rejected", ...) and closes the connection.
struct LoginRefused {
    std::string text;
    bool operator==(const LoginRefused&) const = default;
};
// A frame after the login: the reply to a command, or one the manager relayed
// unasked. The text is the peer's and may hold any byte; see PrintableReply.
struct Reply {
    std::string text;
    bool operator==(const Reply&) const = default;
};
// The manager broke the exchange (a frame too long, a greeting or login
// answer that is none of the expected texts). `text` is one printable line;
// the connection is to be closed.
struct StreamError {
    std::string text;
    bool operator==(const StreamError&) const = default;
};

using ClientEvent = std::variant<Greeted, SendFrame, LoginDone, LoginRefused, Reply, StreamError>;
using ClientEvents = std::vector<ClientEvent>;

enum class ClientPhase {
    AwaitingGreeting,  // connected; the manager speaks first
    AwaitingUserOk,    // the user frame went out
    AwaitingRights,    // the password frame went out
    AwaitingStatus,    // the rights arrived; LOGGED_IN or NOT_LOGGED_IN follows
    LoggedIn,          // every frame is a reply
    Ended,             // refused or broken: nothing more is read
};

// One connection's login and replies. The user and password frames go out
// only once the answer before each has arrived, so the manager never has to
// read ahead.
class Client {
  public:
    // Neither text may be empty: a frame of length 0 is never sent.
    Client(std::string user, std::string password);

    // Bytes from the manager: any number of frames or pieces of one.
    ClientEvents OnBytes(std::string_view bytes);
    // One whole frame's text from the manager, for a transport that cuts the
    // frames itself.
    ClientEvents OnFrame(std::string text);

    // The frame for one command; a failure before the login, for an empty
    // command and for one too long to frame.
    Result<std::string> CommandFrame(std::string_view command) const;

    ClientPhase Phase() const { return m_phase; }
    bool LoggedIn() const { return m_phase == ClientPhase::LoggedIn; }

  private:
    void HandleFrame(std::string text, ClientEvents& out);
    void Fail(std::string why, ClientEvents& out);

    std::string m_user;
    std::string m_password;
    ClientPhase m_phase = ClientPhase::AwaitingGreeting;
    AdminFrameReader m_reader;
    RightsMask m_rights = 0;
};

}  // namespace tavrin::admin
