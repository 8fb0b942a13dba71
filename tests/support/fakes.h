#pragma once

// Test doubles for the core's host interfaces: they record what a model asks
// for and give the answers a test sets.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/command_sink.h"
#include "common/event_log.h"
#include "common/user_dialogs.h"

namespace tavrin::testing {

class RecordingCommands final : public CommandSink {
  public:
    void SubmitCommands(std::vector<PacedCommand> batch) override {
        for (auto& c : batch) commands.push_back(std::move(c));
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const auto& c : commands) out.push_back(c.text);
        return out;
    }
    std::vector<PacedCommand> commands;
};

class ScriptedDialogs final : public UserDialogs {
  public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text, DefaultAnswer answer) override {
        questions.push_back(text);
        questionDefaults.push_back(answer);
        if (yesNoAnswers.empty()) return defaultYes;
        bool a = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return a;
    }
    std::optional<std::string> AskOpenFileName(const FileQuestion& question) override {
        fileSuggestions.push_back(question.start);
        fileQuestions.push_back(question);
        return NextFile();
    }
    std::optional<std::string> AskSaveFileName(const FileQuestion& question) override {
        fileSuggestions.push_back(question.start);
        fileQuestions.push_back(question);
        return NextFile();
    }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<DefaultAnswer> questionDefaults;  // one for each of `questions`
    std::deque<bool> yesNoAnswers;
    bool defaultYes = true;
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<std::string> fileSuggestions;  // where each file dialog opened
    std::vector<FileQuestion> fileQuestions;

  private:
    std::optional<std::string> NextFile() {
        if (fileAnswers.empty()) return std::nullopt;
        auto a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    }
};

class RecordingLog final : public EventSink {
  public:
    void LogEvent(const std::string& text) override { lines.push_back(text); }
    std::vector<std::string> lines;
};

}  // namespace tavrin::testing
