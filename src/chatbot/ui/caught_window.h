#pragma once

#include <QWidget>

#include "chatbot/sanctions.h"

class QTableWidget;

namespace tavrin {

// The modeless "Players Caught by ChatBot" window over CShamed: one row per
// player (a tick while awaiting a warning or punt; a row listed by a chat log
// replay marked "(replayed)" and in italics), Zero List, Clear List and OK,
// which hides it. Refresh() shows the rows as they stand.
//
// Object names: caughtWindow, caughtList, caughtZero, caughtClear, caughtOk.
class CaughtWindow final : public QWidget {
    Q_OBJECT

  public:
    explicit CaughtWindow(CShamed& shamed, QWidget* parent = nullptr);

  public slots:
    void Refresh();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    CShamed& m_shamed;
    QTableWidget* m_list = nullptr;
};

}  // namespace tavrin
