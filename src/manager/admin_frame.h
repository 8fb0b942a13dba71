#pragma once

// Frames on an admin connection, both ways: a 4-byte big-endian length, then
// exactly that many bytes of text. Nothing else is framed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin {

inline constexpr size_t kAdminFrameHeaderSize = 4;
// The longest payload an admin may announce. Admin frames carry short texts;
// a larger length is a broken or hostile peer, and nothing of its size is
// ever allocated.
inline constexpr size_t kMaxAdminFrame = 64 * 1024;

// The frame for `text`; empty for an empty text (a frame of length 0 is never
// sent).
std::string EncodeAdminFrame(std::string_view text);

// Cuts admin frames out of a byte stream. Each Feed takes bytes until one
// frame completes or the data runs out, and says how many it used, so split
// and coalesced frames are ordinary cases.
class AdminFrameReader {
  public:
    enum class Status {
        NeedMore,  // every offered byte was used; no frame is complete
        Frame,     // a frame completed; `text` holds it, `used` says how far
        Broken,    // the length announced is above the limit (kMaxAdminFrame
                   // unless SetLimit says less); the reader takes nothing more
    };
    struct Result {
        Status status = Status::NeedMore;
        size_t used = 0;
        // The whole payload. A zero byte in it is part of the text, never
        // its end: a command that holds one is refused, not cut short.
        std::string text;
        // The length the frame announced (for a Broken frame's log line).
        uint32_t announced = 0;
    };

    Result Feed(std::string_view data);

    // The longest payload taken from the next length on (at most
    // kMaxAdminFrame); a longer one is Broken.
    void SetLimit(size_t limit) { m_limit = limit < kMaxAdminFrame ? limit : kMaxAdminFrame; }

    bool Broken() const { return m_broken; }
    // Bytes of the current frame received so far (header or payload).
    size_t Pending() const { return m_readingLength ? m_got : m_got + kAdminFrameHeaderSize; }

  private:
    std::array<uint8_t, kAdminFrameHeaderSize> m_length{};
    bool m_readingLength = true;
    size_t m_want = kAdminFrameHeaderSize;
    size_t m_got = 0;
    std::string m_text;
    bool m_broken = false;
    size_t m_limit = kMaxAdminFrame;
};

}  // namespace tavrin
