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

namespace tavrin::testing {

using namespace std::chrono_literals;

// A running tavrinrat-sim. The constructor adds "--port 0" to `args`, waits
// for the "port N" line (and "control N" when "--control-port" is among the
// arguments) and keeps reading the log on a thread of its own, so the sim
// never blocks on a full pipe. The destructor ends the process.
class SimProcess {
  public:
    SimProcess(const std::string& path, std::vector<std::string> args) {
        const bool wantsControl =
            std::find(args.begin(), args.end(), "--control-port") != args.end();
        args.insert(args.begin(), {path, "--port", "0"});
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);

        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive the test
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        m_stdin = in[1];
        m_stdout = out[0];
        m_reader = std::thread([this] { ReadLog(); });

        const auto first = WaitForLine("port ", 0, 10s);
        if (first && first->rfind("port ", 0) == 0) m_port = std::atoi(first->c_str() + 5);
        if (wantsControl) {
            const auto second = WaitForLine("control ", 1, 10s);
            if (second && second->rfind("control ", 0) == 0)
                m_controlPort = std::atoi(second->c_str() + 8);
        }
    }

    ~SimProcess() {
        if (m_control >= 0) ::close(m_control);
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_stdin >= 0) ::close(m_stdin);
        if (m_reader.joinable()) m_reader.join();
        if (m_stdout >= 0) ::close(m_stdout);
    }

    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    int Port() const { return m_port; }
    int ControlPort() const { return m_controlPort; }

    // The index of the first log line at `from` or later that contains
    // `text`, waiting for it at most `timeout`.
    std::optional<size_t> FindLine(std::string_view text, size_t from = 0,
                                   std::chrono::milliseconds timeout = 5s) {
        std::unique_lock lock(m_mutex);
        std::optional<size_t> found;
        m_changed.wait_for(lock, timeout, [&] {
            for (size_t i = from; i < m_lines.size(); ++i) {
                if (m_lines[i].find(text) != std::string::npos) {
                    found = i;
                    return true;
                }
            }
            return m_ended;
        });
        return found;
    }

    // The first log line at `from` or later that contains `text`.
    std::optional<std::string> WaitForLine(std::string_view text, size_t from = 0,
                                           std::chrono::milliseconds timeout = 5s) {
        const auto i = FindLine(text, from, timeout);
        if (!i) return std::nullopt;
        std::lock_guard lock(m_mutex);
        return m_lines[*i];
    }

    std::vector<std::string> Lines() {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

    // A line on the sim's standard input (a control word).
    void WriteStdin(const std::string& line) {
        const std::string text = line + "\n";
        [[maybe_unused]] ssize_t n = ::write(m_stdin, text.data(), text.size());
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
    void ReadLog() {
        pthread_setname_np(pthread_self(), "sim-log");
        std::string partial;
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(m_stdout, buf, sizeof buf);
            if (n <= 0) break;
            std::lock_guard lock(m_mutex);
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] != '\n') {
                    partial += buf[i];
                    continue;
                }
                m_lines.push_back(std::exchange(partial, {}));
            }
            m_changed.notify_all();
        }
        std::lock_guard lock(m_mutex);
        m_ended = true;
        m_changed.notify_all();
    }

    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    int m_control = -1;
    int m_port = 0;
    int m_controlPort = 0;
    std::thread m_reader;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_lines;
    bool m_ended = false;
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

    RatClient() = default;
    ~RatClient() { Close(); }
    RatClient(const RatClient&) = delete;
    RatClient& operator=(const RatClient&) = delete;

    // 0 on success, else the errno of the connect.
    int Connect(int port) {
        Close();
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return 0;
        const int e = errno;
        Close();
        return e;
    }

    void Close() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
        m_pending.clear();
        m_reader.Reset();
    }

    bool SendRaw(std::string_view bytes) {
        return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    bool SendCommand(std::string_view text) { return SendRaw(*EncodeCommandFrame(text)); }

    // The next reply frame, or why there is none.
    Read ReadFrame(std::chrono::milliseconds timeout = 5s) {
        Read r;
        for (;;) {
            if (!m_pending.empty()) {
                const auto f = m_reader.Feed(m_pending);
                m_pending.erase(0, f.used);
                if (f.status == FrameReader::Status::Frame) return {Kind::Frame, f.text, 0};
                if (f.status == FrameReader::Status::Broken) return {Kind::Broken, {}, 0};
            }
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return r;
            char buf[65536];
            const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
            if (n == 0) return {Kind::Closed, {}, 0};
            if (n < 0) return {Kind::Error, {}, errno};
            m_recvSizes.push_back(static_cast<size_t>(n));
            m_pending.append(buf, static_cast<size_t>(n));
        }
    }

    // Reads the greeting and answers it; returns the verdict text, or
    // nothing when no verdict came.
    std::optional<std::string> Login(const std::string& user, const std::string& password) {
        const Read greeting = ReadFrame();
        if (greeting.kind != Kind::Frame) return std::nullopt;
        const auto block = BuildLoginBlock(user, password, LoginCodeFromGreeting(greeting.text));
        if (!block.ok || !SendRaw(EncodeLoginFrame(block.block))) return std::nullopt;
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
    int m_fd = -1;
    FrameReader m_reader;
    std::string m_pending;
    std::vector<size_t> m_recvSizes;
};

}  // namespace tavrin::testing
