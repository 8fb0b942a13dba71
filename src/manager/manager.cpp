#include "manager/manager.h"

#include <algorithm>

#include "manager/command_classes.h"
#include "manager/relay.h"

namespace tavrin {

Manager::Manager(CAdmins& accounts, const Clock& clock, const GameLinkStatus& link)
    : m_accounts(accounts), m_clock(clock), m_link(link), m_throttle(clock) {}

Manager::~Manager() = default;

AdminSession* Manager::Find(ConnectionId id) {
    const auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second;
}

const AdminSession* Manager::Session(ConnectionId id) const {
    const auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second;
}

std::vector<ConnectionId> Manager::Connections() const {
    std::vector<ConnectionId> ids;
    ids.reserve(m_sessions.size());
    for (const auto& s : m_sessions) ids.push_back(s->Id());
    return ids;
}

bool Manager::UserClaimed(std::string_view user) const {
    return std::any_of(m_sessions.begin(), m_sessions.end(),
                       [&](const auto& s) { return s->LoggedIn() && s->User() == user; });
}

void Manager::TakeNameFrom(const AdminSession& winner, AdminEffects& out) {
    for (const auto& s : m_sessions) {
        if (s.get() == &winner || s->Phase() != AdminPhase::AwaitingPassword ||
            s->User() != winner.User())
            continue;
        out.push_back(AdminLogLine{"Admin connection from " + s->Address() + " closed: user \"" +
                                   winner.User().substr(0, 64) + "\" logged in from " +
                                   winner.Address()});
        AdminEffects closed = s->Disconnect();
        out.insert(out.end(), closed.begin(), closed.end());
    }
}

std::string Manager::AdminsFieldText() const {
    return "Admins: " + std::to_string(m_sessions.size()) + " / " +
           std::to_string(m_accounts.AccountCount());
}

size_t Manager::LoggedInCount() const {
    return static_cast<size_t>(std::count_if(m_sessions.begin(), m_sessions.end(),
                                             [](const auto& s) { return s->LoggedIn(); }));
}

size_t Manager::NotLoggedInCount() const {
    return m_sessions.size() - LoggedInCount();
}

size_t Manager::NotLoggedInFrom(const std::string& address) const {
    return static_cast<size_t>(
        std::count_if(m_sessions.begin(), m_sessions.end(),
                      [&](const auto& s) { return !s->LoggedIn() && s->Address() == address; }));
}

void Manager::RefuseAtAccept(ConnectionId id, const std::string& address, const std::string& why,
                             AdminEffects& out) {
    ++m_refusedAtAccept;
    out.push_back(FailureLine(FailureKind::RefusedConnection, address,
                              "Admin connection refused (" + address + ": " + why + ", " +
                                  std::to_string(m_refusedAtAccept) + " so far)"));
    out.push_back(CloseAdmin{id});
}

AdminEffects Manager::Bounded(AdminEffects effects) {
    AdminEffects out;
    out.reserve(effects.size());
    bool startTimer = false;
    for (AdminEffect& effect : effects) {
        auto* failure = std::get_if<FailureLogLine>(&effect);
        if (failure == nullptr) {
            out.push_back(std::move(effect));
            continue;
        }
        const FailureLog::Decision d = m_failures.Record(failure->kind, failure->address);
        if (d.logInFull) out.push_back(AdminLogLine{std::move(failure->text)});
        startTimer = startTimer || d.startTimer;
    }
    if (startTimer)
        out.push_back(StartAdminTimer{kWholePort, AdminTimer::FailureSummary,
                                      static_cast<int>(kFailureSummaryPeriod.count())});
    return out;
}

AdminEffects Manager::SumUpFailures() {
    AdminEffects out;
    for (std::string& line : m_failures.MinuteOver().lines)
        out.push_back(AdminLogLine{std::move(line)});
    return out;
}

AdminEffects Manager::OnAdminConnected(ConnectionId id, std::string address) {
    AdminEffects out;
    if (m_byId.count(id) != 0) {
        out.push_back(AdminLogLine{"Admin connection " + std::to_string(id) +
                                   " reported twice; the second is ignored"});
        return out;
    }
    std::string refused;
    if (m_throttle.Refused(address))
        refused = "refused after failed logins";
    else if (NotLoggedInFrom(address) >= kNotLoggedInPerAddress)
        refused = std::to_string(kNotLoggedInPerAddress) +
                  " connections from this address not logged in yet";
    else if (NotLoggedInCount() >= NotLoggedInLimit())
        refused = std::to_string(NotLoggedInLimit()) + " connections already waiting to log in";
    else if (LoggedInCount() >= m_limit)
        refused = std::to_string(m_limit) + " admins already logged in";
    if (!refused.empty()) {
        RefuseAtAccept(id, address, refused, out);
        return Bounded(std::move(out));
    }
    auto session = std::make_unique<AdminSession>(id, std::move(address),
                                                  static_cast<AdminSessionContext&>(*this));
    AdminSession* s = session.get();
    m_sessions.push_back(std::move(session));
    m_byId.emplace(id, s);
    out.push_back(AdminsFieldChanged{AdminsFieldText()});
    AdminEffects started = s->Start(m_clock.Elapsed());
    out.insert(out.end(), started.begin(), started.end());
    return Bounded(std::move(out));
}

AdminEffects Manager::OnAdminBytes(ConnectionId id, std::string_view bytes) {
    AdminSession* s = Find(id);
    if (!s) {
        // Bytes of a connection the manager does not hold.
        return {SendAdminFrame{id, EncodeAdminFrame(kErrorRejected)}, CloseAdmin{id}};
    }
    if ((s->Phase() == AdminPhase::AwaitingUser || s->Phase() == AdminPhase::AwaitingPassword) &&
        LoggedInCount() >= m_limit) {
        // Let in while there was room; the admins' places have filled since.
        AdminEffects out{SendAdminFrame{id, EncodeAdminFrame(kErrorRejected)}};
        ++m_refusedAtAccept;
        out.push_back(FailureLine(FailureKind::RefusedConnection, s->Address(),
                                  "Admin connection refused (" + s->Address() + ": " +
                                      std::to_string(m_limit) + " admins already logged in, " +
                                      std::to_string(m_refusedAtAccept) + " so far)"));
        AdminEffects closed = s->Disconnect();
        out.insert(out.end(), closed.begin(), closed.end());
        return Bounded(std::move(out));
    }
    const AdminPhase before = s->Phase();
    AdminEffects out = s->OnBytes(bytes, m_clock.Elapsed());
    ShareReads(out);
    const bool loginFrame =
        before == AdminPhase::AwaitingUser || before == AdminPhase::AwaitingPassword;
    if (loginFrame && s->LoggedIn()) TakeNameFrom(*s, out);
    if (loginFrame && s->Phase() != before) out.push_back(AdminsFieldChanged{AdminsFieldText()});
    return Bounded(std::move(out));
}

void Manager::ShareReads(AdminEffects& effects) {
    const Millis now = m_clock.Elapsed();
    std::erase_if(effects, [&](const AdminEffect& effect) {
        const auto* forward = std::get_if<ForwardCommand>(&effect);
        if (forward == nullptr || !IsSharedRead(forward->text)) return false;
        const auto [it, added] = m_readsOnTheirWay.try_emplace(forward->text, now);
        if (added || now - it->second >= kSharedReadWait) {
            it->second = now;
            return false;
        }
        ++m_sharedReads;
        return true;
    });
}

AdminEffects Manager::OnAdminTimer(ConnectionId id, AdminTimer timer) {
    if (id == kWholePort) {
        if (timer != AdminTimer::FailureSummary) return {};
        FailureLog::Summary summary = m_failures.MinuteOver();
        AdminEffects out;
        for (std::string& line : summary.lines) out.push_back(AdminLogLine{std::move(line)});
        if (summary.startTimer)
            out.push_back(StartAdminTimer{kWholePort, AdminTimer::FailureSummary,
                                          static_cast<int>(kFailureSummaryPeriod.count())});
        return out;
    }
    AdminSession* s = Find(id);
    return s ? Bounded(s->OnTimer(timer, m_clock.Elapsed())) : AdminEffects{};
}

AdminEffects Manager::OnAdminDisconnected(ConnectionId id) {
    AdminEffects out;
    const auto it = std::find_if(m_sessions.begin(), m_sessions.end(),
                                 [&](const auto& s) { return s->Id() == id; });
    if (it == m_sessions.end()) return out;
    const std::string user = (*it)->User();
    const bool loggedIn = (*it)->LoggedIn();
    const std::string address = (*it)->Address();
    m_byId.erase(id);
    m_sessions.erase(it);
    out.push_back(AdminsFieldChanged{AdminsFieldText()});
    if (loggedIn)
        out.push_back(
            AdminLogLine{"Admin disconnected: \"" + user.substr(0, 64) + "\" from " + address});
    // A connection that only gave the name of an admin logged in elsewhere
    // leaves that admin's account as it is.
    if (user.empty() || (!loggedIn && UserClaimed(user))) return out;
    const int row = m_accounts.FindAccountByUser(user);
    if (row >= 0) {
        m_accounts.SetOnline(row, false);
        out.push_back(AccountRowChanged{row});
    }
    return out;
}

void Manager::OnForwarded(ConnectionId from, std::string_view text, uint64_t ticket) {
    if (ticket == 0 || !IsSenderOnlyCommand(text, ClassifyAdminCommand(text))) return;
    m_settingSenders[ticket] = from;
    // The router forgets commands past its limit; so does this.
    while (m_settingSenders.size() > ReplyPairing::kMaxAwaited)
        m_settingSenders.erase(m_settingSenders.begin());
}

AdminEffects Manager::OnReplyRouted(const RouteResult& result, const std::string& text) {
    AdminEffects out;
    // Whoever sent it, the read is answered: the next one goes out again.
    m_readsOnTheirWay.erase(result.command);
    if (result.ticket != 0) {
        const auto answered = m_settingSenders.find(result.ticket);
        const bool admins = answered != m_settingSenders.end();
        const ConnectionId sender = admins ? answered->second : kWholePort;
        m_settingSenders.erase(m_settingSenders.begin(),
                               m_settingSenders.upper_bound(result.ticket));
        if (admins) {
            // Whatever the reply is (a refusal too): it answers this admin.
            if (AdminSession* s = Find(sender)) out = s->Answer(text);
            return Bounded(std::move(out));
        }
    }
    if (!IsRelayedReply(result)) return out;
    for (const auto& s : m_sessions) {
        AdminEffects copy = s->Relay(result, text);
        out.insert(out.end(), std::make_move_iterator(copy.begin()),
                   std::make_move_iterator(copy.end()));
    }
    return Bounded(std::move(out));
}

AdminEffects Manager::ReplaceAccounts(std::vector<AdminAccount> accounts) {
    AdminEffects out;
    const CAdmins fresh(std::move(accounts));
    std::vector<AdminAccount> rows = fresh.Rows();
    for (const auto& s : m_sessions) {
        if (!s->LoggedIn()) continue;
        const int oldRow = m_accounts.FindAccountByUser(s->User());
        const int newRow = fresh.FindAccountByUser(s->User());
        if (newRow < 0) {
            out.push_back(AdminLogLine{"Admin disconnected: \"" + s->User().substr(0, 64) +
                                       "\" from " + s->Address() +
                                       ": the account was removed from radmins.cfg"});
            AdminEffects closed = s->Disconnect();
            out.insert(out.end(), closed.begin(), closed.end());
            continue;
        }
        s->HoldRights(m_accounts.RightsOf(oldRow));
        AdminAccount& row = rows[static_cast<size_t>(newRow)];
        row.status = std::string(kStatusOnline);
        if (oldRow >= 0)
            row.lastActivity = m_accounts.AccountCell(oldRow, AdminColumn::LastActivity);
    }
    m_accounts.ReplaceRows(std::move(rows));
    out.push_back(AdminsFieldChanged{AdminsFieldText()});
    return Bounded(std::move(out));
}

AdminEffects Manager::DisconnectAllAdmins() {
    AdminEffects out;
    for (const auto& s : m_sessions) {
        AdminEffects closed = s->Disconnect();
        out.insert(out.end(), closed.begin(), closed.end());
    }
    return Bounded(std::move(out));
}

}  // namespace tavrin
