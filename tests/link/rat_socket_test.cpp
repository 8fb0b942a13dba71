#include "link/rat_socket.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>

#include "link/socket_errors.h"

namespace tavrin {
namespace {

// A stream whose send room and incoming bytes a test controls.
class FakeStream final : public NonBlockingStream {
  public:
    long Send(const char* data, size_t count, int& error) override {
        if (sendError) {
            error = sendError;
            return -1;
        }
        size_t n = std::min(count, room);
        if (n == 0) {
            error = kWouldBlock;
            return -1;
        }
        room -= n;
        sent.append(data, n);
        return static_cast<long>(n);
    }
    long Recv(char* data, size_t count, int& error) override {
        ++reads;
        if (incoming.empty()) {
            if (ended) return 0;
            error = recvError ? recvError : kWouldBlock;
            return -1;
        }
        size_t n = std::min(count, incoming.size());
        std::memcpy(data, incoming.data(), n);
        incoming.erase(0, n);
        return static_cast<long>(n);
    }

    size_t room = 1 << 20;
    int sendError = 0;
    std::string sent;
    std::string incoming;
    bool ended = false;
    int recvError = 0;
    int reads = 0;
};

class Recorder final : public RatSocketEvents {
  public:
    void RatFrameReceived(const std::string& text) override { events.push_back("frame:" + text); }
    void RatFrameIgnored(const std::string& text) override { ignored.push_back(text); }
    void RatTcpStackFull(int e, int o) override { Add("full", e, o); }
    void RatSendNotCompleted(int e, int o) override { Add("partial", e, o); }
    void RatSocketError(int e, int o) override { Add("error", e, o); }
    std::vector<std::string> events;
    std::vector<std::string> ignored;

  private:
    void Add(const char* what, int e, int o) {
        events.push_back(std::string(what) + ":" + std::to_string(e) + ":" + std::to_string(o));
    }
};

struct SocketFixture : ::testing::Test {
    FakeStream stream;
    Recorder events;
    CRatSocket socket{stream, events};
    SocketFixture() { socket.m_fConnected = true; }

    // Notifies readable data until the socket has read everything offered.
    void ReceiveAll() {
        while (!stream.incoming.empty() && socket.OnReceive(0)) {
        }
    }
};

std::string Reply(const std::string& body) {
    std::string f = {0,
                     0,
                     0x0D,
                     0x0A,
                     static_cast<char>((body.size() + 8) & 0xFF),
                     static_cast<char>((body.size() + 8) >> 8),
                     0,
                     0};
    return f + body;
}

TEST_F(SocketFixture, SendsAFrameWhole) {
    socket.SendFrame(*EncodeCommandFrame("player list"));
    EXPECT_EQ(stream.sent, *EncodeCommandFrame("player list"));
    EXPECT_TRUE(events.events.empty());
    EXPECT_EQ(socket.PendingFrames(), 0u);
}

TEST_F(SocketFixture, FullStackKeepsFramesInOrderUntilThereIsRoom) {
    stream.room = 5;
    socket.SendFrame(*EncodeCommandFrame("first"));
    EXPECT_EQ(events.events, (std::vector<std::string>{"full:10035:101", "partial:0:102"}));
    // A second frame while the first is pending waits its turn.
    socket.SendFrame(*EncodeCommandFrame("second"));
    EXPECT_EQ(socket.PendingFrames(), 2u);
    EXPECT_EQ(stream.sent.size(), 5u);

    stream.room = 1 << 20;
    socket.OnSend(0);
    EXPECT_EQ(stream.sent, *EncodeCommandFrame("first") + *EncodeCommandFrame("second"));
    EXPECT_EQ(socket.PendingFrames(), 0u);
}

TEST_F(SocketFixture, SendFailureDropsPendingFramesAndReports) {
    stream.sendError = kConnectionReset;
    socket.SendFrame(*EncodeCommandFrame("x"));
    EXPECT_EQ(events.events, std::vector<std::string>{"error:10054:101"});
    EXPECT_EQ(socket.PendingFrames(), 0u);
}

TEST_F(SocketFixture, NothingIsSentOutsideGameMode) {
    socket.m_fGameMode = false;
    socket.SendFrame(*EncodeCommandFrame("x"));
    EXPECT_TRUE(stream.sent.empty());
    EXPECT_EQ(socket.PendingFrames(), 0u);
}

TEST_F(SocketFixture, OnSendWhileNotConnectedOnlyStoresTheCode) {
    stream.room = 0;
    socket.SendFrame(*EncodeCommandFrame("x"));
    socket.m_fConnected = false;
    stream.room = 100;
    socket.OnSend(10054);
    EXPECT_TRUE(stream.sent.empty());
    EXPECT_EQ(socket.m_lastErrorCode, 10054);
}

TEST_F(SocketFixture, ReadsOnlyWhatThePhaseNeedsAndDeliversInOrder) {
    stream.incoming = Reply("one") + Reply(std::string("two\0pad", 7));
    ReceiveAll();
    EXPECT_EQ(events.events, (std::vector<std::string>{"frame:one", "frame:two"}));
    // Header, body, header, body: one read each.
    EXPECT_EQ(stream.reads, 4);
}

TEST_F(SocketFixture, EmptyReplyIsDeliveredAndTheStreamStaysInStep) {
    stream.incoming = Reply("") + Reply("next");
    ReceiveAll();
    EXPECT_EQ(events.events, (std::vector<std::string>{"frame:", "frame:next"}));
}

TEST_F(SocketFixture, IgnoredRepliesAreConsumedInStep) {
    socket.m_fIgnore = true;
    stream.incoming = Reply("OK - Setting a") + Reply("OK - Setting b");
    ReceiveAll();
    EXPECT_TRUE(events.events.empty());
    // Still reported apart, so the main thread can pair them with their commands.
    EXPECT_EQ(events.ignored, (std::vector<std::string>{"OK - Setting a", "OK - Setting b"}));
    socket.m_fIgnore = false;
    stream.incoming = Reply("after");
    ReceiveAll();
    EXPECT_EQ(events.events, std::vector<std::string>{"frame:after"});
}

TEST_F(SocketFixture, WouldBlockReadIsADiagnosticOnly) {
    EXPECT_TRUE(socket.OnReceive(0));
    EXPECT_EQ(events.events, std::vector<std::string>{"full:0:103"});
}

TEST_F(SocketFixture, EndOfStreamStopsReading) {
    stream.incoming = Reply("abc").substr(0, 5);
    stream.ended = true;
    while (socket.OnReceive(0)) {
    }
    EXPECT_TRUE(socket.ReceiveEnded());
    EXPECT_TRUE(events.events.empty());
    int reads = stream.reads;
    EXPECT_FALSE(socket.OnReceive(0));
    EXPECT_EQ(stream.reads, reads);
}

TEST_F(SocketFixture, FailedReadKeepsItsCodeForTheClose) {
    stream.recvError = kConnectionReset;
    EXPECT_FALSE(socket.OnReceive(0));
    EXPECT_EQ(socket.m_lastErrorCode, 10054);
}

TEST_F(SocketFixture, BrokenHeaderEndsTheConnectionAsASocketError) {
    stream.incoming = std::string("\0\0\r\n\x04\0\0\0", 8) + Reply("lost");
    ReceiveAll();
    EXPECT_EQ(events.events, std::vector<std::string>{"error:10053:103"});
    EXPECT_TRUE(socket.ReceiveEnded());
}

}  // namespace
}  // namespace tavrin
