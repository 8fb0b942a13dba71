#include "link/reply_router.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/fake_markers.h"

namespace tavrin {
namespace {

using testing::FakeReplyMarkers;

struct OutcomeCase {
    const char* command;  // the command that waits
    std::string reply;
    ReplyKind kind;
    ReplyClass replyClass;
    RouteEffects effects;
};

SetFieldEffect Response(std::string text) {
    return {Field::RatResponse, std::move(text)};
}
RouteLogLine Line(std::string text) {
    return {std::move(text)};
}

TEST(ReplyRouter, EachReplyToItsCommandDecidesItsOutcome) {
    const OutcomeCase cases[] = {
        {"get gamestate",
         "Current State = Menu",
         ReplyKind::GameState,
         kReplyNone,
         {SetGameMode{false}, SetFieldEffect{Field::ServerMode, "Server Status = MENU MODE"},
          SetFieldEffect{Field::TabMode, "Menu Mode"},
          Line("Server is in Menu Mode: Connection closed"), LogOutEffect{},
          Line("Rat Reply: Current State = Menu"), StatusAnswered{}}},
        {"get gamestate",
         "Current State = Game",
         ReplyKind::GameState,
         kReplyNone,
         {SetGameMode{true}, SetFieldEffect{Field::ServerMode, "Server Status = Game Mode"},
          SetFieldEffect{Field::TabMode, "Game Mode"}, StatusAnswered{}}},
        {"player punt 3",
         "USAGE: player punt id",
         ReplyKind::ServerRefusal,
         kReplyNone,
         {Response("RAT syntax error"), Line("Rat Reply: USAGE: player punt id")}},
        {"mission list",
         "ERROR: no cycle",
         ReplyKind::ServerRefusal,
         kReplyNone,
         {Response("ERROR: no cycle"), Line("Rat Reply: ERROR: no cycle")}},
        {"weapon set 3 always",
         "OK - Weap 3 set",
         ReplyKind::WeaponChanged,
         kReplyWeapons,
         {FollowUpCommand{"weapon list"}, Response("OK - Weap 3 set"),
          Line("Rat Reply: Weapons data")}},
        // The password a command carries never reaches the field or the log.
        {"set serverPassword hunter2",
         "OK - Setting serverPassword = hunter2",
         ReplyKind::SettingChanged,
         kReplySettings,
         {Response("OK - Setting serverPassword = ********"),
          Line("Rat Reply: OK - Setting serverPassword = ********")}},
        {"mission list",
         "<CURRENT MISSION> raid.mis",
         ReplyKind::MissionList,
         kReplyMissions,
         {Response("Mission List Updated"), ParseByModel{ReplyKind::MissionList}}},
        {"mission add raid.mis",
         "Entry Added",
         ReplyKind::MissionChange,
         kReplyMissions,
         {FollowUpCommand{"mission list"}, Response("Mission Added"),
          Line("Rat Reply: Entry Added")}},
        {"mission remove 2",
         "Mission Removed",
         ReplyKind::MissionChange,
         kReplyMissions,
         {FollowUpCommand{"mission list"}, Response("Mission Removed"),
          Line("Rat Reply: Mission Removed")}},
        {"mission setnext 3",
         "Next Mission Set to 3",
         ReplyKind::MissionChange,
         kReplyMissions,
         {FollowUpCommand{"mission list"}, Response("Next Mission Set to 3"),
          Line("Rat Reply: Next Mission Set to 3")}},
        {"mission cycle",
         "Server is cycling",
         ReplyKind::MissionChange,
         kReplyMissions,
         {Response("Server is cycling"), Line("Rat Reply: Server is cycling")}},
        {"chat send hello",
         "Chat sent.",
         ReplyKind::ChatConfirmation,
         kReplyChat,
         {FollowUpCommand{"chat get"}, Response("Game Chat Updated")}},
        {"player list",
         "Name Deaths PING",
         ReplyKind::PlayerList,
         kReplyPlayers,
         {ParseByModel{ReplyKind::PlayerList}, Response("Player List Updated")}},
        {"player ban 4",
         "Player Punted",
         ReplyKind::ActionResult,
         kReplyPlayers,
         {FollowUpCommand{"player list"}, Response("Player Punted"),
          Line("Rat Reply: Player Punted")}},
        {"get gamesettings",
         "AutoBalanceOnRecycle = 1",
         ReplyKind::GameSettings,
         kReplySettings,
         {Response("Game Settings Updated"), ParseByModel{ReplyKind::GameSettings}}},
        {"weapon list",
         "1. WPN_Remmington ALWAYS",
         ReplyKind::Weapons,
         kReplyWeapons,
         {ParseByModel{ReplyKind::Weapons}, Response("Weapons List Updated"),
          Line("Rat Reply: Weapons data")}},
        // A reply to "chat get" is chat, whatever a player typed.
        {"chat get",
         "Bob: Current State = Menu\nERROR Deaths PING",
         ReplyKind::Chat,
         kReplyChat,
         {Response("Game Chat Updated"), ParseByModel{ReplyKind::Chat}}},
        // A command the console does not know: every marker, in order.
        {"cmd TOD 12",
         "OK - Setting TOD",
         ReplyKind::SettingChanged,
         kReplySettings,
         {Response("OK - Setting TOD"), Line("Rat Reply: OK - Setting TOD")}},
    };
    for (const auto& c : cases) {
        ReplyRouter router(FakeReplyMarkers(), true);
        router.Sent(c.command, false);
        const RouteOutcome out = router.Route(c.reply, false);
        EXPECT_EQ(out.result.kind, c.kind) << c.reply;
        EXPECT_EQ(out.result.replyClass, c.replyClass) << c.reply;
        EXPECT_EQ(out.result.command, c.command) << c.reply;
        EXPECT_TRUE(out.result.acted) << c.reply;
        EXPECT_EQ(out.effects, c.effects) << c.reply;
        EXPECT_TRUE(out.pairingLog.empty()) << c.reply;
        EXPECT_TRUE(router.Pairing().Empty()) << c.reply;
    }
}

// How the replies of a few waiting commands pair, step by step.
struct PairingStep {
    // Before the reply: commands sent ("" sends nothing), and whether a whole
    // poll period of silence passes first.
    std::vector<std::string> send;
    bool periodPasses;
    std::string reply;
    bool drop;
    ReplyKind kind;
    std::string command;  // the command it answers, empty for none
    bool acted;
    std::vector<std::string> pairingLog;
    size_t stillWaiting;
};

TEST(ReplyRouter, PairingEdgeCases) {
    const struct {
        const char* name;
        std::vector<PairingStep> steps;
    } cases[] = {
        {"a reply nobody asked for",
         {{{},
           false,
           "Deaths PING",
           false,
           ReplyKind::Unanswered,
           "",
           false,
           {"Rat Reply (unanswered, 1 so far): Deaths PING"},
           0}}},
        {"a reply the waiting command cannot have",
         {{{"chat send hi"},
           false,
           "Bob: hi",
           false,
           ReplyKind::Unknown,
           "",
           false,
           {"Rat Reply (unknown, 1 so far): Bob: hi"},
           1}}},
        {"a missing reply is passed over, not shifted onto the next",
         {{{"get gamestate", "player list"},
           false,
           "Name Deaths PING",
           false,
           ReplyKind::PlayerList,
           "player list",
           true,
           {"No reply to: get gamestate"},
           0}}},
        {"a dropped reply still answers its command, silently",
         {{{"player list", "get gamestate"},
           false,
           "Name Deaths PING",
           true,
           ReplyKind::PlayerList,
           "player list",
           false,
           {},
           1},
          {{}, false, "Bob: hi", true, ReplyKind::Unknown, "", false, {}, 1}}},
        {"in time, chat takes whatever comes",
         {{{"chat get", "get gamestate"},
           false,
           "Current State = Game",
           false,
           ReplyKind::Chat,
           "chat get",
           true,
           {},
           1}}},
        {"after a silent poll period a late reply still answers its overdue command",
         {{{"chat get"}, true, "", false, ReplyKind::Unknown, "", false, {}, 1},
          {{"get gamestate"}, false, "Bob: hi", false, ReplyKind::Chat, "chat get", true, {}, 1},
          {{},
           false,
           "Current State = Game",
           false,
           ReplyKind::GameState,
           "get gamestate",
           true,
           {},
           0}}},
        {"after a silent poll period a command in time comes first",
         {{{"chat get"}, true, "", false, ReplyKind::Unknown, "", false, {}, 1},
          {{"get gamestate"},
           false,
           "Current State = Game",
           false,
           ReplyKind::GameState,
           "get gamestate",
           true,
           {"No reply to: chat get"},
           0},
          {{},
           false,
           "Bob: hi",
           false,
           ReplyKind::Unanswered,
           "",
           false,
           {"Rat Reply (unanswered, 1 so far): Bob: hi"},
           0}}},
    };
    for (const auto& c : cases) {
        ReplyRouter router(FakeReplyMarkers(), true);
        size_t stepNo = 0;
        for (const PairingStep& s : c.steps) {
            const std::string where = std::string(c.name) + ", step " + std::to_string(++stepNo);
            for (const std::string& command : s.send) router.Sent(command, false);
            if (s.periodPasses) {
                router.NewRound();
                router.MarkOverdue();
                continue;
            }
            const RouteOutcome out = router.Route(s.reply, s.drop);
            EXPECT_EQ(out.result.kind, s.kind) << where;
            EXPECT_EQ(out.result.command, s.command) << where;
            EXPECT_EQ(out.result.acted, s.acted) << where;
            EXPECT_EQ(out.effects.empty(), !s.acted) << where;
            EXPECT_EQ(out.pairingLog, s.pairingLog) << where;
            EXPECT_EQ(router.Pairing().Size(), s.stillWaiting) << where;
        }
    }
}

TEST(ReplyRouter, ABulkSendsRepliesAreTakenAndDropped) {
    ReplyRouter router(FakeReplyMarkers(), true);
    router.Sent("set a 1", true);
    router.Sent("player list", false);
    const RouteOutcome dropped = router.Route("OK - Setting a", false);
    EXPECT_EQ(dropped.result.kind, ReplyKind::SettingChanged);
    EXPECT_FALSE(dropped.result.acted);
    EXPECT_TRUE(dropped.effects.empty());
    EXPECT_TRUE(router.Route("Name Deaths PING", false).result.acted);
}

// A reply carries the ticket of the command it answers, so that whoever sent
// that command can be told; tickets keep rising across connections.
TEST(ReplyRouter, AReplyCarriesTheTicketOfItsCommand) {
    ReplyRouter router(FakeReplyMarkers(), false);
    EXPECT_EQ(router.LastTicket(), 0u);
    router.Sent("set a 1", false);
    router.Sent("set a 1", false);
    router.Sent("player list", false);
    EXPECT_EQ(router.LastTicket(), 3u);
    // Two identical commands: the first reply answers the first.
    EXPECT_EQ(router.Route("OK - Setting a", false).result.ticket, 1u);
    EXPECT_EQ(router.Route("Name Deaths PING", false).result.ticket, 3u);  // passes over 2
    EXPECT_EQ(router.Route("stray", false).result.ticket, 0u);
    router.NewConnection();
    router.Sent("player list", false);
    EXPECT_EQ(router.Route("Name Deaths PING", false).result.ticket, 4u);
}

TEST(ReplyRouter, PassedOverCommandsAreLoggedOnlyWhenAsked) {
    ReplyRouter router(FakeReplyMarkers(), false);
    router.Sent("get gamestate", false);
    router.Sent("player list", false);
    EXPECT_TRUE(router.Route("Name Deaths PING", false).pairingLog.empty());
}

TEST(ReplyRouter, UnpairedRepliesAndForgottenCommandsAreLoggedWithinBounds) {
    ReplyRouter router(FakeReplyMarkers(), true);
    std::vector<std::string> lines;
    for (int i = 0; i < 2000; ++i)
        for (std::string& line : router.Route("x", false).pairingLog) lines.push_back(line);
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[19], "Rat Reply (unanswered, 20 so far): x");
    EXPECT_EQ(lines[20], "Rat Reply (unanswered, 1000 so far): x");
    EXPECT_EQ(lines[21], "Rat Reply (unanswered, 2000 so far): x");

