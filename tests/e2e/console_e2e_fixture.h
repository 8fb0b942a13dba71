#pragma once

// One simulator and one headless console logging in to it: the fixture of the
// end-to-end tests, with the ways they read both programs' output.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "e2e/console_process.h"
#include "sim/sim_client.h"
#include "support/temp_dir.h"

namespace tavrin::testing {

inline const std::string kSeparatorEquals(49, '=');
inline const std::string kSeparatorDashes(49, '-');

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Milliseconds since midnight of a sim log line "[HH:MM:SS.mmm] ...".
inline long SimStampMs(const std::string& line) {
    int h = 0, m = 0, s = 0, ms = 0;
    if (std::sscanf(line.c_str(), "[%d:%d:%d.%d]", &h, &m, &s, &ms) != 4) return -1;
    return ((h * 60L + m) * 60L + s) * 1000L + ms;
}

// The commands the sim logged from line `from` on, with their time stamps.
struct LoggedCommand {
    std::string text;
    long ms;
};
inline std::vector<LoggedCommand> SimCommands(const std::vector<std::string>& log, size_t from) {
    std::vector<LoggedCommand> out;
    for (size_t i = from; i < log.size(); ++i) {
        const size_t at = log[i].find("] cmd: ");
        if (at != std::string::npos) out.push_back({log[i].substr(at + 7), SimStampMs(log[i])});
    }
    return out;
}

inline bool IsPlayerCounts(std::string_view line) {
    const std::string text(line);
    int total = 0, a = 0, b = 0, used = 0;
    if (std::sscanf(text.c_str(), "Players: %d / %d / %d%n", &total, &a, &b, &used) != 3)
        return false;
    return static_cast<size_t>(used) == text.size() && total > 0 && total == a + b;
}

// One sim and one console logging in to it with the favourite record.
class ConsoleE2e : public ::testing::Test {
  protected:
    void StartSim(std::vector<std::string> faults = {}) {
        std::vector<std::string> args = {"--control-port", "0",     "--tick-ms", "0",
                                         "--seed",         "7",     "--user",    "admin",
                                         "--password",     "secret"};
        args.insert(args.end(), faults.begin(), faults.end());
        m_sim.emplace(TAVRIN_SIM_PATH, args);
        ASSERT_GT(m_sim->Port(), 0);
        ASSERT_GT(m_sim->ControlPort(), 0);
    }

    void StartConsole(std::vector<std::string> extra = {},
                      const std::string& account = "admin,secret") {
        ::mkdir(m_dir.File("Configs").c_str(), 0700);
        WriteFile(m_dir.File("Configs/servers.cfg"),
                  "*FAV*Sim,127.0.0.1," + std::to_string(m_sim->Port()) + "," + account + "\r\n");
        m_console.emplace(TAVRIN_CONSOLE_PATH, m_dir.Path(), extra);
        ASSERT_TRUE(m_console->Started());
    }

    // Logged in, and the six first replies handled (the settings come last).
    void WaitLoggedIn() {
        ASSERT_TRUE(Wait("Connection: Connected")) << Transcript();
        ASSERT_TRUE(Wait("Server Name: TavrinSim")) << Transcript();
    }

    std::optional<size_t> Wait(std::string_view line, size_t from = 0,
                               std::chrono::milliseconds timeout = 10s) {
        return m_console->WaitFor(line, from, timeout);
    }

    // The console's lines after `from` hold `expected` in this order; an
    // expected line that begins with "*" is matched anywhere in a line.
    void ExpectInOrder(const std::vector<std::string>& expected, size_t from = 0,
                       std::chrono::milliseconds timeout = 10s) {
        for (const auto& line : expected) {
            const auto at = line.rfind('*', 0) == 0
                                ? m_console->WaitForPart(line.substr(1), from, timeout)
                                : m_console->WaitFor(line, from, timeout);
            ASSERT_TRUE(at) << "no \"" << line << "\" in order\n" << Transcript();
            from = *at + 1;
        }
    }

    bool ConsoleSaid(std::string_view part) {
        for (const auto& l : m_console->Lines())
            if (l.find(part) != std::string::npos) return true;
        return false;
    }

    // Closing as Cancel (SIGTERM or SIGINT) ends the process with status 0
    // from any state.
    void ExpectCleanExitOn(int signo) {
        m_console->Signal(signo);
        EXPECT_EQ(m_console->WaitExit(10s), 0) << Transcript();
        const auto closing = Wait("Program Closing (CANCEL)", 0, 5s);
        ASSERT_TRUE(closing) << Transcript();
        EXPECT_EQ(LogText(m_console->Line(*closing - 1)), kSeparatorEquals);
        EXPECT_EQ(LogText(m_console->Line(*closing + 1)), kSeparatorEquals);
    }

    std::string Transcript() {
        return "console:\n" + (m_console ? m_console->Transcript() : "") + "sim:\n" + SimLog();
    }
    std::string SimLog() {
        std::string out;
        if (m_sim)
            for (const auto& l : m_sim->Lines()) out += "  | " + l + "\n";
        return out;
    }

    TempDir m_dir;
    std::optional<SimProcess> m_sim;
    std::optional<ConsoleProcess> m_console;
};

}  // namespace tavrin::testing
