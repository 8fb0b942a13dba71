#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/frame.h"
#include "sim/sim_game.h"

namespace tavrin::sim {

struct Account {
    std::string user;
    std::string password;
};

// Misbehaviour switched on by start options or the control channel.
struct FaultState {
    bool stall = false;     // "get gamestate" gets no reply
    bool reject = false;    // every login is rejected
    bool split = false;     // frames leave in small, delayed pieces
    bool coalesce = false;  // frames are held and leave several in one write
    int ignore = 0;         // the next this many commands are dropped unanswered
    size_t bigReply = 0;    // replies after the login are padded to this many bytes
    int flood = 0;          // unasked frames still to stream; -1 without end
    std::string floodText;  // their text; empty: "flood <n>", counting from 1
};

// The longest text a reply frame carries: the console reads 16 bits of length.
inline constexpr size_t kMaxReplyText = 0xFFFF - kFrameHeaderSize - 1;

// A reply frame: the command header with the total length, the text and a
// zero byte. The console reads the length from two bytes, so a text is cut
// to what 16 bits can announce.
std::string EncodeReplyFrame(std::string_view text);

// A header announcing 4 bytes in all, less than the header itself.
std::string BadHeaderFrame();

inline constexpr std::string_view kRejectVerdict = "User name or password not accepted";

// What one step of a session asks of the server.
struct SessionOutput {
    std::vector<std::string> frames;  // reply frames, in order
    std::vector<std::string> log;     // lines for the sim's log
    bool close = false;               // end the connection once the frames are out
};

// One admin connection, from the greeting to the last command: cuts frames
// out of the bytes that arrive, checks the login and answers commands from
// the game. The server around it only moves bytes.
class SimSession {
  public:
    // `faults` is shared with the control channel; the session uses up the
    // ignore count.
    SimSession(SimGame& game, std::span<const Account> accounts, FaultState& faults);

    // The greeting that opens the connection.
    SessionOutput Start();
    // Bytes from the admin, in any split.
    SessionOutput Feed(std::string_view bytes);

    // One reply frame that answers no command; only after the login.
    SessionOutput Push(std::string_view text);
    // The frame Push would send, without its log line, for a stream of them.
    std::string UnaskedFrame(std::string_view text) const { return ReplyFrame(text); }

    bool LoggedIn() const { return m_phase == Phase::Commands; }
    const std::string& Greeting() const { return m_greeting; }

  private:
    enum class Phase { Greeting, Login, Commands, Closed };

    void TakeLoginBytes(std::string_view& bytes, SessionOutput& out);
    void TakeCommandBytes(std::string_view bytes, SessionOutput& out);
    void Answer(const std::string& command, SessionOutput& out);
    const Account* MatchAccount(std::string_view block) const;
    void Broken(SessionOutput& out);
    std::string ReplyFrame(std::string_view text) const;

    SimGame& m_game;
    std::span<const Account> m_accounts;
    FaultState& m_faults;
    Phase m_phase = Phase::Greeting;
    std::string m_greeting;
    std::string m_loginBytes;
    FrameReader m_reader;
};

}  // namespace tavrin::sim
