#pragma once

// Child processes for end-to-end tests and load programs. StartChild makes
// one; ChildProcess runs a program whose standard output
// is read on a thread of its own, line by line with the moment each line
// arrived, so a test can wait for a line, look at their order, write to its
// standard input, signal it and collect its exit status. The child never
// outlives the test.

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace tavrin::testing {

using namespace std::chrono_literals;

// Starts `args[0]` with `args`, its standard input and output on `in` and
// `out`, and its standard error on `err` (left as it is when negative). The
// child receives `deathSignal` when this process dies. Returns its pid, or
// -1 when no process could be made.
inline pid_t StartChild(std::vector<std::string> args, int in, int out, int err, int deathSignal) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        if (err >= 0) ::dup2(err, STDERR_FILENO);
        ::prctl(PR_SET_PDEATHSIG, deathSignal);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

class ChildProcess {
  public:
    using Clock = std::chrono::steady_clock;
    using Match = std::function<bool(std::string_view line)>;

    // Starts `args[0]` with `args`. `endSignal` ends it when the test is over
    // (and when the test process dies); `readerName` names the reading thread.
    ChildProcess(std::vector<std::string> args, int endSignal, const char* readerName)
        : m_endSignal(endSignal) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0) return;
        if (::pipe2(out, O_CLOEXEC) != 0) {
            ::close(in[0]);
            ::close(in[1]);
            return;
        }
        m_pid = StartChild(std::move(args), in[0], out[1], -1, endSignal);
        ::close(in[0]);
        ::close(out[1]);
        m_stdin = in[1];
        m_stdout = out[0];
        m_reader = std::thread([this, readerName] { ReadLines(readerName); });
    }

    ~ChildProcess() {
        if (m_pid > 0 && !m_status) {
            ::kill(m_pid, m_endSignal);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_stdin >= 0) ::close(m_stdin);
        if (m_reader.joinable()) m_reader.join();
        if (m_stdout >= 0) ::close(m_stdout);
    }

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }

    // The index of the first line at `from` or later that `match` accepts,
    // waiting for it at most `timeout` (less when the output ends).
    std::optional<size_t> Find(const Match& match, size_t from = 0,
                               std::chrono::milliseconds timeout = 10s) {
        std::unique_lock lock(m_mutex);
        std::optional<size_t> found;
        m_changed.wait_for(lock, timeout, [&] {
            for (size_t i = from; i < m_lines.size(); ++i) {
                if (match(m_lines[i].text)) {
                    found = i;
                    return true;
                }
            }
            return m_ended;
        });
        return found;
    }

    std::string Line(size_t i) {
        std::lock_guard lock(m_mutex);
        return i < m_lines.size() ? m_lines[i].text : std::string();
    }
    Clock::time_point ArrivalOf(size_t i) {
        std::lock_guard lock(m_mutex);
        return i < m_lines.size() ? m_lines[i].arrived : Clock::time_point();
    }
    size_t LineCount() {
        std::lock_guard lock(m_mutex);
        return m_lines.size();
    }
    std::vector<std::string> Lines() {
        std::lock_guard lock(m_mutex);
        std::vector<std::string> out;
        for (const auto& l : m_lines) out.push_back(l.text);
        return out;
    }

    // One line on the child's standard input.
    void WriteStdin(const std::string& line) {
        const std::string text = line + "\n";
        [[maybe_unused]] ssize_t n = ::write(m_stdin, text.data(), text.size());
    }

    void Signal(int signo) {
        if (m_pid > 0 && !m_status) ::kill(m_pid, signo);
    }

    // The exit status once the child has ended; nothing when it is still
    // running after `timeout` or was ended by a signal.
    std::optional<int> WaitExit(std::chrono::milliseconds timeout = 10s) {
        if (!m_status && m_pid > 0) {
            const auto until = Clock::now() + timeout;
            int status = 0;
            for (;;) {
                const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
                if (r == m_pid) {
                    m_status = status;
                    // Everything it printed is read before the status is given.
                    std::unique_lock lock(m_mutex);
                    m_changed.wait_for(lock, 5s, [this] { return m_ended; });
                    break;
                }
                if (r < 0 || Clock::now() >= until) return std::nullopt;
                std::this_thread::sleep_for(20ms);
            }
        }
        if (!m_status || !WIFEXITED(*m_status)) return std::nullopt;
        return WEXITSTATUS(*m_status);
    }

  private:
    struct Printed {
        std::string text;
        Clock::time_point arrived;
    };

    void ReadLines(const char* name) {
        pthread_setname_np(pthread_self(), name);
        std::string partial;
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(m_stdout, buf, sizeof buf);
            if (n <= 0) break;
            const auto now = Clock::now();
            std::lock_guard lock(m_mutex);
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] != '\n') {
                    partial += buf[i];
                    continue;
                }
                m_lines.push_back({std::exchange(partial, {}), now});
            }
            m_changed.notify_all();
        }
        std::lock_guard lock(m_mutex);
        m_ended = true;
        m_changed.notify_all();
    }

    int m_endSignal;
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    std::optional<int> m_status;
    std::thread m_reader;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Printed> m_lines;
    bool m_ended = false;
};

}  // namespace tavrin::testing
