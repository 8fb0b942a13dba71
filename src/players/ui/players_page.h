#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "common/control_permit.h"
#include "common/event_log.h"
#include "common/ui/popup_chooser.h"
#include "common/user_dialogs.h"
#include "players/admin_actions.h"
#include "players/admin_menu.h"
#include "players/player_list.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tavrin {

class AdminMenuDialog;
class PlayerFilterModel;
class PlayerListModel;
class PlayerStatsModel;

// The Players tab (object name "playersPage"): the players list
// ("playerList": team picture, id, name, team, class, kills, deaths, ping;
// header clicks sort with an arrow on the sorted column; a tooltip per row),
// the filter box over it ("playerFilter": part of a name, or the start of a
// team's name), the team tallies ("statsTable"), "Show Host"
// ("showHostCheck"), "Refresh PlayerList" ("refreshPlayersButton"), "Edit
// Admin Menu" ("editAdminMenuButton", the "Player Admin Menu" dialog) and the
// count of shown and selected players ("selectedCountLabel").
//
// A right click on a player, or the Menu key or Shift+F10 on the current one,
// opens the admin popup built from the admin menu; the chosen entry goes to
// AdminActions, which asks for confirmation and posts the commands.
//
// The page renders the core's PlayerList in the order the list holds and
// never parses nor sorts by itself: a header click is the list's own sort,
// and the main window calls Refresh() when the console announces that the
// players changed. The list follows each refresh in place: selection,
// current row and scroll position survive, a player being the same row by id.
class PlayersPage final : public QWidget {
    Q_OBJECT

  public:
    // `adminMenuText` is the text loaded at start-up (read at each right
    // click, so a load after the page was built is seen); the editor's OK
    // replaces it for this page and writes Configs/adminmenu.cfg under
    // `programDir` (which ends with the separator), a failure going to `log`.
    // `dialogs` shows the page's own messages (the menu's "!", the editor's
    // refusals); AdminActions asks its confirmation through its own.
    PlayersPage(PlayerList& players, AdminActions& actions, const std::string& adminMenuText,
                const std::string& programDir, EventSink& log, UserDialogs& dialogs,
                QWidget* parent = nullptr);
    ~PlayersPage() override;

    // Test hook: how popups are shown and chosen from (QMenu::exec unless set).
    void SetPopupChooser(PopupChooser chooser) { m_chooser = std::move(chooser); }

    // The admin menu the popup offers: the loaded one, or the last one saved.
    const std::string& AdminMenuText() const { return m_menuFile.Text(); }
    // Marks the player `name` as sanctioned before, `text` saying so in the
    // row's tooltip; the mark stays while the page lives.
    void SetPlayerMark(const std::string& name, const QString& text);
    bool PlayerMarked(const std::string& name) const;

    // The editor while it is open, else null.
    AdminMenuDialog* OpenEditor() const;

  public slots:
    // Shows the core's rows, tallies, sort and Show Host state now.
    void Refresh();
    // Whether a command can go out (the session's notification): the admin
    // popup opens only then, and the list says why when it does not.
    void SetCanSend(bool on);
    // What the account may send (a remote console): Refresh PlayerList and
    // each admin menu entry follow their permits, a refused entry greyed in
    // the popup with the tooltip naming the missing right.
    void SetPermits(const ControlPermits& permits);
    // "Edit Admin Menu": opens the editor, window-modal (no nested event loop);
    // its OK saves the menu.
    void EditAdminMenu();
    // The admin popup for the player at `viewportPos` of the list's viewport.
    void ShowPlayerPopup(const QPoint& viewportPos);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void HandleHeaderClicked(int column);
    void HandleShowHostToggled(bool on);
    void ShowCounts();
    void SizeColumns();

    PlayerList& m_players;
    AdminActions& m_actions;
    AdminMenuFile m_menuFile;
    UserDialogs& m_dialogs;
    PopupChooser m_chooser = ExecPopup;
    bool m_canSend = true;
    ControlPermits m_permits;

    PlayerListModel* m_model = nullptr;
    PlayerFilterModel* m_filter = nullptr;
    PlayerStatsModel* m_stats = nullptr;
    QLineEdit* m_filterBox = nullptr;
    QTableView* m_list = nullptr;
    QTableView* m_statsTable = nullptr;
    QCheckBox* m_showHost = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_edit = nullptr;
    QLabel* m_counts = nullptr;
    QPointer<AdminMenuDialog> m_editor;
};

}  // namespace tavrin
