#include "manager/command_classes.h"

#include <gtest/gtest.h>

#include "manager/relay.h"

namespace tavrin {
namespace {

TEST(ClassifyAdminCommand, Table) {
    const struct {
        const char* command;
        int cls;
        bool forwarded;
    } cases[] = {
        {"player list", 100, true},
        {"mission list", 101, true},
        {"mission available", 104, true},  // "available" comes after "mission"
        {"get gamesettings", 102, true},
        {"chat get", 103, true},
        {"chat send hello player", 103, true},  // "chat" comes after "player"
        {"weapon list", 105, true},
        {"weapon set 3 always", 105, true},
        {"get gamestate", 113, false},
        {"ACTION punt", 107, false},
        {"UPLOAD list", 108, false},
        {"CHATBOT on", 109, false},
        {"MESSAGES", 110, false},
        {"player punt 3 MESSAGES", 110, false},
        {"set ServerName x", 0, false},
        {"cmd TOD 12", 0, false},
        {"", 0, false},
        {"PLAYER LIST", 0, false},  // case-sensitive
        {"chatplayer", 103, true},
        {"xxweaponxx", 105, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyAdminCommand(c.command), c.cls) << c.command;
        EXPECT_EQ(IsForwardedClass(ClassifyAdminCommand(c.command)), c.forwarded) << c.command;
    }
}

TEST(CommandClasses, SettingsGoToTheGameServerAndAnswerTheirSenderAlone) {
    const struct {
        const char* command;
        bool forwarded;
        bool senderOnly;
    } cases[] = {
        {"set ServerName x", true, true},
        {"cmd TOD 1200", true, true},
        {"set ServerName player", true, true},  // a keyword does not make it a read
        {"set ServerName gamestate", true, true},
        {"set ServerName MESSAGES", false, false},  // the manager's own word
        {"weapon set 3 always", true, false},       // a weapons reply, by class
        {"player list", true, false},
        {"get gamestate", false, false},
        {"setServerName x", false, false},
        {" set ServerName x", false, false},
        {"SET ServerName x", false, false},
    };
    for (const auto& c : cases) {
        const int cls = ClassifyAdminCommand(c.command);
        EXPECT_EQ(IsForwardedCommand(c.command, cls), c.forwarded) << c.command;
        EXPECT_EQ(IsSenderOnlyCommand(c.command, cls), c.senderOnly) << c.command;
    }
}

TEST(CommandClasses, ForwardedMeansAGameServerClass) {
    for (const auto& c : kCommandClasses)
        EXPECT_EQ(IsForwardedClass(c.commandClass), c.commandClass > 0 && c.commandClass < 107)
            << c.keyword;
    EXPECT_FALSE(IsForwardedClass(0));
}

// Which reply answers which waiting admin, checked against the classes the
// router gives.
TEST(CommandClasses, RelayColumnMatchesTheRelayRule) {
    const ReplyClass routerClasses[] = {kReplyNone,     kReplyPlayers, kReplyMissions,
                                        kReplySettings, kReplyChat,    kReplyWeapons};
    for (const auto& c : kCommandClasses)
        for (ReplyClass reply : routerClasses) {
            const bool relayed =
                RelayedText(c.commandClass, RouteResult{ReplyKind::Chat, reply, "", true}, "t")
                    .has_value();
            EXPECT_EQ(relayed, reply != kReplyNone && c.relayed == reply)
                << c.keyword << " / " << reply;
        }
}

TEST(Relay, Table) {
    const auto routed = [](ReplyClass cls, bool acted = true) {
        return RouteResult{ReplyKind::Chat, cls, "chat get", acted};
    };
    const struct {
        const char* what;
        int awaited;
        RouteResult result;
        std::string text;
        std::optional<std::string> copy;
    } cases[] = {
        {"chat to a chat waiter", 103, routed(kReplyChat), "a: hi", "a: hi"},
        {"an empty chat reads [NO CHAT]", 103, routed(kReplyChat), "", "[NO CHAT]"},
        {"an empty player list stays empty", 100, routed(kReplyPlayers), "", ""},
        {"another class", 100, routed(kReplyChat), "x", {}},
        {"waiting for nothing", 0, routed(kReplyNone), "x", {}},
        {"mission available gets no mission reply", 104, routed(kReplyMissions), "x", {}},
        {"game state is never relayed", 113, routed(kReplyNone), "Current State = Game", {}},
        {"a reply that was not carried out", 103, routed(kReplyChat, false), "x", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RelayedText(c.awaited, c.result, c.text), c.copy) << c.what;
}

// ---------------------------------------------------------------------------
// Rights

TEST(CommandRights, WhatEachCommandNeeds) {
    const RightsNeeded none{};
    const RightsNeeded full{kFullAccess, true};
    const struct {
        const char* command;
        RightsNeeded needed;
    } cases[] = {
        {"player list", none},
        {"chat get", none},
        {"mission list", none},
        {"mission available", none},
        {"get gamesettings", none},
        {"weapon list", none},
        {"player punt 7 ", {kRightPunt}},
        {"player ban 7 ", {kRightBan}},
        {"player kill 7 ", {kRightKill}},
        {"player swapteam 7 ", {kRightSwap}},
        {"player zeroscore 7 ", {kRightZero}},
        {"chat send Bob  > DO NOT SPAM", {kRightMessages | kRightWarn}},
        {"chat send kick the player", {kRightMessages | kRightWarn}},
        {"mission cycle", {kRightCycleToNext}},
        {"mission add dm_map.mis", {kRightLiveCycleOrder}},
        {"mission remove 2", {kRightLiveCycleOrder}},
        {"mission setnext 2", {kRightLiveCycleOrder}},
        {"weapon set 3 always", {kRightGameSettings}},
        {"weapon set all never", {kRightGameSettings}},
        // A keyword tacked onto a command does not pass it off as another.
        {"set ServerName player", {kRightGameSettings}},
        {"cmd TOD 12 chat", {kRightGameSettings}},
        {"ACTION Punt\\TEAM KILLING", {kRightAdminMenu}},
        {"UPLOAD File0", {kRightUseSavedLists}},
        {"CHATBOT start", {kRightChatBot}},
        {"MESSAGES", {kRightMessages}},
        {"player punt 7 MESSAGES", {kRightMessages}},  // class 110: not forwarded
        // Settings are known by how they begin.
        {"set ServerName x", {kRightGameSettings}},
        {"cmd TOD 12", {kRightGameSettings}},
        {"set ServerName gamestate", {kRightGameSettings}},
        {"set ServerName MESSAGES", {kRightMessages}},  // the manager's own word wins
        // Nothing happens to these, so they need nothing.
        {"setServerName x", none},
        {"cmdTOD 12", none},
        {"get gamestate", none},
        {"hello", none},
        // Forwarded, but no row knows them: Full Access.
        {"player  punt 7", full},
        {"player mute 7 ", full},
        {"mission list now", full},
        {"player list ", full},
        {"xplayer list", full},
        {"chat", full},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RightsForCommand(c.command, ClassifyAdminCommand(c.command)), c.needed)
            << c.command;
}

TEST(CommandRights, AllowAndRefusalText) {
    const struct {
        RightsMask held;
        RightsNeeded needed;
        bool allowed;
        const char* refusal;
    } cases[] = {
        {0, {}, true, "Refused, missing right: "},
        {kRightPunt, {kRightPunt}, true, "Refused, missing right: Punt"},
        {kRightBan, {kRightPunt}, false, "Refused, missing right: Punt"},
        {kRightWarn,
         {kRightMessages | kRightWarn},
         true,
         "Refused, missing right: Messages or Warn"},
        {kRightMessages,
         {kRightMessages | kRightWarn},
         true,
         "Refused, missing right: Messages or Warn"},
        {kRightPunt,
         {kRightMessages | kRightWarn},
         false,
         "Refused, missing right: Messages or Warn"},
        {kFullAccess, {kFullAccess, true}, true, "Refused, missing right: Full Access"},
        {kFullAccess & ~kRightZero,
         {kFullAccess, true},
         false,
         "Refused, missing right: Full Access"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RightsAllow(c.held, c.needed), c.allowed) << c.refusal;
        EXPECT_EQ(MissingRightText(c.needed), c.refusal);
    }
}

// Every right but Admin List guards some command, and every Player Admin
// right guards its own action word.
TEST(CommandRights, EveryRightIsUsed) {
    RightsMask used = 0;
    for (const auto& row : kCommandRights) used |= row.rights;
    EXPECT_EQ(used, kFullAccess & ~kRightAdminList);
    for (const auto& row : kCommandRights) {
        if (row.match != CommandMatch::Keyword) continue;
        EXPECT_TRUE(IsManagerWordClass(ClassifyAdminCommand(row.command))) << row.command;
    }
}

}  // namespace
}  // namespace tavrin
