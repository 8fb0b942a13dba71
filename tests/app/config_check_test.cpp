#include "app/config_check.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tavrin {
namespace {

using testing::TempDir;
using testing::WriteBytes;

struct Case {
    const char* what;
    std::vector<ConfigProblem> (*check)(std::string_view);
    std::string text;
    std::vector<std::string> problems;  // ProblemLine of each, in order
};

std::vector<std::string> Lines(const std::vector<ConfigProblem>& problems) {
    std::vector<std::string> lines;
    for (const ConfigProblem& p : problems) lines.push_back(ProblemLine(p));
    return lines;
}

// Each file's problems carry the line the reader passed over or defaulted;
// a sound file has none.
TEST(ConfigCheck, NamesEachProblemByFileAndLine) {
    const Case cases[] = {
        {"servers sound", CheckServerList, "*FAV*A,1.2.3.4,40000,u,p,q\nB,h,1,u,p\n", {}},
        {"servers bad lines",
         CheckServerList,
         "A,1.2.3.4,40000,u,p\n\nno commas here\nB,h,4000x,u,p\nC,h,70000,u,p",
         {"Configs/servers.cfg:3: warning: not a server record "
          "(NAME,ADDRESS,PORT,USERNAME,PASSWORD): "
          "skipped",
          "Configs/servers.cfg:4: warning: port \"4000x\" is not a number from 1 to 65535",
          "Configs/servers.cfg:5: warning: port \"70000\" is not a number from 1 to 65535"}},
        {"servers no record",
         CheckServerList,
         "junk\n",
         {"Configs/servers.cfg:1: warning: not a server record "
          "(NAME,ADDRESS,PORT,USERNAME,PASSWORD): "
          "skipped",
          "Configs/servers.cfg: warning: no server record"}},
        {"managers none", CheckManagerList, "", {}},
        {"managers bad lines",
         CheckManagerList,
         "M,10.0.0.5,9898,ann,p\nM2,10.0.0.6,9898\nM3,h,port,u,p\n",
         {"Configs/managers.cfg:2: warning: not a server record "
          "(NAME,ADDRESS,PORT,USERNAME,PASSWORD): "
          "skipped",
          "Configs/managers.cfg:3: warning: port \"port\" is not a number from 1 to 65535"}},
        {"admins sound",
         CheckAdminAccounts,
         "Name=a\nUser=u\nPass=p\nRights=00FF\nGuid=none\n[END]",
         {}},
        {"admins bad block and no end",
         CheckAdminAccounts,
         "Name=a\nUser=u\nPass=p\nRights=zz\nGuid=none\n",
         {"Configs/radmins.cfg:4: warning: account \"a\" skipped: its rights are not 1 to 4 "
          "hexadecimal "
          "digits up to 3FFF",
          "Configs/radmins.cfg: warning: no [END] line; the accounts before the end were read"}},
        {"chatbot sound",
         CheckChatBotConfig,
         "[WORDS]\n0\\W\\warn\\Monitor Only\\0\\\n[WARNINGS]\n1\\warn\\\n[DEFAULT]\n1\n",
         {}},
        {"chatbot blank word and bad default",
         CheckChatBotConfig,
         "[WORDS]\n0\\W\\w\\Monitor Only\\0\\\n\n0\\ \\w\\x\\0\\\n[WARNINGS]\n[DEFAULT]\n9\n",
         {"Configs/chatbot.cfg:3: warning: banned word is blank: skipped",
          "Configs/chatbot.cfg:4: warning: banned word is blank: skipped",
          "Configs/chatbot.cfg:7: warning: default penalty \"9\" is not a number from 1 to 6"}},
        {"chatbot no sections",
         CheckChatBotConfig,
         "0\\W\\w\\x\\0\\\n",
         {"Configs/chatbot.cfg:1: warning: expected [WORDS]",
          "Configs/chatbot.cfg: warning: no [WARNINGS] line"}},
        {"admin menu sound", CheckAdminMenu, "[FORMAT]\n[WARN]\nWarn\\X\n", {}},
        {"admin menu no action",
         CheckAdminMenu,
         "[FORMAT]\n[WARN]\nWarn X\n",
         {"Configs/adminmenu.cfg:3: warning: no backslash: the line names no action and is shown "
          "greyed"}},
        {"admin menu one line",
         CheckAdminMenu,
         "Warn\\X",
         {"Configs/adminmenu.cfg: warning: no line feed: the menu shows \"!\" and offers nothing"}},
        {"window sound",
         CheckWindowState,
         "x=1\ny=2\nwidth=300\nheight=300\nmaximized=0\ntab=1\n",
         {}},
        {"window bad lines",
         CheckWindowState,
         "x=1\ny=2\nwidth=30\nheight=300\nmaximized\nfont=3\ntab=1\n",
         {"Configs/window.cfg:3: warning: value \"30\" out of range for width",
          "Configs/window.cfg:5: warning: not a KEY=VALUE line",
          "Configs/window.cfg:6: warning: unknown key \"font\""}},
        {"window key missing",
         CheckWindowState,
         "x=1\ny=2\n",
         {"Configs/window.cfg: warning: a key is missing: the window takes its own place"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Lines(c.check(c.text)), c.problems) << c.what;
}

// Missing files are the defaults, no problem; an unreadable one is.
TEST(ConfigCheck, ReadsEveryFileOfTheFolder) {
    TempDir dir;
    EXPECT_TRUE(CheckConfigFiles(dir.Path()).empty());
    std::filesystem::create_directories(dir.File("Configs/chatbot.cfg"));
    WriteBytes(dir.File("Configs/servers.cfg"), "A,h,x,u,p\r\n");
    WriteBytes(dir.File("Configs/window.cfg"), "tab=9\r\n");
    const std::vector<ConfigProblem> problems = CheckConfigFiles(dir.Path());
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(ProblemLine(problems[0]),
              "Configs/servers.cfg:1: warning: port \"x\" is not a number from 1 to 65535");
    EXPECT_EQ(problems[1].file, "Configs/chatbot.cfg");
    EXPECT_EQ(problems[1].line, 0);
    EXPECT_EQ(problems[1].severity, ProblemSeverity::Error);
    EXPECT_FALSE(AnyError({problems[0], problems[2]}));
    EXPECT_EQ(ProblemLine(problems[2]),
              "Configs/window.cfg:1: warning: value \"9\" out of range for tab");
}

// A server asked for by name must be there with a usable port: without it the
// console cannot run that server, the one thing that fails the check.
TEST(ConfigCheck, ANamedServerMissingOrWithoutAPortIsAnError) {
    const std::string servers = "*FAV*alpha,h,40000,u,p\nbeta,h,port,u,p\n";
    struct NamedCase {
        std::vector<std::string> names;
        std::vector<std::string> problems;
    };
    const NamedCase cases[] = {
        {{}, {}},
        {{"alpha"}, {}},
        {{"*FAV*alpha"},
         {"Configs/servers.cfg: error: no server record named \"*FAV*alpha\": the console "
          "refuses to start"}},
        {{"alpha", "gamma"},
         {"Configs/servers.cfg: error: no server record named \"gamma\": the console refuses "
          "to start"}},
        {{"beta"},
         {"Configs/servers.cfg: error: server \"beta\" has no port from 1 to 65535: the console "
          "cannot connect to it"}},
    };
    for (const NamedCase& c : cases) {
        const std::vector<ConfigProblem> problems = CheckNamedServers(servers, c.names);
        EXPECT_EQ(Lines(problems), c.problems) << ::testing::PrintToString(c.names);
        EXPECT_EQ(AnyError(problems), !c.problems.empty());
    }
    // Without a servers.cfg the console opens its default record, which a
    // --server name must then match.
    TempDir dir;
    const std::vector<ConfigProblem> problems = CheckConfigFiles(dir.Path(), {"alpha"});
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(AnyError(problems));
}

}  // namespace
}  // namespace tavrin
