#include "app/tab_models.h"

#include <charconv>

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
    ++m_connections;
    if (m_history) m_history->NewConnection();
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
    if (m_history) RecordPlayerList(c);
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
    m_inSanctionsPass = true;
    std::vector<std::string> shown = m_chatBot.OnClockTick(true);
    m_inSanctionsPass = false;
    for (const CShamed::Taken& t : m_chatBot.Shamed().TakeSanctionsTaken()) {
        if (!m_history) continue;
        m_history->Sanction(
            ServerName(),
            {t.punt ? SanctionAction::Punt : SanctionAction::Warn, t.player, t.reason},
            kSourceChatBot);
    }
    return shown;
}

std::string TabModels::ServerName() const {
    return m_server.LoginDetails().name;
}

std::string TabModels::NameOfId(const std::string& id) const {
    for (const PlayerRow& row : m_players.Rows())
        if (row.cells[kColumnId] == id) return row.cells[kColumnName];
    return {};
}

void TabModels::RecordPlayerList(const PlayerCounts& counts) {
    const auto number = [](const std::string& text) -> std::optional<int64_t> {
        int64_t value = 0;
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
        return value;
    };
    std::vector<PlayerSighting> seen;
    for (const PlayerRow& row : m_players.Rows()) {
        // The host's own record (id 0), shown with Show Host, is no player.
        if (row.cells[kColumnId] == "0") continue;
        PlayerSighting p{row.cells[kColumnName], number(row.cells[kColumnKills]),
                         number(row.cells[kColumnDeaths]), std::nullopt};
        if (auto ping = number(row.cells[kColumnPing])) p.ping = static_cast<int>(*ping);
        seen.push_back(std::move(p));
    }
    m_history->PlayerList(ServerName(), seen, counts.total, counts.team1, counts.team2);
}

void TabModels::CommandsSubmitted(const std::vector<PacedCommand>& batch) {
    if (!m_history || m_inSanctionsPass) return;
    std::vector<std::string> texts;
    for (const PacedCommand& c : batch) texts.push_back(c.text);
    m_history->Commands(ServerName(), texts, kSourceConsole,
                        [this](const std::string& id) { return NameOfId(id); });
}

void TabModels::AdminCommandSent(const std::string& user, const std::string& text) {
    if (!m_history) return;
    m_history->Commands(ServerName(), {text}, RemoteAdminSource(user),
                        [this](const std::string& id) { return NameOfId(id); });
}

}  // namespace tavrin
