#pragma once

#include <QObject>
#include <QPalette>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

class QWidget;

namespace tavrin {

class WindowApp;

// `tavrinrat --screenshots DIR`: once the console has logged in, its first
// replies are shown and its chat log has lines (or a bound has passed), pictures of the main window
// on each page and of every other window and dialog, at their default sizes, in a light and a dark
// palette, saved as DIR/<what>-<light|dark>.png; then the console closes. Each step runs from a
// timer, so replies keep coming in between.
class ScreenshotTour final : public QObject {
    Q_OBJECT

  public:
    ScreenshotTour(WindowApp& app, const QString& dir);

    // Every picture was saved, after the first replies had come.
    bool Succeeded() const { return m_ok && m_begun; }

  private:
    void HandleReplyRouted();
    void BeginWhenReady();
    // Several servers open: once one of them reconnects, the window with its
    // server list, light and dark (DIR/servers-<light|dark>.png), and no more.
    bool SeveralServers() const;
    bool OneReconnects() const;
    void AddServersSteps();
    void Begin();
    void RunNextStep();
    void AddSteps(const QString& variant, const QPalette& palette);
    // The window as a remote admin of a manager sees it, with every right
    // and with a narrow account (Messages and Warn): its tabs, a disabled
    // control's tooltip and the admin popup, as remote-<full|narrow>-...
    void AddRemoteSteps(const QString& variant, const QPalette& palette);
    // The players' popup on the first row, grabbed while it is open (its
    // submenu of that title instead, when one is given).
    void AddPopupSteps(const QString& name, const QString& submenu = {});
    void Save(QWidget* widget, const QString& name);

    WindowApp& m_app;
    QString m_dir;
    int m_replies = 0;
    bool m_chatLogged = false;
    bool m_begun = false;
    bool m_ok = true;
    int m_saved = 0;
    std::vector<std::function<void()>> m_steps;
    size_t m_next = 0;
    QTimer m_stepTimer;
    QTimer m_deadline;
};

}  // namespace tavrin
