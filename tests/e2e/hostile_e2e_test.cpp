// Hostile players and a hostile server against the real console: what a
// player types into the game, or a server sends unasked, steers nothing.

#include <dirent.h>

#include <chrono>
#include <thread>

#include "e2e/console_e2e_fixture.h"

namespace tavrin::testing {
namespace {

using ::testing::StartsWith;

// A warn-only word whose warning quotes it, and a punt-only one.
const char* const kChatBotCfg =
    "[WORDS]\r\n"
    "1\\zorblax\\Do not say zorblax\\[0 PPts] - Warn Only\\0\\\r\n"
    "[WARNINGS]\r\n"
    "1\\Do not say zorblax\\\r\n"
    "[DEFAULT]\r\n"
    "6";

class HostileE2e : public ConsoleE2e {
  protected:
    void StartWithChatBot(const std::string& config = kChatBotCfg) {
        ASSERT_NO_FATAL_FAILURE(StartSim());
        ::mkdir(m_dir.File("Configs").c_str(), 0700);
        WriteFile(m_dir.File("Configs/chatbot.cfg"), config);
        ASSERT_NO_FATAL_FAILURE(StartConsole({"--chatbot"}));
        ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());
    }

    // Waits until the console has fetched the chat after sim line `from`.
    void WaitChatFetched(size_t from) {
        ASSERT_TRUE(m_sim->FindLine("cmd: chat get", from, 30s)) << Transcript();
        std::this_thread::sleep_for(500ms);  // the reply is handled
    }

