#pragma once

// Reply markers as the game server's replies carry them, standing in for the
// tabs' models in the link's tests.

#include <string_view>

#include "link/reply_router.h"

namespace tavrin::testing {

inline bool Has(std::string_view text, std::string_view marker) {
    return text.find(marker) != std::string_view::npos;
}

inline bool IsFakeMissionList(std::string_view t) {
    return Has(t, "<CURRENT MISSION>");
}

inline ReplyMarkers FakeReplyMarkers() {
    return {
        {kAnswerPlayerList, [](std::string_view t) { return Has(t, "Deaths") && Has(t, "PING"); }},
        {kAnswerPlayerAction, [](std::string_view t) { return Has(t, "Player Punted"); }},
        {kAnswerMissionList, IsFakeMissionList},
        {kAnswerMissionAdd, [](std::string_view t) { return Has(t, "Entry Added"); }},
        {kAnswerMissionRemove, [](std::string_view t) { return Has(t, "Mission Removed"); }},
        {kAnswerMissionNext, [](std::string_view t) { return Has(t, "Next Mission Set"); }},
        {kAnswerMissionCycle, [](std::string_view t) { return Has(t, "Server is cycling"); }},
        {kAnswerGameSettings, [](std::string_view t) { return Has(t, "AutoBalanceOnRecycle"); }},
        {kAnswerSetting, [](std::string_view t) { return Has(t, "OK - Setting"); }},
        {kAnswerWeaponList, [](std::string_view t) { return Has(t, "WPN_Remmington"); }},
        {kAnswerWeaponSet,
         [](std::string_view t) { return Has(t, "OK - Weap") || Has(t, "OK - All weap"); }},
        {kAnswerChatSend, [](std::string_view t) { return Has(t, "Chat sent."); }},
    };
}

}  // namespace tavrin::testing
