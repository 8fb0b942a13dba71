#pragma once

#include <QObject>
#include <QString>

#include "app/console.h"

namespace tavrin {

// The console's notices as Qt signals, for the widgets of one window: the
// console has acted on each before it tells, and each page connects to what
// it shows. Texts arrive decoded from Windows-1252.
class ConsoleSignals final : public QObject, public ConsoleObserver {
    Q_OBJECT

  signals:
    void fieldChanged(tavrin::Field field, const QString& text);
    void controlChanged(tavrin::Control control, bool on);
    // A reply after login was routed (its models were announced before).
    void replyRouted(tavrin::ReplyKind kind, int replyClass);
    // The same reply's text, decoded.
    void replyTextRouted(tavrin::ReplyKind kind, const QString& text);
    // One signal per model the console announces changed.
    void playersChanged();
    void missionsChanged();
    void settingsChanged();
    void weaponsChanged();
    void chatChanged();
    void caughtChanged();
    void adminsChanged();
    // What the account of a remote console may send changed (a login).
    void rightsChanged();
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
    void FieldChanged(Field field, const std::string& text) override;
    void ControlChanged(Control control, bool on) override;
    void ReplyRouted(const RouteResult& result, const std::string& text) override;
    void ModelsChanged(ModelChanges changes) override;
    void EventLineWritten(const std::string& line) override;
    void ChatTextWritten(const std::string& block) override;
    void LogWriteFailed(const std::string& failure) override;
    void Started() override { emit started(); }
    void ClockTicked() override { emit clockTicked(); }
    void AdminAccountChanged(int row) override { emit adminAccountChanged(row); }
    void AdminPortChanged(bool listening) override { emit adminPortChanged(listening); }
};

}  // namespace tavrin
