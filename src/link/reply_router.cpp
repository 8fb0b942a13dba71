// Recognises each reply after login by its markers, in a fixed order, and
// hands it to the model it belongs to.
#include "common/value_text.h"
#include "link/session.h"

namespace tavrin {
namespace {

bool Has(const std::string& text, const char* marker) {
    return text.find(marker) != std::string::npos;
}

}  // namespace

int RatSession::RouteReply(const std::string& text) {
    const int missionList = m_models.ClassifyMissionReply(text);
    auto logReply = [this, &text] { Log("Rat Reply: " + text); };

    if (Has(text, "Current State = Menu")) {
        m_fGameMode = false;
        SetField(Field::ServerMode, "Server Status = MENU MODE");
        SetField(Field::TabMode, "Menu Mode");
        Log("Server is in Menu Mode: Connection closed");
        OnLogoutRequest();
        Then([this, text] {
            Log("Rat Reply: " + text);
            m_fRequestingStatus = false;
            m_host.StopTimer(TimerId::RequestTimeout);
        });
        return kReplyNone;
    }
    if (Has(text, "Current State = Game")) {
        m_fGameMode = true;
        SetField(Field::ServerMode, "Server Status = Game Mode");
        SetField(Field::TabMode, "Game Mode");
        m_fRequestingStatus = false;
        m_host.StopTimer(TimerId::RequestTimeout);
        return kReplyNone;
    }
    if (Has(text, "USAGE")) {
        SetField(Field::RatResponse, "RAT syntax error");
        logReply();
        return kReplyNone;
    }
    if (Has(text, "ERROR")) {
        SetField(Field::RatResponse, text);
        logReply();
        return kReplyNone;
    }
    if (m_models.IsWeaponChangeReply(text)) {
        SendRatCommand("weapon list");
        SetField(Field::RatResponse, text);
        Log("Rat Reply: Weapons data");
        return kReplyWeapons;
    }
    if (Has(text, "OK - Setting")) {
        SetField(Field::RatResponse, text);
        logReply();
        return kReplySettings;
    }
    if (missionList != 0) {
        SetField(Field::RatResponse, "Mission List Updated");
        UpdateMissionInfo(missionList, text);
        return kReplyMissions;
    }
    struct MissionConfirmation {
        const char* marker;
        const char* shown;  // nullptr: the reply itself
        bool refetch;
    };
    static constexpr MissionConfirmation kConfirmations[] = {
        {"Entry Added", "Mission Added", true},
        {"Mission Removed", "Mission Removed", true},
        {"Next Mission Set", nullptr, true},
        {"Server is cycling", nullptr, false},
    };
    // A follow-up command clears the response field as it goes out, so it is
    // sent before the status text is shown; otherwise the text would vanish.
    for (const auto& c : kConfirmations) {
        if (!Has(text, c.marker)) continue;
        if (c.refetch) SendRatCommand("mission list");
        SetField(Field::RatResponse, c.shown ? std::string(c.shown) : text);
        logReply();
        return kReplyMissions;
    }
    // A player who types the marker into the game chat must not set off an
    // endless round of "chat get": only a reply owed to a "chat send" counts.
    if (m_chatSendsPending > 0 && Has(text, "Chat sent.")) {
        --m_chatSendsPending;
        SendRatCommand("chat get");
        SetField(Field::RatResponse, "Game Chat Updated");
        return kReplyChat;
    }
    if (m_models.IsPlayerListReply(text)) {
        UpdatePlayerCounts(text);
        SetField(Field::RatResponse, "Player List Updated");
        return kReplyPlayers;
    }
    if (m_models.IsActionResultReply(text)) {
        SendRatCommand("player list");
        SetField(Field::RatResponse, text);
        logReply();
        return kReplyPlayers;
    }
    if (Has(text, "AutoBalanceOnRecycle")) {
        SetField(Field::RatResponse, "Game Settings Updated");
        const std::string name = m_models.ParseGameSettings(text);
        if (!name.empty()) {
            SetField(Field::TabServerName, name);
            SetField(Field::Title, name + " : " + m_connecting.address);
        }
        return kReplySettings;
    }
    if (Has(text, "WPN_Remmington")) {
        m_models.ParseWeaponsList(text);
        SetField(Field::RatResponse, "Weapons List Updated");
        Log("Rat Reply: Weapons data");
        return kReplyWeapons;
    }
    SetField(Field::RatResponse, "Game Chat Updated");
    m_fChatScanning = true;
    m_models.ProcessChatReply(text);
    m_fChatScanning = false;
    return kReplyChat;
}

void RatSession::UpdateMissionInfo(int list, const std::string& text) {
    std::string name, file;
    m_models.ParseMissionReply(list, text, name, file);
    const std::string old = FieldText(Field::TabMission);
    std::string candidate = name;
    if (candidate == "NO MISSION DETAILS" || candidate == kFailed) candidate = file;
    if (candidate.empty()) return;
    SetField(Field::TabMission, candidate);
    if (candidate != old) Log("New mission:" + candidate);
}

void RatSession::UpdatePlayerCounts(const std::string& text) {
    const TeamCounts c = m_models.ParsePlayerList(text);
    const std::string counts =
        IntToText(c.total) + " / " + IntToText(c.team1) + " / " + IntToText(c.team2);
    SetField(Field::TabPlayers, counts);
    SetField(Field::Admins, counts);
}

}  // namespace tavrin
