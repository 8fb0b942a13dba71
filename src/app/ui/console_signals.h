#pragma once

#include <QObject>
#include <QString>

#include "app/console.h"
#include "link/qt/session_host.h"

namespace tavrin {

// The console's notifications as Qt signals, for the widgets of one window:
// the runtime passes on what its session host and console report, once the
// console has acted on it, and each page connects to what it shows. Texts arrive decoded from
// Windows-1252.
class ConsoleSignals final : public QObject, public SessionHostListener, public ConsoleObserver {
    Q_OBJECT

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
    void TimerFired(TimerId) override {}
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
};

}  // namespace tavrin
