#include "app/qt/service_notifier.h"

#include <algorithm>
#include <cstdint>

#ifdef TAVRIN_HAVE_SYSTEMD
#include <systemd/sd-daemon.h>
#endif

namespace tavrin {

ServiceNotifier::ServiceNotifier() {
#ifdef TAVRIN_HAVE_SYSTEMD
    uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0) {
        m_watchdog.setInterval(static_cast<int>(std::max<uint64_t>(usec / 2000, 1)));
        QObject::connect(&m_watchdog, &QTimer::timeout, &m_watchdog,
                         [] { sd_notify(0, "WATCHDOG=1"); });
        m_watchdog.start();
    }
#endif
}

void ServiceNotifier::Send(const std::string& message) {
    if (message.empty()) return;
#ifdef TAVRIN_HAVE_SYSTEMD
    sd_notify(0, message.c_str());
#endif
}

}  // namespace tavrin
