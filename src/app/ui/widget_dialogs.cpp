#include "app/ui/widget_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <memory>

#include "common/ui/text_codec.h"

namespace tavrin {

QString WidgetDialogs::Caption() {
    return QStringLiteral("TavrinRAT");
}

QMessageBox* WidgetDialogs::NewMessageBox(const QString& text, QWidget* parent) {
    auto* box = new QMessageBox(QMessageBox::Information, Caption(), text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("messageBox"));
    // Texts from the server are never read as rich text.
    box->setTextFormat(Qt::PlainText);
    return box;
}

QMessageBox* WidgetDialogs::NewQuestionBox(const QString& text, QWidget* parent) {
    auto* box = new QMessageBox(QMessageBox::Question, Caption(), text,
                                QMessageBox::Yes | QMessageBox::No, parent);
    box->setObjectName(QStringLiteral("questionBox"));
    box->setTextFormat(Qt::PlainText);
    // Yes is the default answer, as the console without a window takes it.
    box->setDefaultButton(QMessageBox::Yes);
    return box;
}

void WidgetDialogs::ShowMessage(const std::string& text) {
    m_asked.push_back(text);
    if (m_scripted) return;
    std::unique_ptr<QMessageBox> box(NewMessageBox(FromWire(text), m_parent));
    box->exec();
}

bool WidgetDialogs::AskYesNo(const std::string& text) {
    m_asked.push_back(text);
    if (!m_yesNo.empty()) {
        const bool yes = m_yesNo.front();
        m_yesNo.pop_front();
        return yes;
    }
    if (m_scripted) return false;
    std::unique_ptr<QMessageBox> box(NewQuestionBox(FromWire(text), m_parent));
    return box->exec() == QMessageBox::Yes;
}

std::optional<std::string> WidgetDialogs::AskOpenFileName(const std::string& suggestion) {
    return AskFileName(suggestion, false);
}

std::optional<std::string> WidgetDialogs::AskSaveFileName(const std::string& suggestion) {
    return AskFileName(suggestion, true);
}

std::optional<std::string> WidgetDialogs::AskFileName(const std::string& suggestion, bool save) {
    m_asked.push_back(suggestion);
    if (!m_files.empty()) {
        auto answer = std::move(m_files.front());
        m_files.pop_front();
        return answer;
    }
    if (m_scripted) return std::nullopt;
    // A path is a file system name, not a text of the game: it goes both
    // ways in the file system's own encoding.
    const QString start = QFile::decodeName(QByteArray::fromStdString(suggestion));
    const QString chosen = save ? QFileDialog::getSaveFileName(m_parent, Caption(), start)
                                : QFileDialog::getOpenFileName(m_parent, Caption(), start);
    if (chosen.isEmpty()) return std::nullopt;
    return QFile::encodeName(chosen).toStdString();
}

}  // namespace tavrin
