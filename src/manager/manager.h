#pragma once

// The manager role's core: the connected admins by connection, the login
// throttle and the connection limit, and the relaying of the game server's
// replies. The shell hands it the listener's and the connections' events and
// the router's routed replies, and carries out the effects it returns.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/clock.h"
#include "link/reply_router.h"
#include "manager/admin_accounts.h"
#include "manager/admin_effects.h"
#include "manager/admin_session.h"
#include "manager/failure_log.h"
#include "manager/login_throttle.h"

namespace tavrin {

// The Admin Port: the listener takes connections on all local addresses.
inline constexpr int kAdminPort = 9898;
inline constexpr int kAdminListenBacklog = 5;
// The Admin Port toggle's caption: what pressing it will do.
constexpr std::string_view AdminPortCaption(bool listening) {
    return listening ? "Close Port" : "Open Port";
}

// The Admins field before its first update.
inline constexpr std::string_view kAdminsFieldInitial = "Admins 0 / 0";

// Admins logged in at once (--max-admins).
inline constexpr size_t kDefaultAdminConnectionLimit = 1000;
// Connections that have not logged in yet, from one address and in all. They
// have a limit of their own, apart from the admins': silent connections
// cannot take the admins' places, and one address cannot take them all.
inline constexpr size_t kNotLoggedInPerAddress = 8;
inline constexpr size_t kNotLoggedInInAll = 64;
// A read that admins share (IsSharedRead) is sent to the game server once
// while its reply is on the way: the same read from other admins waits for
// that reply, which goes to every admin waiting for its class. A reply that
// has not come within this time no longer holds the others back.
inline constexpr Millis kSharedReadWait = std::chrono::seconds(2);

// Whether the manager is logged in to the game server: an admin is told at
// login ("LOGGED_IN" or "NOT_LOGGED_IN").
class GameLinkStatus {
  public:
    virtual ~GameLinkStatus() = default;
    virtual bool RatConnected() const = 0;
};

class Manager final : private AdminSessionContext {
  public:
    // `accounts` is the Admins tab's table.
    Manager(CAdmins& accounts, const Clock& clock, const GameLinkStatus& link);
    ~Manager() override;

    // The admins logged in at once. Connections not logged in yet have
    // limits of their own (kNotLoggedInPerAddress, NotLoggedInLimit).
    void SetConnectionLimit(size_t limit) { m_limit = limit; }
    size_t ConnectionLimit() const { return m_limit; }
    size_t ConnectionCount() const { return m_sessions.size(); }
    size_t LoggedInCount() const;
    size_t NotLoggedInCount() const;
    // Never more waiting to log in than may be logged in.
    size_t NotLoggedInLimit() const { return std::min(kNotLoggedInInAll, m_limit); }
    // The listener asks before it accepts: false, and it refuses at once. A
    // connection accepted anyway is closed at once (OnAdminConnected also
    // looks at its address).
    bool AcceptsMore() const {
        return LoggedInCount() < m_limit && NotLoggedInCount() < NotLoggedInLimit();
    }

    // Events of the listener and the connections, each on the main thread.
    AdminEffects OnAdminConnected(ConnectionId id, std::string address);
    AdminEffects OnAdminBytes(ConnectionId id, std::string_view bytes);
    // Also the port's own timer: (kWholePort, FailureSummary).
    AdminEffects OnAdminTimer(ConnectionId id, AdminTimer timer);
    AdminEffects OnAdminDisconnected(ConnectionId id);

    // A ForwardCommand was carried out: the session sent it with this ticket
    // (0: it did not go out). The reply to a setting (IsSenderOnlyCommand)
    // is then the sender's alone.
    void OnForwarded(ConnectionId from, std::string_view text, uint64_t ticket);
    // A reply the router paired and carried out (SessionHost::ReplyRouted):
    // the reply to an admin's setting goes to that admin alone; any other, a
    // copy for each admin that waits for its class, in connection order.
    AdminEffects OnReplyRouted(const RouteResult& result, const std::string& text);

    // "Close Admin Connections" and closing the program: every admin is
    // closed; the Admin Port stays as it is.
    AdminEffects DisconnectAllAdmins();
    // The account file was read again: `accounts` replace the table. An
    // admin logged in to an account that is still there stays, its row
    // online, with the rights it logged in with until its next login (a new
    // password, too, counts from then); one whose account is gone is
    // disconnected with a log line. A new account may log in at once.
    AdminEffects ReplaceAccounts(std::vector<AdminAccount> accounts);
    // The program closes: the failures of the minute so far are summed up
    // now rather than lost.
    AdminEffects SumUpFailures();

    // "Admins: " + connected admins + " / " + accounts.
    std::string AdminsFieldText() const;

    const AdminSession* Session(ConnectionId id) const;
    // The connections in the order they came.
    std::vector<ConnectionId> Connections() const;
    // Admins' reads that waited for a reply already on its way instead of
    // going to the game server again.
    size_t SharedReads() const { return m_sharedReads; }
    LoginThrottle& Throttle() override { return m_throttle; }
    // The fingerprint of user names that are no account (a test sets a key).
    void SetFingerprintKey(const FingerprintKey& key) { m_fingerprint = NameFingerprint(key); }
    const NameFingerprint& Fingerprint() const override { return m_fingerprint; }

  private:
    // AdminSessionContext
    CAdmins& Accounts() override { return m_accounts; }
    bool UserClaimed(std::string_view user) const override;
    bool RatConnected() const override { return m_link.RatConnected(); }

    AdminSession* Find(ConnectionId id);
    size_t NotLoggedInFrom(const std::string& address) const;
    // Failure lines logged in full or counted (m_failures); every effect the
    // manager returns has been through here.
    AdminEffects Bounded(AdminEffects effects);
    // Takes out of `effects` the reads that are already on their way.
    void ShareReads(AdminEffects& effects);
    void RefuseAtAccept(ConnectionId id, const std::string& address, const std::string& why,
                        AdminEffects& out);
    // `winner` has just logged in: a connection that gave the same user name
    // but has not logged in loses it and is closed.
    void TakeNameFrom(const AdminSession& winner, AdminEffects& out);

    CAdmins& m_accounts;
    const Clock& m_clock;
    const GameLinkStatus& m_link;
    LoginThrottle m_throttle;
    NameFingerprint m_fingerprint;
    size_t m_limit = kDefaultAdminConnectionLimit;
    size_t m_refusedAtAccept = 0;
    FailureLog m_failures;
    // Shared reads sent to the game server and not yet answered, with the
    // time each was sent.
    std::unordered_map<std::string, Millis> m_readsOnTheirWay;
    size_t m_sharedReads = 0;
    // Admins' settings sent and not yet answered: who sent each, by ticket.
    // A routed reply takes every older one off the router's list, so they
    // go from here too.
    std::map<uint64_t, ConnectionId> m_settingSenders;
    // In connection order; the map finds them by id.
    std::vector<std::unique_ptr<AdminSession>> m_sessions;
    std::unordered_map<ConnectionId, AdminSession*> m_byId;
};

}  // namespace tavrin
