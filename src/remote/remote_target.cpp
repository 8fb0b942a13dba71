#include "remote/remote_target.h"

#include "common/text_file.h"
#include "manager/admin_frame.h"

namespace tavrin::admin {

namespace {

std::optional<uint16_t> ParsePort(std::string_view text) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != text.npos)
        return std::nullopt;
    const int port = std::stoi(std::string(text));
    if (port < 1 || port > 65535) return std::nullopt;
    return static_cast<uint16_t>(port);
}

}  // namespace

std::optional<AdminAddress> ParseAdminAddress(std::string_view text, uint16_t defaultPort) {
    std::string_view host = text;
    std::string_view port;
    if (text.starts_with('[')) {
        const size_t close = text.find(']');
        if (close == text.npos) return std::nullopt;
        host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return std::nullopt;
            port = rest.substr(1);
            if (port.empty()) return std::nullopt;
        }
    } else if (const size_t colon = text.find(':');
               colon != text.npos && text.find(':', colon + 1) == text.npos) {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (port.empty()) return std::nullopt;
    }
    if (host.empty()) return std::nullopt;
    AdminAddress address{std::string(host), defaultPort};
    if (!port.empty()) {
        const auto p = ParsePort(port);
        if (!p) return std::nullopt;
        address.port = *p;
    }
    return address;
}

Result<std::string> ReadPasswordFile(const std::string& path) {
    using R = Result<std::string>;
    const TextFileRead read = ReadTextFile(path);
    if (read.status == TextFileRead::Status::Missing) return R::Failure("no such file");
    if (read.status == TextFileRead::Status::Unreadable) return R::Failure(read.failure);
    std::string password = read.text.substr(0, read.text.find('\n'));
    if (!password.empty() && password.back() == '\r') password.pop_back();
    if (password.empty()) return R::Failure("the first line is empty");
    if (password.size() > kMaxAdminFrame)
        return R::Failure("the password is longer than " + std::to_string(kMaxAdminFrame) +
                          " bytes");
    return R::Success(std::move(password));
}

}  // namespace tavrin::admin
