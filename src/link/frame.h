#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin {

// Every frame starts with these four bytes, then the total length (4 bytes,
// little-endian).
inline constexpr char kFrameMagic[4] = {0x00, 0x00, 0x0D, 0x0A};
inline constexpr size_t kFrameHeaderSize = 8;
inline constexpr size_t kFrameBufferSize = 256;
// The longest command text that fits the 256-byte frame with its header and
// terminating zero.
inline constexpr size_t kMaxCommandText = kFrameBufferSize - kFrameHeaderSize - 1;

inline constexpr size_t kLoginBlockSize = 65;
inline constexpr size_t kLoginFrameSize = kFrameHeaderSize + kLoginBlockSize;
using LoginBlock = std::array<uint8_t, kLoginBlockSize>;

// The command frame for `text`: header, text, one zero byte. A text longer
// than kMaxCommandText is refused (nullopt); it is never cut.
std::optional<std::string> EncodeCommandFrame(std::string_view text);

// The event-log line for a command that was refused for its length. It names
// the command by its first two words only, so a password never reaches the log.
std::string CommandTooLongMessage(std::string_view text);

// The 73-byte login frame carrying a login block.
std::string EncodeLoginFrame(const LoginBlock& block);

// The routine of the socket layer that met an error.
enum ErrorOrigin : int {
    kOriginConnect = 100,
    kOriginSend1 = 101,
    kOriginSend2 = 102,
    kOriginReceive = 103,
    kOriginThreadInit = 104,
};
std::string OriginName(int origin);

// Cuts reply frames out of a byte stream. The header gives the total length
// in its bytes 4 and 5; the body is the rest. A reader only ever takes the
// bytes of its current phase, so coalesced frames come apart and split ones
// are joined.
class FrameReader {
  public:
    enum class Status {
        NeedMore,  // every offered byte was used; the frame is not complete
        Frame,     // a frame completed; `text` holds its text, `used` says how far
        Broken,    // the header announced fewer than 8 bytes in all
    };
    struct Result {
        Status status = Status::NeedMore;
        size_t used = 0;
        std::string text;
    };

    // Takes bytes until a frame completes or the data runs out.
    Result Feed(std::string_view data);

    // Bytes still expected in the current phase (header or body).
    size_t Wanted() const { return m_nRecvDataLen - m_nBytesRecv; }
    bool ReadingHeader() const { return m_bReadDataLength; }
    size_t BytesReceived() const { return m_nBytesRecv; }
    size_t PhaseLength() const { return m_nRecvDataLen; }
    void Reset();

  private:
    size_t m_nRecvDataLen = kFrameHeaderSize;
    size_t m_nBytesRecv = 0;
    bool m_bReadDataLength = true;
    std::array<uint8_t, kFrameHeaderSize> m_header{};
    // The text of a body that comes in pieces, and whether its zero has come.
    std::string m_body;
    bool m_textEnded = false;
};

}  // namespace tavrin
