#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/player_count_history.h"
#include "chatbot/chatbot.h"
#include "common/clock.h"
#include "common/server_list.h"
#include "history/history_recorder.h"
#include "link/session.h"
#include "missions/missions.h"
#include "players/player_list.h"
#include "settings/settings_tab.h"

namespace tavrin {

// What the session asks of the tabs, answered by the tabs' models: the
// login details, each model's reply markers and parses, the ChatBot's part.
class TabModels final : public SessionModels {
  public:
    TabModels(CServer& server, PlayerList& players, CMissions& missions, CChatBot& chatBot,
              CSettings& settings, const Clock& clock);

    // The counts of every player list of the last hour, for the Server tab's plot.
    const PlayerCountHistory& CountHistory() const { return m_playerCounts; }
    // Counts an earlier run recorded, placed before those of this run.
    void SeedCountHistory(const std::vector<PlayerCountSample>& earlier) {
        m_playerCounts.Seed(earlier);
    }
    // How many connections were started: a new number, a new connection.
    int ConnectionCount() const { return m_connections; }
    // The name this server's rows carry in the history.
    std::string ServerName() const;

    LoginDetails CurrentLoginDetails() override;
    void OnConnectStarting() override;
    ReplyMarkers Markers() const override { return ModelMarkers(); }
    // Each model's reply markers, by the answer they recognise.
    static ReplyMarkers ModelMarkers();
    std::optional<CurrentMission> ParseMissionReply(const std::string& text) override;
    TeamCounts ParsePlayerList(const std::string& text) override;
    std::string ParseGameSettings(const std::string& text) override;
    void ParseWeaponsList(const std::string& text) override;
    void ProcessChatReply(const std::string& text) override;
    void OnCommandSent(const std::string& text) override;
    bool ChatBotRunning() override;
    std::vector<std::string> RunSanctionsPass(CommandSink& sink) override;

    // The history this console records to; none: nothing is recorded.
    void SetHistory(HistoryRecorder* history) { m_history = history; }
    // A batch of commands of this console went to the session: the
    // sanctions among them are the console admin's, except those of the
    // ChatBot's pass, which it records with their reasons itself.
    void CommandsSubmitted(const std::vector<PacedCommand>& batch);
    // A remote admin's command went to the game server.
    void AdminCommandSent(const std::string& user, const std::string& text);

  private:
    CServer& m_server;
    PlayerList& m_players;
    CMissions& m_missions;
    CChatBot& m_chatBot;
    CSettings& m_settings;
    const Clock& m_clock;
    PlayerCountHistory m_playerCounts;
    HistoryRecorder* m_history = nullptr;
    bool m_inSanctionsPass = false;
    int m_connections = 0;

    std::string NameOfId(const std::string& id) const;
    void RecordPlayerList(const PlayerCounts& counts);
};

}  // namespace tavrin
