#include "sim/sim_control.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/sim_options.h"

namespace tavrin::sim {
namespace {

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

}  // namespace
}  // namespace tavrin::sim
