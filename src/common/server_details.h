#pragma once

#include <string>
#include <vector>

#include "common/server_list.h"
#include "common/user_dialogs.h"

namespace tavrin {

// The Server Details dialog ("Server Details"): an editable drop-down list of
// server names and the fields Address, RAT Port, Username and Password, where
// servers are chosen, added, edited and deleted. It works on its own records
// and writes the servers list text only on OK.
//
// It shows the records of both files, servers.cfg (game servers) and
// managers.cfg (managers a console logs in to as a remote admin): each
// record has a kind, the choice "game server / manager", which decides the
// file it goes to on OK.
class CConDets {
  public:
    enum class Field { Address, Port, Username, Password };

    // Opens on `serversText`, the file of `kind` (kept by reference; OK
    // rebuilds it), and `otherText`, the file of the other kind (the same;
    // null when that file could not be read: then no record moves to it).
    // The file's own records come first. The selected index starts at
    // `startIndex` unless a record of `serversText` carries the favourite mark.
    CConDets(std::string& serversText, int startIndex, UserDialogs& dialogs,
             ConnectionKind kind = ConnectionKind::GameServer, std::string* otherText = nullptr);

    const std::vector<ServerRecord>& Records() const { return m_records; }
    ConnectionKind RecordKind(int index) const;
    // Record `index` as the list of names shows it: a manager's name reads
    // "Hub (manager)", so a name in both files is told apart.
    std::string ListText(int index) const;
    // The kind of the selected record; the dialog's own kind with none.
    ConnectionKind SelectedKind() const;
    // The place of record `index` among the records of its kind, as its file
    // will hold it.
    int IndexInKind(int index) const;
    // -1 when no record is selected.
    int SelectedIndex() const { return m_selected; }
    bool Changed() const { return m_changed; }
    // The four fields as shown (and the selected record's name).
    const ServerRecord& Fields() const { return m_fields; }
    const std::string& FieldText(Field field) const;

    // A name chosen from the list: the fields show that record.
    void ChooseRecord(int index);
    // A new name typed into the list's edit part and left with no list entry
    // selected: a record with that name and the values in the four fields is
    // appended and selected. False, with a message, when the name is refused.
    bool EnterNewName(const std::string& name);
    // A field left (or OK pressed): the selected record takes the text as it
    // is. False, with a message, when the text is refused (an address or port
    // that cannot be logged in to, a comma or line break the file cannot
    // hold); the record keeps its value.
    bool EditField(Field field, const std::string& text);

    // The choice "game server / manager": the selected record goes to the file
    // of `kind`, after its records (and so to the end of Records()). False, with a message, when it
    // cannot: no record selected, the other file could not be read, a record of that kind already
    // has its name (a name may stand once in each file), or it is the last record of the dialog's
    // own file.
    bool ChooseKind(ConnectionKind kind);

    // "Delete Server": removes the selected record unless it is the last one.
    bool CanDelete() const;
    void DeleteServer();

    // OK: rebuilds both texts, the favourite mark before the selected
    // record's name in its file (the other file keeps its own favourite).
    void Ok();
    // After OK: whether the other kind's text changed (and so its file must
    // be saved).
    bool OtherChanged() const { return m_otherChanged; }

  private:
    void ShowSelected();
    int CountOfKind(ConnectionKind kind) const;
    std::string BuildText(ConnectionKind kind) const;

    std::string& m_serversText;
    std::string* m_otherText;
    UserDialogs& m_dialogs;
    ConnectionKind m_kind;
    std::vector<ServerRecord> m_records;
    std::vector<ConnectionKind> m_kinds;  // each record's kind
    std::vector<bool> m_favourites;       // the records marked when the dialog opened
    bool m_otherChanged = false;
    int m_selected = -1;
    bool m_changed = false;
    ServerRecord m_fields;
};

}  // namespace tavrin
