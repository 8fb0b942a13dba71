#include "manager/admin_frame.h"

#include <gtest/gtest.h>

#include "manager_fixture.h"

namespace tavrin {
namespace {

using testing::AdminFrames;
using Status = AdminFrameReader::Status;

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b) s.push_back(static_cast<char>(v));
    return s;
}

TEST(AdminFrameEncoder, BigEndianLengthThenText) {
    EXPECT_EQ(EncodeAdminFrame("Hollispark"), Bytes({0, 0, 0, 10}) + "Hollispark");
    EXPECT_EQ(EncodeAdminFrame(""), "");  // a frame of length 0 is never sent
    const std::string big(0x010203, 'x');
    EXPECT_EQ(EncodeAdminFrame(big).substr(0, 4), Bytes({0, 1, 2, 3}));
    EXPECT_EQ(EncodeAdminFrame("\xE9\x80").substr(4), "\xE9\x80");
}

// Feeds a stream in pieces of `piece` bytes and collects every text, or
// "<broken>" where the reader gave up.
std::vector<std::string> ReadAll(const std::string& stream, size_t piece) {
    AdminFrameReader reader;
    std::vector<std::string> texts;
    for (size_t at = 0; at < stream.size();) {
        std::string_view chunk(stream.data() + at, std::min(piece, stream.size() - at));
        size_t used = 0;
        while (used < chunk.size()) {
            auto r = reader.Feed(chunk.substr(used));
            used += r.used;
            if (r.status == Status::Frame) texts.push_back(r.text);
            if (r.status == Status::Broken) {
                texts.push_back("<broken>");
                return texts;
            }
        }
        at += chunk.size();
    }
    return texts;
}

TEST(AdminFrameReader, SplitAndCoalescedFramesComeOutWhole) {
    const std::string stream =
        AdminFrames({"ann", "secret", "", "player list", std::string(3000, 'c')});
    const std::vector<std::string> expected{"ann", "secret", "", "player list",
                                            std::string(3000, 'c')};
    for (size_t piece : {1, 2, 3, 4, 5, 7, 64, 1000, 100000})
        EXPECT_EQ(ReadAll(stream, piece), expected) << "pieces of " << piece;
}

TEST(AdminFrameReader, StatusAndBytesUsed) {
    AdminFrameReader reader;
    const std::string two = AdminFrames({"ab", "cde"});
    auto r = reader.Feed(two);
    EXPECT_EQ(r.status, Status::Frame);
    EXPECT_EQ(r.used, 6u);  // only the first frame
    EXPECT_EQ(r.text, "ab");
    r = reader.Feed(std::string_view(two).substr(6, 3));
    EXPECT_EQ(r.status, Status::NeedMore);
    EXPECT_EQ(r.used, 3u);
    EXPECT_EQ(reader.Pending(), 3u);
    r = reader.Feed(std::string_view(two).substr(9));
    EXPECT_EQ(r.status, Status::Frame);
    EXPECT_EQ(r.used, 4u);
    EXPECT_EQ(r.text, "cde");
    EXPECT_EQ(reader.Pending(), 0u);
}

// A zero byte is part of the text: cutting there would hand on a shorter
// command than the one sent.
TEST(AdminFrameReader, TextIsTheWholePayloadZeroBytesIncluded) {
    const std::string payload = std::string("chat get\0player ban 3", 21);
    for (size_t piece : {1, 5, 100})
        EXPECT_EQ(ReadAll(AdminFrames({payload, "next"}), piece),
                  (std::vector<std::string>{payload, "next"}))
            << piece;
    EXPECT_EQ(ReadAll(AdminFrames({std::string("\0abc", 4)}), 2),
              std::vector<std::string>{std::string("\0abc", 4)});
}

TEST(AdminFrameReader, LengthLimit) {
    const struct {
        uint32_t announced;
        bool broken;
    } cases[] = {
        {0, false},    {1, false},         {65535, false},     {65536, false},
        {65537, true}, {0x00100000, true}, {0x7FFFFFFF, true}, {0xFFFFFFFF, true},
    };
    for (const auto& c : cases) {
        AdminFrameReader reader;
        const uint32_t n = c.announced;
        const std::string header =
            Bytes({static_cast<int>(n >> 24), static_cast<int>((n >> 16) & 0xFF),
                   static_cast<int>((n >> 8) & 0xFF), static_cast<int>(n & 0xFF)});
        auto r = reader.Feed(header + "abc");
        EXPECT_EQ(r.status == Status::Broken, c.broken) << n;
        if (c.broken) {
            EXPECT_EQ(r.used, 4u) << n;
            EXPECT_EQ(r.announced, n);
            EXPECT_TRUE(reader.Broken());
            // A broken reader takes nothing more.
            auto again = reader.Feed("abc");
            EXPECT_EQ(again.status, Status::Broken);
            EXPECT_EQ(again.used, 0u);
        }
    }
}

TEST(AdminFrameReader, TheLargestFrameIsReadWhole) {
    const std::string payload(kMaxAdminFrame, 'y');
    EXPECT_EQ(ReadAll(AdminFrames({payload}), 4096), std::vector<std::string>{payload});
}

}  // namespace
}  // namespace tavrin
