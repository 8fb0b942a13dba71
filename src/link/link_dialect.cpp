#include "link/link_dialect.h"

#include "link/frame.h"
#include "link/login_block.h"

namespace tavrin {

void GameDialect::Begin(const LoginDetails& details) {
    m_details = details;
    m_greeted = false;
}

LoginStep GameDialect::OnLoginFrame(const std::string& text) {
    LoginStep step;
    if (!m_greeted) {
        m_greeted = true;
        LoginBlockResult r =
            BuildLoginBlock(m_details.user, m_details.password, LoginCodeFromGreeting(text));
        if (!r) {
            step.outcome = LoginStep::Outcome::NotSent;
            step.text = r.failure();
            return step;
        }
        step.frames.push_back(EncodeLoginFrame(r.value()));
        return step;
    }
    if (text.compare(0, 4, "User") == 0) {
        step.outcome = LoginStep::Outcome::Refused;
        step.text = text;
        // The server may greet again: its next frame is a new greeting.
        m_greeted = false;
    } else {
        step.outcome = LoginStep::Outcome::Accepted;
    }
    return step;
}

std::optional<std::string> GameDialect::EncodeCommand(std::string_view text) const {
    return EncodeCommandFrame(text);
}

}  // namespace tavrin
