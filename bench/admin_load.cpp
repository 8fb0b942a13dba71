// Load on the manager's Admin Port: many admins in this one process share a
// `tavrinrat --headless --manager` logged in to tavrinrat-sim, each sending
// read commands at a steady rate, while a relay of this program's own sits
// between the manager and the sim and time-stamps every reply it hands on.
//
//   admin_load [--admins 500] [--rate 10] [--seconds 60]
//              [--deaf N] [--bigreply BYTES]
//              [--sim PATH] [--console PATH] [--keep]
//
// --deaf N: the first N admins stop reading once logged in (they still send
// their commands), to show the manager's memory when admins do not take what
// it sends; --bigreply pads every game-server reply to that many bytes (the
// sim's "bigreply" control word) so that their backlog grows fast.
//
// What it measures:
//   - relays delivered: the copies the admins received; relays lost: the
//     commands that got no copy before the admin's next command (or by the
//     end of the run plus a 2 s grace);
//   - reply -> copy: from the moment the relay handed the last byte of a
//     game-server reply to the manager to the moment an admin read its copy.
//     A copy is matched by its text to the latest forward of that text at or
//     before its arrival, so identical replies in a row are measured from
//     the latest one;
//   - round trip: from an admin's command to the copy that answered it;
//   - the manager's CPU (utime + stime over the load, % of one core) and its
//     memory (VmRSS at the end, VmHWM).
// A copy is sorted by the command its reply answered (the relay pairs the
// game server's replies with the manager's commands in order): it answers
// the admin's command, or it came late (of the class of the command before,
// after the admin had moved on), or it is of another class altogether. The
// relay also counts the commands the manager has sent without having their
// replies yet, against what the manager's pairing keeps
// (ReplyPairing::kMaxAwaited), and the commands that arrive in one read; the
// manager's output is scanned for the commands its pairing passed over.
//
// The admins run on this thread over epoll with non-blocking sockets; the
// relay runs on a thread of its own. --keep leaves the work folder (the
// manager's and the sim's output, the Configs) in place for a look.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "link/frame.h"
#include "manager/admin_frame.h"
#include "manager/command_classes.h"
#include "manager/relay.h"
#include "support/child_process.h"

namespace {

using namespace tavrin;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The read commands every admin cycles through.
constexpr std::array<std::string_view, 5> kCommands = {"player list", "chat get", "mission list",
                                                       "get gamesettings", "weapon list"};

// The manager listens with a backlog of 5: at most this many admins are
// between connect() and their greeting at a time.
constexpr int kConnectBatch = 4;
// It takes at most 8 connections from one address that have not logged in.
constexpr int kLoginBatch = 8;
constexpr int kMaxConnectAttempts = 200;
constexpr auto kGreetingTimeout = 3s;
constexpr auto kGrace = 2s;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

uint64_t TextKey(std::string_view text) {
    return std::hash<std::string_view>{}(text);
}

double Percentile(const std::vector<double>& sorted, double share) {
    if (sorted.empty()) return 0;
    const size_t at =
        std::min(sorted.size() - 1,
                 static_cast<size_t>(std::ceil(share * static_cast<double>(sorted.size()))) -
                     (share > 0 ? 1 : 0));
    return sorted[at];
}

std::string Percentiles(std::vector<double> v) {
    if (v.empty()) return "no samples";
    std::sort(v.begin(), v.end());
    char line[160];
    std::snprintf(line, sizeof line, "p50 %.2f  p90 %.2f  p99 %.2f  max %.2f ms  (n=%zu)",
                  Percentile(v, 0.5), Percentile(v, 0.9), Percentile(v, 0.99), v.back(), v.size());
    return line;
}

void SetNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

void SetNoDelay(int fd) {
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// ---------------------------------------------------------------------------
// Child processes, their output going to a file.

class Child {
  public:
    Child(std::vector<std::string> args, const std::string& outputPath) {
        const int out = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (out >= 0 && in >= 0)
            m_pid = tavrin::testing::StartChild(std::move(args), in, out, out, SIGKILL);
        if (out >= 0) ::close(out);
        if (in >= 0) ::close(in);
    }
    ~Child() { Stop(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return m_pid; }
    bool Alive() {
        if (m_pid <= 0 || m_reaped) return false;
        if (::waitpid(m_pid, &m_status, WNOHANG) == m_pid) m_reaped = true;
        return !m_reaped;
    }
    // SIGTERM, and SIGKILL when it is still there after 5 s.
    void Stop() {
        if (!Alive()) return;
        ::kill(m_pid, SIGTERM);
        const auto until = Clock::now() + 5s;
        while (Alive() && Clock::now() < until) std::this_thread::sleep_for(20ms);
        if (Alive()) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &m_status, 0);
            m_reaped = true;
        }
    }

  private:
    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_status = 0;
};

// Reads a growing output file line by line.
class OutputTail {
  public:
    explicit OutputTail(std::string path) : m_path(std::move(path)) {}
    ~OutputTail() {
        if (m_fd >= 0) ::close(m_fd);
    }

    // Hands every new complete line to `line` until it returns true, or
    // `timeout` passes or `alive` says the writer is gone.
    bool Until(const std::function<bool(const std::string&)>& line, Clock::duration timeout,
               const std::function<bool()>& alive) {
        const auto until = Clock::now() + timeout;
        for (;;) {
            if (m_fd < 0) m_fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
            char buf[65536];
            ssize_t n = 0;
            while (m_fd >= 0 && (n = ::read(m_fd, buf, sizeof buf)) > 0) {
                m_partial.append(buf, static_cast<size_t>(n));
                size_t start = 0;
                for (size_t end; (end = m_partial.find('\n', start)) != std::string::npos;
                     start = end + 1) {
                    if (line(m_partial.substr(start, end - start))) {
                        m_partial.erase(0, end + 1);
                        return true;
                    }
                }
                m_partial.erase(0, start);
            }
            if (Clock::now() >= until || !alive()) return false;
            std::this_thread::sleep_for(20ms);
        }
    }

