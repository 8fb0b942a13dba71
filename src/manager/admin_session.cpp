#include "manager/admin_session.h"

#include "common/value_text.h"
#include "link/frame.h"
#include "manager/command_classes.h"
#include "manager/relay.h"

namespace tavrin {
namespace {

// Admins choose user names and commands: a log line holds only the start,
// and a control byte in it as \xNN, so that no text can break a log line or
// hide what follows it.
constexpr size_t kShownText = 64;

std::string Shown(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown = "\"";
    for (const char c : text.substr(0, kShownText)) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 32 || b == 127) {
            shown += "\\x";
            shown += kHex[b >> 4];
            shown += kHex[b & 0xF];
        } else {
            shown += c;
        }
    }
    return shown + (text.size() > kShownText ? "...\"" : "\"");
}

long Seconds(Millis ms) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(ms).count());
}

}  // namespace

AdminSession::AdminSession(ConnectionId id, std::string address, AdminSessionContext& context)
    : m_id(id), m_address(std::move(address)), m_context(context) {}

std::string AdminSession::Who() const {
    return m_user.empty() ? m_address : Shown(m_user) + " from " + m_address;
}

AdminEffects AdminSession::Start(Millis now) {
    AdminEffects out;
    m_deadline = now + kLoginDeadline;
    Queue(kGreetingCode, 0);
    Release(out);
    out.push_back(
        StartAdminTimer{m_id, AdminTimer::LoginDeadline, static_cast<int>(kLoginDeadline.count())});
    return out;
}

AdminEffects AdminSession::OnBytes(std::string_view bytes, Millis now) {
    AdminEffects out;
    if (m_phase == AdminPhase::Closing || m_phase == AdminPhase::Closed) return out;
    if (!LoggedIn() && now >= m_deadline) return OnTimer(AdminTimer::LoginDeadline, now);
    while (!bytes.empty() && (m_phase == AdminPhase::AwaitingUser ||
                              m_phase == AdminPhase::AwaitingPassword || LoggedIn())) {
        // The phase may change with each frame: the limit is set for the next.
        m_reader.SetLimit(LoggedIn() ? kMaxAdminFrame : kMaxLoginFrame);
        AdminFrameReader::Result r = m_reader.Feed(bytes);
        bytes.remove_prefix(r.used);
        if (r.status == AdminFrameReader::Status::Broken) {
            const std::string line = "Admin connection " + Who() + " closed: a frame of " +
                                     std::to_string(r.announced) + " bytes announced (at most " +
                                     (r.announced > kMaxAdminFrame || LoggedIn()
                                          ? std::to_string(kMaxAdminFrame) + ")"
                                          : std::to_string(kMaxLoginFrame) + " before login)");
            if (LoggedIn())
                out.push_back(AdminLogLine{line});
            else
                out.push_back(FailureLine(FailureKind::ClosedBeforeLogin, m_address, line));
            CloseNow(out);
            break;
        }
        if (r.status == AdminFrameReader::Status::Frame) HandleFrame(std::move(r.text), out);
    }
    return out;
}

AdminEffects AdminSession::OnTimer(AdminTimer timer, Millis now) {
    AdminEffects out;
    if (m_phase == AdminPhase::Closed) return out;
    switch (timer) {
        case AdminTimer::Pace:
            m_paused = false;
            Release(out);
            break;
        case AdminTimer::LoginDeadline:
            if (m_phase != AdminPhase::AwaitingUser && m_phase != AdminPhase::AwaitingPassword)
                break;
            if (now < m_deadline) {
                // Woken early: wait for the rest.
                out.push_back(StartAdminTimer{m_id, AdminTimer::LoginDeadline,
                                              static_cast<int>((m_deadline - now).count())});
                break;
            }
            out.push_back(FailureLine(FailureKind::ClosedBeforeLogin, m_address,
                                      "Admin connection " + Who() + " closed: no login within " +
                                          std::to_string(Seconds(kLoginDeadline)) + " s"));
            CloseNow(out);
            break;
        case AdminTimer::FailureSummary:
            break;
    }
    return out;
}

