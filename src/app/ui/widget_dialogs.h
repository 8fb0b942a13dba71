#pragma once

#include <QPointer>
#include <QWidget>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/user_dialogs.h"

class QFileDialog;
class QMessageBox;

namespace tavrin {

// The console's questions and messages as boxes of the window: a message box
// with OK, a Yes/No box, and the file dialogs. Texts are Windows-1252 bytes
// on the console's side and decoded here; file names are the file system's.
//
// The console asks through its question gate, which holds the connection's
// events while a box is open, so a box's own event loop never runs a reply
// in the middle of the event that asked.
//
// Test hook: answers set in advance are taken, oldest first, in place of a
// box, so that a test never blocks on a modal box. In scripted mode every
// question is answered that way: Yes/No with No, a file dialog with Cancel.
class WidgetDialogs final : public UserDialogs {
  public:
    explicit WidgetDialogs(QWidget* parent = nullptr) : m_parent(parent) {}

    // The window the boxes belong to.
    void SetParent(QWidget* parent) { m_parent = parent; }

    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text, DefaultAnswer answer) override;
    std::optional<std::string> AskOpenFileName(const FileQuestion& question) override;
    std::optional<std::string> AskSaveFileName(const FileQuestion& question) override;

    // Test hook.
    void AnswerNextYesNo(bool yes) { m_yesNo.push_back(yes); }
    void AnswerNextFile(std::optional<std::string> path) { m_files.push_back(std::move(path)); }
    void SetScripted(bool on) { m_scripted = on; }
    // Appends every message and question put to the person to `record`, in
    // order, as asked (for a file dialog, where it opens); null stops it.
    // Nothing is kept without a record.
    void RecordAskedTo(std::vector<std::string>* record) { m_record = record; }

    // The caption of every box.
    static QString Caption();
    // The boxes, as they are shown (decoded texts, shown as plain text).
    static QMessageBox* NewMessageBox(const QString& text, QWidget* parent);
    // Enter answers `answer`; Escape always answers No.
    static QMessageBox* NewQuestionBox(const QString& text, QWidget* parent,
                                       DefaultAnswer answer = DefaultAnswer::Yes);
    // The file dialog of a question, as it is shown.
    static QFileDialog* NewFileDialog(const FileQuestion& question, bool save, QWidget* parent);
    // The dialog's name filters for a filter of description and pattern pairs.
    static QStringList NameFilters(const std::string& filter);

  private:
    std::optional<std::string> AskFileName(const FileQuestion& question, bool save);
    void NoteAsked(const std::string& text) {
        if (m_record) m_record->push_back(text);
    }

    QPointer<QWidget> m_parent;
    bool m_scripted = false;
    std::deque<bool> m_yesNo;
    std::deque<std::optional<std::string>> m_files;
    std::vector<std::string>* m_record = nullptr;
};

}  // namespace tavrin
