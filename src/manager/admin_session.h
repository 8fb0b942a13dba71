#pragma once

// One connected admin: the bytes it sends go in, what the manager does about
// them comes out as effects. The session greets, takes the user and password
// frames, answers with the fixed status texts, and then takes commands:
// classified, checked against the account's rights, recorded and forwarded.

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "link/reply_router.h"
#include "manager/admin_accounts.h"
#include "manager/admin_effects.h"
#include "manager/admin_frame.h"
#include "manager/login_throttle.h"
#include "manager/name_fingerprint.h"

namespace tavrin {

// The first frame of every admin connection.
inline constexpr std::string_view kGreetingCode = "Hollispark";

// The status texts of the login exchange.
inline constexpr std::string_view kUserOk = "User:OK";
inline constexpr std::string_view kUserRejected = "User:Rejected";
inline constexpr std::string_view kUserInUse = "User:In Use";
inline constexpr std::string_view kPassRejected = "Pass:Rejected";
inline constexpr std::string_view kErrorRejected = "Error:Rejected";
inline constexpr std::string_view kLoggedIn = "LOGGED_IN";
inline constexpr std::string_view kNotLoggedIn = "NOT_LOGGED_IN";

// Replies to commands that are refused whatever the rights.
inline constexpr std::string_view kCommandTooLong = "Refused: command too long";
inline constexpr std::string_view kCommandControlBytes = "Refused: control characters";

// Consecutive login replies leave as separate frames, this far apart.
inline constexpr int kLoginReplyPauseMs = 100;
// An admin that has not logged in by then is closed.
inline constexpr Millis kLoginDeadline = std::chrono::seconds(30);
// Before login a frame is a user name or a password: no longer than this.
inline constexpr size_t kMaxLoginFrame = 256;

enum class AdminPhase {
    AwaitingUser,      // greeted; the next frame is the user name
    AwaitingPassword,  // "User:OK" sent; the next frame is the password
    LoggedIn,          // every frame is a command
    Closing,           // rejected: the reply goes out, then the connection closes
    Closed,            // closed; nothing more happens
};

// What a session needs to know of the others and of the manager.
class AdminSessionContext {
  public:
    virtual ~AdminSessionContext() = default;
    virtual CAdmins& Accounts() = 0;
    virtual LoginThrottle& Throttle() = 0;
    // A logged-in admin holds this user name. A session that has only named
    // it holds nothing: the name is taken from it by the first login with
    // the right password.
    virtual bool UserClaimed(std::string_view user) const = 0;
    // How a user name that is no account is written to the event log.
    virtual const NameFingerprint& Fingerprint() const = 0;
    // The manager is logged in to the game server.
    virtual bool RatConnected() const = 0;
};

class AdminSession {
  public:
    AdminSession(ConnectionId id, std::string address, AdminSessionContext& context);

    // The connection is up: the greeting, and the login deadline's timer.
    AdminEffects Start(Millis now);
    // Bytes arrived, any number of frames or pieces of one.
    AdminEffects OnBytes(std::string_view bytes, Millis now);
    AdminEffects OnTimer(AdminTimer timer, Millis now);
    // A reply the router carried out: a copy when this admin waits for its
    // class.
    AdminEffects Relay(const RouteResult& result, const std::string& text);
    // The reply to a command this admin alone waits for (IsSenderOnlyCommand):
    // sent as it is; what the admin waits for otherwise stays.
    AdminEffects Answer(const std::string& text);
    // "Close Admin Connections", closing the program: closed at once.
    AdminEffects Disconnect();
    // The account table was read again while this admin is logged in: the
    // rights it logged in with stay until its next login (a second reading
    // changes nothing of them).
    void HoldRights(RightsMask rights) {
        if (!m_heldRights) m_heldRights = rights;
    }

    ConnectionId Id() const { return m_id; }
    const std::string& Address() const { return m_address; }
    AdminPhase Phase() const { return m_phase; }
    bool LoggedIn() const { return m_phase == AdminPhase::LoggedIn; }
    // The user name this session gave: set when "User:OK" went out, empty
    // before and for a name that was in use. Only a logged-in session holds
    // it against others.
    const std::string& User() const { return m_user; }
    // The reply class the admin waits for, 0 for none.
    int AwaitedClass() const { return m_awaited; }
    // Frames held back by a pause.

  private:
    struct Outgoing {
        std::string bytes;  // a frame; empty for the close
        bool close = false;
        int pauseAfterMs = 0;
    };

    void HandleFrame(std::string text, AdminEffects& out);
    void OnUserFrame(std::string user, AdminEffects& out);
    void OnPasswordFrame(const std::string& pass, AdminEffects& out);
    void OnCommand(const std::string& text, AdminEffects& out);
    void RefuseCommand(std::string_view reply, const std::string& why, const std::string& text,
                       AdminEffects& out);
    // A refused login: the reply, the pause, the close. A failure (a name
    // that is no account, a wrong password) is counted for the address; a
    // name in use is not, since the right user meets it too.
    enum class Counted { Failure, NotAFailure };
    void Reject(std::string_view reply, const std::string& why, AdminEffects& out,
                Counted counted = Counted::Failure);
    void Queue(std::string_view text, int pauseAfterMs);
    void Release(AdminEffects& out);
    void CloseNow(AdminEffects& out);
    std::string Who() const;

    ConnectionId m_id;
    std::string m_address;
    AdminSessionContext& m_context;
    AdminPhase m_phase = AdminPhase::AwaitingUser;
    AdminFrameReader m_reader;
    std::deque<Outgoing> m_out;
    bool m_paused = false;
    Millis m_deadline{0};
    std::string m_user;
    std::optional<RightsMask> m_heldRights;
    int m_awaited = 0;
    size_t m_refusals = 0;
};

}  // namespace tavrin
