#pragma once

#include <QSocketNotifier>
#include <functional>
#include <initializer_list>
#include <memory>

namespace tavrin {

// Process signals handled on the event loop: the handler only writes the
// signal's number to a socket pair, and `handle` runs when the loop reads it.
// The one thing of the process the front-ends share; one pipe at a time.
class SignalPipe {
  public:
    SignalPipe(std::initializer_list<int> signalNumbers, std::function<void(int)> handle);
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

  private:
    std::function<void(int)> m_handle;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace tavrin
