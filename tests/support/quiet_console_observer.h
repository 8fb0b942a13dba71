#pragma once

// A console observer that lets everything pass: a test derives from it and
// overrides only what it looks at.

#include <string>

#include "app/console.h"

namespace tavrin::testing {

class QuietConsoleObserver : public ConsoleObserver {
  public:
    void EventLineWritten(const std::string&) override {}
    void ChatTextWritten(const std::string&) override {}
    void LogWriteFailed(const std::string&) override {}
    void Started() override {}
    void ClockTicked() override {}
    void AdminAccountChanged(int) override {}
    void AdminPortChanged(bool) override {}
};

}  // namespace tavrin::testing
