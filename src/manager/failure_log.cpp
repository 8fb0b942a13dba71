#include "manager/failure_log.h"

#include <functional>

namespace tavrin {
namespace {

constexpr bool TableInKindOrder() {
    for (size_t i = 0; i < kFailureKinds.size(); ++i)
        if (static_cast<size_t>(kFailureKinds[i].kind) != i) return false;
    return true;
}
static_assert(TableInKindOrder(), "kFailureKinds lists the kinds in their order");

}  // namespace

FailureLog::Decision FailureLog::Record(FailureKind kind, std::string_view address) {
    PerKind& k = m_kinds[Index(kind)];
    ++k.count;
    const size_t hash = std::hash<std::string_view>{}(address);
    if (k.addresses.size() < kFailureAddressesCounted)
        k.addresses.insert(hash);
    else if (k.addresses.count(hash) == 0)
        k.addressesCapped = true;
    Decision d;
    if (!k.flooding && k.inFull < kFailuresLoggedInFull) {
        ++k.inFull;
        d.logInFull = true;
    }
    if (!m_timerRunning) {
        m_timerRunning = true;
        d.startTimer = true;
    }
    return d;
}

FailureLog::Summary FailureLog::MinuteOver() {
    Summary s;
    for (const FailureKindInfo& info : kFailureKinds) {
        PerKind& k = m_kinds[Index(info.kind)];
        k.flooding = k.count > k.inFull;
        if (k.flooding) {
            s.lines.push_back(
                SummaryLine(info.kind, k.count, k.addresses.size(), k.addressesCapped));
            s.startTimer = true;
        }
        k.count = 0;
        k.inFull = 0;
        // A new set rather than clear(): the buckets a flood grew go back too.
        k.addresses = {};
        k.addressesCapped = false;
    }
    m_timerRunning = s.startTimer;
    return s;
}

std::string FailureLog::SummaryLine(FailureKind kind, size_t count, size_t addresses, bool capped) {
    const FailureKindInfo& info = kFailureKinds[Index(kind)];
    std::string line = std::to_string(count) + " " + std::string(info.what);
    if (info.fromAddresses)
        line += " from " + std::string(capped ? "at least " : "") + std::to_string(addresses) +
                (addresses == 1 ? " address" : " addresses");
    return line + " in the last minute";
}

}  // namespace tavrin
