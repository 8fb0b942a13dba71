#pragma once

#include <QWidget>

#include "common/control_permit.h"
#include "common/ui/popup_chooser.h"
#include "missions/missions.h"

class QPushButton;
class QTableView;

namespace tavrin {

class AvailableListModel;
class CycleListModel;

// The Missions tab (object name "missionsPage"): the game server's mission
// cycle ("cycleList", in the server's order, with the current, next and
// flipped pictures) and all available missions ("availableList", sorted by a
// header click), each with its "Refresh" button ("refreshCycleButton",
// "refreshAvailableButton").
//
// Gestures, each one call of CMissions: a double click (or Enter) on an
// available mission adds it to the cycle; a double click (or Delete) on a
// cycle entry removes it; a right click (or the Menu key, Shift+F10) on a
// cycle entry opens the mission menu (Set as Next Mission, Run Next Mission,
// the slots, ...). CMissions posts the commands and shows its own messages,
// through the dialogs the console gave it.
//
// The main window calls Refresh() when the console announces that the
// missions changed: after a mission list or a cycle edit's reply (which the
// router follows with "mission list"), at start-up, and when a new
// connection has emptied the lists. The lists follow each
// refresh in place: selection, scroll position and the available list's sort
// survive, a mission being the same row by its file name.
class MissionsPage final : public QWidget {
    Q_OBJECT

  public:
    explicit MissionsPage(CMissions& missions, QWidget* parent = nullptr);
    ~MissionsPage() override;

    // Test hook: how the mission menu is shown and chosen from (QMenu::exec
    // unless set).
    void SetPopupChooser(PopupChooser chooser) { m_chooser = std::move(chooser); }

  public slots:
    // Shows the core's two lists now.
    void Refresh();
    // The mission menu for the cycle entry at `viewportPos` of the cycle
    // list's viewport.
    void ShowMissionMenu(const QPoint& viewportPos);
    // Whether a command can go out (the session's notification): the mission
    // menu, adding and removing work only then, and the lists say why when
    // they do not.
    void SetCanSend(bool on);
    // What the account may send (a remote console): the Refresh buttons, the
    // lists' adding and removing and each mission menu entry follow their
    // permits; a refused gesture does nothing and the list or the greyed
    // entry says which right is missing.
    void SetPermits(const ControlPermits& permits);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void AddAvailable(int shownRow);
    void RemoveFromCycle(int shownRow);
    void SizeColumns();
    void ShowListTips();

    CMissions& m_missions;
    PopupChooser m_chooser = ExecPopup;
    bool m_canSend = true;
    ControlPermits m_permits;
    CycleListModel* m_cycleModel = nullptr;
    AvailableListModel* m_availableModel = nullptr;
    QTableView* m_cycle = nullptr;
    QTableView* m_available = nullptr;
    QPushButton* m_refreshCycle = nullptr;
    QPushButton* m_refreshAvailable = nullptr;
};

}  // namespace tavrin
