// The console engine in this process, with its real worker thread and socket,
// logged in to the real tavrinrat-sim: the main thread keeps turning while
// paced commands go out, because pauses between commands are timers, never
// sleeps.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "app/console.h"
#include "link/qt/session_host.h"
#include "sim/sim_client.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace tavrin::testing {
namespace {

// Runs the event loop until `done` holds or `timeout` has passed.
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout.count()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

TEST(MainThread, KeepsTurningWhileABulkSendIsPaced) {
    int argc = 1;
    char name[] = "test_e2e_main_thread";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    SimProcess sim(TAVRIN_SIM_PATH,
                   {"--tick-ms", "0", "--seed", "3", "--user", "admin", "--password", "secret"});
    ASSERT_GT(sim.Port(), 0);
    TempDir dir;
    ::mkdir(dir.File("Configs").c_str(), 0700);
    std::ofstream(dir.File("Configs/servers.cfg"), std::ios::binary)
        << "*FAV*Sim,127.0.0.1," << sim.Port() << ",admin,secret\r\n";

    SystemClock clock;
    ScriptedDialogs dialogs;
    QtSessionHost host;
    Console console(dir.Path(), host, dialogs, clock, {});
    host.Attach(console.Session());
    host.onTimer = [&console](TimerId id) {
        console.OnTimer(id);
        return true;
    };
    console.onStarted = [&console] { console.Login(); };
    console.Initialise();

    // Logged in, and the first six commands through.
    ASSERT_TRUE(RunUntil(
        [&] {
            return console.Session().m_fRATConnected && !console.Session().PacerBusy() &&
                   sim.FindLine("cmd: get gamesettings", 0, std::chrono::milliseconds(0));
        },
        20s))
        << console.Session().FieldText(Field::Connection);

    // 28 commands, 250 ms apart, as a settings file's apply sends them.
    constexpr int kCommands = 28;
    std::vector<PacedCommand> bulk;
    for (int i = 0; i < kCommands; ++i)
        bulk.push_back({"set GameTime " + std::to_string(60 + i), kCommandPauseMs});
    const size_t logFrom = sim.Lines().size();

    std::vector<qint64> gaps;
    QElapsedTimer since;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, &beat, [&] { gaps.push_back(since.restart()); });
    since.start();
    beat.start(5);
    console.Session().SubmitBulk(std::move(bulk));
    const bool drained = RunUntil(
        [&] {
            return !console.Session().PacerBusy() &&
                   sim.FindLine("cmd: set GameTime " + std::to_string(60 + kCommands - 1), logFrom,
                                std::chrono::milliseconds(0));
        },
        60s);
    beat.stop();
    ASSERT_TRUE(drained);

    // Every command reached the server, in order.
    std::vector<std::string> sent;
    for (const auto& line : sim.Lines())
        if (const size_t at = line.find("cmd: set GameTime "); at != std::string::npos)
            sent.push_back(line.substr(at + 5));
    ASSERT_EQ(sent.size(), static_cast<size_t>(kCommands));
    for (int i = 0; i < kCommands; ++i)
        EXPECT_EQ(sent[i], "set GameTime " + std::to_string(60 + i));

    // A thread that slept through each 250 ms pause would leave gaps of 250 ms
    // and more; the bound is far above a busy machine's scheduling jitter.
    ASSERT_GT(gaps.size(), 50u);
    EXPECT_LT(*std::max_element(gaps.begin(), gaps.end()), 150) << gaps.size() << " beats";

    console.Close(false);
    host.WaitForWorkersInPlace(1000);
}

}  // namespace
}  // namespace tavrin::testing
