// The command line both front-ends read, and the runtime it makes: the
// window's options and the console without a window's give the same console.

#include "app/qt/console_runtime.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QFile>
#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/qt/history_setup.h"
#include "support/fakes.h"
#include "support/qt_environment.h"
#include "support/qt_loop.h"
#include "support/quiet_console_observer.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using namespace std::chrono_literals;
using testing::ScriptedDialogs;
using testing::TempDir;

[[maybe_unused]] const auto* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(
    new testing::QtEnvironment<QCoreApplication>("test_app_shell"));

// What a runtime is made from, on one line.
std::string Summary(const ConsoleOptions& o) {
    std::ostringstream s;
    s << "dir=" << o.dir << " chatbot=" << o.chatbot << " login=" << o.login << " dump=" << o.dump;
    if (o.reviewLog || o.reviewChat) s << " review=" << o.reviewLog << o.reviewChat;
    if (o.manager.manager) {
        const AdminPortOptions& p = o.manager.port;
        s << " manager port=" << p.port << " bind=" << p.bind.toString().toStdString()
          << " admins=" << o.manager.maxAdmins << " unsent=" << p.maxUnsentInAll / (1024 * 1024)
          << " tls=" << p.tlsCertificate.toStdString() << "," << p.tlsKey.toStdString();
    }
    return s.str();
}

// Each window command line beside the headless one that runs the same
// console: both read to the options summed up in `expected`.
TEST(ConsoleOptions, TheWindowAndTheHeadlessConsoleReadTheSameOptions) {
    const struct {
        std::vector<std::string> window;
        std::vector<std::string> headless;
        const char* expected;
    } cases[] = {
        {{}, {"--headless", "--no-login"}, "dir= chatbot=0 login=0 dump=0"},
        {{"--login"}, {"--headless"}, "dir= chatbot=0 login=1 dump=0"},
        {{"--screenshots", "pics"}, {"--headless"}, "dir= chatbot=0 login=1 dump=0"},
        {{"--dir", "d", "--chatbot"},
         {"--chatbot", "--headless", "--no-login", "--dir", "d"},
         "dir=d chatbot=1 login=0 dump=0"},
        {{"--manager", "--login"},
         {"--headless", "--manager"},
         "dir= chatbot=0 login=1 dump=0 manager port=9898 bind=0.0.0.0 admins=1000 unsent=64 "
         "tls=,"},
        {{"--manager", "--admin-port", "0", "--admin-bind", "127.0.0.1", "--max-admins", "3",
          "--max-unsent", "2", "--admin-tls", "c.pem", "k.pem"},
         {"--headless", "--no-login", "--manager", "--admin-port", "0", "--admin-bind", "127.0.0.1",
          "--max-admins", "3", "--max-unsent", "2", "--admin-tls", "c.pem", "k.pem"},
         "dir= chatbot=0 login=0 dump=0 manager port=0 bind=127.0.0.1 admins=3 unsent=2 "
         "tls=c.pem,k.pem"},
    };
    for (const auto& c : cases) {
        const CommandLine window = ParseCommandLine(c.window);
        const CommandLine headless = ParseCommandLine(c.headless);
        ASSERT_EQ(window.outcome, CommandLine::Outcome::Run) << c.expected << window.error;
        ASSERT_EQ(headless.outcome, CommandLine::Outcome::Run) << c.expected << headless.error;
        EXPECT_EQ(window.options.frontEnd, FrontEnd::Window);
        EXPECT_EQ(headless.options.frontEnd, FrontEnd::Headless);
        EXPECT_EQ(Summary(window.options), c.expected);
        EXPECT_EQ(Summary(headless.options), c.expected);
    }
}

