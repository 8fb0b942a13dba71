#include "link/frame.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b) s.push_back(static_cast<char>(v));
    return s;
}

std::string ReplyFrame(const std::string& body, int b6 = 0, int b7 = 0) {
    size_t total = body.size() + 8;
    return Bytes({0, 0, 0x0D, 0x0A, static_cast<int>(total & 0xFF),
                  static_cast<int>((total >> 8) & 0xFF), b6, b7}) +
           body;
}

TEST(CommandFrame, Layout) {
    EXPECT_EQ(*EncodeCommandFrame("get gamestate"),
              Bytes({0, 0, 0x0D, 0x0A, 0x16, 0, 0, 0}) + "get gamestate" + Bytes({0}));
    EXPECT_EQ(*EncodeCommandFrame(""), Bytes({0, 0, 0x0D, 0x0A, 9, 0, 0, 0, 0}));

    std::string longest(247, 'x');
    auto frame = EncodeCommandFrame(longest);
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->size(), 256u);
    EXPECT_EQ(frame->substr(4, 4), Bytes({0x00, 0x01, 0x00, 0x00}));
    EXPECT_EQ(frame->back(), '\0');

    // High bytes are copied unchanged.
    EXPECT_EQ(EncodeCommandFrame("chat send \xE9t\xE9")->substr(8, 13), "chat send \xE9t\xE9");
}

TEST(CommandFrame, TooLongIsRefusedNotCut) {
    std::string text = "set serverPassword " + std::string(229, 'p');
    ASSERT_EQ(text.size(), 248u);
    EXPECT_FALSE(EncodeCommandFrame(text));
    const std::string msg = CommandTooLongMessage(text);
    EXPECT_NE(msg.find("248"), std::string::npos);
    EXPECT_NE(msg.find("set serverPassword"), std::string::npos);
    EXPECT_EQ(msg.find("ppp"), std::string::npos) << "the value must not reach the log";
}

TEST(OriginName, Table) {
    const std::pair<int, const char*> cases[] = {{100, "OnConnect()"},
                                                 {101, "DoAsyncSendBuffer(1)"},
                                                 {102, "DoAsyncSendBuffer(2)"},
                                                 {103, "OnReceive()"},
                                                 {104, "RatThread::InitInstance()"},
                                                 {0, "Not_Set"},
                                                 {105, "Not_Set"},
                                                 {-1, "Not_Set"}};
    for (auto [code, name] : cases) EXPECT_EQ(OriginName(code), name) << code;
}

// Feeds a stream to a reader in pieces and collects every text it yields.
std::vector<std::string> ReadAll(const std::string& stream, size_t piece) {
    FrameReader reader;
    std::vector<std::string> texts;
    for (size_t at = 0; at < stream.size();) {
        std::string_view chunk(stream.data() + at, std::min(piece, stream.size() - at));
        size_t used = 0;
        while (used < chunk.size()) {
            auto r = reader.Feed(chunk.substr(used));
            used += r.used;
            if (r.status == FrameReader::Status::Frame) texts.push_back(r.text);
            if (r.status == FrameReader::Status::Broken) {
                texts.push_back("<broken>");
                return texts;
            }
        }
        at += chunk.size();
    }
    return texts;
}

TEST(FrameReader, SplitAndCoalescedFramesComeOutWhole) {
    const std::string stream = ReplyFrame(std::string("Current State = Game\0", 21)) +
                               ReplyFrame("no terminator") +
                               ReplyFrame(std::string("early\0zero tail", 15)) + ReplyFrame("");
    const std::vector<std::string> expected = {"Current State = Game", "no terminator", "early",
                                               ""};
    for (size_t piece : {1u, 3u, 5u, 8u, 13u, 1000u})
        EXPECT_EQ(ReadAll(stream, piece), expected) << "pieces of " << piece;
}

// Two reads, cut at every byte of the stream: the header, the text, the zero
// and what follows it may each arrive in either read, or across both.
TEST(FrameReader, TextEndsAtTheFirstZeroWhereverTheStreamIsCut) {
    const std::pair<std::string, std::string> bodies[] = {
        {std::string("ab\0cd\0e", 8), "ab"},
        {std::string("\0abc", 4), ""},
        {std::string("abc\0", 4), "abc"},
        {"abcdef", "abcdef"},
        {"", ""},
    };
    for (const auto& [body, text] : bodies) {
        const std::string stream = ReplyFrame(body) + ReplyFrame("next");
        for (size_t cut = 0; cut <= stream.size(); ++cut) {
            FrameReader reader;
            std::vector<std::string> texts;
            for (std::string_view piece :
                 {std::string_view(stream).substr(0, cut), std::string_view(stream).substr(cut)})
                while (!piece.empty()) {
                    auto r = reader.Feed(piece);
                    piece.remove_prefix(r.used);
                    if (r.status == FrameReader::Status::Frame) texts.push_back(r.text);
                }
            EXPECT_EQ(texts, (std::vector<std::string>{text, "next"})) << "cut at " << cut;
        }
    }
}

// Half a body in: the reader tells how much of the phase it holds.
TEST(FrameReader, ReportsTheBodyPhaseHalfWay) {
    FrameReader reader;
    const std::string frame = ReplyFrame(std::string("ab\0cdef", 7));
    auto r = reader.Feed(std::string_view(frame).substr(0, 12));
    EXPECT_EQ(r.status, FrameReader::Status::NeedMore);
    EXPECT_EQ(r.used, 12u);
    EXPECT_FALSE(reader.ReadingHeader());
    EXPECT_EQ(reader.PhaseLength(), 7u);
    EXPECT_EQ(reader.BytesReceived(), 4u);
    EXPECT_EQ(reader.Wanted(), 3u);
    r = reader.Feed(std::string_view(frame).substr(12));
    EXPECT_EQ(r.status, FrameReader::Status::Frame);
    EXPECT_EQ(r.text, "ab");
    EXPECT_TRUE(reader.ReadingHeader());
    EXPECT_EQ(reader.Wanted(), 8u);
}

TEST(FrameReader, LengthComesFromBytesFourAndFiveOnly) {
    std::string body(280, 'a');
    std::string frame = ReplyFrame(body, 0x7F, 0xFF);  // bytes 6 and 7 are ignored
    EXPECT_EQ(static_cast<unsigned char>(frame[4]), 0x20);
    EXPECT_EQ(static_cast<unsigned char>(frame[5]), 0x01);
    EXPECT_EQ(ReadAll(frame, 64), std::vector<std::string>{body});
}

TEST(FrameReader, ShortHeaderLengthBreaksTheStream) {
    for (int total : {0, 1, 7}) {
        std::string stream = Bytes({0, 0, 0x0D, 0x0A, total, 0, 0, 0}) + ReplyFrame("after");
        EXPECT_EQ(ReadAll(stream, 100), std::vector<std::string>{"<broken>"}) << total;
    }
}

TEST(FrameReader, NeverTakesMoreThanTheCurrentPhase) {
    FrameReader reader;
    EXPECT_EQ(reader.Wanted(), 8u);
    auto r = reader.Feed(ReplyFrame("abc") + ReplyFrame("def"));
    EXPECT_EQ(r.status, FrameReader::Status::Frame);
    EXPECT_EQ(r.used, 11u);
    EXPECT_EQ(r.text, "abc");
    EXPECT_EQ(reader.Wanted(), 8u);
}

}  // namespace
}  // namespace tavrin
