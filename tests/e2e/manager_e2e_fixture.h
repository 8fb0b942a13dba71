#pragma once

// The simulator with a real headless manager logged in to it, its Admin Port
// on a loopback port the system picks, and three accounts.

#include <sys/stat.h>

#include <string>
#include <vector>

#include "e2e/console_e2e_fixture.h"
#include "support/admin_peer.h"

namespace tavrin::testing {

// ann may do everything, bob may warn, cid may only look.
inline const std::string kAccounts =
    "Name=Ann\nUser=ann\nPass=annpass\nRights=3FFF\nGuid=none\n"
    "Name=Bob\nUser=bob\nPass=bobpass\nRights=0100\nGuid=none\n"
    "Name=Cid\nUser=cid\nPass=cidpass\nRights=0000\nGuid=none\n[END]";

inline const std::vector<std::string> kLoggedIn = {"User:OK", "3FFF", "LOGGED_IN"};

class ManagerE2e : public ConsoleE2e {
  protected:
    // The simulator, and the manager logged in to it with the accounts above.
    void StartManager(std::vector<std::string> extra = {},
                      const std::string& account = "admin,secret") {
        StartSim();
        ::mkdir(m_dir.File("Configs").c_str(), 0700);
        WriteFile(m_dir.File("Configs/radmins.cfg"), kAccounts);
        std::vector<std::string> args = {"--manager", "--admin-port", "0", "--admin-bind",
                                         "127.0.0.1"};
        args.insert(args.end(), extra.begin(), extra.end());
        StartConsole(args, account);
        const auto open = m_console->WaitForPart("Admin Port open on 127.0.0.1 port ");
        ASSERT_TRUE(open) << Transcript();
        const std::string line = m_console->Line(*open);
        const std::string mark = "127.0.0.1 port ";
        m_port = std::stoi(line.substr(line.find(mark) + mark.size()));
        ASSERT_GT(m_port, 0);
    }

    void Connect(AdminPeer& peer, int receiveBuffer = 0) {
        ASSERT_EQ(peer.Connect(m_port, receiveBuffer), 0);
    }

    // The sim logged this command (from line `from` on).
    bool SimGot(const std::string& command, size_t from = 0) {
        for (const auto& c : SimCommands(m_sim->Lines(), from))
            if (c.text == command) return true;
        return false;
    }
    // Lines the sim has logged so far.
    size_t SimMark() { return m_sim->Lines().size(); }

    int m_port = 0;
};

}  // namespace tavrin::testing
