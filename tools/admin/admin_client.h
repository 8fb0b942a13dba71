#pragma once

// The remote admin's side of an Admin Port connection, without a socket: the
// bytes the manager sends go in, what the program is to do about them comes
// out as events (frames to write, the outcome of the login, replies). Beside
// it, the plain parts of tavrinrat-admin: standard input cut into commands,
// and the command line.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
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

// The rights as shown after the login: "3F00 (Warn, Punt, Swap, Kill, Ban,
// Zero)", the captions in table order; "0000 (no rights)".
std::string RightsText(RightsMask mask);

// A reply as printed: line feeds and tabs stay, every other control byte is made
// visible (see EscapeControlBytes), so a reply never moves the cursor, clears
// the terminal or fakes a line of ours.
std::string PrintableReply(std::string_view text);

// Whether the manager answers this command: a command whose class has a
// relayed reply (a player list, the chat, ...) is answered by the game
// server's reply or by a refusal; any other is answered at most by a refusal.
bool ExpectsReply(std::string_view command);

// ---------------------------------------------------------------------------
// Standard input: one command per line. A CR before the line feed is dropped,
// blank lines are skipped, and a line longer than one frame can carry is
// refused whole, never cut into a shorter command.
class CommandLines {
  public:
    // Each finished line: a command, or a failure for a line too long.
    std::vector<Result<std::string>> Feed(std::string_view bytes);
    // The input ended: the last line, when it had no line feed.
    std::vector<Result<std::string>> End();

  private:
    void FinishLine(std::vector<Result<std::string>>& out);

    std::string m_line;
    bool m_overlong = false;  // the current line went past the limit: dropped up to its end
};

// ---------------------------------------------------------------------------
// The command line.

inline constexpr int kDefaultTimeoutMs = 5000;
inline constexpr std::string_view kPasswordVariable = "TAVRIN_ADMIN_PASSWORD";

struct Options {
    std::string host;
    uint16_t port = 0;  // ParseOptions sets the Admin Port's when none is given
    std::string user;
    std::optional<std::string> password;
    std::optional<std::string> passwordFile;
    bool tls = false;
    std::optional<std::string> caFile;
    bool insecure = false;
    std::optional<std::string> command;  // -c: one command, then exit
    int timeoutMs = kDefaultTimeoutMs;
};

struct OptionsResult {
    Options options;
    bool help = false;
    std::string error;  // empty when the command line is good
};

// The arguments after the program name.
OptionsResult ParseOptions(std::span<const std::string> args);

std::string_view UsageText();

// The password to send: --password, else the first line of --password-file,
// else `environment` (the value of TAVRIN_ADMIN_PASSWORD, null when unset).
// A failure says why there is none.
Result<std::string> ChoosePassword(const Options& options, const char* environment);

}  // namespace tavrin::admin