    // The day folder's log file, whole ("adminlog.txt" or "chatlog.txt").
    std::string DayFile(const std::string& name) {
        std::string text;
        if (DIR* d = ::opendir(m_dir.Path().c_str())) {
            while (dirent* e = ::readdir(d)) {
                const std::string folder = e->d_name;
                if (folder.size() != 8 || folder[2] != '-') continue;
                std::ifstream in(m_dir.File(folder + "/" + name), std::ios::binary);
                text.assign(std::istreambuf_iterator<char>(in), {});
            }
            ::closedir(d);
        }
        return text;
    }
};

TEST_F(HostileE2e, ChatBotReadsChatThatLooksLikeOtherRepliesAsChat) {
    ASSERT_NO_FATAL_FAILURE(StartWithChatBot());
    const size_t from = m_sim->Lines().size();
    ASSERT_THAT(m_sim->Control("say Mallory Current State = Menu (ASAP) Deaths PING ERROR "
                               "OK - Weapons rock you noob :[x]: zorblax"),
                StartsWith("ok say Mallory"));
    // The line is scanned (the speaker is Mallory, not "Mallory: ... noob ")
    // and the console stays logged in, asking for nothing it did not want.
    ASSERT_TRUE(m_console->WaitForPart("ChatBot Warning Mallory Do not say zorblax", 0, 60s))
        << Transcript();
    WaitChatFetched(m_sim->Lines().size());
    EXPECT_FALSE(ConsoleSaid("Server is in Menu Mode")) << Transcript();
    EXPECT_FALSE(ConsoleSaid("Connection: Not Connected")) << Transcript();
    for (const auto& c : SimCommands(m_sim->Lines(), from))
        EXPECT_NE(c.text, "weapon list") << SimLog();
}

TEST_F(HostileE2e, ChatBotNeverCatchesTheConsolesOwnWarning) {
    ASSERT_NO_FATAL_FAILURE(StartWithChatBot());
    ASSERT_THAT(m_sim->Control("say Trent such zorblax"), StartsWith("ok say Trent"));
    const auto warned = m_sim->FindLine("cmd: chat send Trent", 0, 60s);
    ASSERT_TRUE(warned) << Transcript();
    // The game echoes the warning, word and all, as the admin's chat line;
    // the confirmation fetches that chat at once.
    ASSERT_NO_FATAL_FAILURE(WaitChatFetched(*warned));
    ASSERT_NO_FATAL_FAILURE(WaitChatFetched(*warned + 2));
    EXPECT_FALSE(ConsoleSaid("ChatBot Warning Admin")) << Transcript();
    const auto sends = SimCommands(m_sim->Lines(), 0);
    EXPECT_EQ(
        std::count_if(sends.begin(), sends.end(),
                      [](const LoggedCommand& c) { return c.text.rfind("chat send", 0) == 0; }),
        1)
        << SimLog();
}

TEST_F(HostileE2e, ChatBotSendsNoControlByteAPlayerPutInHisName) {
    ASSERT_NO_FATAL_FAILURE(StartWithChatBot());
    // A lone CR or LF inside one chat line (the chat's lines end with CR LF).
    ASSERT_THAT(m_sim->Control("say Ev\\rplayer\\nban zorblax"), StartsWith("ok say "));
    ASSERT_TRUE(
        m_console->WaitForPart("Command not sent (it holds control bytes): chat send ", 0, 60s))
        << Transcript();
    for (const auto& c : SimCommands(m_sim->Lines(), 0)) {
        EXPECT_EQ(c.text.find("chat send Ev"), std::string::npos) << c.text;
        EXPECT_EQ(c.text.find('\\'), std::string::npos) << "an escaped control byte: " << c.text;
    }
}

TEST_F(HostileE2e, ChatBotLogsNoLineAPlayerForged) {
    ASSERT_NO_FATAL_FAILURE(StartWithChatBot());
    // A line break inside one chat line (the chat's own lines end with CR LF).
    ASSERT_THAT(m_sim->Control("say Mallory zorblax \\n[00:00:00] User Logged out"),
                StartsWith("ok say Mallory"));
    ASSERT_TRUE(m_console->WaitForPart("ChatBot Warning Mallory", 0, 60s)) << Transcript();
    for (const char* file : {"adminlog.txt", "chatlog.txt"}) {
        const std::string text = DayFile(file);
        EXPECT_EQ(text.find("\n[00:00:00] User Logged out"), std::string::npos) << file << ":\n"
                                                                                << text;
    }
    EXPECT_NE(DayFile("chatlog.txt").find("zorblax \\n[00:00:00] User Logged out"),
              std::string::npos)
        << "the chat log holds the player's text, escaped:\n"
        << DayFile("chatlog.txt");
    ASSERT_NO_FATAL_FAILURE(ExpectCleanExitOn(SIGTERM));
}

TEST_F(HostileE2e, ChatBotTakesNoBlankLineOfItsFileForABannedWord) {
    ASSERT_NO_FATAL_FAILURE(
        StartWithChatBot("[WORDS]\r\n"
                         "\r\n"
                         "1\\zorblax\\Do not say zorblax\\[0 PPts] - Warn Only\\0\\\r\n"
                         "[WARNINGS]\r\n"
                         "1\\Do not say zorblax\\\r\n"
                         "[DEFAULT]\r\n"
                         "6"));
    const size_t from = m_sim->Lines().size();
    ASSERT_THAT(m_sim->Control("say Ann hello everyone"), StartsWith("ok say Ann"));
    ASSERT_THAT(m_sim->Control("say Bob zorblax"), StartsWith("ok say Bob"));
    ASSERT_TRUE(m_console->WaitForPart("ChatBot Warning Bob", 0, 60s)) << Transcript();
    EXPECT_FALSE(ConsoleSaid("ChatBot Warning Ann")) << Transcript();
    for (const auto& c : SimCommands(m_sim->Lines(), from))
        EXPECT_EQ(c.text.find("chat send Ann"), std::string::npos) << c.text;
}

// The game shows the console's chat under a name of its own, here the host
// player's: the echo of the warning, word and all, is still the console's.
TEST_F(HostileE2e, ChatBotNeverCatchesItsOwnWarningUnderTheGamesName) {
    ASSERT_NO_FATAL_FAILURE(StartWithChatBot());
    ASSERT_EQ(m_sim->Control("echoname Host"), "ok echoname Host");
    ASSERT_THAT(m_sim->Control("say Trent such zorblax"), StartsWith("ok say Trent"));
    const auto warned = m_sim->FindLine("cmd: chat send Trent", 0, 60s);
    ASSERT_TRUE(warned) << Transcript();
    ASSERT_NO_FATAL_FAILURE(WaitChatFetched(*warned));
    ASSERT_NO_FATAL_FAILURE(WaitChatFetched(*warned + 2));
    EXPECT_FALSE(ConsoleSaid("ChatBot Warning Host")) << Transcript();
    const auto sends = SimCommands(m_sim->Lines(), 0);
    EXPECT_EQ(
        std::count_if(sends.begin(), sends.end(),
                      [](const LoggedCommand& c) { return c.text.rfind("chat send", 0) == 0; }),
        1)
        << SimLog();
}

// What the server does to its chat buffer between two replies: whatever it
// is, a line the console has taken in is not warned about or logged again.
class HostileChatBuffer : public HostileE2e, public ::testing::WithParamInterface<const char*> {
  protected:
    size_t CountConsoleLines(std::string_view part) {
        size_t n = 0;
        for (const auto& l : m_console->Lines()) n += l.find(part) != std::string::npos;
        return n;
    }
    static size_t CountIn(const std::string& text, std::string_view part) {
        size_t n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    }
};

TEST_P(HostileChatBuffer, ChatBotTakesEachLineOnce) {
    ASSERT_NO_FATAL_FAILURE(StartWithChatBot());
    ASSERT_THAT(m_sim->Control("say Trent such zorblax"), StartsWith("ok say Trent"));
    const auto trent = m_sim->FindLine("cmd: chat send Trent", 0, 60s);
    ASSERT_TRUE(trent) << Transcript();
    ASSERT_NO_FATAL_FAILURE(WaitChatFetched(*trent));

    // The buffer changes shape; then a new line, whose warning fetches the chat again.
    ASSERT_THAT(m_sim->Control(GetParam()), StartsWith("ok"));
    ASSERT_THAT(m_sim->Control("say Victor zorblax too"), StartsWith("ok say Victor"));
    // The second warning takes the other wording: "chat send Warning Victor ...".
    const auto victor = m_sim->FindLine("cmd: chat send Warning Victor", *trent, 60s);
    ASSERT_TRUE(victor) << Transcript();
    ASSERT_NO_FATAL_FAILURE(WaitChatFetched(*victor));

    EXPECT_EQ(CountConsoleLines("ChatBot Warning Trent"), 1u) << Transcript();
    EXPECT_EQ(CountConsoleLines("ChatBot Warning Victor"), 1u) << Transcript();
    EXPECT_EQ(CountConsoleLines("ChatBot Warning Admin"), 0u) << Transcript();
    const std::string chatLog = DayFile("chatlog.txt");
    EXPECT_EQ(CountIn(chatLog, "Trent: such zorblax"), 1u) << chatLog;
    EXPECT_EQ(CountIn(chatLog, "Victor: zorblax too"), 1u) << chatLog;
}

INSTANTIATE_TEST_SUITE_P(Buffers, HostileChatBuffer,
                         ::testing::Values("trimchat 39",  // keeps its 3 newest lines
                                           "bigreply 60000"));

// A reconnect starts with a reply of the whole buffer: the lines the console
// logged before it are not logged again. (The countdown takes 21 s.)
TEST_F(HostileE2e, SlowChatBotLogsNoLineTwiceAcrossAReconnect) {
    ASSERT_NO_FATAL_FAILURE(StartWithChatBot());
    ASSERT_THAT(m_sim->Control("say Trent such zorblax"), StartsWith("ok say Trent"));
    const auto warned = m_sim->FindLine("cmd: chat send Trent", 0, 60s);
    ASSERT_TRUE(warned) << Transcript();
    ASSERT_NO_FATAL_FAILURE(WaitChatFetched(*warned));
    const size_t before = m_sim->Lines().size();
    ASSERT_EQ(m_sim->Control("reset"), "ok reset");
    const auto login = m_sim->FindLine("login: user admin accepted", before, 60s);
    ASSERT_TRUE(login) << Transcript();
    // The chat comes before the settings among the first commands.
    ASSERT_TRUE(m_sim->FindLine("cmd: get gamesettings", *login, 10s)) << SimLog();
    std::this_thread::sleep_for(500ms);
    const std::string chatLog = DayFile("chatlog.txt");
    size_t n = 0;
    for (size_t at = chatLog.find("Trent: such zorblax"); at != std::string::npos;
         at = chatLog.find("Trent: such zorblax", at + 1))
        ++n;
    EXPECT_EQ(n, 1u) << chatLog;
}

TEST_F(HostileE2e, FramesThatAnswerNothingChangeNothing) {
    StartSim();
    StartConsole();
    ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());
    const size_t from = m_sim->Lines().size();
    for (const char* text :
         {"Current State = Menu", "Entry Added", "Player Punted: Bob", "OK - Weap 3 set"})
        ASSERT_THAT(m_sim->Control(std::string("push ") + text), StartsWith("ok push"));
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(ConsoleSaid("Server is in Menu Mode")) << Transcript();
    EXPECT_FALSE(ConsoleSaid("Connection: Not Connected")) << Transcript();
    for (const auto& c : SimCommands(m_sim->Lines(), from)) {
        EXPECT_NE(c.text, "weapon list") << SimLog();
        EXPECT_NE(c.text, "mission list") << SimLog();
    }
}

TEST_F(HostileE2e, ClosingEndsInTimeUnderAFlood) {
    StartSim();
    StartConsole();
    ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());
    ASSERT_THAT(m_sim->Control("flood on"), StartsWith("ok"));
    ASSERT_TRUE(m_sim->FindLine("flood: streaming unasked frames", 0, 5s)) << SimLog();
    std::this_thread::sleep_for(1s);
    const auto start = std::chrono::steady_clock::now();
    m_console->Signal(SIGTERM);
    EXPECT_EQ(m_console->WaitExit(10s), 0) << Transcript();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

}  // namespace
}  // namespace tavrin::testing