  private:
    std::string m_path;
    int m_fd = -1;
    std::string m_partial;
};

// Every line of a file, streamed.
void ForEachLine(const std::string& path, const std::function<void(std::string_view)>& line) {
    std::ifstream in(path, std::ios::binary);
    std::string text;
    while (std::getline(in, text)) line(text);
}

// ---------------------------------------------------------------------------
// /proc figures of a process.

// utime + stime in clock ticks, of the process or (with `thread`) of one of
// its threads.
long CpuTicks(pid_t pid, pid_t thread = 0) {
    std::ifstream in("/proc/" + std::to_string(pid) +
                     (thread ? "/task/" + std::to_string(thread) : std::string()) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::vector<std::string> fields;
    size_t at = close + 2;
    while (at < stat.size()) {
        const size_t blank = stat.find(' ', at);
        fields.push_back(stat.substr(at, blank - at));
        if (blank == std::string::npos) break;
        at = blank + 1;
    }
    // Fields after the name start at field 3 (state); utime is 14, stime 15.
    if (fields.size() < 13) return 0;
    return std::atol(fields[11].c_str()) + std::atol(fields[12].c_str());
}

// A "VmRSS:"-style value of /proc/PID/status in KiB.
long StatusKiB(pid_t pid, std::string_view key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0) return std::atol(line.c_str() + key.size());
    return 0;
}

double CpuPercent(long ticks, Clock::duration wall) {
    const double seconds = std::chrono::duration<double>(wall).count();
    return seconds > 0 ? 100.0 * static_cast<double>(ticks) /
                             static_cast<double>(::sysconf(_SC_CLK_TCK)) / seconds
                       : 0;
}

long SelfCpuTicks() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    const double s = static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
                     static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    return static_cast<long>(s * static_cast<double>(::sysconf(_SC_CLK_TCK)));
}

// ---------------------------------------------------------------------------
// The relay between the manager and the sim. It hands bytes on unchanged both
// ways, cuts the frames out of both streams, pairs each reply with the
// command it answers (the game server answers in order) and time-stamps each
// reply when its last byte has been handed to the manager.

struct Forward {
    uint64_t key;  // of the text an admin's copy carries
    Clock::time_point at;
};

class Relay {
  public:
    explicit Relay(int simPort) : m_simPort(simPort) {}
    ~Relay() {
        Stop();
        CloseLink();
        if (m_listener >= 0) ::close(m_listener);
    }

