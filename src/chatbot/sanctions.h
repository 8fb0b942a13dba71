#pragma once

// The players caught by the ChatBot ("Players Caught by ChatBot") and the
// sanctions pass that warns or punts them.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/command_sink.h"
#include "common/event_log.h"

namespace tavrin {

// The id text of the first listed player with exactly this name, or empty.
using PlayerIdLookup = std::function<std::string(const std::string& name)>;

class CShamed {
  public:
    struct Row {
        std::string player;  // as written in chat; the row's key, case-sensitive
        int puntPts = 0;
        std::string lastWarning;
        std::string lastCatch;  // the banned word
        bool ticked = false;    // awaiting a warning or a punt
        // Listed by a chat log replay. Such a row only shows who would have
        // been caught: it is never ticked, and live catches of the same
        // player go to a row of their own, so replayed points are never
        // sanctioned.
        bool replayed = false;
        bool operator==(const Row&) const = default;
    };

    // Pauses of the pass, kept after the commands as data.
    static constexpr int kPauseAfterWarningMs = 200;
    static constexpr int kPauseAfterAbortMs = 100;
    static constexpr int kPauseAfterRowMs = 250;
    static constexpr int kPuntAbove = 3;

    CShamed(EventSink& log, CommandSink& commands, PlayerIdLookup findPlayerId);

    // Newest player on top.
    const std::vector<Row>& Rows() const { return m_rows; }

    // One catch reported by the chat scanner. A catch replayed from a chat log
    // goes to the player's replayed row, a live one to the player's live row.
    void RecordCatch(const std::string& player, int puntPoints, const std::string& warning,
                     const std::string& word, bool logScan);

    // Works through the ticked rows: over kPuntAbove points the player is
    // punted, otherwise warned in the game chat. Run once a second while the
    // ChatBot is on and the game server connected. Returns what the main
    // window's "Rat Command" field is to show, in order, one text per punt
    // or warning ("Punt <name> [<word>]", "Warning <name> <warning> <word>").
    [[nodiscard]] std::vector<std::string> RunSanctionsPass();

    // A punt or warning the pass carried out, for the history: the reason
    // is the row's last warning and banned word.
    struct Taken {
        bool punt = false;  // else a warning
        std::string player;
        std::string reason;
        bool operator==(const Taken&) const = default;
    };
    // The punts and warnings of the passes since the last call, in order.
    std::vector<Taken> TakeSanctionsTaken() { return std::exchange(m_taken, {}); }

    // Buttons of the window.
    void ZeroList();
    void ClearList() { m_rows.clear(); }
    void Show() { m_visible = true; }
    void Ok() { m_visible = false; }
    bool Visible() const { return m_visible; }

  private:
    EventSink& m_log;
    CommandSink& m_commands;
    PlayerIdLookup m_findPlayerId;
    std::vector<Row> m_rows;
    std::vector<Taken> m_taken;
    // Alternates the wording of successive warnings, across all players.
    bool m_warningForm = false;
    bool m_visible = false;
};

}  // namespace tavrin
