#pragma once

#include <QString>
#include <cstddef>
#include <string>

#include "manager/qt/admin_listener.h"

namespace tavrin {

// The command-line options of the manager role, shared by the window and the
// headless console.
struct ManagerOptions {
    bool manager = false;     // --manager
    AdminPortOptions port;    // --admin-port N, --admin-bind ADDR, --admin-tls CERT KEY
    size_t maxAdmins = 1000;  // --max-admins N: admins logged in at once
    // --max-unsent MIB sets port.maxUnsentInAll: what may wait to be written
    // to all admins together.
};

enum class OptionTaken {
    NotOurs,  // argv[i] is not a manager option
    Taken,    // it was, with its values; `i` is past them
    Bad,      // it was, with a missing or bad value (said on standard error)
};

// Takes argv[i] (and its values) when it is a manager option.
OptionTaken TakeManagerOption(int argc, char** argv, int& i, ManagerOptions& options);

inline constexpr const char* kManagerUsage =
    "[--manager [--admin-port N] [--admin-bind ADDR] [--admin-tls CERT KEY] [--max-admins N] "
    "[--max-unsent MIB]]";

}  // namespace tavrin
