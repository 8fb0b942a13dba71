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
class CConDets {
  public:
    enum class Field { Address, Port, Username, Password };

    // Opens on `serversText` (kept by reference; OK rebuilds it). The selected
    // index starts at `startIndex` unless a record carries the favourite mark.
    CConDets(std::string& serversText, int startIndex, UserDialogs& dialogs);

    const std::vector<ServerRecord>& Records() const { return m_records; }
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

    // "Delete Server": removes the selected record unless it is the last one.
    bool CanDelete() const;
    void DeleteServer();

    // OK: rebuilds the servers list text, the favourite mark before the
    // selected record's name.
    void Ok();

  private:
    void ShowSelected();

    std::string& m_serversText;
    UserDialogs& m_dialogs;
    std::vector<ServerRecord> m_records;
    int m_selected = -1;
    bool m_changed = false;
    ServerRecord m_fields;
};

}  // namespace tavrin