    // Past the bound the oldest waiting command is forgotten; its password
    // is masked in the line.
    EXPECT_FALSE(router.Sent("set serverPassword hunter2", false));
    for (size_t i = 1; i < ReplyPairing::kMaxAwaited; ++i)
        EXPECT_FALSE(router.Sent("chat get", false));
    EXPECT_EQ(router.Sent("chat get", false),
              "No reply awaited any longer (1024 commands wait, 1 forgotten so far): "
              "set serverPassword ********");

    // A new connection counts afresh.
    router.NewConnection();
    EXPECT_TRUE(router.Pairing().Empty());
    EXPECT_EQ(router.Route("x", false).pairingLog,
              std::vector<std::string>{"Rat Reply (unanswered, 1 so far): x"});
}

// Which markers were read, in order.
std::vector<Answer> g_asked;

template <Answer A>
bool Counted(std::string_view) {
    g_asked.push_back(A);
    return false;
}

TEST(ReplyRouter, AModelsMarkerIsReadOnlyForRepliesToTheCommandsItAnswers) {
    const ReplyMarkers markers = {
        {kAnswerPlayerList, Counted<kAnswerPlayerList>},
        {kAnswerChatSend, Counted<kAnswerChatSend>},
        {kAnswerSetting, Counted<kAnswerSetting>},
    };
    const struct {
        std::vector<const char*> waiting;
        std::vector<Answer> asked;
    } cases[] = {
        {{"chat get"}, {}},
        {{"player list"}, {kAnswerPlayerList}},
        {{"chat send hi"}, {kAnswerChatSend}},
        // Each marker is read once per reply, however many commands wait.
        {{"player list", "player list", "chat get"}, {kAnswerPlayerList}},
        // A command the console does not know: every marker, in rule order
        // (the chat confirmation answers only "chat send").
        {{"cmd TOD 12"}, {kAnswerSetting, kAnswerPlayerList}},
    };
    for (const auto& c : cases) {
        ReplyRouter router(markers, true);
        for (const char* command : c.waiting) router.Sent(command, false);
        g_asked.clear();
        router.Route("Bob: hi", false);
        EXPECT_EQ(g_asked, c.asked) << c.waiting.front();
    }
}

}  // namespace
}  // namespace tavrin
