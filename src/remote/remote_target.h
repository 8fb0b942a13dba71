#pragma once

// What a remote admin's command line names: the manager's address and the
// account's password, read the same way by every program that logs in to an
// Admin Port.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/result.h"

namespace tavrin::admin {

// Where the password comes from when no file is named.
inline constexpr std::string_view kPasswordVariable = "TAVRIN_ADMIN_PASSWORD";

struct AdminAddress {
    std::string host;
    uint16_t port = 0;
};

// "HOST", "HOST:PORT", "[V6]" or "[V6]:PORT"; a bare IPv6 address (more than
// one colon) is a host without a port, which is then `defaultPort`. Nullopt
// for a text that is none of these or a port outside 1 to 65535.
std::optional<AdminAddress> ParseAdminAddress(std::string_view text, uint16_t defaultPort);

// The password in the first line of `path` (a CR before its line feed
// dropped); a failure says why there is none, ready to follow "FILE: ".
Result<std::string> ReadPasswordFile(const std::string& path);

}  // namespace tavrin::admin
