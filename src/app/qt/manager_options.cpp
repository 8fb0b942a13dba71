#include "app/qt/manager_options.h"

#include <charconv>
#include <cstring>
#include <iostream>

namespace tavrin {
namespace {

bool ParseNumber(const char* text, unsigned long max, unsigned long& value) {
    const char* end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, value);
    return ec == std::errc() && ptr == end && value <= max;
}

// 1 taken, 0 not a manager option, -1 with `error` set.
int Take(int argc, char** argv, int& i, ManagerOptions& options, std::string& error) {
    const std::string a = argv[i];
    const auto value = [&](int n) {
        if (i + n < argc) return true;
        error = a + " needs " + (n == 1 ? "a value" : "two values");
        return false;
    };
    unsigned long number = 0;
    if (a == "--manager") {
        options.manager = true;
    } else if (a == "--admin-port") {
        if (!value(1)) return -1;
        if (!ParseNumber(argv[i + 1], 65535, number)) {
            error = "--admin-port takes a port number (0 to 65535)";
            return -1;
        }
        options.port.port = static_cast<uint16_t>(number);
        ++i;
    } else if (a == "--admin-bind") {
        if (!value(1)) return -1;
        QHostAddress address;
        if (!address.setAddress(QString::fromLocal8Bit(argv[i + 1]))) {
            error = "--admin-bind takes an IP address, e.g. 127.0.0.1 or ::";
            return -1;
        }
        options.port.bind = address;
        ++i;
    } else if (a == "--admin-tls") {
        if (!value(2)) return -1;
        options.port.tlsCertificate = QString::fromLocal8Bit(argv[i + 1]);
        options.port.tlsKey = QString::fromLocal8Bit(argv[i + 2]);
        i += 2;
    } else if (a == "--max-admins") {
        if (!value(1)) return -1;
        if (!ParseNumber(argv[i + 1], 1'000'000, number) || number == 0) {
            error = "--max-admins takes a number from 1 to 1000000";
            return -1;
        }
        options.maxAdmins = number;
        ++i;
    } else if (a == "--max-unsent") {
        if (!value(1)) return -1;
        if (!ParseNumber(argv[i + 1], 65536, number) || number == 0) {
            error = "--max-unsent takes a number of MiB from 1 to 65536";
            return -1;
        }
        options.port.maxUnsentInAll = static_cast<int64_t>(number) * 1024 * 1024;
        ++i;
    } else {
        return 0;
    }
    return 1;
}

}  // namespace

OptionTaken TakeManagerOption(int argc, char** argv, int& i, ManagerOptions& options) {
    std::string error;
    const int taken = Take(argc, argv, i, options, error);
    if (taken < 0) {
        std::cerr << "tavrinrat: " << error << "\n";
        return OptionTaken::Bad;
    }
    return taken > 0 ? OptionTaken::Taken : OptionTaken::NotOurs;
}

}  // namespace tavrin
