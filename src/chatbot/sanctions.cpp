#include "chatbot/sanctions.h"

#include <algorithm>
#include <climits>

namespace tavrin {

CShamed::CShamed(EventSink& log, CommandSink& commands, PlayerIdLookup findPlayerId)
    : m_log(log), m_commands(commands), m_findPlayerId(std::move(findPlayerId)) {}

void CShamed::RecordCatch(const std::string& player, int puntPoints, const std::string& warning,
                          const std::string& word, bool logScan) {
    // Warn-only, unknown and (in a replay) monitor-only words add nothing.
    const int add = std::max(puntPoints, 0);
    auto row = std::find_if(m_rows.begin(), m_rows.end(), [&](const Row& r) {
        return r.player == player && r.replayed == logScan;
    });
    if (row == m_rows.end()) {
        m_rows.insert(m_rows.begin(), Row{player, add, warning, word, !logScan, logScan});
        return;
    }
    if (!logScan) row->ticked = true;
    row->lastWarning = warning;
    row->lastCatch = word;
    row->puntPts = row->puntPts > INT_MAX - add ? INT_MAX : row->puntPts + add;
}

std::vector<std::string> CShamed::RunSanctionsPass() {
    std::vector<PacedCommand> batch;
    std::vector<std::string> shown;
    auto send = [&](std::string text) {
        batch.push_back({std::move(text), 0, PacedCommand::Route::Direct});
    };
    // A pause spaces the next command from the last one sent; before the
    // first command of the pass there is nothing to space.
    auto pause = [&](int ms) {
        if (!batch.empty()) batch.back().pauseAfterMs += ms;
    };
    auto show = [&](std::string text) { shown.push_back(std::move(text)); };

    for (size_t i = 0; i < m_rows.size();) {
        if (!m_rows[i].ticked) {
            ++i;
            continue;
        }
        const Row row = m_rows[i];
        if (row.puntPts > kPuntAbove) {
            // The row goes whether or not the punt can be sent; the same index
            // then holds the next row.
            m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(i));
            const std::string id = m_findPlayerId ? m_findPlayerId(row.player) : std::string();
            if (!id.empty()) {
                show("Punt " + row.player + " [" + row.lastCatch + "]");
                m_log.LogEvent("ChatBot Punt (" + id + ") " + row.player +
                               " Last Catch = " + row.lastWarning + " " + row.lastCatch);
                send("player punt " + id);
                m_taken.push_back({true, row.player, row.lastWarning + " " + row.lastCatch});
                send("chat send " + row.player + " punted");
            } else {
                m_log.LogEvent("ChatBot Punt Aborted - No ID for player: " + row.player);
                pause(kPauseAfterAbortMs);
            }
        } else {
            show("Warning " + row.player + " " + row.lastWarning + " " + row.lastCatch);
            m_log.LogEvent("ChatBot Warning " + row.player + " " + row.lastWarning + " " +
                           row.lastCatch);
            if (m_warningForm)
                send("chat send Warning " + row.player + " " + row.lastWarning + " ");
            else
                send("chat send " + row.player + " " + " Warning " + row.lastWarning + " ");
            m_taken.push_back({false, row.player, row.lastWarning + " " + row.lastCatch});
            m_warningForm = !m_warningForm;
            pause(kPauseAfterWarningMs);
            m_rows[i].ticked = false;
            ++i;
        }
        pause(kPauseAfterRowMs);
    }
    if (!batch.empty()) m_commands.SubmitCommands(std::move(batch));
    return shown;
}

void CShamed::ZeroList() {
    for (auto& row : m_rows) row.puntPts = 0;
}

}  // namespace tavrin
