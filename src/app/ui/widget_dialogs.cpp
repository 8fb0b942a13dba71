#include "app/ui/widget_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
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

QMessageBox* WidgetDialogs::NewQuestionBox(const QString& text, QWidget* parent,
                                           DefaultAnswer answer) {
    auto* box = new QMessageBox(QMessageBox::Question, Caption(), text,
                                QMessageBox::Yes | QMessageBox::No, parent);
    box->setObjectName(QStringLiteral("questionBox"));
    box->setTextFormat(Qt::PlainText);
    // The question's own default, as the console without a window takes it.
    box->setDefaultButton(answer == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    return box;
}

QStringList WidgetDialogs::NameFilters(const std::string& filter) {
    // "Text Files (*.txt)|*.txt|Chat Logs|chatlog.txt": pairs of a description
    // and its patterns; a description that does not show its patterns gets them.
    const QStringList parts = QString::fromLatin1(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString patterns = parts[i + 1].split(QLatin1Char(';')).join(QLatin1Char(' '));
        filters << (description.contains(QLatin1Char('('))
                        ? description
                        : description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters;
}

QFileDialog* WidgetDialogs::NewFileDialog(const FileQuestion& question, bool save,
                                          QWidget* parent) {
    const QString title = question.title.empty() ? Caption() : FromWire(question.title);
    auto* dialog = new QFileDialog(parent, title);
    dialog->setObjectName(QStringLiteral("fileDialog"));
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // A path is a file system name, not a text of the game.
    const QString start = QFile::decodeName(QByteArray::fromStdString(question.start));
    const QFileInfo info(start);
    if (start.endsWith(QLatin1Char('/')) || info.isDir()) {
        dialog->setDirectory(start);
    } else {
        dialog->setDirectory(info.absolutePath());
        dialog->selectFile(info.fileName());
    }
    const QStringList filters = NameFilters(question.filter);
    if (!filters.isEmpty()) dialog->setNameFilters(filters);
    if (!question.extension.empty())
        dialog->setDefaultSuffix(QString::fromLatin1(question.extension));
    return dialog;
}

void WidgetDialogs::ShowMessage(const std::string& text) {
    NoteAsked(text);
    if (m_scripted) return;
    std::unique_ptr<QMessageBox> box(NewMessageBox(FromWire(text), m_parent));
    box->exec();
}

bool WidgetDialogs::AskYesNo(const std::string& text, DefaultAnswer answer) {
    NoteAsked(text);
    if (!m_yesNo.empty()) {
        const bool yes = m_yesNo.front();
        m_yesNo.pop_front();
        return yes;
    }
    if (m_scripted) return false;
    std::unique_ptr<QMessageBox> box(NewQuestionBox(FromWire(text), m_parent, answer));
    return box->exec() == QMessageBox::Yes;
}

std::optional<std::string> WidgetDialogs::AskOpenFileName(const FileQuestion& question) {
    return AskFileName(question, false);
}

std::optional<std::string> WidgetDialogs::AskSaveFileName(const FileQuestion& question) {
    return AskFileName(question, true);
}

std::optional<std::string> WidgetDialogs::AskFileName(const FileQuestion& question, bool save) {
    NoteAsked(question.start);
    if (!m_files.empty()) {
        auto answer = std::move(m_files.front());
        m_files.pop_front();
        return answer;
    }
    if (m_scripted) return std::nullopt;
    std::unique_ptr<QFileDialog> dialog(NewFileDialog(question, save, m_parent));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog->selectedFiles().constFirst()).toStdString();
}

}  // namespace tavrin
