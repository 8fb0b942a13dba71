#pragma once

#include <QObject>
#include <QString>

#include "app/console.h"
#include "link/qt/session_host.h"

namespace tavrin {

// The console's notifications as Qt signals, for the widgets of one window:
// the session host and the console report here, and each page connects to
// what it shows. Texts arrive decoded from Windows-1252.
class ConsoleSignals final : public QObject, public SessionHostListener, public ConsoleObserver {
    Q_OBJECT

  public:
    // The console whose timers this host's ticks drive (it is made after
    // its host, so it is attached once it exists).
    void Attach(Console& console) { m_console = &console; }

  signals:
    void fieldChanged(tavrin::Field field, const QString& text);
    void controlChanged(tavrin::Control control, bool on);
    // A reply after login was routed: the tabs refresh on its kind.
    void replyRouted(tavrin::ReplyKind kind, int replyClass);
    void eventLineWritten(const QString& line);  // without its line end
    void chatTextWritten(const QString& block);
    void logWriteFailed(const QString& failure);
    void started();
    void clockTicked();
    // The manager role: an account's status or last activity changed; the
    // Admin Port opened or closed.
    void adminAccountChanged(int row);
    void adminPortChanged(bool listening);

  private:
    void TimerFired(TimerId id) override;
    void FieldChanged(Field field, const std::string& text) override;
    void ControlChanged(Control control, bool on) override;
    void ReplyRouted(const RouteResult& result, const std::string& text) override;
    void EventLineWritten(const std::string& line) override;
    void ChatTextWritten(const std::string& block) override;
    void LogWriteFailed(const std::string& failure) override;
    void Started() override { emit started(); }
    void ClockTicked() override { emit clockTicked(); }
    void AdminAccountChanged(int row) override { emit adminAccountChanged(row); }
    void AdminPortChanged(bool listening) override { emit adminPortChanged(listening); }

    Console* m_console = nullptr;
};

}  // namespace tavrin
