#include "sim/sim_control.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/sim_options.h"
#include "sim/sim_text.h"

namespace tavrin::sim {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(SimControl, WordsSetFaultsOrAskForActions) {
    const struct {
        const char* line;
        const char* reply;
        ControlAction action;
        int seconds;
    } cases[] = {
        {"stall on", "ok stall on", ControlAction::None, 0},
        {"menu on", "ok menu on", ControlAction::None, 0},
        {"reject on", "ok reject on", ControlAction::None, 0},
        {"split on", "ok split on", ControlAction::None, 0},
        {"coalesce on\r", "ok coalesce on", ControlAction::None, 0},
        {"close", "ok close", ControlAction::Close, 0},
        {"reset", "ok reset", ControlAction::Reset, 0},
        {"badheader", "ok badheader", ControlAction::BadHeader, 0},
        {"refuse 5", "ok refuse 5", ControlAction::Refuse, 5},
        {"refuse 0", "ok refuse 0", ControlAction::Refuse, 0},
        {"status", "ok status", ControlAction::Status, 0},
        {"help", "control words:", ControlAction::None, 0},
        {"refuse", "error:", ControlAction::None, 0},
        {"refuse soon", "error:", ControlAction::None, 0},
        {"stall maybe", "error:", ControlAction::None, 0},
        {"dance", "error:", ControlAction::None, 0},
        {"   ", "", ControlAction::None, 0},
    };
    SimGame game(1);
    FaultState faults;
    for (const auto& c : cases) {
        const ControlResult r = ApplyControl(c.line, faults, game);
        EXPECT_THAT(r.reply, StartsWith(c.reply)) << c.line;
        if (!*c.reply) {
            EXPECT_EQ(r.reply, "");
        }
        EXPECT_EQ(r.action, c.action) << c.line;
        EXPECT_EQ(r.seconds, c.seconds) << c.line;
    }
    EXPECT_TRUE(faults.stall && faults.reject && faults.split && faults.coalesce);
    EXPECT_TRUE(game.MenuMode());
    for (auto off : {"stall off", "menu off", "reject off", "split off", "coalesce off"})
        ApplyControl(off, faults, game);
    EXPECT_FALSE(faults.stall || faults.reject || faults.split || faults.coalesce);
    EXPECT_FALSE(game.MenuMode());
}

TEST(SimControl, SayMakesAPlayerSpeakInTheChat) {
    SimGame game(3);
    FaultState faults;
    const SimPlayer known = game.Players().front();
    const size_t before = game.Players().size();
    const struct {
        std::string line;
        std::string reply;  // the reply begins with this
        std::string chat;   // the chat's last line afterwards; "" when nothing is said
        size_t playersAdded;
    } cases[] = {
        {"say " + known.name + " you  noob \r",
         "ok say " + known.name + " (id " + std::to_string(known.id) + ")",
         known.name + ": you  noob", 0},
        {"say Zed_99 ok then", "ok say Zed_99 (id ", "Zed_99: ok then", 1},
        {"say Zed_99 again", "ok say Zed_99 (id ", "Zed_99: again", 0},
        {"say Host hello", "error:", "", 0},
        {"say Bad:Name hello", "error:", "", 0},
        {"say Bad[x hello", "error:", "", 0},
        {"say Zed_99", "error: unknown control line", "", 0},
    };
    size_t players = before;
    for (const auto& c : cases) {
        const std::string lastBefore = game.ChatLines().back();
        const ControlResult r = ApplyControl(c.line, faults, game);
        EXPECT_THAT(r.reply, StartsWith(c.reply)) << c.line;
        EXPECT_EQ(r.action, ControlAction::None) << c.line;
        EXPECT_EQ(game.ChatLines().back(), c.chat.empty() ? lastBefore : c.chat) << c.line;
        players += c.playersAdded;
        EXPECT_EQ(game.Players().size(), players) << c.line;
    }
    // The new speaker is a player like any other: listed, and punted by its id.
    const std::string list = game.PlayerListReply();
    const size_t row = list.find("\nZed_99\t");
    ASSERT_NE(row, std::string::npos);
    const std::string id = list.substr(row + 8, list.find('\t', row + 8) - row - 8);
    EXPECT_EQ(game.Execute("player ban " + id), "Player Banned: Zed_99");
    EXPECT_THAT(ApplyControl("say Zed_99 back again", faults, game).reply, StartsWith("error:"))
        << "a banned name never comes back";

    // A full game takes no new speaker, but its players still talk.
    for (int i = 0; game.Players().size() < kMaxPlayers; ++i)
        ASSERT_THAT(ApplyControl("say Filler" + std::to_string(i) + " hi", faults, game).reply,
                    StartsWith("ok say"));
    EXPECT_THAT(ApplyControl("say Latecomer hi", faults, game).reply, StartsWith("error:"));
    EXPECT_THAT(ApplyControl("say Filler0 still here", faults, game).reply, StartsWith("ok say"));
    EXPECT_EQ(game.ChatLines().back(), "Filler0: still here");
    EXPECT_THAT(std::string(ControlHelp()), HasSubstr("say <name> <text>"));
}

TEST(SimControl, StatusNamesEveryFault) {
    SimGame game(1);
    FaultState faults;
    faults.split = true;
    const std::string s = StatusText(faults, game, true, true, 3);
    for (auto part : {"stall off", "menu off", "reject off", "split on", "coalesce off",
                      "refusing 3 s", "logged in"})
        EXPECT_THAT(s, HasSubstr(part));
}

TEST(SimOptions, CommandLines) {
    const struct {
        std::vector<std::string> args;
        bool ok;
        int accounts;
    } cases[] = {
        {{}, true, 1},
        {{"--port", "0", "--user", "a", "--password", "b"}, true, 1},
        {{"--user", "a", "--password", "b", "--user", "c", "--password", ""}, true, 2},
        {{"--user", "a"}, false, 0},
        {{"--password", "b"}, false, 0},
        {{"--user", "a", "--user", "b", "--password", "c"}, false, 0},
        {{"--user", std::string(33, 'u'), "--password", "p"}, false, 0},
        {{"--user", "u", "--password", std::string(34, 'p')}, false, 0},
        {{"--port", "70000"}, false, 0},
        {{"--port"}, false, 0},
        {{"--port", "12x"}, false, 0},
        {{"--seed", "4294967296"}, false, 0},
        {{"--refuse", "-1"}, false, 0},
        {{"--bogus"}, false, 0},
    };
    for (const auto& c : cases) {
        const OptionsResult r = ParseOptions(c.args);
        EXPECT_EQ(r.error.empty(), c.ok) << (c.args.empty() ? "" : c.args[0]) << " " << r.error;
        if (c.ok) {
            EXPECT_EQ(r.options.accounts.size(), static_cast<size_t>(c.accounts));
        }
    }
}

TEST(SimOptions, DefaultsAndFaultSwitches) {
    const OptionsResult d = ParseOptions({});
    EXPECT_EQ(d.options.port, 40000);
    EXPECT_EQ(d.options.bind, "127.0.0.1");
    EXPECT_EQ(d.options.controlPort, -1);
    ASSERT_EQ(d.options.accounts.size(), 1u);
    EXPECT_EQ(d.options.accounts[0].user, "username");
    EXPECT_EQ(d.options.accounts[0].password, "pinecode");

    const std::vector<std::string> args = {"--stall",    "--menu",         "--reject", "--split",
                                           "--coalesce", "--refuse",       "7",        "--seed",
                                           "42",         "--control-port", "0",        "--tick-ms",
                                           "0",          "--bind",         "0.0.0.0"};
    const OptionsResult r = ParseOptions(args);
    ASSERT_EQ(r.error, "");
    const SimOptions& o = r.options;
    EXPECT_TRUE(o.faults.stall && o.faults.reject && o.faults.split && o.faults.coalesce && o.menu);
    EXPECT_EQ(o.refuseSeconds, 7);
    EXPECT_EQ(o.seed, 42u);
    EXPECT_EQ(o.controlPort, 0);
    EXPECT_EQ(o.tickMs, 0);
    EXPECT_EQ(o.bind, "0.0.0.0");
    EXPECT_TRUE(ParseOptions(std::vector<std::string>{"--help"}).help);
}

TEST(SimText, ControlTextEscapes) {
    using namespace std::string_literals;
    const struct {
        std::string text;
        std::optional<std::string> bytes;  // nothing: refused
    } cases[] = {
        {"plain text", "plain text"},
        {R"(a\rb\nc\td)", "a\rb\nc\td"},
        {R"(back\\slash)", "back\\slash"},
        {R"(\x41\x7e\xE9\xff)", "A~\xE9\xFF"},
        {R"(nul\x00end)", "nul\0end"s},
        {R"(\\x41)", "\\x41"},  // an escaped backslash starts no escape
        {"", ""},
        {R"(end\)", std::nullopt},
        {R"(\q)", std::nullopt},
        {R"(\x4)", std::nullopt},
        {R"(\x4g)", std::nullopt},
        {R"(\x)", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(Unescape(c.text), c.bytes) << c.text;

    // Every byte reads back, and the escaped form is one printable line.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string escaped = Escape(all);
    for (char c : escaped) {
        const auto b = static_cast<unsigned char>(c);
        EXPECT_TRUE(b >= 0x20 && b != 0x7F) << static_cast<int>(b);
    }
    EXPECT_EQ(Unescape(escaped), all);
    EXPECT_EQ(Escape("a\r\n\\x0D"), R"(a\x0D\x0A\\x0D)");
}

TEST(SimControl, HostileWordsSetTheirFaultsInTurn) {
    using namespace std::string_literals;
    // Each line applies to the state the lines before it left.
    const struct {
        std::string line;
        std::string reply;  // the reply begins with this
        ControlAction action;
        std::string text;  // Push's frame text
        int ignore;
        size_t bigReply;
        int flood;
        std::string floodText;
    } cases[] = {
        {"push hello  world \r", "ok push (12 bytes)", ControlAction::Push, "hello  world", 0, 0, 0,
         ""},
        {R"(push a\r\nb\x00)", "ok push (5 bytes)", ControlAction::Push, "a\r\nb\0"s, 0, 0, 0, ""},
        {"push", "ok push (0 bytes)", ControlAction::Push, "", 0, 0, 0, ""},
        {R"(push bad\q)", "error: bad escape", ControlAction::None, "", 0, 0, 0, ""},
        {"ignore", "ok ignore 1", ControlAction::None, "", 1, 0, 0, ""},
        {"ignore 3", "ok ignore 3", ControlAction::None, "", 3, 0, 0, ""},
        {"ignore many", "error:", ControlAction::None, "", 3, 0, 0, ""},
        {"ignore 0", "ok ignore 0", ControlAction::None, "", 0, 0, 0, ""},
        {"bigreply 5000", "ok bigreply 5000", ControlAction::None, "", 0, 5000, 0, ""},
        {"bigreply 65527", "error: bigreply takes 0 to 65526", ControlAction::None, "", 0, 5000, 0,
         ""},
        {"bigreply 65526", "ok bigreply 65526", ControlAction::None, "", 0, 65526, 0, ""},
        {"bigreply", "error:", ControlAction::None, "", 0, 65526, 0, ""},
        {"bigreply 0", "ok bigreply 0", ControlAction::None, "", 0, 0, 0, ""},
        {"flood on", "ok flood on", ControlAction::Flood, "", 0, 0, -1, ""},
        {"flood off", "ok flood off", ControlAction::Flood, "", 0, 0, 0, ""},
        {R"(flood 100 x\ty z)", "ok flood 100", ControlAction::Flood, "", 0, 0, 100, "x\ty z"},
        {"flood 0", "ok flood off", ControlAction::Flood, "", 0, 0, 0, ""},
        {R"(flood on Chat sent.\r\n)", "ok flood on", ControlAction::Flood, "", 0, 0, -1,
         "Chat sent.\r\n"},
        {R"(flood 5 \z)", "error: bad escape", ControlAction::None, "", 0, 0, -1, "Chat sent.\r\n"},
        {"flood", "error: unknown", ControlAction::None, "", 0, 0, -1, "Chat sent.\r\n"},
        {"flood lots", "error: unknown", ControlAction::None, "", 0, 0, -1, "Chat sent.\r\n"},
        {"flood off now", "error: unknown", ControlAction::None, "", 0, 0, -1, "Chat sent.\r\n"},
        {"flood off", "ok flood off", ControlAction::Flood, "", 0, 0, 0, ""},
    };
    SimGame game(1);
    FaultState faults;
    for (const auto& c : cases) {
        const ControlResult r = ApplyControl(c.line, faults, game);
        EXPECT_THAT(r.reply, StartsWith(c.reply)) << c.line;
        EXPECT_EQ(r.action, c.action) << c.line;
        EXPECT_EQ(r.text, c.text) << c.line;
        EXPECT_EQ(faults.ignore, c.ignore) << c.line;
        EXPECT_EQ(faults.bigReply, c.bigReply) << c.line;
        EXPECT_EQ(faults.flood, c.flood) << c.line;
        EXPECT_EQ(faults.floodText, c.floodText) << c.line;
    }
    for (auto word : {"push <text>", "flood on|off|<frames>", "ignore", "bigreply <bytes>"})
        EXPECT_THAT(std::string(ControlHelp()), HasSubstr(word));
}

TEST(SimControl, SayTakesAnyByteByEscapes) {
    SimGame game(3);
    FaultState faults;
    // Room for the newcomers.
    while (game.Players().size() > kMaxPlayers - 6)
        game.Execute("player punt " + std::to_string(game.Players().back().id));
    const struct {
        std::string line;
        std::string reply;  // the reply begins with this
        std::string chat;   // the chat's last line afterwards; "" when nothing is said
    } cases[] = {
        // A line break in the text makes the console's chat reply show a
        // second line that nobody said.
        {R"(say Mallory hi\r\nAdmin: fake)", "ok say Mallory (id ", "Mallory: hi\r\nAdmin: fake"},
        {R"(say J\xE9r\xF4me salut \\o/)", "ok say J\xE9r\xF4me (id ", "J\xE9r\xF4me: salut \\o/"},
        // The reply names the speaker on one line, in the form it was given.
        {R"(say Ev\til\x0D\n \x07)", R"(ok say Ev\x09il\x0D\x0A (id )", "Ev\til\r\n: \x07"},
        {R"(say Back\\slash hi)", R"(ok say Back\\slash (id )", "Back\\slash: hi"},
        {R"(say Sp\x20ace hi)", "ok say Sp ace (id ", "Sp ace: hi"},
        {R"(say Bad\x3AName hi)", "error: Bad:Name cannot speak", ""},
        {R"(say Bad\x5Bx hi)", "error: Bad[x cannot speak", ""},
        {R"(say Mallory bad\)", "error: bad escape", ""},
        {R"(say Mal\lory hi)", "error: bad escape", ""},
    };
    for (const auto& c : cases) {
        const std::string lastBefore = game.ChatLines().back();
        const ControlResult r = ApplyControl(c.line, faults, game);
        EXPECT_THAT(r.reply, StartsWith(c.reply)) << c.line;
        EXPECT_EQ(r.reply.find_first_of("\r\n"), std::string::npos) << c.line;
        EXPECT_EQ(game.ChatLines().back(), c.chat.empty() ? lastBefore : c.chat) << c.line;
    }
    // The player named with control bytes is in the list under that name.
    EXPECT_THAT(game.PlayerListReply(), HasSubstr("\nEv\til\r\n\t"));
}

// The console's chat under another speaker, and a chat buffer that shrinks to
// its newest lines: what a ChatBot must read right.
TEST(SimControl, EchoNameAndTrimChatShapeTheChat) {
    SimGame game(3);
    FaultState faults;
    const struct {
        std::string line;
        std::string reply;  // the reply begins with this
        std::string echo;   // the chat's last line after "chat send hi"
    } cases[] = {
        {"echoname Host", "ok echoname Host", "Host: hi"},
        {R"(echoname Server Console)", "ok echoname Server Console", "Server Console: hi"},
        {"echoname", "ok echoname", "hi"},
        {"echoname Bad:Name", "error: ", "hi"},
        {"echoname Admin", "ok echoname Admin", "Admin: hi"},
    };
    for (const auto& c : cases) {
        EXPECT_THAT(ApplyControl(c.line, faults, game).reply, StartsWith(c.reply)) << c.line;
        EXPECT_EQ(game.Execute("chat send hi"), "Chat sent.");
        EXPECT_EQ(game.ChatLines().back(), c.echo) << c.line;
    }
    const std::vector<std::string> before = game.ChatLines();
    ASSERT_GT(before.size(), 12u);
    EXPECT_EQ(ApplyControl("trimchat " + std::to_string(before.size() - 10), faults, game).reply,
              "ok trimchat (10 lines left)");
    EXPECT_EQ(game.ChatLines(), std::vector<std::string>(before.end() - 10, before.end()));
    EXPECT_EQ(ApplyControl("trimchat 99", faults, game).reply, "ok trimchat (0 lines left)");
    EXPECT_THAT(ApplyControl("trimchat", faults, game).reply, StartsWith("error:"));
    EXPECT_EQ(game.ChatReply(), "");
}

TEST(SimControl, StatusNamesTheHostileFaultsAndTheWaitingLine) {
    SimGame game(1);
    FaultState faults;
    faults.ignore = 2;
    faults.bigReply = 4000;
    EXPECT_THAT(StatusText(faults, game, true, false, 0, 3),
                AllOf(HasSubstr("ignore 2"), HasSubstr("bigreply 4000"), HasSubstr("flood off"),
                      HasSubstr("connection open"), HasSubstr("waiting 3")));
    for (const auto& [flood, shown] : {std::pair{-1, "flood on"}, std::pair{25, "flood 25 left"}}) {
        faults.flood = flood;
        EXPECT_THAT(StatusText(faults, game, false, false, 0), HasSubstr(shown));
    }
}

TEST(SimOptions, LimitsOfOneClient) {
    const SimOptions d = ParseOptions({}).options;
    EXPECT_EQ(d.loginTimeoutMs, 10000);
    EXPECT_EQ(d.idleTimeoutMs, 60000);
    EXPECT_EQ(d.maxWaiting, 8);
    EXPECT_EQ(d.maxOutputBytes, 1 << 20);

    const std::vector<std::string> args = {
        "--login-timeout-ms", "150", "--idle-timeout-ms",  "0",
        "--max-waiting",      "0",   "--max-output-bytes", "4096"};
    const OptionsResult r = ParseOptions(args);
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.loginTimeoutMs, 150);
    EXPECT_EQ(r.options.idleTimeoutMs, 0);
    EXPECT_EQ(r.options.maxWaiting, 0);
    EXPECT_EQ(r.options.maxOutputBytes, 4096);

    const std::vector<std::vector<std::string>> bad = {
        {"--login-timeout-ms"},        {"--idle-timeout-ms", "-5"},
        {"--max-waiting", "some"},     {"--max-output-bytes", "0"},
        {"--max-output-bytes", "1e6"}, {"--login-timeout-ms", "1000000000"},
    };
    for (const auto& args : bad)
        EXPECT_NE(ParseOptions(args).error, "") << args[0] << " " << args.back();
    EXPECT_THAT(std::string(UsageText()),
                AllOf(HasSubstr("--login-timeout-ms"), HasSubstr("--idle-timeout-ms"),
                      HasSubstr("--max-waiting"), HasSubstr("--max-output-bytes")));
}

}  // namespace
}  // namespace tavrin::sim
