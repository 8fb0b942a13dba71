#include "chatbot/ui/caught_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/ui/new_button.h"
#include "common/ui/text_codec.h"

namespace tavrin {

CaughtWindow::CaughtWindow(CShamed& shamed, QWidget* parent)
    : QWidget(parent, Qt::Window), m_shamed(shamed) {
    setObjectName(QStringLiteral("caughtWindow"));
    setWindowTitle(QStringLiteral("Players Caught by ChatBot"));

    m_list = new QTableWidget(0, 4, this);
    m_list->setObjectName(QStringLiteral("caughtList"));
    m_list->setHorizontalHeaderLabels({QStringLiteral("Player"), QStringLiteral("PuntPts"),
                                       QStringLiteral("Last Warning"),
                                       QStringLiteral("Last Catch")});
    m_list->verticalHeader()->hide();
    const int widths[] = {190, 70, 200, 110};
    for (int c = 0; c < 4; ++c) m_list->setColumnWidth(c, widths[c]);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);

    auto* zero = NewButton(QStringLiteral("Zero List"), QStringLiteral("caughtZero"), this);
    auto* clear = NewButton(QStringLiteral("Clear List"), QStringLiteral("caughtClear"), this);
    auto* ok = NewButton(QStringLiteral("OK"), QStringLiteral("caughtOk"), this);
    connect(zero, &QPushButton::clicked, this, [this] {
        m_shamed.ZeroList();
        Refresh();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_shamed.ClearList();
        Refresh();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        m_shamed.Ok();
        hide();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("Players will be punted when Punt Pts > 3"), this),
                       1);
    buttons->addWidget(zero);
    buttons->addWidget(clear);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(640, 320);
    Refresh();
}

void CaughtWindow::Refresh() {
    const auto& rows = m_shamed.Rows();
    m_list->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const CShamed::Row& row = rows[static_cast<size_t>(r)];
        QString name = FromWire(row.player);
        if (row.replayed) name += QStringLiteral("  (replayed)");
        const QString cells[] = {name, QString::number(row.puntPts), FromWire(row.lastWarning),
                                 FromWire(row.lastCatch)};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (c == 0) item->setCheckState(row.ticked ? Qt::Checked : Qt::Unchecked);
            if (c > 0) item->setTextAlignment(Qt::AlignCenter);
            if (row.replayed) {
                QFont f = item->font();
                f.setItalic(true);
                item->setFont(f);
                item->setToolTip(QStringLiteral("Listed by Scan Chatlog: never warned or punted"));
            }
            m_list->setItem(r, c, item);
        }
    }
}

void CaughtWindow::closeEvent(QCloseEvent* event) {
    // The close box hides the window as OK does; the list is kept.
    m_shamed.Ok();
    event->accept();
}

}  // namespace tavrin
