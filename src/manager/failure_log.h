#pragma once

// Failed logins and refusals on the Admin Port, logged so that a flood from
// many addresses cannot grow the event log without bound, yet every one is
// counted. Each kind has its own minute: the first lines of a quiet minute
// are logged in full; once a kind passes that many, the rest are only counted
// and the minute ends with one line such as "312 failed logins from 97
// addresses in the last minute". While a flood lasts, every following minute
// is told by its summary line alone; a minute without any brings the lines in
// full back.
//
// The log owns no timer: Record says when the minute must start, the host
// runs it and calls MinuteOver.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/clock.h"

namespace tavrin {

enum class FailureKind {
    FailedLogin,        // a user or password refused
    AddressRefused,     // an address refused after failed logins
    RefusedConnection,  // a connection closed at accept
    ClosedBeforeLogin,  // no login in time, a login frame too long
    RefusedCommand,     // a logged-in admin's command refused
};

struct FailureKindInfo {
    FailureKind kind;
    // What the summary line counts: "<n> <what> from <m> addresses ...".
    std::string_view what;
    // The line says from how many addresses they came.
    bool fromAddresses;
};

inline constexpr std::array<FailureKindInfo, 5> kFailureKinds = {{
    {FailureKind::FailedLogin, "failed logins", true},
    {FailureKind::AddressRefused, "addresses refused after failed logins", false},
    {FailureKind::RefusedConnection, "refused connections", true},
    {FailureKind::ClosedBeforeLogin, "connections closed before login", true},
    {FailureKind::RefusedCommand, "refused commands", true},
}};

// Lines of one kind logged in full in a quiet minute.
inline constexpr size_t kFailuresLoggedInFull = 10;
inline constexpr Millis kFailureSummaryPeriod = std::chrono::minutes(1);
// Distinct addresses a kind tells apart in one minute; past it the summary
// says "at least".
inline constexpr size_t kFailureAddressesCounted = 16384;

class FailureLog {
  public:
    struct Decision {
        bool logInFull = false;
        // The minute starts with this failure: run the timer for
        // kFailureSummaryPeriod, then call MinuteOver.
        bool startTimer = false;
    };
    Decision Record(FailureKind kind, std::string_view address);

    struct Summary {
        std::vector<std::string> lines;
        // Failures went on through the minute: time the next one at once.
        bool startTimer = false;
    };
    // The minute's timer ran out (or the program closes): a summary line for
    // each kind that had lines held back.
    Summary MinuteOver();

    bool TimerRunning() const { return m_timerRunning; }
    // Failures of the kind in the current minute, logged in full or not.
    size_t Count(FailureKind kind) const { return m_kinds[Index(kind)].count; }

    // "312 failed logins from 97 addresses in the last minute"; `capped`
    // when there were more addresses than were told apart.
    static std::string SummaryLine(FailureKind kind, size_t count, size_t addresses,
                                   bool capped = false);

  private:
    struct PerKind {
        size_t count = 0;
        size_t inFull = 0;
        // Hashes of the addresses seen this minute, up to the cap.
        std::unordered_set<size_t> addresses;
        bool addressesCapped = false;
        // The minute before held lines back: only the summary tells this one.
        bool flooding = false;
    };
    static size_t Index(FailureKind kind) { return static_cast<size_t>(kind); }

    std::array<PerKind, kFailureKinds.size()> m_kinds{};
    bool m_timerRunning = false;
};

}  // namespace tavrin
