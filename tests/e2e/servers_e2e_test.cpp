// One headless console on two game servers: each server its own session,
// its own day folders and its own prefix on every printed line; SIGTERM
// closes them all.

#include <dirent.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <map>
#include <memory>
#include <utility>

#include "e2e/console_e2e_fixture.h"

namespace tavrin::testing {
namespace {

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') names.emplace_back(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string SimText(SimProcess& sim) {
    std::string out;
    for (const auto& l : sim.Lines()) out += "  | " + l + "\n";
    return out;
}

// The lines of the only day's adminlog.txt under `folder`.
std::vector<std::string> DayLogLines(const std::string& folder) {
    const std::vector<std::string> days = Entries(folder);
    EXPECT_EQ(days.size(), 1u) << folder;
    std::vector<std::string> lines;
    if (days.empty()) return lines;
    std::ifstream file(folder + "/" + days[0] + "/adminlog.txt", std::ios::binary);
    // The log's lines end with CR LF on disk.
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class ServersE2e : public ConsoleE2e {
  protected:
    static std::unique_ptr<SimProcess> Sim(const std::string& user,
                                           std::vector<std::string> faults = {}) {
        std::vector<std::string> args = {"--tick-ms",      "0",  "--seed",     "7",
                                         "--user",         user, "--password", "secret",
                                         "--control-port", "0"};
        args.insert(args.end(), faults.begin(), faults.end());
        return std::make_unique<SimProcess>(TAVRIN_SIM_PATH, args);
    }

    // servers.cfg with these lines, then the console on `extra`.
    void StartConsoleOn(const std::string& servers, std::vector<std::string> extra) {
        ::mkdir(m_dir.File("Configs").c_str(), 0700);
        WriteFile(m_dir.File("Configs/servers.cfg"), servers);
        m_console.emplace(TAVRIN_CONSOLE_PATH, m_dir.Path(), std::move(extra));
        ASSERT_TRUE(m_console->Started());
    }

    // Every printed line begins with one of the prefixes; the event-log
    // lines of each, without it.
    std::map<std::string, std::vector<std::string>> LogLinesByServer(
        const std::vector<std::string>& prefixes) {
        std::map<std::string, std::vector<std::string>> out;
        for (const std::string& line : m_console->Lines()) {
            bool known = false;
            for (const std::string& prefix : prefixes) {
                if (line.rfind(prefix, 0) != 0) continue;
                known = true;
                const std::string rest = line.substr(prefix.size());
                if (LogText(rest) != rest) out[prefix].push_back(rest);
            }
            EXPECT_TRUE(known) << "a line without a server's prefix: \"" << line << "\"";
        }
        return out;
    }
};

TEST_F(ServersE2e, TwoServersRunSideBySideInOneProcess) {
    const auto alpha = Sim("alpha");
    const auto beta = Sim("beta");
    ASSERT_GT(alpha->Port(), 0);
    ASSERT_GT(beta->Port(), 0);
    ASSERT_NO_FATAL_FAILURE(StartConsoleOn(
        "*FAV*Fav,127.0.0.1,1,x,y\r\nAlpha,127.0.0.1," + std::to_string(alpha->Port()) +
            ",alpha,secret\r\nBeta,127.0.0.1," + std::to_string(beta->Port()) + ",beta,secret\r\n",
        {"--server", "Alpha", "--server", "Beta"}));
    for (const char* name : {"[Alpha] ", "[Beta] "}) {
        ASSERT_TRUE(Wait(std::string(name) + "Connection: Connected")) << Transcript();
        ASSERT_TRUE(Wait(std::string(name) + "Server Name: TavrinSim")) << Transcript();
    }
    EXPECT_TRUE(alpha->WaitForLine("login: user alpha accepted")) << SimText(*alpha);
    EXPECT_TRUE(beta->WaitForLine("login: user beta accepted")) << SimText(*beta);

    m_console->Signal(SIGTERM);
    EXPECT_EQ(m_console->WaitExit(10s), 0) << Transcript();
    EXPECT_TRUE(alpha->WaitForLine("connection closed")) << SimText(*alpha);
    EXPECT_TRUE(beta->WaitForLine("connection closed")) << SimText(*beta);

    // Each server's day folders hold its own lines, all of them; the program
    // folder holds none.
    const auto printed = LogLinesByServer({"[Alpha] ", "[Beta] "});
    for (const auto& [prefix, folder] :
         {std::pair{"[Alpha] ", "Servers/Alpha"}, std::pair{"[Beta] ", "Servers/Beta"}}) {
        const std::vector<std::string> logged = DayLogLines(m_dir.File(folder));
        ASSERT_TRUE(printed.count(prefix)) << Transcript();
        EXPECT_EQ(logged, printed.at(prefix)) << folder;
        const auto closing = std::find_if(logged.begin(), logged.end(), [](const auto& l) {
            return LogText(l) == "Program Closing (CANCEL)";
        });
        EXPECT_NE(closing, logged.end()) << folder;
        EXPECT_NE(std::find_if(closing, logged.end(),
                               [](const auto& l) { return LogText(l) == "User Logged out"; }),
                  logged.end())
            << folder;
    }
    // The one history of every server is in the program folder too.
    EXPECT_EQ(Entries(m_dir.Path()),
              (std::vector<std::string>{"Configs", "Servers", "history.db"}));
    EXPECT_EQ(Entries(m_dir.File("Servers")), (std::vector<std::string>{"Alpha", "Beta"}));
}

// A server that refuses every login neither holds up nor disconnects the
// other one.
TEST_F(ServersE2e, OneServersFaultLeavesTheOtherAlone) {
    const auto alpha = Sim("alpha");
    const auto beta = Sim("beta", {"--reject"});
    ASSERT_GT(alpha->Port(), 0);
    ASSERT_GT(beta->Port(), 0);
    ASSERT_NO_FATAL_FAILURE(StartConsoleOn("Alpha,127.0.0.1," + std::to_string(alpha->Port()) +
                                               ",alpha,secret\r\nBeta,127.0.0.1," +
                                               std::to_string(beta->Port()) + ",beta,secret\r\n",
                                           {"--server", "Beta", "--server", "Alpha"}));
    EXPECT_TRUE(beta->WaitForLine("login: rejected by the reject fault")) << SimText(*beta);
    ASSERT_TRUE(Wait("[Alpha] Connection: Connected")) << Transcript();
    ASSERT_TRUE(Wait("[Alpha] Server Name: TavrinSim")) << Transcript();
    EXPECT_TRUE(beta->WaitForLine("login: rejected by the reject fault", 0, 0s));
    EXPECT_FALSE(m_console->WaitFor("[Beta] Connection: Connected", 0, 0s)) << Transcript();

    m_console->Signal(SIGTERM);
    EXPECT_EQ(m_console->WaitExit(10s), 0) << Transcript();
    // Alpha stayed connected until its closing, and logged out after it.
    const auto printed = LogLinesByServer({"[Alpha] ", "[Beta] "});
    const std::vector<std::string> lines = m_console->Lines();
    const auto connected = std::find(lines.begin(), lines.end(), "[Alpha] Connection: Connected");
    const auto closing = std::find_if(connected, lines.end(), [](const std::string& l) {
        return l.rfind("[Alpha] ", 0) == 0 && LogText(l.substr(8)) == "Program Closing (CANCEL)";
    });
    ASSERT_NE(closing, lines.end()) << Transcript();
    EXPECT_EQ(
        std::find_if(connected + 1, closing,
                     [](const std::string& l) { return l.rfind("[Alpha] Connection: ", 0) == 0; }),
        closing)
        << Transcript();
    const auto logText = [](const std::vector<std::string>& logged) {
        std::vector<std::string> texts;
        for (const auto& l : logged) texts.emplace_back(LogText(l));
        return texts;
    };
    EXPECT_THAT(logText(printed.at("[Alpha] ")),
                ::testing::IsSupersetOf({"Program Closing (CANCEL)", "User Logged out"}));
    EXPECT_THAT(logText(printed.at("[Beta] ")), ::testing::Contains("Program Closing (CANCEL)"));
    EXPECT_TRUE(alpha->FindLine("connection closed")) << SimText(*alpha);
}

// A record that cannot be logged in to leaves the others running; when no
// server is left the console ends with status 2, as with one.
TEST_F(ServersE2e, EndsWithStatusTwoWhenNoServerCanLogIn) {
    ASSERT_NO_FATAL_FAILURE(StartConsoleOn("A,0.0.0.0,1,u,p\r\nB,127.0.0.1,2,,p\r\n",
                                           {"--server", "A", "--server", "B"}));
    EXPECT_EQ(m_console->WaitExit(10s), 2) << Transcript();
    EXPECT_TRUE(Wait("[A] Message: Check Server details", 0, 0s)) << Transcript();
    EXPECT_TRUE(Wait("[B] Message: Check Server details", 0, 0s)) << Transcript();
}

// Five servers from one process: each logged in and polled; a reset of one
// reconnects it after its countdown while every other one keeps being polled;
// each server's event log holds its own lines only; SIGTERM logs every one
// out.
TEST_F(ServersE2e, FiveServersKeepPollingWhileOneReconnectsSlow) {
    constexpr size_t kServers = 5;
    constexpr size_t kReset = 2;  // S3
    std::vector<std::unique_ptr<SimProcess>> sims;
    std::string records;
    std::vector<std::string> args;
    for (size_t i = 0; i < kServers; ++i) {
        const std::string name = "S" + std::to_string(i + 1);
        sims.push_back(Sim("s" + std::to_string(i + 1)));
        ASSERT_GT(sims.back()->Port(), 0);
        ASSERT_GT(sims.back()->ControlPort(), 0);
        records += name + ",127.0.0.1," + std::to_string(sims.back()->Port()) + ",s" +
                   std::to_string(i + 1) + ",secret\r\n";
        args.insert(args.end(), {"--server", name});
    }
    ASSERT_NO_FATAL_FAILURE(StartConsoleOn(records, args));
    std::vector<std::string> prefixes;
    for (size_t i = 0; i < kServers; ++i) prefixes.push_back("[S" + std::to_string(i + 1) + "] ");

    // Logged in, the first replies handled (the settings come last); from
    // then on only the poll sends commands, so each new one is a poll.
    for (const std::string& prefix : prefixes) {
        ASSERT_TRUE(Wait(prefix + "Connection: Connected")) << Transcript();
        ASSERT_TRUE(Wait(prefix + "Server Name: TavrinSim")) << Transcript();
    }
    std::vector<size_t> from(kServers);
    for (size_t i = 0; i < kServers; ++i) from[i] = sims[i]->LineCount();
    for (size_t i = 0; i < kServers; ++i)
        EXPECT_TRUE(sims[i]->WaitForLine("] cmd: ", from[i], 15s)) << SimText(*sims[i]);

    // The reset: the others' polls go on through the countdown, until the
    // reset server's second login.
    for (size_t i = 0; i < kServers; ++i) from[i] = sims[i]->LineCount();
    EXPECT_EQ(sims[kReset]->Control("reset"), "ok reset");
    const auto relogin = sims[kReset]->WaitForLine("login: user s3 accepted", from[kReset], 60s);
    ASSERT_TRUE(relogin) << SimText(*sims[kReset]);
    ASSERT_TRUE(m_console->WaitForPart("AutoRecon OK", 0, 10s)) << Transcript();
    for (size_t i = 0; i < kServers; ++i) {
        if (i == kReset) continue;
        const auto polls = SimCommands(sims[i]->Lines(), from[i]);
        EXPECT_GE(polls.size(), 2u) << "S" << i + 1 << " during the countdown\n"
                                    << SimText(*sims[i]);
    }
    const size_t afterRelogin = *sims[kReset]->FindLine("login: user s3 accepted", from[kReset]);

    m_console->Signal(SIGTERM);
    EXPECT_EQ(m_console->WaitExit(10s), 0) << Transcript();
    for (size_t i = 0; i < kServers; ++i)
        EXPECT_TRUE(sims[i]->WaitForLine("connection closed", i == kReset ? afterRelogin : 0))
            << SimText(*sims[i]);

    // Each day log is what its server printed, names only its own port, and
    // the reconnect is in the reset server's log alone.
    const auto printed = LogLinesByServer(prefixes);
    for (size_t i = 0; i < kServers; ++i) {
        const std::string own = "127.0.0.1:" + std::to_string(sims[i]->Port());
        const std::vector<std::string> logged =
            DayLogLines(m_dir.File("Servers/S" + std::to_string(i + 1)));
        ASSERT_TRUE(printed.count(prefixes[i])) << Transcript();
        EXPECT_EQ(logged, printed.at(prefixes[i])) << prefixes[i];
        size_t requests = 0;
        bool reconnected = false;
        for (const std::string& line : logged) {
            const std::string text(LogText(line));
            if (text.find("Login Request: ") != std::string::npos) {
                ++requests;
                EXPECT_NE(text.find(own), std::string::npos) << prefixes[i] << text;
            }
            if (text == "AutoRecon OK") reconnected = true;
        }
        EXPECT_EQ(requests, i == kReset ? 2u : 1u) << prefixes[i];
        EXPECT_EQ(reconnected, i == kReset) << prefixes[i];
        EXPECT_THAT(logged, ::testing::Contains(::testing::EndsWith("User Logged out")))
            << prefixes[i];
    }
}

}  // namespace
}  // namespace tavrin::testing
