#include "common/server_details.h"

#include "common/address_entry.h"

namespace tavrin {
namespace {

// servers.cfg has no escaping: a comma in any field but the last one, or a
// line break anywhere, would split or shift the record when read back.
std::string Refusal(std::string_view text, bool commaAllowed) {
    if (text.find_first_of("\r\n") != std::string_view::npos)
        return "Line breaks cannot be used in server details";
    if (!commaAllowed && text.find(',') != std::string_view::npos)
        return "Commas cannot be used in a server name, address, RAT port or username";
    return {};
}

template <class Record>
auto& FieldOf(Record& r, CConDets::Field field) {
    switch (field) {
        case CConDets::Field::Address:
            return r.address;
        case CConDets::Field::Port:
            return r.port;
        case CConDets::Field::Username:
            return r.username;
        case CConDets::Field::Password:
            break;
    }
    return r.password;
}

constexpr ConnectionKind OtherKind(ConnectionKind kind) {
    return kind == ConnectionKind::GameServer ? ConnectionKind::Manager
                                              : ConnectionKind::GameServer;
}

std::string KindWords(ConnectionKind kind) {
    return kind == ConnectionKind::GameServer ? "game server" : "manager";
}

}  // namespace

CConDets::CConDets(std::string& serversText, int startIndex, UserDialogs& dialogs,
                   ConnectionKind kind, std::string* otherText)
    : m_serversText(serversText), m_otherText(otherText), m_dialogs(dialogs), m_kind(kind) {
    ServerList list = ParseServerList(serversText);
    m_records = std::move(list.records);
    m_kinds.assign(m_records.size(), kind);
    m_favourites.assign(m_records.size(), false);
    if (list.favourite >= 0) m_favourites[list.favourite] = true;
    if (m_otherText) {
        ServerList other = ParseServerList(*m_otherText);
        const ConnectionKind otherKind = OtherKind(kind);
        for (size_t i = 0; i < other.records.size(); ++i) {
            m_records.push_back(std::move(other.records[i]));
            m_kinds.push_back(otherKind);
            m_favourites.push_back(static_cast<int>(i) == other.favourite);
        }
    }
    m_selected = list.favourite >= 0 ? list.favourite : startIndex;
    if (m_selected < 0 || m_selected >= static_cast<int>(m_records.size())) m_selected = -1;
    // With no record to show, the Address field (an IP-address entry) reads
    // as the unset address.
    m_fields.address = kUnsetAddress;
    ShowSelected();
}

ConnectionKind CConDets::RecordKind(int index) const {
    return index >= 0 && index < static_cast<int>(m_kinds.size()) ? m_kinds[index] : m_kind;
}

std::string CConDets::ListText(int index) const {
    if (index < 0 || index >= static_cast<int>(m_records.size())) return {};
    const std::string& name = m_records[index].name;
    return m_kinds[index] == ConnectionKind::Manager ? name + " (manager)" : name;
}

ConnectionKind CConDets::SelectedKind() const {
    return RecordKind(m_selected);
}

int CConDets::IndexInKind(int index) const {
    if (index < 0 || index >= static_cast<int>(m_kinds.size())) return -1;
    int at = 0;
    for (int i = 0; i < index; ++i)
        if (m_kinds[i] == m_kinds[index]) ++at;
    return at;
}

int CConDets::CountOfKind(ConnectionKind kind) const {
    int count = 0;
    for (ConnectionKind k : m_kinds)
        if (k == kind) ++count;
    return count;
}

bool CConDets::ChooseKind(ConnectionKind kind) {
    if (m_selected < 0) return false;
    const ConnectionKind from = m_kinds[m_selected];
    if (kind == from) return true;
    const std::string& name = m_records[m_selected].name;
    std::string refusal;
    if (!m_otherText) {
        refusal = std::string(ConnectionFile(OtherKind(m_kind)).fileName) +
                  " could not be read: " + name + " stays a " + KindWords(from);
    } else if (from == m_kind && CountOfKind(m_kind) < 2) {
        refusal = "The last " + KindWords(from) + " cannot become a " + KindWords(kind) + ": " +
                  std::string(ConnectionFile(from).fileName) + " keeps one record";
    } else {
        for (size_t i = 0; i < m_records.size(); ++i)
            if (m_kinds[i] == kind && m_records[i].name == name)
                refusal = "A " + KindWords(kind) + " named " + name + " is already listed";
    }
    if (!refusal.empty()) {
        m_dialogs.ShowMessage(refusal);
        return false;
    }
    // The record joins the end of its new file's records.
    ServerRecord record = std::move(m_records[m_selected]);
    m_records.erase(m_records.begin() + m_selected);
    m_kinds.erase(m_kinds.begin() + m_selected);
    m_favourites.erase(m_favourites.begin() + m_selected);
    m_records.push_back(std::move(record));
    m_kinds.push_back(kind);
    // A favourite of its old file is no favourite of the new one.
    m_favourites.push_back(false);
    m_selected = static_cast<int>(m_records.size()) - 1;
    m_changed = true;
    return true;
}

const std::string& CConDets::FieldText(Field field) const {
    return FieldOf(m_fields, field);
}

void CConDets::ShowSelected() {
    if (m_selected >= 0) m_fields = m_records[m_selected];
}

void CConDets::ChooseRecord(int index) {
    if (index < 0 || index >= static_cast<int>(m_records.size())) return;
    m_selected = index;
    ShowSelected();
    m_changed = true;
}

bool CConDets::EnterNewName(const std::string& name) {
    if (name.empty()) return false;
    std::string refusal = Refusal(name, false);
    if (refusal.empty() && name.find(kFavouriteMark) != std::string::npos)
        refusal = "A server name cannot contain " + std::string(kFavouriteMark);
    if (!refusal.empty()) {
        m_dialogs.ShowMessage(refusal);
        return false;
    }
    ServerRecord record = m_fields;
    record.name = name;
    // An empty Address field reads as the unset address.
    if (record.address.empty()) record.address = kUnsetAddress;
    m_records.push_back(std::move(record));
    // A new record is of the kind the fields showed.
    m_kinds.push_back(SelectedKind());
    m_favourites.push_back(false);
    m_selected = static_cast<int>(m_records.size()) - 1;
    ShowSelected();
    m_changed = true;
    return true;
}

bool CConDets::EditField(Field field, const std::string& text) {
    std::string refusal = Refusal(text, field == Field::Password);
    if (refusal.empty() && field == Field::Address) refusal = AddressRefusal(text);
    if (refusal.empty() && field == Field::Port) refusal = PortRefusal(text);
    if (!refusal.empty()) {
        m_dialogs.ShowMessage(refusal);
        return false;
    }
    // An empty address entry reads as the unset address.
    std::string value = field == Field::Address && text.empty() ? std::string(kUnsetAddress) : text;
    FieldOf(m_fields, field) = value;
    if (m_selected < 0) return true;
    std::string& stored = FieldOf(m_records[m_selected], field);
    if (stored != value) {
        stored = std::move(value);
        m_changed = true;
    }
    return true;
}

bool CConDets::CanDelete() const {
    // The dialog's own file keeps one record; the other may be emptied.
    return m_selected >= 0 && (m_kinds[m_selected] != m_kind || CountOfKind(m_kind) >= 2);
}

void CConDets::DeleteServer() {
    if (!CanDelete()) return;
    m_records.erase(m_records.begin() + m_selected);
    m_kinds.erase(m_kinds.begin() + m_selected);
    m_favourites.erase(m_favourites.begin() + m_selected);
    if (m_selected > 0) --m_selected;
    ShowSelected();
    m_changed = true;
}

std::string CConDets::BuildText(ConnectionKind kind) const {
    std::vector<ServerRecord> records;
    int favourite = -1;
    const bool selectedHere = m_selected >= 0 && m_kinds[m_selected] == kind;
    for (size_t i = 0; i < m_records.size(); ++i) {
        if (m_kinds[i] != kind) continue;
        const bool marked = selectedHere ? static_cast<int>(i) == m_selected : m_favourites[i];
        if (marked && favourite < 0) favourite = static_cast<int>(records.size());
        records.push_back(m_records[i]);
    }
    return BuildServerList(records, favourite);
}

void CConDets::Ok() {
    m_serversText = BuildText(m_kind);
    if (!m_otherText) return;
    std::string other = BuildText(OtherKind(m_kind));
    m_otherChanged = other != *m_otherText;
    *m_otherText = std::move(other);
}

}  // namespace tavrin
