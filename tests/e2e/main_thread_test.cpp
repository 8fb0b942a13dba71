// The console engine in this process, with its real worker thread and socket,
// logged in to the real tavrinrat-sim: the main thread keeps turning while
// paced commands go out, because pauses between commands are timers, never
// sleeps.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/console.h"
#include "link/qt/session_host.h"
#include "sim/sim_client.h"
#include "support/fakes.h"
#include "support/qt_environment.h"
#include "support/qt_loop.h"
#include "support/quiet_console_observer.h"
#include "support/temp_dir.h"

namespace tavrin::testing {
namespace {

[[maybe_unused]] const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment<QCoreApplication>("test_e2e"));

// A console logged in to a sim, with its ChatBot on and two warn-only words.
class MainThread : public ::testing::Test {
  protected:
    MainThread()
        : m_sim(TAVRIN_SIM_PATH, {"--control-port", "0", "--tick-ms", "0", "--seed", "7", "--user",
                                  "admin", "--password", "secret"}) {}

    void SetUp() override {
        ASSERT_GT(m_sim.Port(), 0);
        ASSERT_GT(m_sim.ControlPort(), 0);
        ::mkdir(m_dir.File("Configs").c_str(), 0700);
        std::ofstream(m_dir.File("Configs/servers.cfg"), std::ios::binary)
            << "*FAV*Sim,127.0.0.1," << m_sim.Port() << ",admin,secret\r\n";
        std::ofstream(m_dir.File("Configs/chatbot.cfg"), std::ios::binary)
            << "[WORDS]\r\n1\\blorp\\Keep it clean\\[0 PPts] - Warn Only\\0\\\r\n"
               "[WARNINGS]\r\n1\\Keep it clean\\\r\n[DEFAULT]\r\n2";

        m_console =
            std::make_unique<Console>(m_dir.Path(), m_host, m_dialogs, m_clock, m_host, m_window);
        m_host.Attach(m_console->Session());
        m_host.SetListener(*m_console);
        m_window.console = m_console.get();
        m_console->Initialise();
        // Logged in, and the first six commands through.
        ASSERT_TRUE(RunUntil(
            [&] {
                return Session().State().m_fRATConnected && !Session().PacerBusy() &&
                       m_sim.FindLine("cmd: get gamesettings", 0, 0ms);
            },
            20s))
            << Session().FieldText(Field::Connection);
    }

    void TearDown() override {
        if (!m_console) return;
        m_console->Close(false);
        m_host.WaitForWorkersInPlace(1000);
    }

    RatSession& Session() { return m_console->Session(); }

    // Gaps between the beats of a 5 ms timer on this thread from `start` on,
    // until `done` holds; nothing when `done` never comes.
    std::optional<std::vector<qint64>> BeatGaps(const std::function<void()>& start,
                                                const std::function<bool()>& done) {
        std::vector<qint64> gaps;
        QElapsedTimer since;
        QTimer beat;
        beat.setTimerType(Qt::PreciseTimer);
        QObject::connect(&beat, &QTimer::timeout, &beat, [&] { gaps.push_back(since.restart()); });
        since.start();
        beat.start(5);
        start();
        const bool finished = RunUntil(done, 60s);
        beat.stop();
        if (!finished) return std::nullopt;
        return gaps;
    }

    // The commands the sim received from log line `from` on that begin with `prefix`.
    std::vector<std::string> SimCommands(size_t from, std::string_view prefix) {
        std::vector<std::string> out;
        const auto lines = m_sim.Lines();
        for (size_t i = from; i < lines.size(); ++i)
            if (const size_t at = lines[i].find("] cmd: "); at != std::string::npos)
                if (lines[i].compare(at + 7, prefix.size(), prefix) == 0)
                    out.push_back(lines[i].substr(at + 7));
        return out;
    }

    // What the window would do: at start-up the ChatBot on and Login.
    struct Window final : testing::QuietConsoleObserver {
        Console* console = nullptr;
        void Started() override {
            console->ChatBot().SetOn(true);
            console->Login();
        }
    };

    SimProcess m_sim;
    TempDir m_dir;
    SystemClock m_clock;
    ScriptedDialogs m_dialogs;
    Window m_window;
    QtSessionHost m_host;
    std::unique_ptr<Console> m_console;
};

// A thread that slept through its 200 and 250 ms pauses would leave gaps that
// long; the bound is far above a busy machine's scheduling jitter.
constexpr qint64 kLongestGapMs = 150;

TEST_F(MainThread, KeepsTurningWhileABulkSendIsPaced) {
    // 28 commands, 250 ms apart, as a settings file's apply sends them.
    constexpr int kCommands = 28;
    std::vector<PacedCommand> bulk;
    for (int i = 0; i < kCommands; ++i)
        bulk.push_back({"set GameTime " + std::to_string(60 + i), kCommandPauseMs});
    const size_t from = m_sim.Lines().size();

    const auto gaps = BeatGaps([&] { Session().SubmitBulk(std::move(bulk)); },
                               [&] {
                                   return !Session().PacerBusy() &&
                                          SimCommands(from, "set GameTime ").size() == kCommands;
                               });
    ASSERT_TRUE(gaps) << SimCommands(from, "set").size() << " commands arrived";

    const auto sent = SimCommands(from, "set GameTime ");
    for (int i = 0; i < kCommands; ++i)
        EXPECT_EQ(sent[i], "set GameTime " + std::to_string(60 + i));
    ASSERT_GT(gaps->size(), 50u);
    EXPECT_LT(*std::max_element(gaps->begin(), gaps->end()), kLongestGapMs);
}

TEST_F(MainThread, KeepsTurningWhileASanctionsPassWarns) {
    // Six players use a warn-only word; the chat is fetched at once, and the
    // next clock tick's pass warns each, 450 ms apart.
    constexpr int kPlayers = 6;
    for (int i = 0; i < kPlayers; ++i)
        ASSERT_THAT(m_sim.Control("say Bot" + std::to_string(i) + " such blorp"),
                    ::testing::StartsWith("ok say"));
    const size_t from = m_sim.Lines().size();

    const auto gaps = BeatGaps([&] { Session().OnCommandRequest("chat get"); },
                               [&] { return SimCommands(from, "chat send").size() == kPlayers; });
    ASSERT_TRUE(gaps) << SimCommands(from, "chat send").size() << " warnings sent";

    std::string warned;
    for (const auto& c : SimCommands(from, "chat send")) warned += c + "\n";
    for (int i = 0; i < kPlayers; ++i)
        EXPECT_THAT(warned, ::testing::HasSubstr("Bot" + std::to_string(i) + " "));
    ASSERT_GT(gaps->size(), 50u);
    EXPECT_LT(*std::max_element(gaps->begin(), gaps->end()), kLongestGapMs);
}

}  // namespace
}  // namespace tavrin::testing
