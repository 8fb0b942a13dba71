#pragma once

// The console in the manager role: the account table, the manager's
// decisions about each connected admin, and the effects carried out on the
// console (commands forwarded to the game server, log lines, the Admins
// field, the Admins tab's rows) and on the Admin Port (frames, timers,
// closes).

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/event_log.h"
#include "common/user_dialogs.h"
#include "link/session.h"
#include "manager/admin_accounts.h"
#include "manager/admin_port.h"
#include "manager/manager.h"

namespace tavrin {

// What the manager role tells the window around it.
class ManagerRoleObserver {
  public:
    virtual ~ManagerRoleObserver() = default;
    // A row of the account table changed its status or last activity.
    virtual void AdminAccountChanged(int row) = 0;
    // The Admin Port started or stopped listening.
    virtual void AdminPortChanged(bool listening) = 0;
};

// The game server as the manager role uses it: whether the console is
// logged in, a command to send it, and the Admins field that shows the
// admins. The console's session, or a test's stand-in.
class ManagerGameLink : public GameLinkStatus {
  public:
    // Returns the command's ticket (RouteResult::ticket of its reply), or 0
    // when the command did not go out.
    virtual uint64_t SendRatCommand(const std::string& text) = 0;
    virtual void SetAdminsField(const std::string& text) = 0;
};

class ManagerRole final : public AdminPortEvents {
  public:
    // Over the console's session.
    ManagerRole(RatSession& session, EventSink& log, const Clock& clock,
                ManagerRoleObserver& observer);
    ManagerRole(ManagerGameLink& link, EventSink& log, const Clock& clock,
                ManagerRoleObserver& observer);
    ~ManagerRole() override;

    // The shell's listener and connections (they are made after the console).
    void AttachPort(AdminPort& port) { m_port = &port; }
    // Hears each remote admin's command that goes to the game server, with
    // the admin's user name.
    using ForwardListener = std::function<void(const std::string& user, const std::string& text)>;
    void SetForwardListener(ForwardListener listener) { m_forwarded = std::move(listener); }

    CAdmins& Accounts() { return m_accounts; }
    // What decides about each admin, for a look at its sessions and limits.
    Manager& Decisions() { return m_manager; }
    void SetConnectionLimit(size_t limit) { m_manager.SetConnectionLimit(limit); }

    // Start-up: the accounts from Configs/radmins.cfg and the Admins field.
    void Start(const std::string& programDir, UserDialogs& dialogs);

    // The account file read again (SIGHUP): see Manager::ReplaceAccounts. A
    // file that cannot be read, is missing or has a problem keeps the old
    // table, and the log says why. Returns whether the table was replaced.
    bool ReloadAccounts(const std::string& programDir);

    // The Admin Port toggle. Returns whether the port listens afterwards.
    bool SetListening(bool on);
    bool Listening() const { return m_port != nullptr && m_port->Listening(); }

    // "Close Admin Connections", and closing the program.
    void DisconnectAllAdmins();
    // Closing the program: every admin closed, and the failed logins and
    // refusals of the minute so far summed up in the log.
    void Close();
    // A reply the router carried out: a copy for each admin waiting for its class.
    void OnReplyRouted(const RouteResult& result, const std::string& text);

    // AdminPortEvents
    bool AcceptsAdmin() const override { return m_manager.AcceptsMore(); }
    void AdminConnected(ConnectionId id, std::string address) override;
    void AdminBytes(ConnectionId id, std::string_view bytes) override;
    void AdminTimerFired(ConnectionId id, AdminTimer timer) override;
    void AdminDisconnected(ConnectionId id) override;
    void AdminPortNote(const std::string& text) override;

  private:
    ManagerRole(std::unique_ptr<ManagerGameLink> own, EventSink& log, const Clock& clock,
                ManagerRoleObserver& observer);
    void Carry(AdminEffects effects);

    std::unique_ptr<ManagerGameLink> m_ownLink;  // the session's, when made over one
    ManagerGameLink& m_link;
    ForwardListener m_forwarded;
    EventSink& m_log;
    ManagerRoleObserver& m_observer;
    CAdmins m_accounts;
    Manager m_manager;
    AdminPort* m_port = nullptr;
};

}  // namespace tavrin
