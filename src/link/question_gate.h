#pragma once

#include <optional>
#include <string>

#include "common/user_dialogs.h"
#include "link/session.h"

namespace tavrin {

// The boxes and file dialogs of every model go through this gate. While one
// is open, the session holds the connection's events back and replays them,
// in order, once it is answered: a box's own event loop never runs a reply
// in the middle of the gesture or event that asked the question.
class QuestionGate final : public UserDialogs {
  public:
    explicit QuestionGate(UserDialogs& inner) : m_inner(inner) {}
    // The session whose events wait; until then questions pass straight on.
    void Attach(RatSession& session) { m_session = &session; }

    void ShowMessage(const std::string& text) override {
        Held held(m_session);
        m_inner.ShowMessage(text);
    }
    bool AskYesNo(const std::string& text, DefaultAnswer answer) override {
        Held held(m_session);
        return m_inner.AskYesNo(text, answer);
    }
    std::optional<std::string> AskOpenFileName(const FileQuestion& question) override {
        Held held(m_session);
        return m_inner.AskOpenFileName(question);
    }
    std::optional<std::string> AskSaveFileName(const FileQuestion& question) override {
        Held held(m_session);
        return m_inner.AskSaveFileName(question);
    }

  private:
    class Held {
      public:
        explicit Held(RatSession* s) : m_s(s) {
            if (m_s) m_s->HoldEvents();
        }
        ~Held() {
            if (m_s) m_s->ReleaseEvents();
        }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

      private:
        RatSession* m_s;
    };

    UserDialogs& m_inner;
    RatSession* m_session = nullptr;
};

}  // namespace tavrin
