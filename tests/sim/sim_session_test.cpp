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
        EXPECT_TRUE(block.ok);
        return EncodeLoginFrame(block.block);
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
        const SessionOutput out = session.Feed(EncodeLoginFrame(block.block));
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
    session.Feed(EncodeLoginFrame(block.block));
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
