#pragma once

#include <QMainWindow>

namespace tavrin {

// The console's window: one tab page per subsystem, in the order Server,
// Players, Missions, Settings, ChatBot. The pages are empty for now; each
// will render its model and hand gestures to the core.
class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace tavrin
