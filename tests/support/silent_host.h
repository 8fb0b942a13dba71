#pragma once

// Host interfaces that do nothing, for fuzz targets and benchmarks.

#include <cstdlib>
#include <optional>
#include <string>

#include "common/user_dialogs.h"

namespace tavrin::testing {

// Every box is dismissed: Yes/No gives `answer`, file dialogs are cancelled.
class SilentDialogs final : public UserDialogs {
  public:
    explicit SilentDialogs(bool answer = false) : m_answer(answer) {}
    void ShowMessage(const std::string&) override {}
    bool AskYesNo(const std::string&, DefaultAnswer) override { return m_answer; }
    std::optional<std::string> AskOpenFileName(const FileQuestion&) override { return {}; }
    std::optional<std::string> AskSaveFileName(const FileQuestion&) override { return {}; }

  private:
    bool m_answer;
};

// A fuzz target's invariant: a broken one stops the run where the fuzzer sees it.
inline void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace tavrin::testing
