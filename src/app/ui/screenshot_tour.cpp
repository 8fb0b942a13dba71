#include "app/ui/screenshot_tour.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QToolTip>
#include <cstdio>

#include "app/ui/console_pane.h"
#include "app/ui/info_window.h"
#include "app/ui/widget_dialogs.h"
#include "app/ui/window_app.h"
#include "chatbot/ui/banned_words_dialog.h"
#include "chatbot/ui/caught_window.h"
#include "chatbot/ui/chatbot_page.h"
#include "common/ui/dark_palette.h"
#include "common/ui/log_viewer.h"
#include "common/ui/server_details_dialog.h"
#include "common/ui/text_codec.h"
#include "history/ui/history_window.h"
#include "manager/admin_rights.h"
#include "manager/ui/admins_page.h"
#include "players/admin_actions.h"
#include "players/ui/admin_menu_dialog.h"
#include "players/ui/players_page.h"
#include "schedule/ui/schedule_editor.h"
#include "settings/ui/settings_file_dialog.h"
#include "settings/ui/settings_page.h"

namespace tavrin {
namespace {

// The six commands that follow a login.
constexpr int kFirstReplies = 6;
constexpr int kStepMs = 250;
// The first replies come at once; new chat comes with the status poll's
// "chat get", some 15 s after the login.
constexpr int kDeadlineMs = 30000;

QString Slug(QString text) {
    return text.trimmed().toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

}  // namespace

ScreenshotTour::ScreenshotTour(WindowApp& app, const QString& dir) : m_app(app), m_dir(dir) {
    QDir().mkpath(m_dir);
    // One style for both variants, so the pictures differ only in palette.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    connect(&app.Signals(), &ConsoleSignals::replyRouted, this, &ScreenshotTour::HandleReplyRouted);
    for (int i = 1; i < app.ServerCount(); ++i)
        connect(&app.Signals(i), &ConsoleSignals::fieldChanged, this,
                &ScreenshotTour::BeginWhenReady);
    connect(&app.Signals(), &ConsoleSignals::chatTextWritten, this, [this] {
        m_chatLogged = true;
        BeginWhenReady();
    });
    m_stepTimer.setInterval(kStepMs);
    connect(&m_stepTimer, &QTimer::timeout, this, &ScreenshotTour::RunNextStep);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_replies < kFirstReplies) {
            std::fprintf(stderr, "screenshots: no first replies after %d s\n", kDeadlineMs / 1000);
            m_ok = false;
        }
        Begin();
    });
    m_deadline.start(kDeadlineMs);
}

void ScreenshotTour::HandleReplyRouted() {
    ++m_replies;
    BeginWhenReady();
}

void ScreenshotTour::BeginWhenReady() {
    if (SeveralServers()) {
        if (m_replies >= kFirstReplies && OneReconnects()) Begin();
        return;
    }
    if (m_replies >= kFirstReplies && m_chatLogged) Begin();
}

bool ScreenshotTour::SeveralServers() const {
    return m_app.ServerCount() > 1;
}

bool ScreenshotTour::OneReconnects() const {
    for (int i = 0; i < m_app.ServerCount(); ++i)
        if (m_app.Window().Pane(i).Row().mark == ServerMark::Reconnecting) return true;
    return false;
}

void ScreenshotTour::AddServersSteps() {
    MainWindow& window = m_app.Window();
    for (const bool dark : {false, true}) {
        const QPalette palette = dark ? DarkPalette() : QApplication::style()->standardPalette();
        const QString variant = dark ? QStringLiteral("dark") : QStringLiteral("light");
        m_steps.push_back([palette, &window] {
            QApplication::setPalette(palette);
            window.SelectServer(0);
        });
        m_steps.push_back(
            [this, &window, variant] { Save(&window, QStringLiteral("servers-") + variant); });
    }
}