    bool Listen() {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_in a = Loopback(0);
        socklen_t size = sizeof a;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::listen(m_listener, 4) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return false;
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] { Run(); });
        return true;
    }
    int Port() const { return m_port; }
    void Stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }

    // The command class of the command a reply with this text answered; -1
    // when no such reply has been seen.
    int ClassOf(uint64_t key) {
        std::lock_guard lock(m_mutex);
        const auto it = m_classOf.find(key);
        return it == m_classOf.end() ? -1 : it->second;
    }

    // Counters, readable while it runs.
    std::atomic<long> connections{0};
    std::atomic<long> commands{0};  // frames from the manager after its login frame
    std::atomic<long> replies{0};   // frames from the sim after greeting and verdict
    std::atomic<long> bytesUp{0};
    std::atomic<long> bytesDown{0};
    std::atomic<long> maxBacklog{0};  // bytes read from the sim, not yet taken by the manager
    std::atomic<long> linkEnds{0};
    std::string lastEnd;
    // Commands the manager has sent whose replies it has not been handed yet:
    // at least that many wait in its pairing. The peak, the peak of those the
    // sim has not answered yet, and the largest number of commands that came
    // in one read from the manager.
    std::atomic<long> peakAwaiting{0};
    std::atomic<long> peakAtSim{0};
    std::atomic<long> largestBurst{0};
    // Commands sent while more than the manager's pairing keeps
    // (ReplyPairing::kMaxAwaited) were awaiting, and the local times at which
    // that began (first few).
    std::atomic<long> beyondPairing{0};
    std::vector<std::string> beyondSince;
    // Reads from the manager that carried more than half that many commands,
    // and the local times of the first few (one per second).
    std::atomic<long> bigBursts{0};
    std::vector<std::string> bigBurstAt;

    // After Stop: every reply's forward, in order, and counts by command.
    std::vector<Forward> forwards;
    std::map<std::string, long> commandTexts;
    std::map<int, long> repliesByClass;

  private:
    struct PendingFrame {
        uint64_t end;  // stream offset just past its last byte
        uint64_t key;
        bool reply;
    };

    void Run() {
        while (!m_stop) {
            pollfd p[3] = {{m_listener, POLLIN, 0}, {m_manager, 0, 0}, {m_sim, 0, 0}};
            if (m_manager >= 0) {
                if (m_up.size() - m_upOff < (8u << 20)) p[1].events |= POLLIN;
                if (m_downOff < m_down.size()) p[1].events |= POLLOUT;
            }
            if (m_sim >= 0) {
                if (m_down.size() - m_downOff < (8u << 20)) p[2].events |= POLLIN;
                if (m_upOff < m_up.size()) p[2].events |= POLLOUT;
            }
            if (::poll(p, 3, 50) <= 0) continue;
            if (p[0].revents & POLLIN) Accept();
            if (m_sim >= 0 && (p[2].revents & (POLLIN | POLLHUP | POLLERR))) ReadSim();
            if (m_manager >= 0 && (p[1].revents & (POLLIN | POLLHUP | POLLERR))) ReadManager();
            if (m_manager >= 0 && m_downOff < m_down.size()) FlushDown();
            if (m_sim >= 0 && m_upOff < m_up.size()) FlushUp();
        }
    }

    void Accept() {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;
        if (m_manager >= 0) End("the manager connected again");
        const int sim = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in a = Loopback(m_simPort);
        if (::connect(sim, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
            ::close(sim);
            ::close(fd);
            return;
        }
        SetNonBlocking(sim);
        SetNoDelay(sim);
        SetNoDelay(fd);
        m_manager = fd;
        m_sim = sim;
        ++connections;
        m_down.clear();
        m_up.clear();
        m_downOff = m_upOff = 0;
        m_downRead = m_downSent = 0;
        m_downFrames = 0;
        m_upFrames = 0;
        m_linkCommands = m_linkRepliesRead = m_linkRepliesSent = 0;
        m_beyond = false;
        m_downReader.Reset();
        m_upReader.Reset();
        m_pending.clear();
        m_awaiting.clear();
    }

    void End(const char* why) {
        ++linkEnds;
        lastEnd = why;
        CloseLink();
    }
    void CloseLink() {
        if (m_manager >= 0) ::close(m_manager);
        if (m_sim >= 0) ::close(m_sim);
        m_manager = m_sim = -1;
    }

    void ReadSim() {
        char buf[256 * 1024];
        while (m_sim >= 0 && m_down.size() - m_downOff < (8u << 20)) {
            const ssize_t n = ::recv(m_sim, buf, sizeof buf, 0);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
            if (n <= 0) {
                // What the sim sent last still goes to the manager first.
                FlushDown();
                End(n == 0 ? "the sim closed" : "a read from the sim failed");
                return;
            }
            bytesDown += n;
            m_down.append(buf, static_cast<size_t>(n));
            CutReplies(std::string_view(buf, static_cast<size_t>(n)));
            const long backlog = static_cast<long>(m_down.size() - m_downOff);
            if (backlog > maxBacklog) maxBacklog = backlog;
        }
    }

    void CutReplies(std::string_view data) {
        std::lock_guard lock(m_mutex);
        while (!data.empty()) {
            FrameReader::Result r = m_downReader.Feed(data);
            data.remove_prefix(r.used);
            m_downRead += r.used;
            if (r.status == FrameReader::Status::Broken) {
                // Not a frame stream any more: the bytes still go on.
                m_downReader.Reset();
                continue;
            }
            if (r.status != FrameReader::Status::Frame) {
                if (r.used == 0) break;
                continue;
            }
            // Frame 0 is the greeting; frame 1 the verdict on the login
            // frame; each later one answers the oldest command waiting.
            const long index = m_downFrames++;
            std::string command;
            if (index >= 1 && !m_awaiting.empty()) {
                command = std::move(m_awaiting.front());
                m_awaiting.pop_front();
            }
            const bool reply = index >= 2;
            const int commandClass = ClassifyAdminCommand(command);
            // What an admin waiting for chat gets for an empty chat.
            const uint64_t key = TextKey(
                r.text.empty() && commandClass == kCommandChat ? std::string(kNoChat) : r.text);
            if (reply) {
                ++m_linkRepliesRead;
                ++replies;
                ++repliesByClass[commandClass];
                m_classOf[key] = commandClass;
            }
            m_pending.push_back({m_downRead, key, reply});
        }
    }

    void FlushDown() {
        while (m_manager >= 0 && m_downOff < m_down.size()) {
            const ssize_t n = ::send(m_manager, m_down.data() + m_downOff,
                                     m_down.size() - m_downOff, MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK) break;
                End("a write to the manager failed");
                return;
            }
            m_downOff += static_cast<size_t>(n);
            m_downSent += static_cast<uint64_t>(n);
            const auto now = Clock::now();
            while (!m_pending.empty() && m_pending.front().end <= m_downSent) {
                if (m_pending.front().reply) {
                    forwards.push_back({m_pending.front().key, now});
                    ++m_linkRepliesSent;
                    if (m_beyond && m_linkCommands - m_linkRepliesSent <=
                                        static_cast<long>(ReplyPairing::kMaxAwaited))
                        m_beyond = false;
                }
                m_pending.pop_front();
            }
        }
        if (m_downOff == m_down.size()) {
            m_down.clear();
            m_downOff = 0;
        } else if (m_downOff > (1u << 20)) {
            m_down.erase(0, m_downOff);
            m_downOff = 0;
        }
    }

    void ReadManager() {
        char buf[64 * 1024];
        while (m_manager >= 0) {
            const ssize_t n = ::recv(m_manager, buf, sizeof buf, 0);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
            if (n <= 0) {
                FlushUp();
                End(n == 0 ? "the manager closed" : "a read from the manager failed");
                return;
            }
            bytesUp += n;
            m_up.append(buf, static_cast<size_t>(n));
            std::string_view data(buf, static_cast<size_t>(n));
            long burst = 0;
            while (!data.empty()) {
                FrameReader::Result r = m_upReader.Feed(data);
                data.remove_prefix(r.used);
                if (r.status == FrameReader::Status::Broken) {
                    m_upReader.Reset();
                    continue;
                }
                if (r.status != FrameReader::Status::Frame) {
                    if (r.used == 0) break;
                    continue;
                }
                // The first frame is the login block, answered by the verdict.
                if (m_upFrames++ > 0) {
                    ++commands;
                    ++commandTexts[r.text];
                    ++m_linkCommands;
                    largestBurst = std::max(largestBurst.load(), ++burst);
                    CountAwaiting();
                }
                std::lock_guard lock(m_mutex);
                m_awaiting.push_back(std::move(r.text));
            }
            if (burst > static_cast<long>(ReplyPairing::kMaxAwaited / 2)) {
                ++bigBursts;
                const std::string at = LocalTime();
                if (bigBurstAt.size() < 12 && (bigBurstAt.empty() || bigBurstAt.back() != at))
                    bigBurstAt.push_back(at);
            }
        }
    }

    void CountAwaiting() {
        const long awaiting = m_linkCommands - m_linkRepliesSent;
        peakAwaiting = std::max(peakAwaiting.load(), awaiting);
        peakAtSim = std::max(peakAtSim.load(), m_linkCommands - m_linkRepliesRead);
        if (awaiting <= static_cast<long>(ReplyPairing::kMaxAwaited)) return;
        ++beyondPairing;
        if (m_beyond) return;
        m_beyond = true;
        const std::string at = LocalTime();
        if (beyondSince.size() < 12 && (beyondSince.empty() || beyondSince.back() != at))
            beyondSince.push_back(at);
    }

    static std::string LocalTime() {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        char text[16];
        std::strftime(text, sizeof text, "%H:%M:%S", &local);
        return text;
    }

    void FlushUp() {
        while (m_sim >= 0 && m_upOff < m_up.size()) {
            const ssize_t n =
                ::send(m_sim, m_up.data() + m_upOff, m_up.size() - m_upOff, MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK) break;
                End("a write to the sim failed");
                return;
            }
            m_upOff += static_cast<size_t>(n);
        }
        if (m_upOff == m_up.size()) {
            m_up.clear();
            m_upOff = 0;
        }
    }

    const int m_simPort;
    int m_listener = -1;
    int m_port = 0;
    int m_manager = -1;
    int m_sim = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;

    std::string m_down, m_up;  // bytes not yet handed on, from the offset
    size_t m_downOff = 0, m_upOff = 0;
    uint64_t m_downRead = 0, m_downSent = 0;
    long m_downFrames = 0, m_upFrames = 0;
    long m_linkCommands = 0, m_linkRepliesRead = 0, m_linkRepliesSent = 0;
    bool m_beyond = false;
    FrameReader m_downReader, m_upReader;
    std::deque<PendingFrame> m_pending;

    std::mutex m_mutex;  // the pairing and the text classes, read by the admins
    std::deque<std::string> m_awaiting;
    std::unordered_map<uint64_t, int> m_classOf;
};

// ---------------------------------------------------------------------------
// The admins.

enum class Phase {
    Waiting,     // to connect (again) at retryAt
    Connecting,  // connect() under way
    Greeting,    // connected; "Hollispark" expected
    User,        // user name sent; "User:OK" expected
    Rights,      // password sent; the rights expected
    LinkState,   // "LOGGED_IN" or "NOT_LOGGED_IN" expected
    LoggedIn,
    Failed,  // login failed; not tried again
    Gone,    // logged in, then the manager closed the connection
};

struct Admin {
    int index = 0;
    std::string user, pass;
    int fd = -1;
    Phase phase = Phase::Waiting;
    int attempts = 0;
    Clock::time_point retryAt{}, since{};
    AdminFrameReader reader;
    std::string out;  // bytes the socket has not taken yet
    bool watchingOut = false;
    std::string failure;
    bool linked = false;
    bool connected = false;  // had its greeting once
    bool deaf = false;       // reads nothing any more (--deaf)

