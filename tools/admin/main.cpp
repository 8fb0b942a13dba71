// tavrinrat-admin: a remote admin for a TavrinRAT manager's Admin Port. It
// logs in, then sends each line of standard input as one command and prints
// every frame the manager sends back; with -c it sends one command and exits
// on its reply.

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QList>
#include <QSocketNotifier>
#include <QSslCertificate>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "admin/admin_client.h"
#include "common/log_text.h"
#include "remote/qt/admin_tls.h"

namespace tavrin::admin {
namespace {

// The exit statuses.
constexpr int kExitOk = 0;        // -c: a reply; otherwise a normal end
constexpr int kExitRefused = 1;   // -c: the reply starts with "Refused"
constexpr int kExitTimedOut = 2;  // -c: no reply in time
constexpr int kExitFailed = 3;    // no connection, or no login
constexpr int kExitUsage = 64;

constexpr std::string_view kRefusedPrefix = "Refused";
// After standard input ends: how long the connection must be quiet, every
// command answered, before the program ends.
constexpr int kQuietMs = 1000;
// A command the manager answers only when it refuses it: the time given to a
// refusal before the next command goes.
constexpr int kRefusalWaitMs = 300;
// Lines read ahead of the commands sent.
constexpr size_t kQueuedLines = 1024;
// Standard input is not read while this much is waiting to go out, so a fast
// producer and a slow manager do not pile commands up in memory.
constexpr qint64 kWriteBacklog = 256 * 1024;
// The longest wait for an orderly close at the end.
constexpr int kCloseWaitMs = 1000;
// The most bytes taken from the socket or standard input at a time.
constexpr size_t kReadChunk = 64 * 1024;

void Write(std::FILE* to, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), to);
    std::fflush(to);
}

void Complain(std::string_view text) {
    Write(stderr, "tavrinrat-admin: " + std::string(text) + "\n");
}

std::string FromQt(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

std::string Seconds(int ms) {
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
        while (fraction.back() == '0') fraction.pop_back();
        text += "." + fraction;
    }
    return text + " s";
}

