// The remote admin's login exchange, replies, printing and standard input,
// driven with bytes as the manager sends them.

#include "admin/admin_client.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tavrin::admin {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

// A frame as the manager writes it, built here byte by byte so that a test
// can also announce lengths the codec would never produce.
std::string Frame(std::string_view text, size_t announced) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>((announced >> shift) & 0xFF);
    return bytes + std::string(text);
}
std::string Frame(std::string_view text) {
    return Frame(text, text.size());
}

std::string Frames(std::initializer_list<std::string_view> texts) {
    std::string bytes;
    for (std::string_view t : texts) bytes += Frame(t);
    return bytes;
}

// Every event of `bytes` fed in pieces of `piece` bytes.
ClientEvents FeedInPieces(Client& client, const std::string& bytes, size_t piece) {
    ClientEvents all;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        ClientEvents some = client.OnBytes(std::string_view(bytes).substr(at, piece));
        all.insert(all.end(), some.begin(), some.end());
    }
    return all;
}

const std::string kLogin = Frames({"Hollispark", "User:OK"});

// A client past the login, with no rights.
Client LoggedInClient() {
    Client client("warden", "s3cret");
    client.OnBytes(kLogin + Frames({"0000", "NOT_LOGGED_IN"}));
    return client;
}

bool HasControlByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](unsigned char c) { return c < 32 || c == 127; });
}

TEST(AdminClientLogin, UserAndPasswordEachWaitForTheirAnswerThenRightsAndStatus) {
    struct Case {
        std::string rights, status;
        LoginDone expected;
    };
    const Case cases[] = {
        {"3F00", "NOT_LOGGED_IN", {0x3F00, false}},
        {"3FFF", "LOGGED_IN", {0x3FFF, true}},
        {"0000", "LOGGED_IN", {0x0000, true}},
        {"0100", "NOT_LOGGED_IN", {0x0100, false}},
    };
    for (const Case& c : cases) {
        // Byte by byte, in odd pieces, and all of it in one read.
        for (size_t piece : {1, 3, 7, 1000}) {
            SCOPED_TRACE(c.rights + " " + c.status + ", pieces of " + std::to_string(piece));
            Client client("warden", "s3cret");
            EXPECT_EQ(FeedInPieces(client, Frame("Hollispark"), piece),
                      (ClientEvents{Greeted{}, SendFrame{Frame("warden")}}));
            EXPECT_EQ(client.Phase(), ClientPhase::AwaitingUserOk);
            EXPECT_EQ(FeedInPieces(client, Frame("User:OK"), piece),
                      ClientEvents{SendFrame{Frame("s3cret")}});
            EXPECT_FALSE(client.LoggedIn());
            EXPECT_EQ(FeedInPieces(client, Frames({c.rights, c.status}), piece),
                      ClientEvents{c.expected});
            EXPECT_TRUE(client.LoggedIn());
        }
    }
}

TEST(AdminClientLogin, ExchangeArrivingInOneReadComesOutInOrder) {
    Client client("warden", "s3cret");
    const ClientEvents events =
        client.OnBytes(kLogin + Frames({"0100", "LOGGED_IN", "Ann\t3\nBob\t7\n", "[NO CHAT]"}));
    EXPECT_EQ(events, (ClientEvents{Greeted{}, SendFrame{Frame("warden")},
                                    SendFrame{Frame("s3cret")}, LoginDone{0x0100, true},
                                    Reply{"Ann\t3\nBob\t7\n"}, Reply{"[NO CHAT]"}}));
}

TEST(AdminClientLogin, EachRefusalEndsTheLogin) {
    struct Case {
        std::string before;  // what came before the refusal
        std::string refusal;
        size_t framesSent;  // user, and password when asked for
    };
    const Case cases[] = {
        {Frame("Hollispark"), "User:Rejected", 1},
        {Frame("Hollispark"), "User:In Use", 1},
        {Frame("Hollispark"), "Error:Rejected", 1},
        {kLogin, "Pass:Rejected", 2},
        {kLogin, "User:Rejected", 2},
        {kLogin, "Error:Rejected", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refusal + " after " + std::to_string(c.framesSent) + " frame(s)");
        Client client("warden", "s3cret");
        // Whatever a broken manager sends after its refusal is not read.
        const ClientEvents events =
            client.OnBytes(c.before + Frames({c.refusal, "3FFF", "LOGGED_IN", "hello"}));
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back(), ClientEvent(LoginRefused{c.refusal}));
        EXPECT_EQ(std::count_if(
                      events.begin(), events.end(),
                      [](const ClientEvent& e) { return std::holds_alternative<SendFrame>(e); }),
                  static_cast<long>(c.framesSent));
        EXPECT_EQ(client.Phase(), ClientPhase::Ended);
        EXPECT_FALSE(client.CommandFrame("player list"));
    }
}