    long sent = 0, matched = 0, lost = 0, late = 0, other = 0;
    bool pending = false;
    int pendingClass = 0, previousClass = 0;
    Clock::time_point pendingAt{};
};

struct Copy {
    uint64_t key;
    Clock::time_point at;
};

struct Options {
    int admins = 500;
    int rate = 10;
    int seconds = 60;
    std::string sim = TAVRIN_SIM_PATH;
    std::string console = TAVRIN_CONSOLE_PATH;
    bool keep = false;
    int deaf = 0;
    int bigreply = 0;
};

class AdminLoad {
  public:
    AdminLoad(const Options& o, Relay& relay, int port) : m_o(o), m_relay(relay), m_port(port) {
        m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
        m_admins.resize(static_cast<size_t>(o.admins));
        for (int i = 0; i < o.admins; ++i) {
            Admin& a = m_admins[static_cast<size_t>(i)];
            a.index = i;
            a.user = UserName(i);
            a.pass = Password(i);
        }
    }
    ~AdminLoad() {
        for (auto& a : m_admins)
            if (a.fd >= 0) ::close(a.fd);
        ::close(m_epoll);
    }

    static std::string UserName(int i) {
        char s[32];
        std::snprintf(s, sizeof s, "admin%03d", i);
        return s;
    }
    static std::string Password(int i) {
        char s[32];
        std::snprintf(s, sizeof s, "pw%03d-secret", i);
        return s;
    }

    // Connects and logs in every admin; false past the deadline.
    bool LoginAll(Clock::duration limit) {
        const auto deadline = Clock::now() + limit;
        for (;;) {
            const auto now = Clock::now();
            int busy = 0, waiting = 0, done = 0;
            for (auto& a : m_admins) {
                if (a.phase == Phase::Connecting || a.phase == Phase::Greeting) {
                    if (now - a.since > kGreetingTimeout) {
                        Retry(a, "no greeting within 3 s");
                    } else {
                        ++busy;
                    }
                }
                if (a.phase == Phase::Connecting || a.phase == Phase::Greeting ||
                    a.phase == Phase::User || a.phase == Phase::Rights ||
                    a.phase == Phase::LinkState)
                    ++waiting;
                if (a.phase == Phase::LoggedIn || a.phase == Phase::Failed ||
                    a.phase == Phase::Gone)
                    ++done;
            }
            if (done == static_cast<int>(m_admins.size())) return true;
            if (now > deadline) return false;
            for (auto& a : m_admins) {
                if (busy >= kConnectBatch || waiting >= kLoginBatch) break;
                if (a.phase == Phase::Waiting && a.retryAt <= now) {
                    StartConnect(a);
                    if (a.phase == Phase::Connecting || a.phase == Phase::Greeting) {
                        ++busy;
                        ++waiting;
                    }
                }
            }
            Wait(10);
        }
    }

    // The commands for `seconds`, then the grace; samples the manager's CPU.
    void Run(pid_t manager, pid_t sim) {
        const int n = static_cast<int>(m_admins.size());
        const auto period = std::chrono::duration<double>(1.0 / m_o.rate);
        const auto spacing = std::chrono::duration_cast<Clock::duration>(period / n);
        m_start = Clock::now() + 100ms;
        m_end = m_start + std::chrono::seconds(m_o.seconds);
        const auto graceEnd = m_end + kGrace;
        m_relayRepliesAtStart = m_relay.replies;
        m_relayCommandsAtStart = m_relay.commands;
        for (auto& a : m_admins)
            if (a.index < m_o.deaf && a.phase == Phase::LoggedIn) {
                a.deaf = true;
                Watch(a, a.watchingOut ? uint32_t{EPOLLOUT} : uint32_t{0}, false);
            }

        while (Clock::now() < m_start) Wait(1);
        const long managerStart = CpuTicks(manager), simStart = CpuTicks(sim);
        const long mainThreadStart = CpuTicks(manager, manager);
        const long selfStart = SelfCpuTicks();
        long lastTicks = managerStart;
        auto nextSample = m_start + 1s;
        long sentBefore = 0, copiesBefore = 0;

        uint64_t j = 0;  // the j-th command of the run: admin j % n, round j / n
        for (;;) {
            auto now = Clock::now();
            for (;;) {
                const auto due = m_start + spacing * static_cast<long>(j);
                if (due > now || due >= m_end) break;
                Admin& a = m_admins[j % static_cast<uint64_t>(n)];
                const uint64_t round = j / static_cast<uint64_t>(n);
                if (a.phase == Phase::LoggedIn)
                    Send(a, kCommands[(static_cast<uint64_t>(a.index) + round) % kCommands.size()]);
                ++j;
            }
            if (now >= nextSample && nextSample <= m_end) {
                const long ticks = CpuTicks(manager);
                m_peakCpu = std::max(m_peakCpu, CpuPercent(ticks - lastTicks, 1s));
                lastTicks = ticks;
                m_copiesPerSecond.push_back(m_copiesTotal - copiesBefore);
                m_sentPerSecond.push_back(m_sent - sentBefore);
                copiesBefore = m_copiesTotal;
                sentBefore = m_sent;
                nextSample += 1s;
            }
            if (now >= m_end && !m_loadCpuTaken) {
                m_managerCpu = CpuPercent(CpuTicks(manager) - managerStart, now - m_start);
                m_mainThreadCpu =
                    CpuPercent(CpuTicks(manager, manager) - mainThreadStart, now - m_start);
                m_simCpu = CpuPercent(CpuTicks(sim) - simStart, now - m_start);
                m_selfCpu = CpuPercent(SelfCpuTicks() - selfStart, now - m_start);
                m_loadCpuTaken = true;
            }
            if (now >= graceEnd) break;
            auto next = graceEnd;
            const auto due = m_start + spacing * static_cast<long>(j);
            if (due < m_end) next = std::min(next, due);
            if (nextSample <= m_end) next = std::min(next, nextSample);
            const double ms = Ms(next - now);
            Wait(std::max(0, static_cast<int>(std::ceil(ms))));
        }
        // Whatever still waits got nothing.
        for (auto& a : m_admins)
            if (a.pending) {
                ++a.lost;
                a.pending = false;
            }
    }

    void Report(double loginSeconds, Clock::duration total, long rssKiB, long hwmKiB) const;

    int LoggedIn() const {
        int n = 0;
        for (const auto& a : m_admins)
            if (a.phase == Phase::LoggedIn || a.phase == Phase::Gone) ++n;
        return n;
    }
    int Failed() const { return static_cast<int>(m_admins.size()) - LoggedIn(); }
    void PrintFailures() const {
        int shown = 0;
        for (const auto& a : m_admins)
            if (a.phase != Phase::LoggedIn && a.phase != Phase::Gone && shown++ < 5)
                std::printf("  %s: %s\n", a.user.c_str(),
                            a.failure.empty() ? "not logged in in time" : a.failure.c_str());
    }