// What only one front-end takes, a missing or bad value, and --help, which
// wins over anything else on the line.
TEST(ConsoleOptions, SaysWhatIsWrongWithALine) {
    using Outcome = CommandLine::Outcome;
    const struct {
        std::vector<std::string> args;
        Outcome outcome;
        const char* error;  // its first line
    } cases[] = {
        {{"--headless", "--dump", "--review-log", "--review-chat"}, Outcome::Run, ""},
        {{"--bogus", "-h"}, Outcome::Help, ""},
        {{"--headless", "--help"}, Outcome::Help, ""},
        {{"--dump"}, Outcome::Bad, "tavrinrat: unknown option --dump"},
        {{"--review-log"}, Outcome::Bad, "tavrinrat: unknown option --review-log"},
        {{"--headless", "--login"}, Outcome::Bad, "tavrinrat: unknown option --login"},
        {{"--headless", "--screenshots", "d"},
         Outcome::Bad,
         "tavrinrat: unknown option --screenshots"},
        {{"--dir"}, Outcome::Bad, "tavrinrat: --dir needs a value"},
        {{"--admin-tls", "c.pem"}, Outcome::Bad, "tavrinrat: --admin-tls needs two values"},
        {{"--admin-port", "65536"},
         Outcome::Bad,
         "tavrinrat: --admin-port takes a port number (0 to 65535)"},
        {{"--admin-bind", "localhost"},
         Outcome::Bad,
         "tavrinrat: --admin-bind takes an IP address, e.g. 127.0.0.1 or ::"},
        {{"--max-admins", "0"},
         Outcome::Bad,
         "tavrinrat: --max-admins takes a number from 1 to 1000000"},
        {{"--max-unsent", "1x"},
         Outcome::Bad,
         "tavrinrat: --max-unsent takes a number of MiB from 1 to 65536"},
        {{"--remote", "h:0", "--user", "u"},
         Outcome::Bad,
         "tavrinrat: --remote takes a manager's address: HOST:PORT, or [IPV6]:PORT"},
        {{"--remote", "h:1"}, Outcome::Bad, "tavrinrat: --remote needs --user"},
        {{"--user", "u"}, Outcome::Bad, "tavrinrat: --user and --password-file go with --remote"},
        {{"--remote", "h:1", "--user", "u", "--manager"},
         Outcome::Bad,
         "tavrinrat: --remote and --manager: a console is one or the other"},
        {{"--remote", "h:1", "--user", "u", "--server", "Alpha"},
         Outcome::Bad,
         "tavrinrat: --remote and --server: give one or the other"},
        {{"--remote", "h:1", "--user", "u", "--insecure"},
         Outcome::Bad,
         "tavrinrat: --ca and --insecure need --tls"},
        {{"--remote", "h:1", "--user", "u", "--tls", "--insecure", "--ca", "f"},
         Outcome::Bad,
         "tavrinrat: --ca and --insecure both given"},
        {{"--headless", "--remote", "h:1", "--user", "u", "--chatbot"},
         Outcome::Bad,
         "tavrinrat: --chatbot: a remote console never runs the ChatBot (the manager's does)"},
        {{"--remote", "h:1", "--user", "u", "--tls", "--insecure"}, Outcome::Run, ""},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.outcome, c.outcome) << c.args.front();
        EXPECT_EQ(line.error.substr(0, line.error.find('\n')), c.error);
    }
    // An unknown option is followed by the usage.
    EXPECT_NE(ParseCommandLine({"--bogus"}).error.find(UsageText()), std::string::npos);
}

// The history's options: --history and --history-export run without a
// window whatever else the line holds.
TEST(ConsoleOptions, HistoryOptions) {
    const auto summary = [](const CommandLine& line) {
        if (line.outcome != CommandLine::Outcome::Run)
            return line.error.substr(0, line.error.find('\n'));
        const HistoryOptions& h = line.options.history;
        return std::string(line.options.frontEnd == FrontEnd::Headless ? "headless" : "window") +
               " db=" + h.db + " pw=" + h.passwordFile + " off=" + std::to_string(h.off) +
               " keep=" + std::to_string(h.keepDays) + " player=" + h.player +
               " export=" + h.exportFile;
    };
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "window db= pw= off=0 keep=365 player= export="},
        {{"--history-db", "postgresql://rat@h:5/d", "--history-password-file", "pw",
          "--history-keep-days", "0"},
         "window db=postgresql://rat@h:5/d pw=pw off=0 keep=0 player= export="},
        {{"--headless", "--no-history"}, "headless db= pw= off=1 keep=365 player= export="},
        {{"--history", "Shadow", "--dir", "d"},
         "headless db= pw= off=0 keep=365 player=Shadow export="},
        {{"--history-export", "s.csv"}, "headless db= pw= off=0 keep=365 player= export=s.csv"},
        {{"--history-keep-days", "-1"},
         "tavrinrat: --history-keep-days takes a number of days from 0 (keep all) to 100000"},
        {{"--history", "x", "--no-history"}, "tavrinrat: --no-history leaves no history to read"},
    };
    for (const auto& [args, expected] : cases) EXPECT_EQ(summary(ParseCommandLine(args)), expected);
}

