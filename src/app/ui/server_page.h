#pragma once

#include <QWidget>

#include "app/console.h"
#include "app/player_count_history.h"
#include "app/ui/console_signals.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tavrin {

// The player counts of the last hour (total, team 1, team 2) as lines over
// time, in the palette's colours.
class PlayerCountPlot final : public QWidget {
    Q_OBJECT

  public:
    explicit PlayerCountPlot(const PlayerCountHistory& history, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const PlayerCountHistory& m_history;
};

// The Server tab: the login details of the chosen server (the password as
// dots unless shown), Login, Logout and Change (the Server Details dialog),
// the game state, the System Information frame and the player-count plot.
class ServerPage final : public QWidget {
    Q_OBJECT

  public:
    ServerPage(Console& console, ConsoleSignals& consoleSignals, QWidget* parent = nullptr);

  public slots:
    void Login();
    void Logout();
    // Opens the Server Details dialog (window-modal, no nested event loop).
    void ChangeServer();

  public:
    // Draws the plot again: its history changed other than by a player list.
    void RefreshPlot();

    // The Server Details dialog offers "Open" through `open` (see
    // ServerDetailsDialog::OfferOpen); without it there is no such button.
    void SetOpenServer(std::function<std::string(const std::string&)> open) {
        m_openServer = std::move(open);
    }

  private:
    void HandleFieldChanged(Field field, const QString& text);
    void HandleControlChanged(Control control, bool on);
    void ShowLoginDetails();
    void ShowLoginButtons();
    void ShowGameState();
    void ShowSystemInfo();

    Console& m_console;
    QLineEdit* m_record = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_username = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_showPassword = nullptr;
    QPushButton* m_login = nullptr;
    QPushButton* m_logout = nullptr;
    QPushButton* m_change = nullptr;
    QLineEdit* m_mode = nullptr;
    QLineEdit* m_serverName = nullptr;
    QLineEdit* m_players = nullptr;
    QLineEdit* m_mission = nullptr;
    QLineEdit* m_connectionStarted = nullptr;
    QLineEdit* m_operatingSystem = nullptr;
    QLineEdit* m_cpus = nullptr;
    QLineEdit* m_physicalMemory = nullptr;
    QLineEdit* m_processMemory = nullptr;
    PlayerCountPlot* m_plot = nullptr;
    std::function<std::string(const std::string&)> m_openServer;
};

}  // namespace tavrin