    Clock::time_point Start() const { return m_start; }
    Clock::time_point End() const { return m_end; }
    long RelayRepliesAtStart() const { return m_relayRepliesAtStart; }
    long RelayCommandsAtStart() const { return m_relayCommandsAtStart; }
    long RelayRepliesAtEnd() const { return m_relayRepliesAtEnd; }
    long RelayCommandsAtEnd() const { return m_relayCommandsAtEnd; }
    void TakeRelayCountsAtEnd() {
        m_relayRepliesAtEnd = m_relay.replies;
        m_relayCommandsAtEnd = m_relay.commands;
        m_relayLinkEnds = m_relay.linkEnds;
    }

    const std::vector<Copy>& Copies() const { return m_copies; }
    const std::vector<double>& RoundTrips() const { return m_roundTrips; }
    double ManagerCpu() const { return m_managerCpu; }
    double PeakCpu() const { return m_peakCpu; }
    double SimCpu() const { return m_simCpu; }
    double SelfCpu() const { return m_selfCpu; }
    long Connects() const { return m_connects; }
    long Retries() const { return m_retries; }
    int Linked() const {
        int n = 0;
        for (const auto& a : m_admins) n += a.linked ? 1 : 0;
        return n;
    }
    int Connected() const {
        int n = 0;
        for (const auto& a : m_admins) n += a.connected ? 1 : 0;
        return n;
    }
    const std::vector<Admin>& Admins() const { return m_admins; }
    long CopiesTotal() const { return m_copiesTotal; }
    const std::vector<long>& CopiesPerSecond() const { return m_copiesPerSecond; }
    const std::vector<long>& SentPerSecond() const { return m_sentPerSecond; }
    int Dropped() const { return m_dropped; }

  private:
    void Watch(Admin& a, uint32_t events, bool add) {
        epoll_event e{};
        e.events = events;
        e.data.u32 = static_cast<uint32_t>(a.index);
        ::epoll_ctl(m_epoll, add ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, a.fd, &e);
    }

    void StartConnect(Admin& a) {
        ++m_connects;
        ++a.attempts;
        a.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        SetNoDelay(a.fd);
        a.reader = AdminFrameReader();
        a.out.clear();
        a.watchingOut = false;
        a.since = Clock::now();
        const sockaddr_in addr = Loopback(m_port);
        const int r = ::connect(a.fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
        if (r != 0 && errno != EINPROGRESS) {
            Retry(a, std::string("connect: ") + std::strerror(errno));
            return;
        }
        a.phase = r == 0 ? Phase::Greeting : Phase::Connecting;
        Watch(a, r == 0 ? EPOLLIN : EPOLLIN | EPOLLOUT, true);
    }

    void CloseSocket(Admin& a) {
        if (a.fd >= 0) ::close(a.fd);
        a.fd = -1;
    }

    // Refused, or closed before the greeting: the backlog was full.
    void Retry(Admin& a, const std::string& why) {
        CloseSocket(a);
        ++m_retries;
        a.failure = why;
        if (a.attempts >= kMaxConnectAttempts) {
            a.phase = Phase::Failed;
            return;
        }
        a.phase = Phase::Waiting;
        a.retryAt = Clock::now() + std::chrono::milliseconds(10 * std::min(a.attempts, 20));
    }

    void Fail(Admin& a, const std::string& why) {
        CloseSocket(a);
        a.phase = Phase::Failed;
        a.failure = why;
    }

    void Wait(int timeoutMs) {
        epoll_event events[512];
        const int n = ::epoll_wait(m_epoll, events, 512, timeoutMs);
        for (int i = 0; i < n; ++i) {
            Admin& a = m_admins[events[i].data.u32];
            if (a.fd < 0) continue;
            const uint32_t ev = events[i].events;
            if (a.phase == Phase::Connecting) {
                int error = 0;
                socklen_t size = sizeof error;
                ::getsockopt(a.fd, SOL_SOCKET, SO_ERROR, &error, &size);
                if (error != 0 || (ev & (EPOLLERR | EPOLLHUP))) {
                    Retry(a, std::string("connect: ") + std::strerror(error ? error : ECONNRESET));
                    continue;
                }
                if (!(ev & (EPOLLOUT | EPOLLIN))) continue;
                a.phase = Phase::Greeting;
                Watch(a, EPOLLIN, false);
            }
            // A deaf admin reads only to learn that it was closed.
            if (ev & (a.deaf ? EPOLLHUP | EPOLLERR : EPOLLIN | EPOLLHUP | EPOLLERR)) Read(a);
            if (a.fd >= 0 && (ev & EPOLLOUT) && a.watchingOut) Flush(a);
        }
    }

    void Read(Admin& a) {
        char buf[64 * 1024];
        while (a.fd >= 0) {
            const ssize_t n = ::recv(a.fd, buf, sizeof buf, 0);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
            if (n <= 0) {
                Closed(a, n == 0 ? "closed by the manager"
                                 : std::string("read: ") + std::strerror(errno));
                return;
            }
            const auto now = Clock::now();
            std::string_view data(buf, static_cast<size_t>(n));
            while (!data.empty() && a.fd >= 0) {
                AdminFrameReader::Result r = a.reader.Feed(data);
                data.remove_prefix(r.used);
                if (r.status == AdminFrameReader::Status::Broken) {
                    Closed(a, "a broken frame");
                    return;
                }
                if (r.status == AdminFrameReader::Status::Frame) {
                    OnFrame(a, r.text, now);
                } else if (r.used == 0) {
                    break;
                }
            }
        }
    }

    void Closed(Admin& a, const std::string& why) {
        switch (a.phase) {
            case Phase::Connecting:
            case Phase::Greeting:
                Retry(a, why);
                break;
            case Phase::LoggedIn:
                CloseSocket(a);
                a.phase = Phase::Gone;
                a.failure = why;
                ++m_dropped;
                break;
            default:
                Fail(a, why);
                break;
        }
    }

    void OnFrame(Admin& a, const std::string& text, Clock::time_point now) {
        switch (a.phase) {
            case Phase::Greeting:
                if (text != "Hollispark") return Fail(a, "greeting \"" + text + "\"");
                a.connected = true;
                a.phase = Phase::User;
                return SendText(a, a.user);
            case Phase::User:
                if (text != "User:OK") return Fail(a, "user: \"" + text + "\"");
                a.phase = Phase::Rights;
                return SendText(a, a.pass);
            case Phase::Rights:
                if (text != "3FFF") return Fail(a, "rights: \"" + text + "\"");
                a.phase = Phase::LinkState;
                return;
            case Phase::LinkState:
                if (text != "LOGGED_IN" && text != "NOT_LOGGED_IN")
                    return Fail(a, "link state: \"" + text + "\"");
                a.linked = text == "LOGGED_IN";
                a.phase = Phase::LoggedIn;
                return;
            case Phase::LoggedIn:
                OnCopy(a, text, now);
                return;
            default:
                return;
        }
    }

    // A copy answers the admin's command when its reply answered a command
    // of the same class; a copy of the class of the command before came
    // after the admin had moved on ("late").
    void OnCopy(Admin& a, const std::string& text, Clock::time_point now) {
        const uint64_t key = TextKey(text);
        m_copies.push_back({key, now});
        ++m_copiesTotal;
        const int cls = m_relay.ClassOf(key);
        if (a.pending && (cls == a.pendingClass || cls < 0)) {
            ++a.matched;
            a.pending = false;
            m_roundTrips.push_back(Ms(now - a.pendingAt));
        } else if (cls == a.previousClass) {
            ++a.late;
        } else {
            ++a.other;
            ++m_otherByClass[{a.pending ? a.pendingClass : 0, cls}];
        }
    }

    void Send(Admin& a, std::string_view command) {
        if (a.pending) ++a.lost;
        a.previousClass = a.pendingClass;
        a.pendingClass = ClassifyAdminCommand(command);
        a.pending = true;
        ++a.sent;
        ++m_sent;
        a.pendingAt = Clock::now();
        SendText(a, command);
    }

    void SendText(Admin& a, std::string_view text) {
        a.out += EncodeAdminFrame(text);
        if (!a.watchingOut) Flush(a);
    }

    void Flush(Admin& a) {
        while (!a.out.empty()) {
            const ssize_t n = ::send(a.fd, a.out.data(), a.out.size(), MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK) break;
                Closed(a, std::string("write: ") + std::strerror(errno));
                return;
            }
            a.out.erase(0, static_cast<size_t>(n));
        }
        const bool want = !a.out.empty();
        if (want != a.watchingOut) {
            a.watchingOut = want;
            const uint32_t in = a.deaf ? uint32_t{0} : uint32_t{EPOLLIN};
            Watch(a, want ? in | EPOLLOUT : in, false);
        }
    }

