#include "app/qt/signal_pipe.h"

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace tavrin {
namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int signo) {
    const char byte = static_cast<char>(signo);
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

}  // namespace

SignalPipe::SignalPipe(std::initializer_list<int> signalNumbers, std::function<void(int)> handle)
    : m_handle(std::move(handle)) {
    ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe);
    m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
        char signo = 0;
        if (::read(g_signalPipe[0], &signo, 1) != 1) return;
        m_handle(signo);
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : signalNumbers) ::sigaction(s, &sa, nullptr);
}

}  // namespace tavrin
