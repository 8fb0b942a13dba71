#include "sim/sim_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/frame.h"
#include "link/login_block.h"

namespace tavrin::sim {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// Texts of the frames a session sent, read back with the console's reader.
std::vector<std::string> Texts(const SessionOutput& out) {
    std::vector<std::string> texts;
    FrameReader reader;
    for (const auto& frame : out.frames) {
        const auto r = reader.Feed(frame);
        EXPECT_EQ(r.status, FrameReader::Status::Frame);
        EXPECT_EQ(r.used, frame.size());
        texts.push_back(r.text);
    }
    return texts;
}

bool Logged(const SessionOutput& out, std::string_view text) {
    for (const auto& line : out.log)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

class SimSessionTest : public ::testing::Test {
  protected:
    std::string LoginFrame(const std::string& user, const std::string& password) {
        const auto block = BuildLoginBlock(user, password, LoginCodeFromGreeting(m_greeting));
        EXPECT_TRUE(block.ok());
        return EncodeLoginFrame(block.value());
    }
    void Open() {
        const auto texts = Texts(m_session.Start());
        ASSERT_EQ(texts.size(), 1u);
        m_greeting = texts[0];
    }
    SessionOutput OpenAndLogIn() {
        Open();
        return m_session.Feed(LoginFrame("admin", "secret"));
    }

    SimGame m_game{1};
    std::vector<Account> m_accounts{{"admin", "secret"}, {"second", "two"}};
    FaultState m_faults;
    SimSession m_session{m_game, m_accounts, m_faults};
    std::string m_greeting;
};

TEST_F(SimSessionTest, GreetingIsAPrintableCodeOfAtLeast32Characters) {
    Open();
    EXPECT_GE(m_greeting.size(), 32u);
    for (char c : m_greeting) EXPECT_TRUE(c > ' ' && c < 127);
    EXPECT_EQ(m_session.Greeting(), m_greeting);
}

TEST_F(SimSessionTest, LoginVerdicts) {
    const struct {
        const char* user;
        const char* password;
        bool reject;
        bool accepted;
    } cases[] = {
        {"admin", "secret", false, true},   {"second", "two", false, true},
        {"admin", "wrong", false, false},   {"second", "secret", false, false},
        {"nobody", "secret", false, false}, {"admin", "secret", true, false},  // the reject fault
    };
    for (const auto& c : cases) {
        m_faults.reject = c.reject;
        SimSession session(m_game, m_accounts, m_faults);
        const auto greeting = Texts(session.Start());
        const auto block = BuildLoginBlock(c.user, c.password, LoginCodeFromGreeting(greeting[0]));
        const SessionOutput out = session.Feed(EncodeLoginFrame(block.value()));
        const auto verdict = Texts(out);
        ASSERT_EQ(verdict.size(), 1u);
        EXPECT_EQ(verdict[0].rfind("User", 0) != 0, c.accepted) << c.user << "/" << c.password;
        EXPECT_EQ(session.LoggedIn(), c.accepted);
        EXPECT_EQ(out.close, !c.accepted) << "a rejected admin is sent away";
    }
}

TEST_F(SimSessionTest, LoginFrameCutAnywhereStillLogsIn) {
    Open();
    const std::string frame = LoginFrame("admin", "secret");
    SessionOutput last;
    for (char byte : frame) {
        EXPECT_TRUE(last.frames.empty()) << "no verdict before the whole frame";
        last = m_session.Feed(std::string_view(&byte, 1));
    }
    EXPECT_TRUE(m_session.LoggedIn());
    ASSERT_EQ(Texts(last).size(), 1u);
}

TEST_F(SimSessionTest, LoginAndCommandsInOneSegmentAreAllAnswered) {
    Open();
    const std::string bytes = LoginFrame("admin", "secret") + *EncodeCommandFrame("get gamestate") +
                              *EncodeCommandFrame("player list");
    const auto texts = Texts(m_session.Feed(bytes));
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_THAT(texts[1], HasSubstr("Current State = Game"));
    EXPECT_THAT(texts[2], HasSubstr("PING"));
}

TEST_F(SimSessionTest, ACommandFrameInPlaceOfTheLoginIsRejected) {
    Open();
    const SessionOutput out = m_session.Feed(*EncodeCommandFrame("player list"));
    ASSERT_EQ(Texts(out).size(), 1u);
    EXPECT_THAT(Texts(out)[0], StartsWith("User"));
    EXPECT_TRUE(out.close);
    EXPECT_FALSE(m_session.LoggedIn());
}

TEST_F(SimSessionTest, CommandsSplitAcrossReadsAreAnsweredInOrder) {
    OpenAndLogIn();
    const std::string bytes = *EncodeCommandFrame("chat send hi") + *EncodeCommandFrame("chat get");
    std::vector<std::string> texts;
    for (size_t at = 0; at < bytes.size(); at += 5)
        for (auto& t : Texts(m_session.Feed(std::string_view(bytes).substr(at, 5))))
            texts.push_back(t);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Chat sent.");
    EXPECT_THAT(texts[1], HasSubstr("Admin: hi\r\n"));
}

TEST_F(SimSessionTest, EachCommandIsLoggedOnOneLine) {
    OpenAndLogIn();
    EXPECT_TRUE(Logged(m_session.Feed(*EncodeCommandFrame("player list")), "cmd: player list"));
    const SessionOutput out = m_session.Feed(*EncodeCommandFrame("chat send a\r\nb"));
    EXPECT_TRUE(Logged(out, "cmd: chat send a\\x0D\\x0Ab"));
}

TEST_F(SimSessionTest, StallSilencesOnlyTheGameStateRequest) {
    OpenAndLogIn();
    m_faults.stall = true;
    const SessionOutput stalled = m_session.Feed(*EncodeCommandFrame("get gamestate"));
    EXPECT_TRUE(stalled.frames.empty());
    EXPECT_TRUE(Logged(stalled, "stall"));
    EXPECT_EQ(Texts(m_session.Feed(*EncodeCommandFrame("player list"))).size(), 1u);
}

TEST_F(SimSessionTest, CommandsAreLoggedSoEveryByteShows) {
    OpenAndLogIn();
    const struct {
        std::string command;
        std::string logged;
    } cases[] = {
        {"chat send tab\there", R"(cmd: chat send tab\x09here)"},
        {"chat send \x1B[2J\x7F", R"(cmd: chat send \x1B[2J\x7F)"},
        // A backslash is doubled, so typed text never passes for a control byte.
        {R"(chat send c:\x0D)", R"(cmd: chat send c:\\x0D)"},
    };
    for (const auto& c : cases) {
        const SessionOutput out = m_session.Feed(*EncodeCommandFrame(c.command));
        ASSERT_FALSE(out.log.empty());
        EXPECT_EQ(out.log[0], c.logged);
    }
}

TEST_F(SimSessionTest, IgnoreDropsTheNextCommandsWhateverTheyAre) {
    OpenAndLogIn();
    m_faults.ignore = 2;
    const size_t chatLines = m_game.ChatLines().size();
    const std::string before = m_game.ChatLines().back();
    for (const char* command : {"chat send dropped", "player list"}) {
        const SessionOutput out = m_session.Feed(*EncodeCommandFrame(command));
        EXPECT_TRUE(out.frames.empty()) << command;
        EXPECT_TRUE(Logged(out, std::string("cmd: ") + command));
        EXPECT_TRUE(Logged(out, "ignore"));
    }
    EXPECT_EQ(m_faults.ignore, 0);
    EXPECT_EQ(m_game.ChatLines().back(), before) << "a dropped command is not carried out";
    EXPECT_EQ(m_game.ChatLines().size(), chatLines);
    EXPECT_EQ(Texts(m_session.Feed(*EncodeCommandFrame("chat send kept"))),
              std::vector<std::string>{"Chat sent."});
}

TEST_F(SimSessionTest, BigReplyPadsEveryReplyAfterTheLogin) {
    m_faults.bigReply = 3000;
    const auto verdict = Texts(OpenAndLogIn());
    ASSERT_EQ(verdict.size(), 1u);
    EXPECT_EQ(verdict[0], "Welcome admin, login accepted") << "the login is never padded";
    const struct {
        size_t bigReply;
        const char* command;
        std::string begins;  // the reply as the game gave it, then the padding line
        size_t size;
    } cases[] = {
        {3000, "chat send hi", "Chat sent.\n.", 3000},
        {3000, "player list", "NAME\t", 3000},
        {70000, "get gamestate", "Server Name = ", kMaxReplyText},
        {5, "chat send hi", "Chat sent.", 10},  // a longer reply stays as it is
        {0, "chat send hi", "Chat sent.", 10},
    };
    for (const auto& c : cases) {
        m_faults.bigReply = c.bigReply;
        const auto texts = Texts(m_session.Feed(*EncodeCommandFrame(c.command)));
        ASSERT_EQ(texts.size(), 1u) << c.command;
        EXPECT_EQ(texts[0].size(), c.size) << c.command << " padded to " << c.bigReply;
        EXPECT_THAT(texts[0], StartsWith(c.begins)) << c.command;
        if (c.size > 10) {
            const std::string padding = texts[0].substr(texts[0].rfind('\n') + 1);
            EXPECT_EQ(padding.find_first_not_of('.'), std::string::npos) << c.command;
            EXPECT_GT(padding.size(), 1000u) << c.command;
        }
    }
    m_faults.bigReply = 100;
    EXPECT_EQ(Texts(m_session.Push("x")), std::vector<std::string>{"x\n" + std::string(98, '.')});
}

TEST_F(SimSessionTest, PushSendsAnyBytesUnaskedOnlyAfterTheLogin) {
    Open();
    EXPECT_TRUE(m_session.Push("too early").frames.empty());
    m_session.Feed(LoginFrame("admin", "secret"));
    const std::string text = "Current State = Game\r\n\t\x01\xFF";
    const SessionOutput out = m_session.Push(text);
    EXPECT_EQ(Texts(out), std::vector<std::string>{text});
    EXPECT_TRUE(Logged(out, R"(push: Current State = Game\x0D\x0A\x09\x01)"));
    EXPECT_EQ(m_session.UnaskedFrame(text), out.frames[0]);
}

TEST_F(SimSessionTest, ABrokenHeaderEndsTheConnection) {
    const std::string broken = BadHeaderFrame();
    {
        Open();
        const SessionOutput out = m_session.Feed(broken);  // in place of the login
        EXPECT_TRUE(out.close);
        EXPECT_TRUE(out.frames.empty());
        EXPECT_TRUE(Logged(out, "broken header"));
    }
    SimSession session(m_game, m_accounts, m_faults);
    const auto greeting = Texts(session.Start());
    const auto block = BuildLoginBlock("admin", "secret", LoginCodeFromGreeting(greeting[0]));
    session.Feed(EncodeLoginFrame(block.value()));
    const SessionOutput out = session.Feed(broken + *EncodeCommandFrame("player list"));
    EXPECT_TRUE(out.close);
    EXPECT_TRUE(out.frames.empty()) << "nothing after a broken header is trusted";
    EXPECT_TRUE(Logged(out, "broken header"));
    EXPECT_TRUE(session.Feed(*EncodeCommandFrame("player list")).frames.empty());
}

TEST(ReplyFrame, LayoutAndLengthLimit) {
    const std::string frame = EncodeReplyFrame("abc");
    EXPECT_EQ(frame, std::string("\x00\x00\x0D\x0A\x0C\x00\x00\x00"
                                 "abc\x00",
                                 12));
    // The console reads 16 bits of length: a longer text is cut to fit.
    const std::string big = EncodeReplyFrame(std::string(70000, 'x'));
    EXPECT_EQ(big.size(), 0xFFFFu);
    FrameReader reader;
    const auto r = reader.Feed(big);
    EXPECT_EQ(r.status, FrameReader::Status::Frame);
    EXPECT_EQ(r.used, big.size());
    EXPECT_EQ(BadHeaderFrame().size(), kFrameHeaderSize);
    EXPECT_EQ(FrameReader().Feed(BadHeaderFrame()).status, FrameReader::Status::Broken);
}

}  // namespace
}  // namespace tavrin::sim
