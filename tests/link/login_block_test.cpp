#include "link/login_block.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace tavrin {
namespace {

std::string Hex(const LoginBlock& b) {
    std::string out;
    char buf[3];
    for (uint8_t v : b) {
        std::snprintf(buf, sizeof buf, "%02x", v);
        out += buf;
    }
    return out;
}

struct Golden {
    const char* user;
    const char* password;
    const char* greeting;
    const char* hex;
};

TEST(LoginBlock, GoldenBlocks) {
    const Golden cases[] = {
        // X3 odd: the block is reversed; the greeting is cut to 32 characters.
        {"admin", "secret", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345EXTRA",
         "eac4d91e93380d3d72d76c31264ba025dabfd4198e33080d42a73c755b8dd35a1d8499de53f8cdfd32972cf1e"
         "60b60e59a7f94d94ef3c8cd0267fcc124449d19cb"},
        // X3 even, short code used cyclically.
        {"username", "pinecode", "k3Yc0de",
         "7b3877e53513071cc66314b8f32b98f7e4e5d964eca95895e62a05ddeae976171b3f6cc00df6dcc1d74ffc9bc"
         "8093d08d0cdbc39ca4e6981ce0ddabb8ffa62ff8e"},
    };
    for (const auto& c : cases) {
        auto r = BuildLoginBlock(c.user, c.password, LoginCodeFromGreeting(c.greeting));
        ASSERT_TRUE(r.ok()) << c.user;
        EXPECT_EQ(Hex(r.value()), c.hex) << c.user;
    }
}

TEST(LoginBlock, ScoutIsSentPlainWhateverThePasswordAndCode) {
    for (const char* password : {"", "secret", "a-much-longer-password"}) {
        for (const char* code : {"", "k3Yc0de"}) {
            auto r = BuildLoginBlock("SCOUT", password, code);
            ASSERT_TRUE(r.ok());
            LoginBlock expected{};
            std::memcpy(expected.data(), "SCOUT", 5);
            EXPECT_EQ(r.value(), expected);
        }
    }
    // Only the exact, case-sensitive name is plain.
    auto scout = BuildLoginBlock("Scout", "", "abc");
    ASSERT_TRUE(scout.ok());
    EXPECT_NE(scout.value()[0], 'S');
}

TEST(LoginBlock, RefusesWhatCannotBePlaced) {
    struct Case {
        std::string user, password, code;
        bool ok;
    };
    const Case cases[] = {
        {std::string(32, 'u'), std::string(33, 'p'), "code", true},
        {std::string(33, 'u'), "p", "code", false},
        {"u", std::string(34, 'p'), "code", false},
        {"admin", "secret", "", false},  // no code to scramble with
    };
    for (const auto& c : cases) {
        auto r = BuildLoginBlock(c.user, c.password, c.code);
        EXPECT_EQ(r.ok(), c.ok) << c.user.size() << "/" << c.password.size() << "/" << c.code;
        EXPECT_EQ(r.failure().empty(), c.ok);
    }
}

TEST(LoginBlock, HighBitCodeCharactersAreSigned) {
    // The same code with a byte above 127 must still give a full, stable block.
    auto a = BuildLoginBlock("admin", "pw", "\xE9\xFF\x80z");
    auto b = BuildLoginBlock("admin", "pw", "\xE9\xFF\x80z");
    ASSERT_TRUE(a.ok());
    EXPECT_EQ(a.value(), b.value());
}

TEST(LoginFrame, CarriesTheBlockAfterAFixedHeader) {
    auto r = BuildLoginBlock("username", "pinecode", "k3Yc0de");
    std::string frame = EncodeLoginFrame(r.value());
    ASSERT_EQ(frame.size(), 73u);
    EXPECT_EQ(frame.substr(0, 8), std::string("\x00\x00\x0D\x0A\x49\x00\x00\x00", 8));
    EXPECT_EQ(frame.substr(8), std::string(reinterpret_cast<const char*>(r.value().data()), 65));
}

}  // namespace
}  // namespace tavrin