void ScreenshotTour::Begin() {
    if (!m_steps.empty()) return;
    m_begun = m_replies >= kFirstReplies;
    m_deadline.stop();
    if (SeveralServers()) {
        AddServersSteps();
    } else if (m_app.GetConsole().Remote()) {
        AddRemoteSteps(QStringLiteral("light"), QApplication::style()->standardPalette());
        AddRemoteSteps(QStringLiteral("dark"), DarkPalette());
    } else {
        AddSteps(QStringLiteral("light"), QApplication::style()->standardPalette());
        AddSteps(QStringLiteral("dark"), DarkPalette());
    }
    m_steps.push_back([this] {
        std::printf("screenshots: %d pictures in %s\n", m_saved, qPrintable(m_dir));
        std::fflush(stdout);
        m_app.Window().CloseConsole(false);
    });
    m_stepTimer.start();
}

void ScreenshotTour::RunNextStep() {
    if (m_next >= m_steps.size()) {
        m_stepTimer.stop();
        return;
    }
    m_steps[m_next++]();
}

void ScreenshotTour::AddSteps(const QString& variant, const QPalette& palette) {
    MainWindow& window = m_app.Window();
    m_steps.push_back([palette] { QApplication::setPalette(palette); });

    // In the manager role only the main window differs: its tabs are taken
    // under names of their own, and the windows and dialogs are left out.
    const bool manager = window.InManagerRole();
    const QString prefix = manager ? QStringLiteral("manager-main") : QStringLiteral("main");
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("mainTabs"));
    for (int i = 0; i < tabs->count(); ++i) {
        m_steps.push_back([&window, tabs, i] {
            window.ShowTab(i);
            // An account chosen, so its rights show in the boxes.
            if (auto* admins = qobject_cast<AdminsPage*>(tabs->widget(i))) admins->SelectRow(1);
        });
        m_steps.push_back([this, &window, tabs, i, variant, prefix] {
            Save(&window, QStringLiteral("%1-%2-%3").arg(prefix, Slug(tabs->tabText(i)), variant));
        });
    }
    m_steps.push_back([&window] { window.ShowTab(0); });
    if (manager) return;

    // A window shown in one step is laid out and painted by the next.
    auto windowSteps = [this, variant](const QString& name, std::function<QWidget*()> open) {
        auto shown = std::make_shared<QWidget*>(nullptr);
        m_steps.push_back([shown, open] { *shown = open(); });
        m_steps.push_back([this, shown, name, variant] {
            if (*shown == nullptr) {
                std::fprintf(stderr, "screenshots: %s did not open\n", qPrintable(name));
                m_ok = false;
                return;
            }
            Save(*shown, name + QLatin1Char('-') + variant);
            (*shown)->close();
        });
    };
    windowSteps(QStringLiteral("about"), [&window] {
        window.ShowAbout();
        return window.findChild<QMessageBox*>(QStringLiteral("aboutBox"));
    });
    windowSteps(QStringLiteral("system-variables"), [&window] {
        window.ShowSystemVariables();
        return static_cast<QWidget*>(&window.Information());
    });
    windowSteps(QStringLiteral("event-log"), [&window] {
        window.EventLogViewer().Review();
        return static_cast<QWidget*>(&window.EventLogViewer());
    });
    windowSteps(QStringLiteral("chat-log"), [&window] {
        window.ChatLogViewer().Review();
        return static_cast<QWidget*>(&window.ChatLogViewer());
    });
    windowSteps(QStringLiteral("server-details"), [this, &window] {
        auto* dialog = new ServerDetailsDialog(m_app.GetConsole().Server(), &window);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
        return static_cast<QWidget*>(dialog);
    });
    windowSteps(QStringLiteral("admin-menu-editor"), [&window] {
        window.findChild<QPushButton*>(QStringLiteral("editAdminMenuButton"))->click();
        return static_cast<QWidget*>(window.findChild<PlayersPage*>()->OpenEditor());
    });
    AddPopupSteps(QStringLiteral("player-popup-") + variant);
    // A settings file saved and loaded: the Settings File Data dialog, then
    // its Apply, and the Settings tab while the bulk send goes out.
    auto fileDialog = std::make_shared<QPointer<SettingsFileDialog>>();
    m_steps.push_back([this, &window, fileDialog] {
        window.ShowTab(3);
        auto* lock = window.findChild<QPushButton*>(QStringLiteral("settingsLock"));
        if (lock->text() == QStringLiteral("Unlock")) lock->click();
        const std::string path = m_app.GetConsole().ProgramDir() + "screenshot-settings.txt";
        m_app.Dialogs().AnswerNextFile(path);
        window.findChild<QPushButton*>(QStringLiteral("settingsSave"))->click();
        m_app.Dialogs().AnswerNextFile(path);
        window.findChild<QPushButton*>(QStringLiteral("settingsLoad"))->click();
        *fileDialog = window.findChild<SettingsPage*>()->OpenFileDialog();
    });
    m_steps.push_back([this, fileDialog, variant] {
        if (fileDialog->isNull()) {
            std::fprintf(stderr, "screenshots: the Settings File Data dialog did not open\n");
            m_ok = false;
            return;
        }
        Save(*fileDialog, QStringLiteral("settings-file-data-") + variant);
        (*fileDialog)->findChild<QPushButton*>(QStringLiteral("settingsFileApply"))->click();
    });
    m_steps.push_back([this, &window, variant] {
        Save(&window, QStringLiteral("bulk-send-") + variant);
        window.ShowTab(0);
    });
    // The history: a seeded player found, with his sessions, sanctions and
    // the server's week of counts; and the Players tab's mark with its tooltip.
    if (m_app.Reader()) {
        windowSteps(QStringLiteral("history"), [&window] {
            window.ShowHistory();
            HistoryWindow* history = window.History();
            history->findChild<QLineEdit*>(QStringLiteral("historySearch"))
                ->setText(QStringLiteral("viper"));
            history->Search();
            history->SetRange(HistoryRange::Week);
            return static_cast<QWidget*>(history);
        });
        m_steps.push_back([&window] { window.ShowTab(1); });
        m_steps.push_back([this, &window, variant] {
            Save(&window, QStringLiteral("players-marked-") + variant);
            // The tooltip of the first marked row, on its own.
            auto* list = window.findChild<QAbstractItemView*>(QStringLiteral("playerList"));
            for (int row = 0; row < list->model()->rowCount(); ++row) {
                const QModelIndex name = list->model()->index(row, kColumnName);
                if (name.data(Qt::DecorationRole).isNull()) continue;
                const QPoint at = list->visualRect(name).center();
                QToolTip::showText(list->viewport()->mapToGlobal(at),
                                   name.data(Qt::ToolTipRole).toString(), list);
                return;
            }
            std::fprintf(stderr, "screenshots: no player is marked\n");
            m_ok = false;
        });
        m_steps.push_back([this, &window, variant] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->inherits("QTipLabel") && w->isVisible()) {
                    Save(w, QStringLiteral("player-mark-tooltip-") + variant);
                    QToolTip::hideText();
                    window.ShowTab(0);
                    return;
                }
            }
            window.ShowTab(0);
        });
    }
    // The Schedule editor with a few example rules, one tested; it is
    // closed with Cancel, so the run's own file is left as it was.
    windowSteps(QStringLiteral("schedule"), [&window] {
        window.ShowSchedule();
        auto* editor = window.findChild<ScheduleEditor*>(QStringLiteral("scheduleEditor"));
        if (!editor) return static_cast<QWidget*>(nullptr);
        using Kind = ScheduleRule::Kind;
        const ScheduleRow examples[] = {
            {Kind::Every, "900 s", "chat send Read the rules: no team killing, no camping"},
            {Kind::At, "21:45", "chat send The server restarts at 22:00"},
            {Kind::OnJoin, "", "chat send Welcome {name}! Type !rules for the rules"},
            {Kind::OnMission, "", "chat send Now playing {mission}"},
            {Kind::OnOffender, "3 punts or bans", "chat send Admins: {name} ({id}) has {punts}"},
        };
        const int welcome = static_cast<int>(editor->Rows().size()) + 2;
        for (const ScheduleRow& row : examples) editor->AddRule(row);
        editor->SelectRow(welcome);
        editor->TestRule();
        return static_cast<QWidget*>(editor);
    });
    windowSteps(QStringLiteral("banned-words"), [&window] {
        window.findChild<QPushButton*>(QStringLiteral("chatViewBannedWords"))->click();
        return static_cast<QWidget*>(window.findChild<ChatBotPage*>()->BannedWords());
    });
    windowSteps(QStringLiteral("caught-players"), [&window] {
        window.findChild<QPushButton*>(QStringLiteral("chatViewCaught"))->click();
        return static_cast<QWidget*>(window.findChild<ChatBotPage*>()->Caught());
    });
    windowSteps(QStringLiteral("question"), [&window] {
        const AdminAction punt = BuildAdminAction("Punt\\KICKED FOR TEAM-KILLING", "4", "Sgt.Rock");
        QMessageBox* box = WidgetDialogs::NewQuestionBox(FromWire(punt.confirmation), &window,
                                                         punt.confirmationDefault);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
        return static_cast<QWidget*>(box);
    });
}