// One connection to a manager, from the first byte to the exit status.
class AdminConsole : public QObject {
  public:
    AdminConsole(Options options, std::string password, QList<QSslCertificate> trusted)
        : m_options(std::move(options)), m_client(m_options.user, std::move(password)) {
        m_tls.tls = m_options.tls;
        m_tls.trusted = std::move(trusted);
        m_tls.insecure = m_options.insecure;
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, &AdminConsole::handleDeadline);
        m_replyWait.setSingleShot(true);
        connect(&m_replyWait, &QTimer::timeout, this, [this] { handleReplyWait(); });
        m_quiet.setSingleShot(true);
        connect(&m_quiet, &QTimer::timeout, this, [this] { Finish(kExitOk); });
        m_closeWait.setSingleShot(true);
        connect(&m_closeWait, &QTimer::timeout, this, [this] {
            m_socket->abort();
            QCoreApplication::exit(m_exitCode);
        });
    }

    // Connects; runs from the event loop, so that every way of ending can
    // leave it.
    void Start() {
        if (m_options.tls) {
            if (!QSslSocket::supportsSsl()) {
                Complain("TLS is not available here (no TLS backend)");
                Finish(kExitFailed);
                return;
            }
            auto* tls = new QSslSocket(this);
            ConfigureTls(*tls);
            m_socket = tls;
        } else {
            m_socket = new QTcpSocket(this);
        }
        connect(m_socket, &QTcpSocket::readyRead, this, &AdminConsole::handleBytes);
        connect(m_socket, &QTcpSocket::errorOccurred, this, &AdminConsole::handleSocketError);
        connect(m_socket, &QTcpSocket::disconnected, this, &AdminConsole::handleDisconnected);
        connect(m_socket, &QTcpSocket::bytesWritten, this, &AdminConsole::ResumeInput);
        m_deadline.start(m_options.timeoutMs);
        const QString host = QString::fromStdString(m_options.host);
        if (auto* tls = qobject_cast<QSslSocket*>(m_socket))
            tls->connectToHostEncrypted(host, m_options.port);
        else
            m_socket->connectToHost(host, m_options.port);
    }

  private:
    void ConfigureTls(QSslSocket& tls) {
        ConfigureAdminTls(tls, m_tls, [this](std::string problem) {
            if (std::find(m_tlsErrors.begin(), m_tlsErrors.end(), problem) == m_tlsErrors.end())
                m_tlsErrors.push_back(std::move(problem));
        });
        connect(&tls, &QSslSocket::encryptedBytesWritten, this, &AdminConsole::ResumeInput);
    }

    std::string Where() const {
        const bool v6 = m_options.host.find(':') != std::string::npos;
        return (v6 ? "[" + m_options.host + "]" : m_options.host) + ":" +
               std::to_string(m_options.port);
    }

    void handleBytes() {
        while (!m_finishing && m_socket->bytesAvailable() > 0) {
            const QByteArray bytes = m_socket->read(kReadChunk);
            if (bytes.isEmpty()) break;
            for (ClientEvent& event :
                 m_client.OnBytes(std::string_view(bytes.constData(), bytes.size()))) {
                std::visit([this](auto& e) { Handle(e); }, event);
                if (m_finishing) return;
            }
        }
    }

    void Handle(const Greeted&) {}

    void Handle(const SendFrame& frame) { Send(frame.bytes); }

    void Handle(const LoginDone& login) {
        // With -c the standard output carries the reply alone.
        std::FILE* to = m_options.command ? stderr : stdout;
        Write(to, "Rights: " + RightsText(login.rights) + "\n");
        Write(to, std::string(login.gameLoggedIn ? "LOGGED_IN" : "NOT_LOGGED_IN") + "\n");
        if (m_options.command) {
            const Result<std::string> frame = m_client.CommandFrame(*m_options.command);
            if (!frame) {
                Complain(frame.failure());
                Finish(kExitUsage);
                return;
            }
            Send(frame.value());
            m_deadline.start(m_options.timeoutMs);
            return;
        }
        m_deadline.stop();
        WatchStdin();
    }

    void Handle(const LoginRefused& refused) {
        Complain("login refused: " + EscapeControlBytes(refused.text));
        Finish(kExitFailed);
    }

    void Handle(const Reply& reply) {
        std::string text = PrintableReply(reply.text);
        if (text.empty() || text.back() != '\n') text += '\n';
        Write(stdout, text);
        if (m_options.command) {
            Finish(reply.text.starts_with(kRefusedPrefix) ? kExitRefused : kExitOk);
            return;
        }
        ++m_replies;
        // Whatever comes answers the command sent last: the manager sends an
        // admin only replies of the kind his last command asked for.
        if (m_awaiting) CommandAnswered();
        Activity();
    }

    void Handle(const StreamError& error) {
        Complain(error.text);
        Finish(kExitFailed);
    }

    void Send(const std::string& bytes) {
        m_socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

    void handleDeadline() {
        if (!m_client.LoggedIn()) {
            Complain("no login at " + Where() + " within " + Seconds(m_options.timeoutMs));
            Finish(kExitFailed);
        } else {
            Complain("no reply within " + Seconds(m_options.timeoutMs));
            Finish(kExitTimedOut);
        }
    }

    void handleSocketError(QAbstractSocket::SocketError error) {
        // The manager closing is handled once the socket says it is closed.
        if (m_finishing || error == QAbstractSocket::RemoteHostClosedError) return;
        // A failed TLS handshake names only its first problem; every one is
        // worth knowing (an untrusted certificate, a name that does not match).
        std::string why;
        if (error == QAbstractSocket::SslHandshakeFailedError)
            for (const std::string& e : m_tlsErrors) why += (why.empty() ? "" : "; ") + e;
        if (why.empty()) why = FromQt(m_socket->errorString());
        Complain((m_client.LoggedIn() ? "connection to " : "cannot connect to ") + Where() + ": " +
                 why);
        Finish(kExitFailed);
    }

    void handleDisconnected() {
        if (m_finishing) {
            m_closeWait.stop();
            QCoreApplication::exit(m_exitCode);
            return;
        }
        // Whatever arrived before the close counts.
        handleBytes();
        if (m_finishing) return;
        if (!m_client.LoggedIn()) {
            Complain("the manager at " + Where() + " closed the connection during the login");
            Finish(kExitFailed);
        } else if (m_options.command) {
            Complain("the manager closed the connection before replying");
            Finish(kExitFailed);
        } else {
            Complain("the manager closed the connection");
            Finish(kExitOk);
        }
    }

    // --- Standard input, read only when it has something, so the event loop
    // never waits on it.

    void WatchStdin() {
        if (::fcntl(STDIN_FILENO, F_GETFD) == -1) {
            EndOfInput();
            return;
        }
        m_stdin = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(m_stdin, &QSocketNotifier::activated, this, &AdminConsole::handleStdin);
        ResumeInput();
    }

    void handleStdin() {
        std::string buffer(kReadChunk, '\0');
        const ssize_t n = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
        if (n < 0) Complain(std::string("standard input: ") + std::strerror(errno));
        if (n <= 0) {
            EndOfInput();
            return;
        }
        SendLines(m_lines.Feed(std::string_view(buffer.data(), static_cast<size_t>(n))));
        ResumeInput();
    }

    void EndOfInput() {
        if (m_stdin) m_stdin->setEnabled(false);
        SendLines(m_lines.End());
        m_inputEnded = true;
        Activity();
    }

    // The lines are sent one at a time: a new command replaces what the
    // manager keeps for the admin, so the next goes once the last one's
    // reply is in (or its time is up).
    void SendLines(const std::vector<Result<std::string>>& lines) {
        for (const Result<std::string>& line : lines) {
            if (!line) {
                Complain(line.failure());
                continue;
            }
            m_queue.push_back(line.value());
        }
        SendNext();
    }

    void SendNext() {
        while (!m_awaiting && !m_finishing && !m_queue.empty()) {
            const std::string command = std::move(m_queue.front());
            m_queue.pop_front();
            const Result<std::string> frame = m_client.CommandFrame(command);
            if (!frame) {
                Complain(frame.failure());
                continue;
            }
            Send(frame.value());
            ++m_commands;
            m_awaiting = true;
            m_expectsReply = ExpectsReply(command);
            m_awaited = command;
            m_replyWait.start(m_expectsReply ? m_options.timeoutMs : kRefusalWaitMs);
        }
        ResumeInput();
        Activity();
    }

    void CommandAnswered() {
        m_awaiting = false;
        m_replyWait.stop();
        SendNext();
    }

    void handleReplyWait() {
        if (m_expectsReply)
            Complain("no reply to \"" + EscapeControlBytes(m_awaited) + "\" within " +
                     Seconds(m_options.timeoutMs));
        CommandAnswered();
    }

    // Reads on only while little waits to go out.
    void ResumeInput() {
        if (m_stdin && !m_inputEnded && !m_finishing)
            m_stdin->setEnabled(m_queue.size() < kQueuedLines &&
                                m_socket->bytesToWrite() < kWriteBacklog);
    }

    // Once standard input has ended and every command has had its turn, the
    // end comes after a quiet second.
    void Activity() {
        if (!m_inputEnded || m_finishing) return;
        if (m_awaiting || !m_queue.empty()) {
            m_quiet.stop();
            return;
        }
        m_quiet.start(kQuietMs);
    }

    void Finish(int code) {
        if (m_finishing) return;
        m_finishing = true;
        m_exitCode = code;
        m_deadline.stop();
        m_quiet.stop();
        m_replyWait.stop();
        if (m_stdin) m_stdin->setEnabled(false);
        if (!m_socket || m_socket->state() == QAbstractSocket::UnconnectedState) {
            QCoreApplication::exit(code);
            return;
        }
        // What is still to be written goes out before the close.
        m_socket->disconnectFromHost();
        if (m_socket->state() == QAbstractSocket::UnconnectedState) {
            QCoreApplication::exit(code);
            return;
        }
        m_closeWait.start(kCloseWaitMs);
    }

    Options m_options;
    Client m_client;
    AdminTlsSettings m_tls;
    QTcpSocket* m_socket = nullptr;
    QSocketNotifier* m_stdin = nullptr;
    CommandLines m_lines;
    std::vector<std::string> m_tlsErrors;
    QTimer m_deadline;  // the login, and with -c the reply
    QTimer m_quiet;
    QTimer m_replyWait;  // the command sent last
    QTimer m_closeWait;
    std::deque<std::string> m_queue;
    std::string m_awaited;
    bool m_awaiting = false;
    bool m_expectsReply = false;
    bool m_inputEnded = false;
    bool m_finishing = false;
    int m_exitCode = kExitOk;
    size_t m_commands = 0;
    size_t m_replies = 0;
};

}  // namespace
}  // namespace tavrin::admin

int main(int argc, char** argv) {
    using namespace tavrin::admin;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const OptionsResult parsed = ParseOptions(args);
    if (parsed.help) {
        Write(stdout, UsageText());
        return kExitOk;
    }
    if (!parsed.error.empty()) {
        Complain(parsed.error + " (--help for the usage)");
        return kExitUsage;
    }
    const Options& options = parsed.options;
    const char* environment = std::getenv(std::string(kPasswordVariable).c_str());
    tavrin::Result<std::string> password = ChoosePassword(options, environment);
    if (!password) {
        Complain(password.failure());
        return kExitUsage;
    }

    QCoreApplication app(argc, argv);
    QList<QSslCertificate> trusted;
    if (options.caFile) {
        tavrin::Result<QList<QSslCertificate>> read =
            tavrin::ReadTrustedCertificates(*options.caFile);
        if (!read) {
            Complain("--ca " + *options.caFile + ": " + read.failure());
            return kExitUsage;
        }
        trusted = std::move(read.value());
    }
    if (options.insecure) Complain("warning: --insecure: the manager's certificate is not checked");

    AdminConsole console(options, std::move(password.value()), std::move(trusted));
    QTimer::singleShot(0, &console, [&console] { console.Start(); });
    return app.exec();
}
