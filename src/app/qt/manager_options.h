#pragma once

#include <QString>
#include <cstddef>
#include <string>

#include "manager/qt/admin_listener.h"

namespace tavrin {

// The command-line options of the manager role, shared by the window and the
// headless console.
struct ManagerOptions {
    bool manager = false;  // --manager
    AdminPortOptions port;  // --admin-port N, --admin-bind ADDR, --admin-tls CERT KEY
    size_t maxAdmins = 1000;  // --max-admins N: connections beyond are refused
};

// Takes argv[i] (and its values) when it is a manager option: returns 1 and
// moves `i` past it; 0 when it is not one; -1 with `error` set when it is one
// with a missing or bad value.
int TakeManagerOption(int argc, char** argv, int& i, ManagerOptions& options, std::string& error);

inline constexpr const char* kManagerUsage =
    "[--manager [--admin-port N] [--admin-bind ADDR] [--admin-tls CERT KEY] [--max-admins N]]";

}  // namespace tavrin
