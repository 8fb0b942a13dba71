// tavrinrat-admin's command line and where its password comes from.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "admin/admin_client.h"
#include "support/temp_dir.h"

namespace tavrin::admin {
namespace {

using ::testing::HasSubstr;
using testing::TempDir;
using testing::WriteBytes;

OptionsResult Parse(std::vector<std::string> args) {
    return ParseOptions(args);
}

TEST(AdminOptions, AddressesPortsAndSwitches) {
    const struct {
        std::vector<std::string> args;
        std::string host;
        uint16_t port;
    } cases[] = {
        {{"manager.example"}, "manager.example", 9898},
        {{"10.0.0.5:7000"}, "10.0.0.5", 7000},
        {{"[::1]:65535"}, "::1", 65535},
        {{"[fe80::1]"}, "fe80::1", 9898},
        {{"::1"}, "::1", 9898},  // a bare IPv6 address has no port
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--user", "warden", "--password", "s3cret"});
        const OptionsResult r = Parse(args);
        ASSERT_EQ(r.error, "") << c.args[0];
        EXPECT_EQ(r.options.host, c.host);
        EXPECT_EQ(r.options.port, c.port);
        EXPECT_FALSE(r.options.tls);
        EXPECT_FALSE(r.options.command);
        EXPECT_EQ(r.options.timeoutMs, kDefaultTimeoutMs);
    }

    const OptionsResult all =
        Parse({"--tls", "--ca", "manager.pem", "-c", "player punt 7", "--timeout", "0.25", "--user",
               "warden", "--password-file", "pw.txt", "host:1"});
    ASSERT_EQ(all.error, "");
    EXPECT_TRUE(all.options.tls);
    EXPECT_EQ(all.options.caFile, "manager.pem");
    EXPECT_EQ(all.options.command, "player punt 7");
    EXPECT_EQ(all.options.timeoutMs, 250);
    EXPECT_EQ(all.options.passwordFile, "pw.txt");
    EXPECT_FALSE(all.options.password);

    const OptionsResult insecure = Parse({"h", "--user", "u", "--tls", "--insecure"});
    ASSERT_EQ(insecure.error, "");
    EXPECT_TRUE(insecure.options.insecure);

    for (const auto& help : {Parse({"--help"}), Parse({"h", "--user", "u", "-h"})})
        EXPECT_TRUE(help.help);
    EXPECT_THAT(UsageText(), HasSubstr("usage: tavrinrat-admin HOST[:PORT]"));
}

TEST(AdminOptions, BadCommandLinesSayWhatIsWrong) {
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"--user", "u"}, "no address"},
        {{"h"}, "--user"},
        {{"h", "--user"}, "--user"},
        {{"h", "--user", ""}, "--user"},
        {{"h", "g", "--user", "u"}, "more than one address"},
        {{"h", "--user", "u", "--bogus"}, "unknown option --bogus"},
        {{"h:0", "--user", "u"}, "not an address"},
        {{"h:65536", "--user", "u"}, "not an address"},
        {{"h:", "--user", "u"}, "not an address"},
        {{":9898", "--user", "u"}, "not an address"},
        {{"[::1", "--user", "u"}, "not an address"},
        {{"[::1]9898", "--user", "u"}, "not an address"},
        {{"h", "--user", "u", "--password", "p", "--password-file", "f"}, "both given"},
        {{"h", "--user", "u", "--ca", "c.pem"}, "need --tls"},
        {{"h", "--user", "u", "--insecure"}, "need --tls"},
        {{"h", "--user", "u", "--tls", "--insecure", "--ca", "c.pem"}, "both given"},
        {{"h", "--user", "u", "-c", ""}, "-c needs"},
        {{"h", "--user", "u", "-c", std::string(kMaxAdminFrame + 1, 'c')}, "-c needs"},
        {{"h", "--user", "u", "--timeout"}, "--timeout"},
        {{"h", "--user", "u", "--timeout", "0"}, "--timeout"},
        {{"h", "--user", "u", "--timeout", "0.0001"}, "--timeout"},
        {{"h", "--user", "u", "--timeout", "-1"}, "--timeout"},
        {{"h", "--user", "u", "--timeout", "1."}, "--timeout"},
        {{"h", "--user", "u", "--timeout", "86401"}, "--timeout"},
        {{"h", "--user", "u", "--timeout", "5s"}, "--timeout"},
    };
    for (const auto& c : cases) {
        const OptionsResult r = Parse(c.args);
        EXPECT_THAT(r.error, HasSubstr(c.says)) << ::testing::PrintToString(c.args);
        EXPECT_FALSE(r.help);
    }
}

TEST(AdminPassword, FromTheCommandLineAFileOrTheEnvironment) {
    TempDir dir;
    WriteBytes(dir.File("crlf"), "from file\r\nsecond line\r\n");
    WriteBytes(dir.File("bare"), "only line");
    WriteBytes(dir.File("empty-first"), "\nsecond line\n");
    WriteBytes(dir.File("empty"), "");

    auto options = [&](std::optional<std::string> password, std::optional<std::string> file) {
        Options o;
        o.password = std::move(password);
        if (file) o.passwordFile = dir.File(*file);
        return o;
    };
    const struct {
        Options options;
        const char* environment;
        std::string password;  // "!" and a part of the failure when there is none
    } cases[] = {
        {options("given", std::nullopt), "from environment", "given"},
        {options(std::nullopt, "crlf"), "from environment", "from file"},
        {options(std::nullopt, "bare"), nullptr, "only line"},
        {options(std::nullopt, std::nullopt), "from environment", "from environment"},
        {options(std::nullopt, "empty-first"), "from environment", "!first line is empty"},
        {options(std::nullopt, "empty"), nullptr, "!first line is empty"},
        {options(std::nullopt, "missing"), "from environment", "!no such file"},
        {options(std::nullopt, std::nullopt), "", "!TAVRIN_ADMIN_PASSWORD"},
        {options(std::nullopt, std::nullopt), nullptr, "!TAVRIN_ADMIN_PASSWORD"},
    };
    for (const auto& c : cases) {
        const Result<std::string> r = ChoosePassword(c.options, c.environment);
        if (c.password.starts_with('!')) {
            ASSERT_FALSE(r) << c.password;
            EXPECT_THAT(r.failure(), HasSubstr(c.password.substr(1)));
        } else {
            ASSERT_TRUE(r) << r.failure();
            EXPECT_EQ(r.value(), c.password);
        }
    }
}

}  // namespace
}  // namespace tavrin::admin