    const Options& m_o;
    Relay& m_relay;
    int m_port;
    int m_epoll = -1;
    std::vector<Admin> m_admins;
    long m_connects = 0, m_retries = 0;
    int m_dropped = 0;

    Clock::time_point m_start{}, m_end{};
    long m_sent = 0, m_copiesTotal = 0;
    std::vector<Copy> m_copies;
    // Copies of another class: (class waited for, 0 for none; class of the
    // command the reply answered) -> count.
    std::map<std::pair<int, int>, long> m_otherByClass;
    std::vector<double> m_roundTrips;
    std::vector<long> m_copiesPerSecond, m_sentPerSecond;
    long m_relayRepliesAtStart = 0, m_relayCommandsAtStart = 0;
    long m_relayRepliesAtEnd = 0, m_relayCommandsAtEnd = 0, m_relayLinkEnds = 0;
    double m_managerCpu = 0, m_mainThreadCpu = 0, m_peakCpu = 0, m_simCpu = 0, m_selfCpu = 0;
    bool m_loadCpuTaken = false;
};

// ---------------------------------------------------------------------------

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        auto number = [&](int& field, int min, int max) {
            if (!hasValue) return false;
            char* end = nullptr;
            const long v = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || v < min || v > max) return false;
            field = static_cast<int>(v);
            return true;
        };
        if (a == "--admins") {
            if (!number(o.admins, 1, 9000)) return false;
        } else if (a == "--rate") {
            if (!number(o.rate, 1, 1000)) return false;
        } else if (a == "--seconds") {
            if (!number(o.seconds, 1, 3600)) return false;
        } else if (a == "--sim" && hasValue) {
            o.sim = argv[++i];
        } else if (a == "--console" && hasValue) {
            o.console = argv[++i];
        } else if (a == "--keep") {
            o.keep = true;
        } else if (a == "--deaf") {
            if (!number(o.deaf, 0, 9000)) return false;
        } else if (a == "--bigreply") {
            if (!number(o.bigreply, 0, 65526)) return false;
        } else {
            return false;
        }
    }
    return true;
}

// One line to the sim's control port; true when it answers "ok".
bool SimControl(int port, const std::string& line) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        const std::string out = line + "\n";
        if (::send(fd, out.data(), out.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(out.size())) {
            char buf[256];
            while (reply.find('\n') == std::string::npos) {
                const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
                if (n <= 0) break;
                reply.append(buf, static_cast<size_t>(n));
            }
        }
    }
    ::close(fd);
    return reply.find("ok") != std::string::npos;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// What the manager's and the sim's output say, in counts.
struct LogCounts {
    long lines = 0;
    long ratCommands = 0;
    long noReplyTo = 0;        // commands the manager's pairing passed over
    long unpairedReplies = 0;  // the highest "N so far" of an unpaired reply
    long adminClosed = 0;      // Admin Port connections the manager closed itself
    // The longest run of "Rat Command" lines with no "Rat Response" line
    // between them: commands sent while no reply was routed.
    long longestCommandRun = 0;
    std::vector<std::string> noReplySeconds;  // distinct, first few
    std::vector<std::string> connection;      // "Connection: ..." values in order
    std::vector<std::string> notable;         // the first lines of the kinds above
};

LogCounts ScanManagerOutput(const std::string& path) {
    LogCounts c;
    auto note = [&](std::string_view line) {
        if (c.notable.size() < 6) c.notable.emplace_back(line.substr(0, 160));
    };
    long run = 0;
    ForEachLine(path, [&](std::string_view line) {
        ++c.lines;
        if (line.rfind("Rat Response: ", 0) == 0) run = 0;
        if (line.rfind("Rat Command: ", 0) == 0) {
            ++c.ratCommands;
            c.longestCommandRun = std::max(c.longestCommandRun, ++run);
        } else if (line.rfind("Connection: ", 0) == 0) {
            if (c.connection.size() < 12) c.connection.emplace_back(line.substr(12));
        } else if (line.find("No reply to: ") != std::string_view::npos) {
            if (c.noReplyTo++ < 2) note(line);
            const std::string second(line.substr(1, 8));
            if (c.noReplySeconds.size() < 12 &&
                (c.noReplySeconds.empty() || c.noReplySeconds.back() != second))
                c.noReplySeconds.push_back(second);
        } else if (const size_t at = line.find("Rat Reply ("); at != std::string_view::npos) {
            const size_t comma = line.find(", ", at);
            if (comma != std::string_view::npos)
                c.unpairedReplies = std::max(c.unpairedReplies, std::atol(line.data() + comma + 2));
            if (c.unpairedReplies <= 2) note(line);
        } else if (line.find("Admin connection ") != std::string_view::npos ||
                   line.find("Admin Port not") != std::string_view::npos) {
            if (c.adminClosed++ < 3) note(line);
        }
    });
    return c;
}