// What a console records reaches the file, and --history-export and
// --history read it back: a name that a spreadsheet would take for a
// formula stays text.
TEST(ConsoleRuntime, TheHistoryItRecordsIsReadBackByTheLookUps) {
    TempDir dir;
    HistoryOptions options;
    std::string note;
    {
        const std::unique_ptr<HistoryWriter> writer = StartHistory(dir.Path(), options, note);
        ASSERT_TRUE(writer) << note;
        HistoryRecorder recorder(*writer, [] { return int64_t{1796960992}; });
        recorder.Sanction("Home", {SanctionAction::Ban, "=cmd|' /C calc'!A0", "cheat, twice"},
                          kSourceConsole);
        recorder.PlayerList("Home", {{"Ann", 1, 2, 30}}, 1, 1, 0);
    }
    options.exportFile = dir.File("s.csv");
    options.player = "Ann";
    EXPECT_EQ(RunHistoryLookups(dir.Path(), options), 0);
    EXPECT_EQ(testing::ReadBytes(dir.File("s.csv")),
              "time,server,player,action,reason,source\r\n"
              "2026-12-11T03:49:52Z,Home,\"'=cmd|' /C calc'!A0\",ban,\"cheat, twice\",console\r\n");
    options.exportFile.clear();
    options.player = "Nobody";
    EXPECT_EQ(RunHistoryLookups(dir.Path(), options), 1);
    // --no-history starts no writer.
    options.off = true;
    EXPECT_EQ(StartHistory(dir.Path(), options, note), nullptr);
    EXPECT_TRUE(note.empty());
}

// A program folder whose servers.cfg holds four records, the second the
// favourite.
struct ServersFolder {
    TempDir dir;
    ServersFolder() {
        ::mkdir(dir.File("Configs").c_str(), 0700);
        std::ofstream(dir.File("Configs/servers.cfg"), std::ios::binary)
            << "Alpha,127.0.0.1,1,u,p\r\n*FAV*Beta,127.0.0.1,2,u,p\r\n"
               "../Ga/mma,127.0.0.1,3,u,p\r\n_._Ga_mma,127.0.0.1,4,u,p\r\n";
        std::ofstream(dir.File("Configs/managers.cfg"), std::ios::binary)
            << "Hub,127.0.0.1,9898,ann,annpass\r\nBeta,127.0.0.1,9899,bob,bobpass\r\n";
        std::ofstream(dir.File("pw"), std::ios::binary) << "s3cret\r\nsecond line\n";
        std::ofstream(dir.File("empty"), std::ios::binary) << "\n";
    }
};

