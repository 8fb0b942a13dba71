#include "app/qt/console_runtime.h"

#include <QDir>
#include <iostream>

namespace tavrin {

ConsoleRuntime::ConsoleRuntime(const std::string& programDir, const ConsoleOptions& options,
                               UserDialogs& dialogs, SessionHostListener& listener,
                               ConsoleObserver& observer)
    : m_options(options),
      m_listener(listener),
      m_observer(observer),
      m_console(programDir, m_host, dialogs, m_clock, m_host, *this) {
    m_host.Attach(m_console.Session());
    if (options.dump) m_console.m_fAutoSysUpdate = true;
    if (options.manager.manager) {
        m_port = std::make_unique<QtAdminPort>(m_console.AdminManager(), options.manager.port);
        m_console.AdminManager().AttachPort(*m_port);
        m_console.AdminManager().SetConnectionLimit(options.manager.maxAdmins);
    }
}

// The port reports to the console: it goes first (the members' order).
ConsoleRuntime::~ConsoleRuntime() = default;

std::optional<std::string> ConsoleRuntime::ProgramFolder(const ConsoleOptions& options) {
    std::string dir = options.dir.empty() ? QDir::currentPath().toStdString() : options.dir;
    if (!QDir(QString::fromStdString(dir)).exists()) {
        std::cerr << "tavrinrat: no such folder: " << dir << "\n";
        return std::nullopt;
    }
    dir = QDir(QString::fromStdString(dir)).absolutePath().toStdString();
    if (dir.back() != '/') dir += '/';
    return dir;
}

void ConsoleRuntime::Initialise() {
    m_console.Initialise(m_port ? ConsoleRole::Manager : ConsoleRole::Client);
}

void ConsoleRuntime::TimerFired(TimerId id) {
    m_console.OnTimer(id);
    m_listener.TimerFired(id);
}

void ConsoleRuntime::FieldChanged(Field field, const std::string& text) {
    m_listener.FieldChanged(field, text);
}

void ConsoleRuntime::ControlChanged(Control control, bool on) {
    m_listener.ControlChanged(control, on);
}

void ConsoleRuntime::ReplyRouted(const RouteResult& result, const std::string& text) {
    // The admins' copies first: they wait on no page.
    m_console.OnReplyRouted(result, text);
    m_listener.ReplyRouted(result, text);
}

void ConsoleRuntime::EventLineWritten(const std::string& line) {
    m_observer.EventLineWritten(line);
}

void ConsoleRuntime::ChatTextWritten(const std::string& block) {
    m_observer.ChatTextWritten(block);
}

void ConsoleRuntime::LogWriteFailed(const std::string& failure) {
    m_observer.LogWriteFailed(failure);
}

void ConsoleRuntime::Started() {
    // --chatbot before the front-end's login, as a person would.
    if (m_options.chatbot) m_console.ChatBot().SetOn(true);
    m_observer.Started();
}

void ConsoleRuntime::ClockTicked() {
    m_observer.ClockTicked();
}

void ConsoleRuntime::AdminAccountChanged(int row) {
    m_observer.AdminAccountChanged(row);
}

void ConsoleRuntime::AdminPortChanged(bool listening) {
    m_observer.AdminPortChanged(listening);
}

}  // namespace tavrin