// A transport that cuts the frames itself hands each whole text over: the
// exchange goes exactly as from the bytes, refusals and errors included.
TEST(AdminClientLogin, WholeFramesGoAsTheirBytesDo) {
    const std::vector<std::vector<std::string>> exchanges = {
        {"Hollispark", "User:OK", "3F00", "LOGGED_IN", "Ann\t3\n", "[NO CHAT]"},
        {"Hollispark", "User:OK", "0000", "NOT_LOGGED_IN"},
        {"Hollispark", "User:In Use", "User:OK"},
        {"Hollispark", "User:OK", "Pass:Rejected"},
        {"Welcome", "User:OK"},
        {"Hollispark", "User:OK", "3FFF", "MAYBE"},
    };
    for (const auto& exchange : exchanges) {
        SCOPED_TRACE(exchange.back());
        Client byBytes("warden", "s3cret");
        Client byFrames("warden", "s3cret");
        for (const std::string& text : exchange) {
            EXPECT_EQ(byFrames.OnFrame(text), byBytes.OnBytes(Frame(text))) << text;
            EXPECT_EQ(byFrames.Phase(), byBytes.Phase()) << text;
        }
    }
}

TEST(AdminClientLogin, AnythingButTheExpectedTextIsAnError) {
    struct Case {
        std::string bytes;
        std::string_view about;
    };
    const Case cases[] = {
        {Frame("SSH-2.0-OpenSSH_9.2"), "greeting"},
        {Frame("hollispark"), "greeting"},
        {Frame("Hollispark") + Frame("LOGGED_IN"), "user name"},
        {Frame("Hollispark") + Frame("Pass:Rejected"), "user name"},  // not an answer to a user
        {kLogin + Frame("GGGG"), "password"},
        {kLogin + Frame("4000"), "password"},  // above every right there is
        {kLogin + Frame("NOT_LOGGED_IN"), "password"},
        {kLogin + Frames({"3F00", "3F00"}), "login status"},
        {kLogin + Frames({"3F00", "logged_in"}), "login status"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.about);
        Client client("warden", "s3cret");
        const ClientEvents events = client.OnBytes(c.bytes + Frames({"LOGGED_IN", "late reply"}));
        ASSERT_FALSE(events.empty());
        const auto* error = std::get_if<StreamError>(&events.back());
        ASSERT_NE(error, nullptr);
        EXPECT_THAT(error->text, HasSubstr(std::string(c.about)));
        EXPECT_EQ(client.Phase(), ClientPhase::Ended);
        EXPECT_THAT(client.OnBytes(Frame("more")), IsEmpty());
    }
}

TEST(AdminClientLogin, HostileTextInAnErrorStaysOnOneShortLine) {
    Client client("warden", "s3cret");
    const std::string greeting = "\x1B[2J\r\nadmin: logged in\x07" + std::string(5000, 'x');
    const ClientEvents events = client.OnBytes(Frame(greeting));
    ASSERT_EQ(events.size(), 1u);
    const std::string& text = std::get<StreamError>(events[0]).text;
    EXPECT_FALSE(HasControlByte(text)) << text;
    EXPECT_THAT(text, HasSubstr("\\x1B[2J\\r\\nadmin: logged in\\x07"));
    EXPECT_LT(text.size(), 300u);
}

TEST(AdminClientFrames, LengthAboveTheLimitIsAnErrorInEveryPhase) {
    const std::string tooLong = Frame("", kMaxAdminFrame + 1);
    const std::string huge = Frame("", 0xFFFFFFFF);
    for (const std::string& before :
         {std::string(), kLogin, kLogin + Frames({"0100", "LOGGED_IN", "reply"})}) {
        for (const std::string& bad : {tooLong, huge}) {
            Client client("warden", "s3cret");
            const ClientEvents events = client.OnBytes(before + bad + std::string(100, 'y'));
            ASSERT_FALSE(events.empty());
            const auto* error = std::get_if<StreamError>(&events.back());
            ASSERT_NE(error, nullptr);
            EXPECT_THAT(error->text, HasSubstr(std::to_string(kMaxAdminFrame)));
            EXPECT_EQ(client.Phase(), ClientPhase::Ended);
        }
    }
}

// No command was sent here: frames the manager relays unasked (another admin
// asked for the same reply) come out as replies all the same.
TEST(AdminClientFrames, RepliesSplitAndCoalescedComeOutWhole) {
    const std::string big(kMaxAdminFrame, 'r');  // the longest frame there may be
    const std::string stream =
        Frames({"Ann\t3\nBob\t7\n", "[NO CHAT]", big, "Refused, missing right: Punt"});
    for (size_t piece : {size_t{1}, size_t{2}, size_t{5}, size_t{4096}, stream.size()}) {
        SCOPED_TRACE("pieces of " + std::to_string(piece));
        Client client = LoggedInClient();
        EXPECT_EQ(FeedInPieces(client, stream, piece),
                  (ClientEvents{Reply{"Ann\t3\nBob\t7\n"}, Reply{"[NO CHAT]"}, Reply{big},
                                Reply{"Refused, missing right: Punt"}}));
    }
}