AdminEffects AdminSession::Relay(const RouteResult& result, const std::string& text) {
    AdminEffects out;
    if (!LoggedIn()) return out;
    std::optional<std::string> copy = RelayedText(m_awaited, result, text);
    if (!copy) return out;
    m_awaited = 0;
    Queue(*copy, 0);
    Release(out);
    return out;
}

AdminEffects AdminSession::Answer(const std::string& text) {
    AdminEffects out;
    if (!LoggedIn()) return out;
    Queue(text, 0);
    Release(out);
    return out;
}

AdminEffects AdminSession::Disconnect() {
    AdminEffects out;
    if (m_phase != AdminPhase::Closed) CloseNow(out);
    return out;
}

void AdminSession::HandleFrame(std::string text, AdminEffects& out) {
    switch (m_phase) {
        case AdminPhase::AwaitingUser:
            OnUserFrame(std::move(text), out);
            break;
        case AdminPhase::AwaitingPassword:
            OnPasswordFrame(text, out);
            break;
        case AdminPhase::LoggedIn:
            OnCommand(text, out);
            break;
        case AdminPhase::Closing:
        case AdminPhase::Closed:
            break;
    }
}

void AdminSession::OnUserFrame(std::string user, AdminEffects& out) {
    if (m_context.Throttle().Refused(m_address)) {
        Reject(kUserRejected, "address refused after failed logins", out);
        return;
    }
    if (m_context.UserClaimed(user)) {
        // Only a logged-in admin holds a name, so it is an account's.
        Reject(kUserInUse, "user " + Shown(user) + " is in use", out, Counted::NotAFailure);
        return;
    }
    if (m_context.Accounts().FindAccountByUser(user) < 0) {
        // Never the text itself: it may be a password typed in the wrong field.
        Reject(kUserRejected, "no account: " + m_context.Fingerprint().Describe(user), out);
        return;
    }
    m_user = std::move(user);
    m_phase = AdminPhase::AwaitingPassword;
    Queue(kUserOk, kLoginReplyPauseMs);
    Release(out);
}

void AdminSession::OnPasswordFrame(const std::string& pass, AdminEffects& out) {
    if (m_context.Throttle().Refused(m_address)) {
        Reject(kPassRejected, "address refused after failed logins", out);
        return;
    }
    CAdmins& accounts = m_context.Accounts();
    // The account is found again: it may have been edited or deleted since
    // the user frame. A missing account has an empty password.
    const int row = accounts.FindAccountByUser(m_user);
    if (!ConstantTimeEquals(accounts.AccountCell(row, AdminColumn::Pass), pass)) {
        Reject(kPassRejected, "wrong password", out);
        return;
    }
    if (!accounts.CheckCredentials(row, m_user, pass)) {
        Reject(kUserRejected, "no account", out);
        return;
    }
    // Another connection may have logged in with this name meanwhile.
    if (m_context.UserClaimed(m_user)) {
        Reject(kUserInUse, "user " + Shown(m_user) + " is in use", out, Counted::NotAFailure);
        return;
    }
    m_phase = AdminPhase::LoggedIn;
    accounts.SetOnline(row, true);
    out.push_back(AccountRowChanged{row});
    out.push_back(StopAdminTimer{m_id, AdminTimer::LoginDeadline});
    out.push_back(AdminLogLine{"Admin logged in: " + Who()});
    // Always four upper-case digits, whatever the cell was given.
    Queue(IntToHex4(accounts.RightsOf(row)), kLoginReplyPauseMs);
    Queue(m_context.RatConnected() ? kLoggedIn : kNotLoggedIn, kLoginReplyPauseMs);
    Release(out);
}

