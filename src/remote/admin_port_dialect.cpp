#include "remote/admin_port_dialect.h"

#include <variant>

#include "link/frame.h"
#include "manager/admin_session.h"
#include "manager/command_classes.h"
#include "manager/relay.h"

namespace tavrin::admin {

bool IsManagerRefusal(std::string_view text) {
    return text == kCommandTooLong || text == kCommandControlBytes ||
           text.substr(0, kMissingRightPrefix.size()) == kMissingRightPrefix;
}

bool ManagerAnswers(std::string_view command, RightsMask rights) {
    const int commandClass = ClassifyAdminCommand(command);
    if (!RightsAllow(rights, RightsForCommand(command, commandClass))) return true;
    if (IsSenderOnlyCommand(command, commandClass)) return true;
    if (!IsForwardedClass(commandClass)) return false;
    for (const CommandClassInfo& c : kCommandClasses)
        if (c.commandClass == commandClass) return c.relayed != kReplyNone;
    return false;
}

void AdminPortDialect::Begin(const LoginDetails& details) {
    m_client.emplace(details.user, details.password);
    m_rights = 0;
}

LoginStep AdminPortDialect::OnLoginFrame(const std::string& text) {
    LoginStep step;
    if (!m_client) {
        step.outcome = LoginStep::Outcome::Broken;
        step.text = "Admin Port: a frame before the connection began";
        return step;
    }
    for (ClientEvent& event : m_client->OnFrame(text)) {
        if (auto* send = std::get_if<SendFrame>(&event)) {
            if (send->bytes.empty()) {
                // A frame of length 0 is never sent: the manager would wait for ever.
                step.outcome = LoginStep::Outcome::NotSent;
                step.text = "the user name and the password must not be empty";
                return step;
            }
            step.frames.push_back(std::move(send->bytes));
        } else if (const auto* done = std::get_if<LoginDone>(&event)) {
            m_rights = done->rights;
            step.outcome = LoginStep::Outcome::Accepted;
            step.rights = done->rights;
            step.gameLinkUp = done->gameLoggedIn;
        } else if (auto* refused = std::get_if<LoginRefused>(&event)) {
            step.outcome = LoginStep::Outcome::Refused;
            step.text = std::move(refused->text);
        } else if (auto* broken = std::get_if<StreamError>(&event)) {
            step.outcome = LoginStep::Outcome::Broken;
            step.text = "Admin Port: " + broken->text;
        }
    }
    return step;
}

std::optional<std::string> AdminPortDialect::EncodeCommand(std::string_view text) const {
    if (!m_client || text.size() > kMaxCommandText) return std::nullopt;
    Result<std::string> frame = m_client->CommandFrame(text);
    if (!frame) return std::nullopt;
    return frame.value();
}

RelayedFrame AdminPortDialect::AfterLogin(const std::string& text) const {
    if (text == kNoChat) return {std::string(), false};
    return {text, IsManagerRefusal(text)};
}

bool AdminPortDialect::Answers(std::string_view command) const {
    return ManagerAnswers(command, m_rights);
}

}  // namespace tavrin::admin
