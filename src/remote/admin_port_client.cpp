#include "remote/admin_port_client.h"

#include <utility>

#include "common/log_text.h"
#include "manager/admin_accounts.h"
#include "manager/admin_session.h"

namespace tavrin::admin {
namespace {

// A text from the manager quoted in an error line: escaped, and cut short.
constexpr size_t kQuotedText = 80;

std::string Quoted(std::string_view text) {
    return "\"" + LogLineText(text, kQuotedText) + "\"";
}

// The status texts that end a login, at the step where each may come.
bool RefusesUser(std::string_view text) {
    return text == kUserRejected || text == kUserInUse || text == kErrorRejected;
}
bool RefusesPassword(std::string_view text) {
    return text == kPassRejected || text == kUserRejected || text == kErrorRejected;
}

}  // namespace

Client::Client(std::string user, std::string password)
    : m_user(std::move(user)), m_password(std::move(password)) {}

ClientEvents Client::OnBytes(std::string_view bytes) {
    ClientEvents out;
    while (!bytes.empty() && m_phase != ClientPhase::Ended) {
        AdminFrameReader::Result r = m_reader.Feed(bytes);
        bytes.remove_prefix(r.used);
        if (r.status == AdminFrameReader::Status::Broken) {
            Fail("the manager announced a frame of " + std::to_string(r.announced) +
                     " bytes (at most " + std::to_string(kMaxAdminFrame) + ")",
                 out);
            break;
        }
        if (r.status == AdminFrameReader::Status::Frame) HandleFrame(std::move(r.text), out);
    }
    return out;
}

ClientEvents Client::OnFrame(std::string text) {
    ClientEvents out;
    HandleFrame(std::move(text), out);
    return out;
}

void Client::HandleFrame(std::string text, ClientEvents& out) {
    switch (m_phase) {
        case ClientPhase::AwaitingGreeting:
            if (text != kGreetingCode) {
                Fail("not an Admin Port: the greeting was " + Quoted(text), out);
                return;
            }
            m_phase = ClientPhase::AwaitingUserOk;
            out.push_back(Greeted{});
            out.push_back(SendFrame{EncodeAdminFrame(m_user)});
            return;
        case ClientPhase::AwaitingUserOk:
            if (text == kUserOk) {
                m_phase = ClientPhase::AwaitingRights;
                out.push_back(SendFrame{EncodeAdminFrame(m_password)});
            } else if (RefusesUser(text)) {
                m_phase = ClientPhase::Ended;
                out.push_back(LoginRefused{std::move(text)});
            } else {
                Fail("unexpected answer to the user name: " + Quoted(text), out);
            }
            return;
        case ClientPhase::AwaitingRights:
            if (RefusesPassword(text)) {
                m_phase = ClientPhase::Ended;
                out.push_back(LoginRefused{std::move(text)});
            } else if (const auto rights = ParseRightsText(text)) {
                m_rights = *rights;
                m_phase = ClientPhase::AwaitingStatus;
            } else {
                Fail("unexpected answer to the password: " + Quoted(text), out);
            }
            return;
        case ClientPhase::AwaitingStatus:
            if (text != kLoggedIn && text != kNotLoggedIn) {
                Fail("unexpected login status: " + Quoted(text), out);
                return;
            }
            m_phase = ClientPhase::LoggedIn;
            out.push_back(LoginDone{m_rights, text == kLoggedIn});
            return;
        case ClientPhase::LoggedIn:
            out.push_back(Reply{std::move(text)});
            return;
        case ClientPhase::Ended:
            return;
    }
}

void Client::Fail(std::string why, ClientEvents& out) {
    m_phase = ClientPhase::Ended;
    out.push_back(StreamError{std::move(why)});
}

Result<std::string> Client::CommandFrame(std::string_view command) const {
    if (!LoggedIn()) return Result<std::string>::Failure("not logged in");
    if (command.empty()) return Result<std::string>::Failure("an empty command is never sent");
    if (command.size() > kMaxAdminFrame)
        return Result<std::string>::Failure("a command of " + std::to_string(command.size()) +
                                            " bytes is too long (at most " +
                                            std::to_string(kMaxAdminFrame) + ")");
    return Result<std::string>::Success(EncodeAdminFrame(command));
}

}  // namespace tavrin::admin
