#pragma once

// A tavrinrat-sim on a port the system picks, a program folder whose
// Configs/servers.cfg names it as the favourite record, and over them the
// desktop console in this process (the real worker thread and socket), for
// tests that find the window's widgets by object name and click them.
// TAVRIN_SIM_PATH is the simulator's path, from the test's CMakeLists.txt.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QString>
#include <QtTest>
#include <functional>
#include <memory>
#include <string>

#include "app/ui/status_field.h"
#include "app/ui/window_app.h"
#include "history/qt/history_writer.h"
#include "sim/sim_client.h"
#include "support/qt_loop.h"
#include "support/sim_folder.h"
#include "support/temp_dir.h"
#include "support/widget_input.h"

namespace tavrin::testing {

// A simulator with a control port, the game ticked only on request, and
// the account admin / secret; the window over its program folder.
class SimWindowTest : public ::testing::Test {
  protected:
    SimWindowTest()
        : m_sim(TAVRIN_SIM_PATH, {"--control-port", "0", "--tick-ms", "0", "--seed", "7", "--user",
                                  "admin", "--password", "secret"}) {}

    // The window made with `options`, its questions answered by script;
    // `wire` runs before it starts. It records to m_history when a test has
    // started one.
    void StartWindow(const ConsoleOptions& options,
                     const std::function<void(WindowApp&)>& wire = {}) {
        ASSERT_GT(m_sim.Port(), 0);
        WriteServersFile(m_dir, SimServerRecord(m_sim.Port()));
        m_app = std::make_unique<WindowApp>(m_dir.Path(), options, OpenServer{}, m_history.get());
        m_app->Dialogs().SetScripted(true);
        if (wire) wire(*m_app);
        m_app->Start();
    }

    void TearDown() override {
        if (!m_app) return;
        if (!m_app->Window().Closing()) m_app->Window().CloseConsole(false);
        RunUntil([&] { return m_app->Finished(); }, 5s);
        m_app.reset();
    }

    template <typename T>
    T* Find(const char* name) {
        return testing::Find<T>(m_app->Window(), name);
    }
    // A status field's text.
    QString Text(const char* field) { return Find<StatusField>(field)->text(); }

    SimProcess m_sim;
    TempDir m_dir;
    std::unique_ptr<HistoryWriter> m_history;  // outlives the window
    std::unique_ptr<WindowApp> m_app;
};

}  // namespace tavrin::testing