void AdminSession::OnCommand(const std::string& text, AdminEffects& out) {
    // Past the longest command frame the game server takes, or with a byte
    // that could end a command early or start another: never forwarded, and
    // said so rather than dropped without a word.
    if (text.size() > kMaxCommandText) {
        RefuseCommand(kCommandTooLong, std::to_string(text.size()) + " bytes", text, out);
        return;
    }
    if (HasControlBytes(text)) {
        RefuseCommand(kCommandControlBytes, "control characters", text, out);
        return;
    }
    CAdmins& accounts = m_context.Accounts();
    // Rights are read at each command, so an edit on the Admins tab counts at
    // once; an account deleted meanwhile has none.
    const int row = accounts.FindAccountByUser(m_user);
    const int commandClass = ClassifyAdminCommand(text);
    const RightsNeeded needed = RightsForCommand(text, commandClass);
    if (!RightsAllow(m_heldRights ? *m_heldRights : accounts.RightsOf(row), needed)) {
        const std::string reply = MissingRightText(needed);
        RefuseCommand(reply, reply, text, out);
        return;
    }
    // A setting's reply comes to this admin by its ticket, not by a class.
    const bool senderOnly = IsSenderOnlyCommand(text, commandClass);
    m_awaited = senderOnly ? kCommandNone : commandClass;
    if (row >= 0) {
        accounts.SetLastActivity(row, LoggableCommand(text));
        out.push_back(AccountRowChanged{row});
    }
    if (IsForwardedCommand(text, commandClass)) out.push_back(ForwardCommand{m_id, text});
}

void AdminSession::RefuseCommand(std::string_view reply, const std::string& why,
                                 const std::string& text, AdminEffects& out) {
    ++m_refusals;
    out.push_back(FailureLine(FailureKind::RefusedCommand, m_address,
                              "Admin command refused (" + why + ", " + std::to_string(m_refusals) +
                                  " so far): " + Who() + ": " + Shown(LoggableCommand(text))));
    Queue(reply, 0);
    Release(out);
}

void AdminSession::Reject(std::string_view reply, const std::string& why, AdminEffects& out,
                          Counted counted) {
    m_phase = AdminPhase::Closing;
    out.push_back(
        FailureLine(FailureKind::FailedLogin, m_address,
                    "Admin login refused (" + std::string(reply) + ", " + why + "): " + m_address));
    LoginThrottle& throttle = m_context.Throttle();
    if (counted == Counted::Failure && !throttle.Refused(m_address) &&
        throttle.RecordFailure(m_address)) {
        const LoginThrottle::Limits& l = throttle.GetLimits();
        out.push_back(FailureLine(FailureKind::AddressRefused, m_address,
                                  "Admin logins from " + m_address + " refused for " +
                                      std::to_string(Seconds(l.refusal) / 60) + " minutes: " +
                                      std::to_string(l.failures) + " failed logins within " +
                                      std::to_string(Seconds(l.window)) + " s"));
    }
    Queue(reply, kLoginReplyPauseMs);
    m_out.push_back(Outgoing{{}, true, 0});
    Release(out);
}

void AdminSession::Queue(std::string_view text, int pauseAfterMs) {
    m_out.push_back(Outgoing{EncodeAdminFrame(text), false, pauseAfterMs});
}

void AdminSession::Release(AdminEffects& out) {
    while (!m_paused && !m_out.empty()) {
        Outgoing next = std::move(m_out.front());
        m_out.pop_front();
        if (next.close) {
            CloseNow(out);
            return;
        }
        if (!next.bytes.empty()) out.push_back(SendAdminFrame{m_id, std::move(next.bytes)});
        if (next.pauseAfterMs > 0) {
            m_paused = true;
            out.push_back(StartAdminTimer{m_id, AdminTimer::Pace, next.pauseAfterMs});
        }
    }
}

void AdminSession::CloseNow(AdminEffects& out) {
    m_phase = AdminPhase::Closed;
    // Nothing more is read or sent: a frame begun and the frames held go now.
    m_reader = AdminFrameReader();
    m_out = {};
    m_paused = false;
    out.emplace_back(std::in_place_type<CloseAdmin>, CloseAdmin{m_id});
}

}  // namespace tavrin
