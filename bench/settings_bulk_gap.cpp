// settings_bulk_gap: how long the console's event loop ever goes without
// turning while an applied settings file goes out in bulk, with the Settings
// tab and its progress bar shown. A console with its real worker thread is
// logged in to tavrinrat-sim on loopback; the tab saves a settings file,
// loads it in the Settings File Data dialog and applies it, and the 28
// commands go out 250 ms apart. A 5 ms precise timer beats on the main
// thread all the while; the largest interval between two beats is the
// longest the window could not repaint or take a click.
//
//   build/bench/settings_bulk_gap [--rounds N]

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/qt/console_runtime.h"
#include "app/ui/console_signals.h"
#include "link/qt/session_host.h"
#include "settings/ui/settings_file_dialog.h"
#include "settings/ui/settings_page.h"
#include "sim/sim_client.h"
#include "support/fakes.h"
#include "support/qt_loop.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using tavrin::testing::RunUntil;
using tavrin::testing::SimProcess;
using tavrin::testing::TempDir;

// The console as the window wires it, and the Settings tab's host.
struct Rig final : tavrin::SettingsPageHost {
    explicit Rig(const std::string& dir) : runtime(dir, {}, dialogs, consoleSignals) {}
    ~Rig() override {
        console.Close(false);
        host.WaitForWorkersInPlace(1000);
    }
    void ApplySettingsFile(const std::string& applied) override {
        console.ApplySettingsFile(applied);
    }
    tavrin::SettingsBulkProgress BulkProgress() const override {
        const auto p = console.Session().Bulk();
        return {p.done, p.total, p.running};
    }
    void SettingsSaved() override {}

    tavrin::ConsoleSignals consoleSignals;
    tavrin::testing::ScriptedDialogs dialogs;
    tavrin::ConsoleRuntime runtime;
    tavrin::Console& console = runtime.GetConsole();
    tavrin::QtSessionHost& host = runtime.Host();
};

}  // namespace

int main(int argc, char** argv) {
    int rounds = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: settings_bulk_gap [--rounds N]\n");
            return 64;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);

    SimProcess sim(TAVRIN_SIM_PATH, {"--seed", "7", "--user", "admin", "--password", "secret"});
    if (sim.Port() <= 0) {
        std::fprintf(stderr, "settings_bulk_gap: tavrinrat-sim did not start\n");
        return 1;
    }
    TempDir dir;
    std::filesystem::create_directories(dir.File("Configs"));
    std::filesystem::create_directories(dir.File("Settings"));
    std::ofstream(dir.File("Configs/servers.cfg"), std::ios::binary)
        << "*FAV*Sim,127.0.0.1," << sim.Port() << ",admin,secret\r\n";

    Rig rig(dir.Path());
    size_t routed = 0;
    QObject::connect(&rig.consoleSignals, &tavrin::ConsoleSignals::replyRouted, &app,
                     [&] { ++routed; });
    tavrin::SettingsPage page(rig.console.Settings(), rig.dialogs, rig);
    QObject::connect(&rig.consoleSignals, &tavrin::ConsoleSignals::replyRouted, &page,
                     &tavrin::SettingsPage::Refresh);
    page.resize(1100, 640);
    page.show();

    rig.console.Initialise();
    if (!RunUntil([&] { return rig.console.Started(); }, 10s) || !rig.console.Login() ||
        !RunUntil([&] { return routed >= 6 && !rig.console.Session().PacerBusy(); }, 20s)) {
        std::fprintf(stderr, "settings_bulk_gap: no login to the simulator\n");
        return 1;
    }
    page.findChild<QPushButton*>(QStringLiteral("settingsLock"))->click();
    const std::string file = dir.File("Settings/bench.txt");
    rig.dialogs.fileAnswers.push_back(file);
    page.findChild<QPushButton*>(QStringLiteral("settingsSave"))->click();

    QTimer beatTimer;
    beatTimer.setTimerType(Qt::PreciseTimer);
    QElapsedTimer since;
    std::vector<qint64> gaps;
    QObject::connect(&beatTimer, &QTimer::timeout, &app, [&] { gaps.push_back(since.restart()); });
    auto* bar = page.findChild<QProgressBar*>(QStringLiteral("bulkProgress"));

    std::printf("settings_bulk_gap: %d rounds of a 28-command bulk send, a beat every 5 ms\n",
                rounds);
    qint64 longestOverall = 0;
    for (int round = 1; round <= rounds; ++round) {
        rig.dialogs.fileAnswers.push_back(file);
        page.findChild<QPushButton*>(QStringLiteral("settingsLoad"))->click();
        tavrin::SettingsFileDialog* dialog = page.OpenFileDialog();
        if (!dialog) {
            std::fprintf(stderr, "settings_bulk_gap: the Settings File Data dialog did not open\n");
            return 1;
        }
        QElapsedTimer wall;
        gaps.clear();
        since.start();
        beatTimer.start(5);
        wall.start();
        dialog->findChild<QPushButton*>(QStringLiteral("settingsFileApply"))->click();
        const bool finished =
            RunUntil([&] { return !rig.console.Session().Bulk().running; }, 30s) &&
            RunUntil([&] { return bar->value() == bar->maximum(); }, 2s);
        const qint64 took = wall.elapsed();
        beatTimer.stop();
        std::sort(gaps.begin(), gaps.end());
        if (gaps.empty()) {
            std::printf("round %d: no beats\n", round);
            continue;
        }
        const qint64 p99 = gaps[std::min(gaps.size() - 1, gaps.size() * 99 / 100)];
        longestOverall = std::max(longestOverall, gaps.back());
        std::printf(
            "round %d: %5zu beats in %5lld ms  median %2lld ms  p99 %2lld ms  longest %3lld ms%s\n",
            round, gaps.size(), static_cast<long long>(took),
            static_cast<long long>(gaps[gaps.size() / 2]), static_cast<long long>(p99),
            static_cast<long long>(gaps.back()), finished ? "" : "  (did not finish)");
    }
    std::printf("longest event-loop gap during the bulk sends: %lld ms\n",
                static_cast<long long>(longestOverall));
    return 0;
}
