#include "app/qt/console_runtime.h"

#include <QDir>
#include <iostream>

namespace tavrin {

ConsoleRuntime::ConsoleRuntime(const std::string& programDir, const ConsoleOptions& options,
                               UserDialogs& dialogs, ConsoleObserver& observer)
    : m_options(options), m_console(programDir, m_host, dialogs, m_clock, m_host, observer) {
    m_host.Attach(m_console.Session());
    m_host.SetListener(m_console);
    if (options.dump) m_console.m_fAutoSysUpdate = true;
    // --chatbot before the front-end's login, as a person would.
    m_console.SetChatBotOnAtStart(options.chatbot);
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

}  // namespace tavrin
