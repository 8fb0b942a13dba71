#include "app/manager_role.h"

#include <memory>
#include <string>
#include <type_traits>
#include <variant>

#include "common/text_file.h"

namespace tavrin {

namespace {

class SessionGameLink final : public ManagerGameLink {
  public:
    explicit SessionGameLink(RatSession& session) : m_session(session) {}
    bool RatConnected() const override { return m_session.State().m_fRATConnected; }
    uint64_t SendRatCommand(const std::string& text) override {
        const uint64_t before = m_session.LastCommandTicket();
        m_session.SendRatCommand(text);
        const uint64_t after = m_session.LastCommandTicket();
        return after != before ? after : 0;
    }
    void SetAdminsField(const std::string& text) override {
        m_session.SetField(Field::Admins, text);
    }

  private:
    RatSession& m_session;
};

}  // namespace

ManagerRole::ManagerRole(RatSession& session, EventSink& log, const Clock& clock,
                         ManagerRoleObserver& observer)
    : ManagerRole(std::make_unique<SessionGameLink>(session), log, clock, observer) {}

ManagerRole::ManagerRole(std::unique_ptr<ManagerGameLink> own, EventSink& log, const Clock& clock,
                         ManagerRoleObserver& observer)
    : m_ownLink(std::move(own)),
      m_link(*m_ownLink),
      m_log(log),
      m_observer(observer),
      m_manager(m_accounts, clock, m_link) {}

ManagerRole::ManagerRole(ManagerGameLink& link, EventSink& log, const Clock& clock,
                         ManagerRoleObserver& observer)
    : m_link(link), m_log(log), m_observer(observer), m_manager(m_accounts, clock, m_link) {}

ManagerRole::~ManagerRole() = default;

void ManagerRole::Start(const std::string& programDir, UserDialogs& dialogs) {
    m_accounts.Load(programDir, m_log, dialogs);
    m_link.SetAdminsField(m_manager.AdminsFieldText());
}

bool ManagerRole::ReloadAccounts(const std::string& programDir) {
    const TextFileRead read = ReadTextFile(AdminAccountsPath(programDir));
    const auto keep = [this](const std::string& why) {
        m_log.LogEvent("radmins.cfg not read again (" + why + "): the accounts stay as they were");
        return false;
    };
    if (read.status == TextFileRead::Status::Missing) return keep("the file is missing");
    if (read.status == TextFileRead::Status::Unreadable) return keep(read.failure);
    AdminAccountsFile file = ParseAdminAccounts(read.text);
    if (!file.problems.empty()) {
        for (const std::string& problem : file.problems) m_log.LogEvent(problem);
        return keep(std::to_string(file.problems.size()) + " problems");
    }
    Carry(m_manager.ReplaceAccounts(std::move(file.accounts)));
    m_log.LogEvent("radmins.cfg read again: " + std::to_string(m_accounts.AccountCount()) +
                   " accounts");
    return true;
}

bool ManagerRole::SetListening(bool on) {
    if (m_port == nullptr) return false;
    const bool listening = m_port->SetListening(on);
    m_observer.AdminPortChanged(listening);
    return listening;
}

void ManagerRole::DisconnectAllAdmins() {
    Carry(m_manager.DisconnectAllAdmins());
}

void ManagerRole::Close() {
    DisconnectAllAdmins();
    Carry(m_manager.SumUpFailures());
}

void ManagerRole::OnReplyRouted(const RouteResult& result, const std::string& text) {
    Carry(m_manager.OnReplyRouted(result, text));
}

void ManagerRole::AdminConnected(ConnectionId id, std::string address) {
    Carry(m_manager.OnAdminConnected(id, std::move(address)));
}

void ManagerRole::AdminBytes(ConnectionId id, std::string_view bytes) {
    Carry(m_manager.OnAdminBytes(id, bytes));
}

void ManagerRole::AdminTimerFired(ConnectionId id, AdminTimer timer) {
    Carry(m_manager.OnAdminTimer(id, timer));
}

void ManagerRole::AdminDisconnected(ConnectionId id) {
    Carry(m_manager.OnAdminDisconnected(id));
}

void ManagerRole::AdminPortNote(const std::string& text) {
    m_log.LogEvent(text);
}

void ManagerRole::Carry(AdminEffects effects) {
    for (AdminEffect& effect : effects) {
        std::visit(
            [this](auto& e) {
                using E = std::decay_t<decltype(e)>;
                if constexpr (std::is_same_v<E, SendAdminFrame>) {
                    if (m_port) m_port->SendFrame(e.connection, std::move(e.bytes));
                } else if constexpr (std::is_same_v<E, StartAdminTimer>) {
                    if (m_port) m_port->StartTimer(e.connection, e.timer, e.ms);
                } else if constexpr (std::is_same_v<E, StopAdminTimer>) {
                    if (m_port) m_port->StopTimer(e.connection, e.timer);
                } else if constexpr (std::is_same_v<E, CloseAdmin>) {
                    if (m_port) m_port->Close(e.connection);
                } else if constexpr (std::is_same_v<E, ForwardCommand>) {
                    if (m_forwarded) {
                        const AdminSession* session = m_manager.Session(e.from);
                        m_forwarded(session ? session->User() : std::string(), e.text);
                    }
                    m_manager.OnForwarded(e.from, e.text, m_link.SendRatCommand(e.text));
                } else if constexpr (std::is_same_v<E, AdminLogLine> ||
                                     std::is_same_v<E, FailureLogLine>) {
                    // The manager has bounded failure lines already; one that
                    // came through anyway is logged rather than lost.
                    m_log.LogEvent(e.text);
                } else if constexpr (std::is_same_v<E, AdminsFieldChanged>) {
                    m_link.SetAdminsField(e.text);
                } else if constexpr (std::is_same_v<E, AccountRowChanged>) {
                    m_observer.AdminAccountChanged(e.row);
                }
            },
            effect);
    }
}

}  // namespace tavrin
