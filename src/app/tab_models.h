#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/player_count_history.h"
#include "chatbot/chatbot.h"
#include "common/clock.h"
#include "common/server_list.h"
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

  private:
    CServer& m_server;
    PlayerList& m_players;
    CMissions& m_missions;
    CChatBot& m_chatBot;
    CSettings& m_settings;
    const Clock& m_clock;
    PlayerCountHistory m_playerCounts;
};

}  // namespace tavrin
