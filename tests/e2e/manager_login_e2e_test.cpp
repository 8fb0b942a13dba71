// The manager's login against people who never finish theirs, and the checks
// it makes before opening the Admin Port: the real `tavrinrat --headless
// --manager` logged in to the real tavrinrat-sim, admins over loopback.

#include <sys/stat.h>

#include "e2e/console_e2e_fixture.h"
#include "support/admin_peer.h"

namespace tavrin::testing {
namespace {

const std::string kAccounts =
    "Name=Ann\nUser=ann\nPass=annpass\nRights=3FFF\nGuid=none\n"
    "Name=Cid\nUser=cid\nPass=cidpass\nRights=0000\nGuid=none\n[END]";

class ManagerLoginE2e : public ConsoleE2e {
  protected:
    void WriteAccounts() {
        ::mkdir(m_dir.File("Configs").c_str(), 0700);
        WriteFile(m_dir.File("Configs/radmins.cfg"), kAccounts);
    }
    void StartManager() {
        StartSim();
        WriteAccounts();
        StartConsole({"--manager", "--admin-port", "0", "--admin-bind", "127.0.0.1"});
        const auto open = m_console->WaitForPart("Admin Port open on 127.0.0.1 port ");
        ASSERT_TRUE(open) << Transcript();
        const std::string line = m_console->Line(*open);
        m_port = std::stoi(line.substr(line.find("port ") + 5));
        ASSERT_GT(m_port, 0);
        WaitLoggedIn();
    }
    void Connect(AdminPeer& peer) { ASSERT_EQ(peer.Connect(m_port), 0); }
    bool SimGot(const std::string& command, size_t from) {
        for (const auto& c : SimCommands(m_sim->Lines(), from))
            if (c.text == command) return true;
        return false;
    }

    int m_port = 0;
};

TEST_F(ManagerLoginE2e, ANameIsTakenFromAConnectionThatHasNotLoggedIn) {
    StartManager();
    AdminPeer holder;
    Connect(holder);
    ASSERT_EQ(holder.Next(), "Hollispark");
    holder.Send("ann");
    ASSERT_EQ(holder.Next(), "User:OK");

    AdminPeer ann;
    Connect(ann);
    EXPECT_EQ(ann.Login("ann", "annpass"),
              (std::vector<std::string>{"User:OK", "3FFF", "LOGGED_IN"}));
    EXPECT_TRUE(holder.ClosesWithoutFrame());

    // Logged in, the name is in use; asking again and again is no failed
    // login, and the address stays welcome.
    for (int i = 0; i < 7; ++i) {
        AdminPeer again;
        Connect(again);
        EXPECT_EQ(again.Login("ann", "annpass"), std::vector<std::string>{"User:In Use"}) << i;
        EXPECT_TRUE(again.ClosesWithoutFrame()) << i;
    }
    AdminPeer cid;
    Connect(cid);
    EXPECT_EQ(cid.Login("cid", "cidpass"),
              (std::vector<std::string>{"User:OK", "0000", "LOGGED_IN"}));
    ann.Send("player list");
    EXPECT_EQ(ann.Next().rfind("NAME\t#\tTEAM", 0), 0u);
}

TEST_F(ManagerLoginE2e, ANulInsideACommandIsRefusedNotCutShort) {
    StartManager();
    AdminPeer ann;
    Connect(ann);
    ASSERT_EQ(ann.Login("ann", "annpass").size(), 3u);
    const size_t mark = m_sim->Lines().size();
    ann.Send(std::string("chat send hello\0 player punt 5", 30));
    EXPECT_EQ(ann.Next(), "Refused: control characters");
    // Answered after the refused one: had that gone out, the sim had it first.
    ann.Send("player list");
    EXPECT_EQ(ann.Next().rfind("NAME\t#\tTEAM", 0), 0u);
    EXPECT_TRUE(SimGot("player list", mark)) << SimLog();
    EXPECT_FALSE(SimGot("chat send hello", mark)) << SimLog();
    EXPECT_TRUE(m_console->WaitForPart("Admin command refused (control characters"))
        << Transcript();
}

TEST_F(ManagerLoginE2e, AKeyThatIsNotTheCertificatesLeavesThePortClosed) {
    StartSim();
    WriteAccounts();
    ASSERT_EQ(::chmod(m_dir.File("Configs/radmins.cfg").c_str(), 0644), 0);
    StartConsole({"--manager", "--admin-port", "0", "--admin-bind", "127.0.0.1", "--admin-tls",
                  TAVRIN_TLS_DIR "/admin-port.crt", TAVRIN_TLS_DIR "/other.key"});
    EXPECT_TRUE(m_console->WaitForPart(
        "Admin Port not opened: the TLS key does not belong to the certificate"))
        << Transcript();
    WaitLoggedIn();
    EXPECT_FALSE(ConsoleSaid("Admin Port open on"));
    // The password file found open to others at start is its owner's now.
    struct stat st {};
    ASSERT_EQ(::stat(m_dir.File("Configs/radmins.cfg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(ConsoleSaid("radmins.cfg holds passwords: its mode was 0644, now 0600"));
}

}  // namespace
}  // namespace tavrin::testing
