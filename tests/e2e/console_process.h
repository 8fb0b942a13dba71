#pragma once

// `tavrinrat --headless` as a child process: its standard output is read on a
// thread of its own, line by line with the moment each line arrived, so a
// test can wait for a line, look at the order of lines, signal the console
// and collect its exit status.

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

// The text of an event-log line ("[HH:MM:SS] text"); any other line as it is.
inline std::string_view LogText(std::string_view line) {
    if (line.size() >= 11 && line[0] == '[' && line[9] == ']' && line[10] == ' ')
        return line.substr(11);
    return line;
}

class ConsoleProcess {
  public:
    using Clock = std::chrono::steady_clock;
    using Match = std::function<bool(std::string_view line)>;

    ConsoleProcess(const std::string& path, const std::string& dir,
                   std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {path, "--headless", "--dir", dir};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);

        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the test
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        m_stdout = out[0];
        m_reader = std::thread([this] { ReadLines(); });
    }

    ~ConsoleProcess() {
        if (m_pid > 0 && !m_status) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_reader.joinable()) m_reader.join();
        if (m_stdout >= 0) ::close(m_stdout);
    }

    ConsoleProcess(const ConsoleProcess&) = delete;
    ConsoleProcess& operator=(const ConsoleProcess&) = delete;

    bool Started() const { return m_pid > 0; }

    // The index of the first line at `from` or later that `match` accepts,
    // waiting for it at most `timeout` (less when the console's output ends).
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

    // A status line ("Field: text") or the text of an event-log line, whole.
    std::optional<size_t> WaitFor(std::string_view line, size_t from = 0,
                                  std::chrono::milliseconds timeout = 10s) {
        const std::string want(line);
        return Find([want](std::string_view l) { return l == want || LogText(l) == want; }, from,
                    timeout);
    }

    // A line that holds `part` anywhere.
    std::optional<size_t> WaitForPart(std::string_view part, size_t from = 0,
                                      std::chrono::milliseconds timeout = 10s) {
        const std::string want(part);
        return Find([want](std::string_view l) { return l.find(want) != std::string_view::npos; },
                    from, timeout);
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
    // Everything printed so far, for failure messages.
    std::string Transcript() {
        std::string out;
        for (const auto& l : Lines()) out += "  | " + l + "\n";
        return out;
    }

    void Signal(int signo) {
        if (m_pid > 0 && !m_status) ::kill(m_pid, signo);
    }

    // The exit status once the console has ended; nothing when it is still
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

    void ReadLines() {
        pthread_setname_np(pthread_self(), "console-out");
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

    pid_t m_pid = -1;
    int m_stdout = -1;
    std::optional<int> m_status;
    std::thread m_reader;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Printed> m_lines;
    bool m_ended = false;
};

}  // namespace tavrin::testing
