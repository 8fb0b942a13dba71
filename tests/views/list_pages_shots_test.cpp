// Pictures of the Players and Missions tabs for a person to look at: with
// TAVRIN_SCREENSHOT_DIR=DIR set, the pages with the simulated game's data, the
// admin popup open, the confirmation box, the Player Admin Menu editor and
// the mission menu are saved as DIR/<what>-<light|dark>.png. Without it the
// test is skipped.

#include <QDir>
#include <QMessageBox>
#include <QPainter>
#include <QStyleFactory>

#include "app/ui/widget_dialogs.h"
#include "common/text_file.h"
#include "common/ui/icons.h"
#include "common/ui/text_codec.h"
#include "missions/ui/missions_page.h"
#include "players/admin_actions.h"
#include "players/admin_menu.h"
#include "players/ui/admin_menu_dialog.h"
#include "players/ui/players_page.h"
#include "sim/sim_game.h"
#include "support/fakes.h"
#include "support/screenshots.h"
#include "support/temp_dir.h"
#include "views/list_pages_support.h"

namespace tavrin::testing {
namespace {

// The page with the open menus painted over it where they stand on the screen.
QPixmap WithPopups(QWidget& page, const std::vector<QWidget*>& popups) {
    QPixmap shot = page.grab();
    QRect all = shot.rect();
    for (QWidget* popup : popups) all |= QRect(page.mapFromGlobal(popup->pos()), popup->size());
    QPixmap canvas(all.size());
    canvas.fill(page.palette().color(QPalette::Window).darker(130));
    QPainter p(&canvas);
    p.drawPixmap(-all.topLeft(), shot);
    for (QWidget* popup : popups)
        p.drawPixmap(page.mapFromGlobal(popup->pos()) - all.topLeft(), popup->grab());
    return canvas;
}

TEST(ListPagesPictures, SavedWhenAsked) {
    if (!ScreenshotsWanted()) GTEST_SKIP() << kScreenshotDirVariable << " is not set";
    auto save = [&](const QPixmap& pixmap, const QString& name) {
        EXPECT_TRUE(SavePicture(pixmap, name)) << name.toStdString();
    };
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    for (const bool dark : {false, true}) {
        const QString variant = dark ? QStringLiteral("dark") : QStringLiteral("light");
        QApplication::setPalette(dark ? DarkPalette() : QApplication::style()->standardPalette());

        TempDir programDir;
        ASSERT_TRUE(MakeDirectory(programDir.Path() + "Configs"));
        sim::SimGame game(7);
        for (int i = 0; i < 40; ++i) game.Tick();
        PlayerList players;
        RecordingCommands commands;
        ScriptedDialogs dialogs;
        RecordingLog log;
        AdminActions actions(players, commands, dialogs);
        const std::string menuText = DefaultAdminMenu();

        // The Players tab, sorted by kills, one player selected.
        PlayersPage page(players, actions, menuText, programDir.Path(), log, dialogs);
        ShowAt(page, {860, 520});
        players.ParsePlayerList(game.PlayerListReply());
        page.Refresh();
        auto* list = page.findChild<QTableView*>(QStringLiteral("playerList"));
        ClickHeader(*list, 4);
        ClickHeader(*list, 4);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CellPoint(*list, 3));
        QCoreApplication::processEvents();
        save(page.grab(), QStringLiteral("players-") + variant);

        // The admin popup, open on that player with its Warn submenu.
        page.SetPopupChooser([&](QMenu& menu, const QPoint& at) -> QAction* {
            menu.popup(at);
            QMenu* warn = FindAction(menu, {QStringLiteral("Warn")})->menu();
            menu.setActiveAction(FindAction(menu, {QStringLiteral("Warn")}));
            warn->popup(menu.pos() + QPoint(menu.width() - 4, 0));
            QCoreApplication::processEvents();
            save(WithPopups(page, {&menu, warn}), QStringLiteral("players-popup-") + variant);
            warn->close();
            menu.close();
            return nullptr;
        });
        RightClick(*list, CellPoint(*list, 3));

        // The confirmation of a punt, as the window asks it.
        const PlayerRow& row = players.Rows()[0];
        const AdminAction punt = BuildAdminAction("Punt\\KICKED FOR TEAM-KILLING",
                                                  row.cells[kColumnId], row.cells[kColumnName]);
        std::unique_ptr<QMessageBox> box(WidgetDialogs::NewQuestionBox(
            FromWire(punt.confirmation), &page, punt.confirmationDefault));
        box->show();
        QCoreApplication::processEvents();
        save(box->grab(), QStringLiteral("players-confirm-") + variant);
        box->close();

        // The editor, on the en dash row.
        page.EditAdminMenu();
        AdminMenuDialog* editor = page.OpenEditor();
        ASSERT_NE(editor, nullptr);
        auto* table = editor->findChild<QTableView*>(QStringLiteral("adminMenuTable"));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, CellPoint(*table, 8));
        table->model()->setData(table->model()->index(10, 0), Qt::Unchecked, Qt::CheckStateRole);
        QCoreApplication::processEvents();
        save(editor->grab(), QStringLiteral("admin-menu-editor-") + variant);
        editor->reject();

        // The strip's pictures, large, on the list colours.
        QPixmap strip(kStripSize * 40 + 8, 48);
        strip.fill(QApplication::palette().color(QPalette::Base));
        {
            QPainter p(&strip);
            for (int i = 0; i < kStripSize; ++i) {
                p.fillRect(QRect(4 + i * 40, 4, 40, 40),
                           i % 2 ? ListTint(kPlayerRowColour, QApplication::palette())
                                 : QApplication::palette().color(QPalette::Base));
                p.drawPixmap(QRect(8 + i * 40, 8, 32, 32), StripPixmap(i, QApplication::palette()));
            }
        }
        save(strip, QStringLiteral("pictures-") + variant);

        // The Missions tab, with the mission menu open.
        CMissions missions(commands, dialogs);
        MissionsPage missionsPage(missions);
        ShowAt(missionsPage, {860, 520});
        missions.ParseMissionReply(MissionList::Available, game.AvailableReply());
        missions.ParseMissionReply(MissionList::Cycle, game.CycleReply());
        missionsPage.Refresh();
        auto* cycle = missionsPage.findChild<QTableView*>(QStringLiteral("cycleList"));
        QTest::mouseClick(cycle->viewport(), Qt::LeftButton, {}, CellPoint(*cycle, 1));
        QCoreApplication::processEvents();
        save(missionsPage.grab(), QStringLiteral("missions-") + variant);
        missionsPage.SetPopupChooser([&](QMenu& menu, const QPoint& at) -> QAction* {
            menu.popup(at);
            QCoreApplication::processEvents();
            save(WithPopups(missionsPage, {&menu}), QStringLiteral("missions-menu-") + variant);
            menu.close();
            return nullptr;
        });
        RightClick(*cycle, CellPoint(*cycle, 2));
    }
}

}  // namespace
}  // namespace tavrin::testing
