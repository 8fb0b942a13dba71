#include "app/tab_models.h"

#include "chatbot/chat_text.h"
#include "missions/mission_reply.h"
#include "players/admin_actions.h"
#include "settings/game_settings.h"
#include "settings/weapons_list.h"

namespace tavrin {

TabModels::TabModels(CServer& server, PlayerList& players, CMissions& missions, CChatBot& chatBot,
                     CSettings& settings, const Clock& clock)
    : m_server(server),
      m_players(players),
      m_missions(missions),
      m_chatBot(chatBot),
      m_settings(settings),
      m_clock(clock) {}

LoginDetails TabModels::CurrentLoginDetails() {
    const ServerRecord& r = m_server.LoginDetails();
    return {r.name, r.address, r.port, r.username, r.password};
}

void TabModels::OnConnectStarting() {
    m_missions.ClearForNewConnection();
    m_chatBot.Reset();
}

ReplyMarkers TabModels::ModelMarkers() {
    return {
        // The player list and the admin actions on a player.
        {kAnswerPlayerList, IsPlayerListReply},
        {kAnswerPlayerAction, IsActionResultReply},
        // The mission lists and their editing.
        {kAnswerMissionList,
         [](std::string_view t) { return ClassifyMissionReply(t) != MissionList::None; }},
        {kAnswerMissionAdd, IsMissionAddedReply},
        {kAnswerMissionRemove, IsMissionRemovedReply},
        {kAnswerMissionNext, IsNextMissionSetReply},
        {kAnswerMissionCycle, IsCyclingReply},
        // The game settings and the weapons.
        {kAnswerGameSettings, IsGameSettingsReply},
        {kAnswerSetting, IsSettingChangeReply},
        {kAnswerWeaponList, IsWeaponListReply},
        {kAnswerWeaponSet, IsWeaponsResultReply},
        // The chat.
        {kAnswerChatSend, IsChatSentReply},
    };
}

std::optional<CurrentMission> TabModels::ParseMissionReply(const std::string& text) {
    const MissionList list = ClassifyMissionReply(text);
    if (list == MissionList::None) return std::nullopt;
    m_missions.ParseMissionReply(list, text);
    return CurrentMission{m_missions.CurrentMissionName(), m_missions.CurrentMissionFile()};
}

TeamCounts TabModels::ParsePlayerList(const std::string& text) {
    const PlayerCounts c = m_players.ParsePlayerList(text);
    m_playerCounts.Record(m_clock.Now(), c.total, c.team1, c.team2);
    return {c.total, c.team1, c.team2};
}

std::string TabModels::ParseGameSettings(const std::string& text) {
    m_settings.ParseGameSettings(text);
    return m_settings.ServerName();
}

void TabModels::ParseWeaponsList(const std::string& text) {
    m_settings.ParseWeaponList(text);
}

void TabModels::ProcessChatReply(const std::string& text) {
    m_chatBot.ProcessChatReply(text);
}

void TabModels::OnCommandSent(const std::string& text) {
    m_chatBot.OnCommandSent(text);
}

bool TabModels::ChatBotRunning() {
    return m_chatBot.IsOn();
}

std::vector<std::string> TabModels::RunSanctionsPass(CommandSink&) {
    // The pass runs only while logged in; its commands go through the tab.
    return m_chatBot.OnClockTick(true);
}

}  // namespace tavrin
