#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace tavrin {

// Whether a control or menu entry that sends commands may be used, and when
// it may not, the tooltip that says why.
struct ControlPermit {
    bool allowed = true;
    std::string tip;

    bool operator==(const ControlPermit&) const = default;
};

// What may be used in one console's window: a permit per control, by the
// control's object name (or the name of a menu entry), and one per admin
// menu line, whose commands depend on the menu file. A name not set, like a
// line when no gate is set, is allowed: a direct connection sets nothing.
class ControlPermits {
  public:
    using LineGate = std::function<ControlPermit(std::string_view line)>;

    void Set(std::string name, ControlPermit permit) {
        m_permits[std::move(name)] = std::move(permit);
    }
    const ControlPermit& Get(std::string_view name) const {
        static const ControlPermit kAllowed;
        const auto it = m_permits.find(name);
        return it == m_permits.end() ? kAllowed : it->second;
    }
    bool Allowed(std::string_view name) const { return Get(name).allowed; }

    void SetAdminMenuGate(LineGate gate) { m_adminMenuLine = std::move(gate); }
    // The permit of an admin menu line (kind, backslash, message).
    ControlPermit AdminMenuLine(std::string_view line) const {
        return m_adminMenuLine ? m_adminMenuLine(line) : ControlPermit{};
    }
    const LineGate& AdminMenuGate() const { return m_adminMenuLine; }

  private:
    std::map<std::string, ControlPermit, std::less<>> m_permits;
    LineGate m_adminMenuLine;
};

}  // namespace tavrin
