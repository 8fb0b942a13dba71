#include "app/service_state.h"

#include <algorithm>

#include "common/log_text.h"

namespace tavrin {

ServiceState::ServiceState(std::vector<Console> consoles) {
    for (Console& c : consoles) m_states.push_back(State{std::move(c), false, false, {}, {}});
}

std::string ServiceState::Started(size_t console) {
    if (console < m_states.size()) m_states[console].started = true;
    return Notice();
}

std::string ServiceState::PortChanged(size_t console, bool listening) {
    if (console < m_states.size()) m_states[console].listening = listening;
    return Notice();
}

std::string ServiceState::FieldChanged(size_t console, Field field, std::string_view text) {
    if (console >= m_states.size()) return {};
    State& s = m_states[console];
    // A notification is lines of KEY=VALUE: a server's text stays on its line.
    if (field == Field::Connection)
        s.connection = EscapeControlBytes(text);
    else if (field == Field::Admins)
        s.admins = EscapeControlBytes(text);
    else
        return {};
    return Notice();
}

std::string ServiceState::StatusText() const {
    std::string text;
    for (const State& s : m_states) {
        std::string one = "Connection: " + (s.connection.empty() ? "-" : s.connection);
        if (s.console.manager) {
            // The field reads "Admins: 1 / 3" already.
            const std::string_view named = "Admins: ";
            one +=
                ", " + (s.admins.rfind(named, 0) == 0 ? s.admins : std::string(named) + s.admins);
        }
        if (!text.empty()) text += "; ";
        text += s.console.prefix + one;
    }
    return text;
}

std::string ServiceState::Notice() {
    std::string notice;
    const bool ready = std::all_of(m_states.begin(), m_states.end(), [](const State& s) {
        return s.started && (!s.console.manager || s.listening);
    });
    // Ready is said once: a port that closes later does not take it back.
    if (ready && !m_ready) {
        m_ready = true;
        notice = "READY=1\n";
    }
    const std::string status = StatusText();
    if (status != m_sentStatus) {
        m_sentStatus = status;
        notice += "STATUS=" + status;
    }
    if (!notice.empty() && notice.back() == '\n') notice.pop_back();
    return notice;
}

}  // namespace tavrin