TEST(AdminClientCommands, FramedOnlyWhenLoggedInAndWithinOneFrame) {
    Client client("warden", "s3cret");
    EXPECT_FALSE(client.CommandFrame("player list")) << "before the login";
    client.OnBytes(kLogin);
    EXPECT_FALSE(client.CommandFrame("player list")) << "before the login";

    client = LoggedInClient();
    const auto list = client.CommandFrame("player list");
    ASSERT_TRUE(list);
    EXPECT_EQ(list.value(), std::string("\0\0\0\x0Bplayer list", 15));
    const std::string longest(kMaxAdminFrame, 'c');
    ASSERT_TRUE(client.CommandFrame(longest));
    EXPECT_EQ(client.CommandFrame(longest).value(), Frame(longest));
    EXPECT_FALSE(client.CommandFrame(longest + "c"));
    EXPECT_FALSE(client.CommandFrame(""));
}

TEST(AdminClientCommands, OnlyCommandsOfARelayedClassWaitForAReply) {
    const struct {
        const char* command;
        bool expects;
    } cases[] = {
        {"player list", true},
        {"chat get", true},
        {"mission list", true},
        {"get gamesettings", true},
        {"weapon list", true},
        {"chat send hi player", true},
        {"mission available", false},  // answered by a mission reply nobody waits for
        {"get gamestate", false},
        {"UPLOAD x", false},
        // A setting's reply comes back to its sender; one that carries a
        // word of the manager's own is that word's, answered by no reply.
        {"set ServerName x", true},
        {"cmd restart", true},
        {"set motd ACTION", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpectsReply(c.command), c.expects) << c.command;
}

TEST(AdminClientText, RightsShownAsDigitsAndCaptions) {
    EXPECT_EQ(RightsText(0x3F00), "3F00 (Warn, Punt, Swap, Kill, Ban, Zero)");
    EXPECT_EQ(RightsText(0x0101), "0101 (Admin List, Warn)");
    EXPECT_EQ(RightsText(0x00A0), "00A0 (Use Saved Lists, Game Settings)");
    EXPECT_EQ(RightsText(0), "0000 (no rights)");
}

TEST(AdminClientText, PrintedReplyKeepsLineFeedsAndTabsAndEscapesEveryOtherControlByte) {
    const struct {
        std::string reply, printed;
    } cases[] = {
        {"Ann\nBob\n", "Ann\nBob\n"},
        {"\n\n", "\n\n"},
        {"one\r\ntwo", "one\\r\ntwo"},
        {"\x1B[2J\x1B]0;title\x07", "\\x1B[2J\\x1B]0;title\\x07"},
        {"a\tb\x7F\x01", "a\tb\\x7F\\x01"},
        {"caf\xE9 \\ ok", "caf\xE9 \\ ok"},  // Windows-1252 and backslashes stay
        {"", ""},
    };
    for (const auto& c : cases) {
        const std::string printed = PrintableReply(c.reply);
        EXPECT_EQ(printed, c.printed);
        std::string withoutLineFeeds = printed;
        std::erase(withoutLineFeeds, '\n');
        std::erase(withoutLineFeeds, '\t');
        EXPECT_FALSE(HasControlByte(withoutLineFeeds)) << printed;
    }
}

// Lines as CommandLines gives them: a command, or "!" and the failure.
std::vector<std::string> Lines(const std::string& input, size_t piece) {
    CommandLines lines;
    std::vector<std::string> out;
    auto take = [&](const std::vector<Result<std::string>>& some) {
        for (const auto& r : some) out.push_back(r ? r.value() : "!" + r.failure());
    };
    for (size_t at = 0; at < input.size(); at += piece)
        take(lines.Feed(std::string_view(input).substr(at, piece)));
    take(lines.End());
    return out;
}

TEST(AdminClientInput, LinesBecomeCommands) {
    const std::string longest(kMaxAdminFrame, 'L');
    const std::string refused = "!a line of more than 65536 bytes was not sent";
    const struct {
        std::string input;
        std::vector<std::string> commands;
    } cases[] = {
        {"player list\nchat get\n", {"player list", "chat get"}},
        {"player list\r\nchat get\r\n", {"player list", "chat get"}},
        {"\n\r\n  \n\t\nplayer list\n\n", {"player list"}},
        {"chat send no line feed at the end", {"chat send no line feed at the end"}},
        {"chat send a\rb\n", {"chat send a\rb"}},  // only the CR before the line feed goes
        {"  player list \n", {"  player list "}},
        {longest + "\n", {longest}},
        {longest + "\r\n", {longest}},
        {longest + "LL\r\nnext\n", {refused, "next"}},
        {longest + "L\nnext\n", {refused, "next"}},
        {"x" + longest + std::string(200000, 'x') + "\nnext", {refused, "next"}},
    };
    for (const auto& c : cases) {
        for (size_t piece : {size_t{1}, size_t{3}, size_t{4096}, c.input.size()}) {
            if (piece == 1 && c.input.size() > 1000) continue;
            EXPECT_EQ(Lines(c.input, piece), c.commands)
                << c.input.substr(0, 40) << " in pieces of " << piece;
        }
    }
}

}  // namespace
}  // namespace tavrin::admin
