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

int TabModels::ClassifyMissionReply(const std::string& text) {
    return static_cast<int>(tavrin::ClassifyMissionReply(text));
}

void TabModels::ParseMissionReply(int list, const std::string& text, std::string& name,
                                  std::string& file) {
    m_missions.ParseMissionReply(static_cast<MissionList>(list), text);
    name = m_missions.CurrentMissionName();
    file = m_missions.CurrentMissionFile();
}

bool TabModels::IsPlayerListReply(const std::string& text) {
    return tavrin::IsPlayerListReply(text);
}

TeamCounts TabModels::ParsePlayerList(const std::string& text) {
    const PlayerCounts c = m_players.ParsePlayerList(text);
    m_playerCounts.Record(m_clock.Now(), c.total, c.team1, c.team2);
    return {c.total, c.team1, c.team2};
}

bool TabModels::IsActionResultReply(const std::string& text) {
    return tavrin::IsActionResultReply(text);
}

std::string TabModels::ParseGameSettings(const std::string& text) {
    m_settings.ParseGameSettings(text);
    return m_settings.ServerName();
}

bool TabModels::IsWeaponChangeReply(const std::string& text) {
    return IsWeaponsResultReply(text);
}

bool TabModels::IsGameSettingsReply(const std::string& text) {
    return tavrin::IsGameSettingsReply(text);
}
bool TabModels::IsSettingChangeReply(const std::string& text) {
    return tavrin::IsSettingChangeReply(text);
}
bool TabModels::IsWeaponsListReply(const std::string& text) {
    return IsWeaponListReply(text);
}
bool TabModels::IsMissionAddedReply(const std::string& text) {
    return tavrin::IsMissionAddedReply(text);
}
bool TabModels::IsMissionRemovedReply(const std::string& text) {
    return tavrin::IsMissionRemovedReply(text);
}
bool TabModels::IsNextMissionSetReply(const std::string& text) {
    return tavrin::IsNextMissionSetReply(text);
}
bool TabModels::IsCyclingReply(const std::string& text) {
    return tavrin::IsCyclingReply(text);
}
bool TabModels::IsChatSentReply(const std::string& text) {
    return tavrin::IsChatSentReply(text);
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
