#include "app/ui/main_window.h"

#include <QTabWidget>
#include <array>

namespace tavrin {
namespace {

struct TabPage {
    const char* objectName;
    const char* text;
};

constexpr std::array<TabPage, 5> kTabPages{{
    {"serverPage", "Server"},
    {"playersPage", "Players"},
    {"missionsPage", "Missions"},
    {"settingsPage", "Settings"},
    {"chatBotPage", "ChatBot"},
}};

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainWindow"));
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("mainTabs"));
    for (const TabPage& entry : kTabPages) {
        auto* page = new QWidget(tabs);
        page->setObjectName(QString::fromLatin1(entry.objectName));
        tabs->addTab(page, QString::fromLatin1(entry.text));
    }
    setCentralWidget(tabs);
}

}  // namespace tavrin
