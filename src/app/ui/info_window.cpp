#include "app/ui/info_window.h"

#include <QAction>
#include <QFontDatabase>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "common/ui/text_codec.h"

namespace tavrin {

InfoWindow::InfoWindow(Console& console, ConsoleSignals& consoleSignals, QWidget* parent)
    : QWidget(parent, Qt::Window), m_console(console) {
    setObjectName(QStringLiteral("infoWindow"));

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("infoText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Courier New where there is one, else the system's fixed-pitch font.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({QStringLiteral("Courier New"), font.family()});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(14);
    m_text->setFont(font);
    m_text->setContextMenuPolicy(Qt::CustomContextMenu);

    m_autoRefresh = new QAction(QStringLiteral("AutoRefresh"), this);
    m_autoRefresh->setObjectName(QStringLiteral("autoRefreshAction"));
    m_autoRefresh->setCheckable(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);

    // Room for the dump's widest line and all of its 28 lines.
    const QFontMetrics fm(font);
    resize(fm.horizontalAdvance(QLatin1Char('x')) * 52, fm.lineSpacing() * 32);

    connect(m_autoRefresh, &QAction::triggered, this, &InfoWindow::ToggleAutoRefresh);
    connect(m_text, &QWidget::customContextMenuRequested, this, &InfoWindow::ShowContextMenu);
    connect(&consoleSignals, &ConsoleSignals::clockTicked, this, &InfoWindow::HandleClockTick);

    ShowAutoRefresh();
}

void InfoWindow::ShowSystemVariables() {
    ShowDump(m_console.SystemVariables());
    show();
    raise();
    activateWindow();
    repaint();
}

void InfoWindow::ToggleAutoRefresh() {
    m_console.m_fAutoSysUpdate = !m_console.m_fAutoSysUpdate;
    ShowAutoRefresh();
}

void InfoWindow::HandleClockTick() {
    // The clock tick has just dumped the state; the flag may also have been
    // switched from elsewhere.
    ShowAutoRefresh();
    if (m_console.m_fAutoSysUpdate) ShowDump(m_console.InfoText());
}

void InfoWindow::ShowDump(const std::string& dump) {
    const QString text = FromWire(dump);
    if (m_text->toPlainText() == text) return;
    // A rewrite every second must not throw the reader back to the top.
    const int vertical = m_text->verticalScrollBar()->value();
    const int horizontal = m_text->horizontalScrollBar()->value();
    m_text->setPlainText(text);
    m_text->verticalScrollBar()->setValue(vertical);
    m_text->horizontalScrollBar()->setValue(horizontal);
}

void InfoWindow::ShowAutoRefresh() {
    const bool on = m_console.m_fAutoSysUpdate;
    m_autoRefresh->setChecked(on);
    setWindowTitle(on ? QStringLiteral("AutoSysUpdate On") : QStringLiteral("AutoSysUpdate Off"));
}

void InfoWindow::ShowContextMenu(const QPoint& at) {
    QMenu* menu = m_text->createStandardContextMenu();
    menu->setObjectName(QStringLiteral("infoContextMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    menu->addAction(m_autoRefresh);
    // popup, not exec: no nested event loop.
    menu->popup(m_text->viewport()->mapToGlobal(at));
}

}  // namespace tavrin