// Each command line to the servers it opens, each as "name@log folder" (the
// folder relative to the program folder), or to what is wrong with it.
TEST(ConsoleOptions, OpensTheServersItNames) {
    const ServersFolder folder;
    const std::string& dir = folder.dir.Path();
    const struct {
        std::vector<std::string> args;
        const char* opened;  // or the first line of the error
    } cases[] = {
        {{"--headless"}, "(favourite)@"},
        {{}, "(favourite)@"},
        {{"--server", "Alpha"}, "Alpha@"},
        {{"--headless", "--manager", "--server", "Beta"}, "Beta@"},
        {{"--headless", "--server", "Alpha", "--server", "Alpha"}, "Alpha@"},
        {{"--headless", "--server", "Beta", "--server", "../Ga/mma"},
         "Beta@Servers/Beta/ ../Ga/mma@Servers/_._Ga_mma/"},
        // Two names that make one folder: the later one gets its own.
        {{"--headless", "--server", "_._Ga_mma", "--server", "../Ga/mma"},
         "_._Ga_mma@Servers/_._Ga_mma/ ../Ga/mma@Servers/_._Ga_mma~2/"},
        {{"--server", "Delta"},
         "tavrinrat: no server named \"Delta\" in Configs/servers.cfg or Configs/managers.cfg"},
        {{"--headless", "--server", "Alpha", "--server", "*FAV*Beta"},
         "tavrinrat: no server named \"*FAV*Beta\" in Configs/servers.cfg or "
         "Configs/managers.cfg"},
        // A manager's record opens a remote console; a game server's name
        // wins over a manager's of the same name.
        {{"--headless", "--server", "Hub"}, "Hub@ (manager)"},
        {{"--server", "Beta", "--server", "Hub"}, "Beta@Servers/Beta/ Hub@Servers/Hub/ (manager)"},
        {{"--headless", "--manager", "--server", "Hub"},
         "tavrinrat: no server named \"Hub\" in Configs/servers.cfg"},
        // --remote: the one manager it names, the password from the file's first line.
        {{"--remote", "10.0.0.5:9000", "--user", "ann", "--password-file", "PW"},
         "10.0.0.5:9000@ (manager ann s3cret)"},
        {{"--headless", "--remote", "[::1]", "--user", "ann", "--password-file", "PW"},
         "[::1]:9898@ (manager ann s3cret)"},
        {{"--remote", "h:1", "--user", "ann", "--password-file", "EMPTY"},
         "tavrinrat: --password-file EMPTY: the first line is empty"},
        {{"--remote", "h:1", "--user", "ann", "--password-file", "NONE"},
         "tavrinrat: --password-file NONE: no such file"},
        {{"--remote", "h:1", "--user", "ann", "--password-file", "PW", "--tls", "--ca", "NONE"},
         "tavrinrat: --ca NONE: no such file"},
        {{"--headless", "--manager", "--server", "Alpha", "--server", "Beta"},
         "tavrinrat: --manager serves one game server: give one --server at most"},
        // The window opens several as the console without a window does.
        {{"--server", "Alpha", "--server", "Beta"}, "Alpha@Servers/Alpha/ Beta@Servers/Beta/"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        for (std::string& a : args)
            if (a == "PW" || a == "EMPTY" || a == "NONE")
                a = dir + (a == "PW" ? "pw" : a == "EMPTY" ? "empty" : "none");
        const CommandLine line = ParseCommandLine(args);
        std::string error = line.error;
        std::string opened;
        if (line.outcome == CommandLine::Outcome::Run) {
            for (const OpenServer& server : ServersToOpen(dir, line.options, error)) {
                if (!opened.empty()) opened += " ";
                opened += (server.name.empty() ? "(favourite)" : server.name) + "@";
                if (!server.logDir.empty()) {
                    ASSERT_EQ(server.logDir.substr(0, dir.size()), dir);
                    opened += server.logDir.substr(dir.size());
                }
                if (server.kind == ConnectionKind::Manager) {
                    opened += " (manager";
                    if (server.record)
                        opened += " " + server.record->username + " " + server.record->password;
                    opened += ")";
                }
            }
        }
        // The files' paths as the case table writes them.
        for (const char* name : {"pw", "empty", "none"}) {
            const std::string path = dir + name;
            for (size_t at; (at = error.find(path)) != std::string::npos;)
                error.replace(at, path.size(),
                              std::string(name) == "pw"      ? "PW"
                              : std::string(name) == "empty" ? "EMPTY"
                                                             : "NONE");
        }
        EXPECT_EQ(opened.empty() ? error.substr(0, error.find('\n')) : opened, c.opened)
            << c.args.size();
    }
}

// The README shows `tavrinrat --help` word for word between two marker
// lines, so an option added to the table reaches it.
TEST(ConsoleOptions, TheReadmeShowsTheHelpTextAsTheTablePrintsIt) {
    std::ifstream file(TAVRIN_README_PATH, std::ios::binary);
    ASSERT_TRUE(file) << TAVRIN_README_PATH;
    const std::string readme{std::istreambuf_iterator<char>(file), {}};
    const std::string begin = "<!-- tavrinrat --help: begin -->\n```text\n";
    const std::string end = "```\n<!-- tavrinrat --help: end -->";
    const size_t from = readme.find(begin);
    const size_t to = readme.find(end);
    ASSERT_NE(from, std::string::npos) << "no \"" << begin << "\" in the README";
    ASSERT_NE(to, std::string::npos) << "no \"" << end << "\" in the README";
    ASSERT_LT(from, to);
    EXPECT_EQ(readme.substr(from + begin.size(), to - from - begin.size()), UsageText());
}

// A front-end that records what it hears.
struct FrontEndRecord final : testing::QuietConsoleObserver {
    std::vector<std::string> lines;
    int started = 0;
    int ticks = 0;

    void TimerHandled(TimerId) override { ++ticks; }
    void EventLineWritten(const std::string& line) override { lines.push_back(line); }
    void Started() override { ++started; }
};

struct Running {
    TempDir dir;
    ScriptedDialogs dialogs;
    FrontEndRecord frontEnd;
    std::unique_ptr<ConsoleRuntime> runtime;

    explicit Running(const std::vector<std::string>& args) {
        const CommandLine line = ParseCommandLine(args);
        runtime = std::make_unique<ConsoleRuntime>(dir.Path(), line.options, dialogs, frontEnd);
    }
};

// The runtime each command line makes: its role, the ChatBot and the state
// dump as asked, once the start-up timer has reached the console through the
// runtime.
TEST(ConsoleRuntime, RunsTheConsoleItsOptionsAskFor) {
    const struct {
        std::vector<std::string> args;
        bool manager;
        bool chatbot;
        bool dump;
    } cases[] = {
        {{}, false, false, false},
        {{"--headless", "--no-login", "--chatbot", "--dump"}, false, true, true},
        {{"--chatbot", "--manager", "--admin-port", "0", "--admin-bind", "127.0.0.1"},
         true,
         true,
         false},
    };
    for (const auto& c : cases) {
        Running run(c.args);
        ConsoleRuntime& runtime = *run.runtime;
        EXPECT_EQ(runtime.AdminPort() != nullptr, c.manager);
        EXPECT_EQ(runtime.GetConsole().m_fAutoSysUpdate, c.dump);
        runtime.Initialise();
        ASSERT_TRUE(testing::RunUntil([&] { return run.frontEnd.started > 0; }, 10s));
        EXPECT_TRUE(runtime.GetConsole().Started());
        EXPECT_GT(run.frontEnd.ticks, 0);  // the start-up timer, once the console had it
        EXPECT_EQ(runtime.GetConsole().RatMode(), !c.manager);
        EXPECT_EQ(runtime.GetConsole().ChatBot().IsOn(), c.chatbot);
    }
}

// A runtime opened on a server logs in to that record, not the favourite,
// and keeps its day folders where it was told.
TEST(ConsoleRuntime, ShowsTheServerItOpensAndLogsInItsFolder) {
    const ServersFolder folder;
    const std::string& dir = folder.dir.Path();
    ConsoleOptions options = ParseCommandLine({"--headless", "--no-login"}).options;
    ScriptedDialogs dialogs;
    FrontEndRecord frontEnd;
    ConsoleRuntime runtime(dir, options, dialogs, frontEnd, {"Alpha", dir + "Servers/Alpha/"});
    runtime.Initialise();
    ASSERT_TRUE(testing::RunUntil([&] { return frontEnd.started > 0; }, 10s));
    EXPECT_EQ(runtime.GetConsole().Server().LoginDetails().name, "Alpha");
    EXPECT_EQ(runtime.GetConsole().Log().ProgramDir(), dir + "Servers/Alpha/");
    std::string date, time;
    GetDateTimeTexts(runtime.GetConsole().Log().GetClock(), date, time);
    EXPECT_TRUE(
        QFile::exists(QString::fromStdString(runtime.GetConsole().Log().EventLogPath(date))));
    // The shared files stay in the program folder.
    EXPECT_EQ(runtime.GetConsole().ProgramDir(), dir);
}

// Two runtimes in one process: what one console writes reaches its own
// front-end only.
TEST(ConsoleRuntime, TwoRuntimesKeepToThemselves) {
    Running a({"--headless", "--no-login"});
    Running b({"--manager", "--admin-port", "0", "--admin-bind", "127.0.0.1"});
    a.frontEnd.lines.clear();
    b.frontEnd.lines.clear();
    a.runtime->GetConsole().Log().LogEvent("only in a");
    ASSERT_EQ(a.frontEnd.lines.size(), 1u);
    EXPECT_NE(a.frontEnd.lines[0].find("only in a"), std::string::npos);
    EXPECT_TRUE(b.frontEnd.lines.empty());
}

}  // namespace
}  // namespace tavrin
