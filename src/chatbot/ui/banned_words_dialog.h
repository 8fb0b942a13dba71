#pragma once

#include <QDialog>

#include "chatbot/banned_words.h"
#include "common/user_dialogs.h"

class QComboBox;
class QMenu;
class QTableWidget;
class QTableWidgetItem;

namespace tavrin {

// The "Banned Words" dialog over CBannedWords: the words list (whole-word
// tick, Word editable in place, Warning and Punt Pts chosen by right click,
// Found), the warnings list (one tick, texts editable), the default penalty,
// New Word, Delete Row, New Warning, Delete Row, Zero Count, OK and Cancel.
// Open it with open(); on accepted, Result() is the edited configuration.
//
// Object names: bannedWordsDialog, bannedWordsList, warningsList,
// defaultPenalty, newWord, deleteWord, newWarning, deleteWarning, zeroCount,
// bannedWordsOk, bannedWordsCancel; the right-click menu bannedWordsCellMenu.
class BannedWordsDialog final : public QDialog {
    Q_OBJECT

  public:
    // `dialogs` tells of a typed text the game cannot take.
    BannedWordsDialog(CBannedWords model, UserDialogs& dialogs, QWidget* parent = nullptr);

    ChatBotConfig Result() const { return m_model.Ok(); }
    const CBannedWords& Model() const { return m_model; }
    // The open right-click menu, if any.
    QMenu* CellMenu() const { return m_menu; }

  private:
    void Render();
    void HandleWordChanged(QTableWidgetItem* item);
    void HandleWarningChanged(QTableWidgetItem* item);
    void PopUpCellMenu(const QPoint& pos);
    void RerenderLater();

    void Refuse(const QString& text);

    CBannedWords m_model;
    UserDialogs& m_dialogs;
    QTableWidget* m_words = nullptr;
    QTableWidget* m_warnings = nullptr;
    QComboBox* m_penalty = nullptr;
    QMenu* m_menu = nullptr;
    bool m_rendering = false;
};

}  // namespace tavrin
