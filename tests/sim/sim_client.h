#pragma once

// Test helpers for end-to-end runs against tavrinrat-sim: SimProcess starts
// the real executable on a port the system picks and collects its log, and
// RatClient speaks the RAT frames over a plain POSIX socket.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "link/frame.h"
#include "link/login_block.h"
#include "support/child_process.h"
#include "support/loopback_socket.h"

namespace tavrin::testing {

using namespace std::chrono_literals;

// A running tavrinrat-sim. The constructor adds "--port 0" to `args`, waits
// for the "port N" line (and "control N" when "--control-port" is among the
// arguments) and keeps reading the log, so the sim never blocks on a full
// pipe. The destructor ends the process.
class SimProcess : public ChildProcess {
  public:
    SimProcess(const std::string& path, std::vector<std::string> args)
        : ChildProcess(Arguments(path, args), SIGTERM, "sim-log") {
        const auto first = WaitForLine("port ", 0, 10s);
        if (first && first->rfind("port ", 0) == 0) m_port = std::atoi(first->c_str() + 5);
        if (std::find(args.begin(), args.end(), "--control-port") != args.end()) {
            const auto second = WaitForLine("control ", 1, 10s);
            if (second && second->rfind("control ", 0) == 0)
                m_controlPort = std::atoi(second->c_str() + 8);
        }
    }

    ~SimProcess() {
        if (m_control >= 0) ::close(m_control);
    }

    int Port() const { return m_port; }
    int ControlPort() const { return m_controlPort; }

    // The index of the first log line at `from` or later that contains
    // `text`, waiting for it at most `timeout`.
    std::optional<size_t> FindLine(std::string_view text, size_t from = 0,
                                   std::chrono::milliseconds timeout = 5s) {
        const std::string want(text);
        return Find([want](std::string_view l) { return l.find(want) != std::string_view::npos; },
                    from, timeout);
    }

    // The first log line at `from` or later that contains `text`.
    std::optional<std::string> WaitForLine(std::string_view text, size_t from = 0,
                                           std::chrono::milliseconds timeout = 5s) {
        const auto i = FindLine(text, from, timeout);
        if (!i) return std::nullopt;
        return Line(*i);
    }

    // One line on the control port and the reply line; empty on failure.
    std::string Control(const std::string& line) {
        if (m_control < 0) {
            m_control = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(static_cast<uint16_t>(m_controlPort));
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::connect(m_control, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return {};
        }
        const std::string text = line + "\n";
        if (::send(m_control, text.data(), text.size(), MSG_NOSIGNAL) < 0) return {};
        std::string reply;
        char c;
        pollfd p{m_control, POLLIN, 0};
        while (::poll(&p, 1, 5000) > 0 && ::recv(m_control, &c, 1, 0) == 1 && c != '\n') reply += c;
        return reply;
    }

  private:
    static std::vector<std::string> Arguments(const std::string& path,
                                              std::vector<std::string> args) {
        args.insert(args.begin(), {path, "--port", "0"});
        return args;
    }

    int m_control = -1;
    int m_port = 0;
    int m_controlPort = 0;
};

// An admin client of the RAT port over one blocking POSIX socket.
class RatClient {
  public:
    enum class Kind { Frame, Closed, Error, Broken, Timeout };
    struct Read {
        Kind kind = Kind::Timeout;
        std::string text;
        int error = 0;  // errno for Kind::Error
    };

    // 0 on success, else the errno of the connect.
    int Connect(int port) {
        Close();
        return m_socket.Connect(port);
    }

    void Close() {
        m_socket.Close();
        m_pending.clear();
        m_reader.Reset();
    }

    bool SendRaw(std::string_view bytes) { return m_socket.SendRaw(bytes); }
    bool SendCommand(std::string_view text) { return SendRaw(*EncodeCommandFrame(text)); }

    // The next reply frame, or why there is none.
    Read ReadFrame(std::chrono::milliseconds timeout = 5s) {
        for (;;) {
            if (!m_pending.empty()) {
                const auto f = m_reader.Feed(m_pending);
                m_pending.erase(0, f.used);
                if (f.status == FrameReader::Status::Frame) return {Kind::Frame, f.text, 0};
                if (f.status == FrameReader::Status::Broken) return {Kind::Broken, {}, 0};
            }
            int error = 0;
            size_t received = 0;
            switch (m_socket.Receive(m_pending, timeout, &error, &received)) {
                case LoopbackSocket::Got::Data:
                    m_recvSizes.push_back(received);
                    break;
                case LoopbackSocket::Got::Closed:
                    return {Kind::Closed, {}, 0};
                case LoopbackSocket::Got::Error:
                    return {Kind::Error, {}, error};
                case LoopbackSocket::Got::Timeout:
                    return {};
            }
        }
    }

    // Reads the greeting and answers it; returns the verdict text, or
    // nothing when no verdict came.
    std::optional<std::string> Login(const std::string& user, const std::string& password) {
        const Read greeting = ReadFrame();
        if (greeting.kind != Kind::Frame) return std::nullopt;
        const auto block = BuildLoginBlock(user, password, LoginCodeFromGreeting(greeting.text));
        if (!block.ok() || !SendRaw(EncodeLoginFrame(block.value()))) return std::nullopt;
        const Read verdict = ReadFrame();
        if (verdict.kind != Kind::Frame) return std::nullopt;
        return verdict.text;
    }

    // Sends a command and returns the text of the next reply ("" on failure).
    std::string Command(std::string_view text) {
        if (!SendCommand(text)) return {};
        const Read r = ReadFrame();
        return r.kind == Kind::Frame ? r.text : std::string();
    }

    // The byte counts of the reads so far, to see how frames were cut.
    std::vector<size_t>& RecvSizes() { return m_recvSizes; }

  private:
    LoopbackSocket m_socket;
    FrameReader m_reader;
    std::string m_pending;
    std::vector<size_t> m_recvSizes;
};

}  // namespace tavrin::testing