void ScreenshotTour::AddPopupSteps(const QString& name, const QString& submenu) {
    MainWindow& window = m_app.Window();
    // The players' popup lives only while it is being chosen from: its
    // picture is taken then, and nothing is chosen.
    auto popup = std::make_shared<QPixmap>();
    m_steps.push_back([&window, popup, submenu] {
        window.ShowTab(1);
        auto* page = window.findChild<PlayersPage*>();
        auto* list = window.findChild<QAbstractItemView*>(QStringLiteral("playerList"));
        page->SetPopupChooser([popup, submenu](QMenu& menu, const QPoint&) -> QAction* {
            QMenu* shown = &menu;
            for (QAction* action : menu.actions())
                if (!submenu.isEmpty() && action->menu() && action->text() == submenu)
                    shown = action->menu();
            shown->adjustSize();
            *popup = shown->grab();
            return nullptr;
        });
        const QPoint at = list->visualRect(list->model()->index(0, 1)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &event);
        page->SetPopupChooser(ExecPopup);
        window.ShowTab(0);
    });
    m_steps.push_back([this, popup, name] {
        const QString path = m_dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!popup->isNull() && popup->save(path)) {
            ++m_saved;
            return;
        }
        std::fprintf(stderr, "screenshots: the players' popup did not open\n");
        m_ok = false;
    });
}

