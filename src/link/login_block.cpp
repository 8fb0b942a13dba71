#include "link/login_block.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace tavrin {

std::string_view LoginCodeFromGreeting(std::string_view greeting) {
    return greeting.substr(0, std::min(greeting.size(), kMaxLoginCode));
}

LoginBlockResult BuildLoginBlock(std::string_view user, std::string_view password,
                                 std::string_view code) {
    if (user.size() > kMaxUserName)
        return LoginBlockResult::Failure("User name is longer than " +
                                         std::to_string(kMaxUserName) + " bytes");
    if (password.size() > kMaxPassword)
        return LoginBlockResult::Failure("Password is longer than " + std::to_string(kMaxPassword) +
                                         " bytes");
    LoginBlock b{};
    std::memcpy(b.data(), user.data(), user.size());
    if (user == "SCOUT") return LoginBlockResult::Success(b);
    if (code.empty()) return LoginBlockResult::Failure("Empty login code from the server");
    std::memcpy(b.data() + kMaxUserName, password.data(), password.size());

    const uint32_t L = static_cast<uint32_t>(code.size());
    auto ch = [&](size_t i) { return static_cast<int32_t>(static_cast<int8_t>(code[i])); };
    uint32_t S = 0;
    for (uint32_t i = 0; i < L; ++i) {
        uint32_t c = static_cast<uint32_t>(ch(i));
        uint32_t w = (c * c) % 65536u;
        w = (w + i) % 65536u;
        S += w;
    }
    S += L + 50;

    const uint32_t M = 78665521u;
    const uint32_t X1 = (S * M + 1u) % 65536u;
    const uint8_t k1 = static_cast<uint8_t>(X1 % 256u);
    const uint32_t X2 = (M * X1 + 1u) % 65536u;
    const uint8_t k2 = static_cast<uint8_t>(X2 % 256u);
    const uint32_t X3 = (M * X2 + 1u) % 65536u;
    uint32_t R = X3;

    for (size_t i = 0; i < kLoginBlockSize; ++i)
        b[i] = static_cast<uint8_t>(b[i] + static_cast<uint8_t>(ch(i % L)));
    if (X3 & 1u)
        for (size_t j = 0; j < 32; ++j) std::swap(b[j], b[64 - j]);
    uint8_t t = k1;
    for (size_t i = 0; i < kLoginBlockSize; ++i) {
        b[i] = static_cast<uint8_t>(b[i] + static_cast<uint8_t>(i + t));
        t = static_cast<uint8_t>(t + k2);
    }
    for (size_t i = 0; i < kLoginBlockSize; ++i) {
        R = (M * R + 1u) % 65536u;
        b[i] = static_cast<uint8_t>(b[i] + (R % 256u));
    }
    return LoginBlockResult::Success(b);
}

}  // namespace tavrin
