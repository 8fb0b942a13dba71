// large_log_gap: how long the console's event loop ever goes without turning
// while "Scan Chatlog" replays a large chat log on the ChatBot tab and "Review
// Current Event Log" opens a large event log and is scrolled back page by
// page. A 5 ms precise timer beats on the main thread all the while; the
// largest interval between two beats is the longest the window could not
// repaint or take a click. With --on-main-thread the same files go through
// the whole-file calls on the main thread instead (a scan read at once, a
// review of the whole text), for comparison.
//
//   build/bench/large_log_gap [--mb N] [--on-main-thread]

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "chatbot/chatbot.h"
#include "chatbot/ui/chatbot_page.h"
#include "common/log_review.h"
#include "common/ui/log_viewer.h"
#include "common/ui/text_codec.h"
#include "support/fakes.h"
#include "support/qt_loop.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using tavrin::testing::RunUntil;
using tavrin::testing::TempDir;

class NoChatLog final : public tavrin::ChatLogSink {
  public:
    void AppendChatLog(const std::string&, const std::string&) override {}
};

class NoLogObserver final : public tavrin::LogObserver {
  public:
    void EventLineWritten(const std::string&) override {}
    void ChatTextWritten(const std::string&) override {}
    void LogWriteFailed(const std::string&) override {}
};

// Lines of a busy day, `mb` megabytes of them.
void WriteLog(const std::string& path, int mb, bool chat) {
    std::ofstream out(path, std::ios::binary);
    const char* const says[] = {"gg all",    "that was bad luck",  "who has the flag?",
                                "noob move", "cover me, going in", "spam spam spam",
                                "nice shot"};
    const uint64_t bytes = static_cast<uint64_t>(mb) << 20;
    uint64_t written = 0;
    for (uint64_t n = 0; written < bytes; ++n) {
        std::string line = "[" + std::to_string(10 + n / 360000 % 10) + ":" +
                           std::to_string(10 + n / 6000 % 50) + ":" +
                           std::to_string(10 + n / 100 % 50) + "] ";
        line += chat ? "Player" + std::to_string(n % 97) + ": " + says[n % 7]
                     : "Rat Command: player list (" + std::to_string(n) + ")";
        line += "\r\n";
        out << line;
        written += line.size();
    }
}

struct Beat {
    Beat() {
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &timer,
                         [this] { longest = std::max(longest, since.restart()); });
    }
    void Start() {
        longest = 0;
        since.start();
        timer.start(5);
    }
    qint64 Stop() {
        timer.stop();
        return std::max(longest, since.elapsed());
    }
    QTimer timer;
    QElapsedTimer since;
    qint64 longest = 0;
};

}  // namespace

int main(int argc, char** argv) {
    int mb = 100;
    bool onMainThread = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--mb" && i + 1 < argc) {
            mb = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--on-main-thread") {
            onMainThread = true;
        } else {
            std::fprintf(stderr, "usage: large_log_gap [--mb N] [--on-main-thread]\n");
            return 64;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);

    TempDir dir;
    std::filesystem::create_directories(dir.File("Configs"));
    std::filesystem::create_directories(dir.File("07-03-26"));
    std::ofstream(dir.File("Configs/chatbot.cfg"), std::ios::binary)
        << "[WORDS]\n0\\bad\\NO BAD WORDS\\[1 PPts]\\0\\\n1\\noob\\BE NICE\\[0 PPts]\\0\\\n"
           "0\\spam\\NO SPAM\\Monitor Only\\0\\\n[WARNINGS]\n1\\NO BAD WORDS\\\n[DEFAULT]\n3";
    const std::string chatLog = dir.File("07-03-26/chatlog.txt");
    const std::string eventLog = dir.File("07-03-26/adminlog.txt");
    WriteLog(chatLog, mb, true);
    WriteLog(eventLog, mb, false);

    tavrin::ManualClock clock{{2026, 3, 7, 14, 5, 9}};
    tavrin::testing::RecordingLog events;
    tavrin::testing::RecordingCommands commands;
    tavrin::testing::ScriptedDialogs dialogs;
    NoChatLog noChatLog;
    tavrin::CChatBot bot(dir.Path(), clock, events, commands, dialogs, noChatLog,
                         [](const std::string&) { return std::string(); });
    bot.LoadConfiguration();
    tavrin::ChatBotPage page(bot, dialogs);
    page.resize(1000, 560);
    page.show();

    NoLogObserver observer;
    tavrin::EventLog log(dir.Path(), clock, observer);
    tavrin::LogViewer viewer(log, tavrin::LogViewer::Kind::Event);
    QPlainTextEdit wholeText;  // the whole-file review, for comparison

    std::printf("large_log_gap: %d MB chat log and %d MB event log, %s, a beat every 5 ms\n", mb,
                mb, onMainThread ? "whole files on the main thread" : "read in the background");
    Beat beat;
    QElapsedTimer wall;

    // Scan Chatlog.
    dialogs.fileAnswers.push_back(chatLog);
    beat.Start();
    wall.start();
    if (onMainThread) {
        QTimer::singleShot(20, &app, [&] { bot.ScanChatlog(); });
        RunUntil([&] { return !bot.ChatRows().empty(); }, 600s);
    } else {
        QTimer::singleShot(20, &app, [&] {
            page.findChild<QPushButton*>(QStringLiteral("chatScanChatlog"))->click();
        });
        auto* bar = page.findChild<QProgressBar*>(QStringLiteral("chatScanProgress"));
        RunUntil([&] { return !bot.ChatRows().empty() && !bar->isVisible(); }, 600s);
    }
    const qint64 scanGap = beat.Stop();
    std::printf("%-40s %6lld ms  longest gap %5lld ms  (%zu catches listed)\n", "Scan Chatlog",
                static_cast<long long>(wall.elapsed()), static_cast<long long>(scanGap),
                bot.Shamed().Rows().size());

    // Review Current Event Log: its end, then twenty pages back.
    beat.Start();
    wall.start();
    QPlainTextEdit* text =
        onMainThread ? &wholeText : viewer.findChild<QPlainTextEdit*>(QStringLiteral("logText"));
    if (onMainThread) {
        QTimer::singleShot(20, &app, [&] {
            wholeText.setPlainText(tavrin::FromWire(tavrin::ReviewEventLog(log, "").text));
            wholeText.show();
        });
    } else {
        QTimer::singleShot(20, &app, [&] { viewer.Review(); });
    }
    RunUntil([&] { return text->document()->blockCount() > 1; }, 600s);
    const qint64 endShown = wall.elapsed();
    for (int page = 0; page < 20 && !onMainThread; ++page) {
        const int blocks = text->document()->blockCount();
        text->verticalScrollBar()->setValue(0);
        RunUntil([&] { return text->document()->blockCount() > blocks; }, 60s);
    }
    const qint64 reviewGap = beat.Stop();
    std::printf("%-40s %6lld ms  longest gap %5lld ms  (%d lines shown)\n",
                "Review Current Event Log, end shown", static_cast<long long>(endShown),
                static_cast<long long>(reviewGap), text->document()->blockCount());
    std::printf("longest event-loop gap: %lld ms\n",
                static_cast<long long>(std::max(scanGap, reviewGap)));
    return 0;
}