void AdminLoad::Report(double loginSeconds, Clock::duration total, long rssKiB, long hwmKiB) const {
    long sent = 0, matched = 0, lost = 0, late = 0, other = 0;
    long minLost = -1, maxLost = 0;
    int admitsLoss = 0;
    for (const auto& a : m_admins) {
        sent += a.sent;
        matched += a.matched;
        lost += a.lost;
        late += a.late;
        other += a.other;
        if (a.sent == 0) continue;
        minLost = minLost < 0 ? a.lost : std::min(minLost, a.lost);
        maxLost = std::max(maxLost, a.lost);
        admitsLoss += a.lost > 0 ? 1 : 0;
    }
    const double seconds = m_o.seconds;
    const long replies = m_relayRepliesAtEnd - m_relayRepliesAtStart;
    const long forwarded = m_relayCommandsAtEnd - m_relayCommandsAtStart;

    // reply -> copy: each copy against the latest forward of its text at or
    // before its arrival.
    std::unordered_map<uint64_t, std::vector<Clock::time_point>> byText;
    for (const Forward& f : m_relay.forwards) byText[f.key].push_back(f.at);
    std::vector<double> latencies;
    long unmatched = 0;
    for (const Copy& c : m_copies) {
        const auto it = byText.find(c.key);
        if (it == byText.end()) {
            ++unmatched;
            continue;
        }
        const auto& times = it->second;
        const auto after = std::upper_bound(times.begin(), times.end(), c.at);
        if (after == times.begin()) {
            ++unmatched;
            continue;
        }
        latencies.push_back(Ms(c.at - *(after - 1)));
    }
    // The longest pauses in the load: between forwards at the relay, and
    // between copies at the admins.
    auto longestGap = [&](auto begin, auto end, auto at) {
        double gap = 0;
        std::optional<Clock::time_point> last;
        for (auto it = begin; it != end; ++it) {
            const Clock::time_point t = at(*it);
            if (t < m_start || t > m_end) continue;
            if (last) gap = std::max(gap, Ms(t - *last));
            last = t;
        }
        return gap;
    };
    const double relayGap = longestGap(m_relay.forwards.begin(), m_relay.forwards.end(),
                                       [](const Forward& f) { return f.at; });
    const double copyGap =
        longestGap(m_copies.begin(), m_copies.end(), [](const Copy& c) { return c.at; });
    const auto [minRate, maxRate] =
        m_copiesPerSecond.empty()
            ? std::pair<long, long>{0, 0}
            : std::pair<long, long>{
                  *std::min_element(m_copiesPerSecond.begin(), m_copiesPerSecond.end()),
                  *std::max_element(m_copiesPerSecond.begin(), m_copiesPerSecond.end())};

    std::printf(
        "admins        connected %d / %d, logged in %d (%d told LOGGED_IN), in %.1f s; "
        "%ld connects for them, %d dropped during the load\n",
        Connected(), m_o.admins, LoggedIn(), Linked(), loginSeconds, m_connects, m_dropped);
    std::printf("commands      sent %ld (%.0f/s; %d admins x %d/s)\n", sent,
                static_cast<double>(sent) / seconds, LoggedIn(), m_o.rate);
    std::printf(
        "game server   %ld commands from the manager, %ld replies (%.0f/s) at the relay; "
        "relay backlog peak %ld bytes, link ends %ld\n",
        forwarded, replies, static_cast<double>(replies) / seconds, m_relay.maxBacklog.load(),
        m_relayLinkEnds);
    std::printf(
        "relays        delivered %ld, lost %ld (%.2f%% of commands; %d admins lost some, "
        "%ld..%ld per admin)\n",
        m_copiesTotal, lost,
        sent ? 100.0 * static_cast<double>(lost) / static_cast<double>(sent) : 0.0, admitsLoss,
        std::max(0L, minLost), maxLost);
    std::printf(
        "              of the copies: %ld answered the command waiting, %ld came late "
        "(after the admin's next command), %ld of another class\n",
        matched, late, other);
    if (!m_otherByClass.empty()) {
        std::string kinds;
        for (const auto& [classes, count] : m_otherByClass)
            kinds += " " + std::to_string(count) + "x " + std::to_string(classes.first) + "<-" +
                     std::to_string(classes.second);
        std::printf("              another class (waited for <- reply to a command of):%s\n",
                    kinds.c_str());
    }
    std::printf(
        "              copies/s min %ld max %ld; longest pause: %.1f ms between forwards, "
        "%.1f ms between copies\n",
        minRate, maxRate, relayGap, copyGap);
    std::printf("reply->copy   %s\n", Percentiles(latencies).c_str());
    std::printf(
        "              (identical replies in a row are measured from the latest one; "
        "%ld copies matched no forward)\n",
        unmatched);
    std::printf("round trip    %s\n", Percentiles(m_roundTrips).c_str());
    std::printf(
        "manager       CPU %.1f%% of one core (main thread %.1f%%; peak 1 s: %.1f%%), RSS "
        "%.1f MiB at the end, peak %.1f MiB\n",
        m_managerCpu, m_mainThreadCpu, m_peakCpu, static_cast<double>(rssKiB) / 1024.0,
        static_cast<double>(hwmKiB) / 1024.0);
    std::printf("others        sim CPU %.1f%%, this program %.1f%% (admins and relay)\n", m_simCpu,
                m_selfCpu);
    std::printf("run           %.1f s in all: %d s load + %.0f s grace\n",
                std::chrono::duration<double>(total).count(), m_o.seconds,
                std::chrono::duration<double>(kGrace).count());
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: admin_load [--admins N (500)] [--rate PER_SECOND (10)] "
                     "[--seconds S (60)]\n"
                     "                  [--deaf N (0)] [--bigreply BYTES (0)]\n"
                     "                  [--sim PATH] [--console PATH] [--keep]\n"
                     "  --keep  leave the work folder (the manager's and the sim's output)\n");
        return 64;
    }
    ::signal(SIGPIPE, SIG_IGN);
    // Two sockets per admin and a few more.
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = std::min<rlim_t>(files.rlim_max, static_cast<rlim_t>(o.admins) * 2 + 256);
    ::setrlimit(RLIMIT_NOFILE, &files);
    const auto runStart = Clock::now();

    std::string folder = (std::filesystem::temp_directory_path() / "admin_load-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = folder + "/";
    struct Cleanup {
        std::string dir;
        bool keep;
        ~Cleanup() {
            if (keep) {
                std::printf("work folder   %s (manager.out, sim.out)\n", dir.c_str());
                return;
            }
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
        }
    } cleanup{dir, o.keep};
    ::mkdir((dir + "Configs").c_str(), 0700);

    // 1. The sim.
    Child sim({o.sim, "--port", "0", "--control-port", "0", "--tick-ms", "1000", "--user", "admin",
               "--password", "secret", "--max-output-bytes", "268435456"},
              dir + "sim.out");
    int simPort = 0, controlPort = 0;
    OutputTail simOut(dir + "sim.out");
    simOut.Until(
        [&](const std::string& line) {
            if (line.rfind("port ", 0) == 0) simPort = std::atoi(line.c_str() + 5);
            if (line.rfind("control ", 0) == 0) controlPort = std::atoi(line.c_str() + 8);
            return simPort > 0 && controlPort > 0;
        },
        10s, [&] { return sim.Alive(); });
    if (simPort <= 0) {
        std::fprintf(stderr, "admin_load: the sim did not start (%s)\n", o.sim.c_str());
        return 1;
    }

    if (o.bigreply > 0 && !SimControl(controlPort, "bigreply " + std::to_string(o.bigreply))) {
        std::fprintf(stderr, "admin_load: the sim did not take \"bigreply\"\n");
        return 1;
    }

    // 2. The relay, and the manager logged in through it.
    Relay relay(simPort);
    if (!relay.Listen()) {
        std::fprintf(stderr, "admin_load: the relay cannot listen\n");
        return 1;
    }
    WriteFile(dir + "Configs/servers.cfg",
              "*FAV*Sim,127.0.0.1," + std::to_string(relay.Port()) + ",admin,secret\r\n");
    std::string accounts;
    for (int i = 0; i < o.admins; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Admin %03d", i);
        accounts += std::string("Name=") + name + "\nUser=" + AdminLoad::UserName(i) +
                    "\nPass=" + AdminLoad::Password(i) + "\nRights=3FFF\nGuid=none\n";
    }
    accounts += "[END]";
    WriteFile(dir + "Configs/radmins.cfg", accounts);

    Child manager({o.console, "--headless", "--dir", dir, "--manager", "--admin-port", "0",
                   "--admin-bind", "127.0.0.1", "--max-admins", std::to_string(o.admins + 16)},
                  dir + "manager.out");
    OutputTail managerOut(dir + "manager.out");
    int adminPort = 0;
    const std::string open = "Admin Port open on 127.0.0.1 port ";
    bool ready = managerOut.Until(
        [&](const std::string& line) {
            const size_t at = line.find(open);
            if (at != std::string::npos) adminPort = std::atoi(line.c_str() + at + open.size());
            return adminPort > 0;
        },
        30s, [&] { return manager.Alive(); });
    ready = ready && managerOut.Until(
                         [](const std::string& line) {
                             return line.rfind("Server Name: TavrinSim", 0) == 0;
                         },
                         30s, [&] { return manager.Alive(); });
    if (!ready) {
        std::fprintf(stderr,
                     "admin_load: the manager did not log in to the sim (admin port %d); "
                     "see %smanager.out (run with --keep)\n",
                     adminPort, dir.c_str());
        return 1;
    }
    std::printf(
        "admin_load    %d admins x %d commands/s for %d s; manager pid %d, Admin Port "
        "%d, relay %d -> sim %d\n",
        o.admins, o.rate, o.seconds, static_cast<int>(manager.Pid()), adminPort, relay.Port(),
        simPort);
    if (o.deaf > 0 || o.bigreply > 0)
        std::printf(
            "              %d of them read nothing once logged in; replies padded to %d "
            "bytes\n",
            std::min(o.deaf, o.admins), o.bigreply);
    std::fflush(stdout);

    // 3. The admins: in, then the load.
    AdminLoad load(o, relay, adminPort);
    const auto loginStart = Clock::now();
    load.LoginAll(30s + std::chrono::milliseconds(100) * o.admins);
    const double loginSeconds = std::chrono::duration<double>(Clock::now() - loginStart).count();
    const int failed = load.Failed();
    if (failed > 0) {
        std::printf("login         %d admins failed to log in:\n", failed);
        load.PrintFailures();
    }
    if (load.LoggedIn() > 0) load.Run(manager.Pid(), sim.Pid());
    load.TakeRelayCountsAtEnd();
    const long rss = StatusKiB(manager.Pid(), "VmRSS:");
    const long hwm = StatusKiB(manager.Pid(), "VmHWM:");
    const bool managerAlive = manager.Alive();

    manager.Stop();
    relay.Stop();
    sim.Stop();
    load.Report(loginSeconds, Clock::now() - runStart, rss, hwm);

    const LogCounts m = ScanManagerOutput(dir + "manager.out");
    std::string connection;
    for (const auto& c : m.connection) connection += (connection.empty() ? "" : " > ") + c;
    std::printf(
        "manager out   %ld lines, %ld \"Rat Command\", %ld \"No reply to\", %ld unpaired "
        "replies, %ld Admin Port closes; Connection: %s%s\n",
        m.lines, m.ratCommands, m.noReplyTo, m.unpairedReplies, m.adminClosed, connection.c_str(),
        managerAlive ? "" : " (the manager had exited)");
    std::string noReplyAt;
    for (const auto& t : m.noReplySeconds) noReplyAt += " " + t;
    std::printf(
        "              longest run of commands sent with no reply routed between: %ld; "
        "\"No reply to\" at:%s\n",
        m.longestCommandRun, noReplyAt.empty() ? " none" : noReplyAt.c_str());
    for (const auto& line : m.notable) std::printf("              | %s\n", line.c_str());
    std::string byClass;
    for (const auto& [cls, count] : relay.repliesByClass)
        byClass += " " + std::to_string(cls) + ":" + std::to_string(count);
    std::printf("relay         %ld link(s); replies by command class (whole run):%s\n",
                relay.connections.load(), byClass.c_str());
    std::string since;
    for (const auto& t : relay.beyondSince) since += " " + t;
    std::printf(
        "              commands awaiting a reply at the manager: peak >= %ld (%ld not yet "
        "answered by the sim); largest burst %ld commands in one read;\n"
        "              %ld commands sent with more than %zu awaiting, episodes from:%s\n",
        relay.peakAwaiting.load(), relay.peakAtSim.load(), relay.largestBurst.load(),
        relay.beyondPairing.load(), ReplyPairing::kMaxAwaited,
        since.empty() ? " none" : since.c_str());
    std::string bursts;
    for (const auto& t : relay.bigBurstAt) bursts += " " + t;
    std::printf("              %ld reads with more than %zu commands, at:%s\n",
                relay.bigBursts.load(), ReplyPairing::kMaxAwaited / 2,
                bursts.empty() ? " none" : bursts.c_str());
    return failed > 0 ? 1 : 0;
}
