#pragma once

// A bounded wait that keeps the event loop turning, for tests and load
// programs that run the real shell.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>

namespace tavrin::testing {

// Runs the event loop until `done` holds or `timeout` has passed, looking
// every `pollMs`.
inline bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                     int pollMs = 10) {
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(pollMs);
    limit.start(timeout);
    loop.exec();
    return done();
}

}  // namespace tavrin::testing
