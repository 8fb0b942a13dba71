#pragma once

#include <QTimer>
#include <string>

namespace tavrin {

// The service manager's notification socket (NOTIFY_SOCKET), through
// libsystemd where the build has it; without it, or outside a service,
// every call does nothing. When the unit asks for a watchdog, "WATCHDOG=1"
// goes out from the event loop at half its interval, so a loop that hangs
// is noticed and the service restarted.
class ServiceNotifier {
  public:
    ServiceNotifier();
    ServiceNotifier(const ServiceNotifier&) = delete;
    ServiceNotifier& operator=(const ServiceNotifier&) = delete;

    // One notification ("READY=1\nSTATUS=..."); an empty one is not sent.
    void Send(const std::string& message);

  private:
    QTimer m_watchdog;
};

}  // namespace tavrin