void ScreenshotTour::AddRemoteSteps(const QString& variant, const QPalette& palette) {
    MainWindow& window = m_app.Window();
    m_steps.push_back([palette] { QApplication::setPalette(palette); });
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("mainTabs"));
    // A remote admin of a manager: named by what its account may send.
    const bool narrow = m_app.GetConsole().Rights() != kFullAccess;
    const QString prefix = narrow ? QStringLiteral("remote-narrow") : QStringLiteral("remote-full");
    for (int i = 0; i < tabs->count(); ++i) {
        m_steps.push_back([&window, i] { window.ShowTab(i); });
        m_steps.push_back([this, &window, tabs, i, variant, prefix] {
            Save(&window, QStringLiteral("%1-%2-%3").arg(prefix, Slug(tabs->tabText(i)), variant));
        });
    }
    m_steps.push_back([&window] { window.ShowTab(1); });
    // With a narrow account the punts are greyed: their submenu shows it.
    AddPopupSteps(prefix + QStringLiteral("-player-popup-") + variant,
                  narrow ? QStringLiteral("Punt") : QString());
    if (!narrow) return;
    // A disabled control's tooltip, on its own: Load on the Settings tab.
    m_steps.push_back([&window] {
        window.ShowTab(3);
        auto* load = window.findChild<QPushButton*>(QStringLiteral("settingsLoad"));
        QToolTip::showText(load->mapToGlobal(load->rect().center()), load->toolTip(), load);
    });
    m_steps.push_back([this, &window, variant, prefix] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->inherits("QTipLabel") && w->isVisible()) {
                Save(w, prefix + QStringLiteral("-tooltip-") + variant);
                QToolTip::hideText();
                window.ShowTab(0);
                return;
            }
        }
        std::fprintf(stderr, "screenshots: the tooltip of a refused control did not show\n");
        m_ok = false;
        window.ShowTab(0);
    });
}

void ScreenshotTour::Save(QWidget* widget, const QString& name) {
    const QString path = m_dir + QLatin1Char('/') + name + QStringLiteral(".png");
    if (widget->grab().save(path)) {
        ++m_saved;
        return;
    }
    std::fprintf(stderr, "screenshots: could not write %s\n", qPrintable(path));
    m_ok = false;
}

}  // namespace tavrin
