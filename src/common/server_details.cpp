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

}  // namespace

CConDets::CConDets(std::string& serversText, int startIndex, UserDialogs& dialogs)
    : m_serversText(serversText), m_dialogs(dialogs) {
    ServerList list = ParseServerList(serversText);
    m_records = std::move(list.records);
    m_selected = list.favourite >= 0 ? list.favourite : startIndex;
    if (m_selected < 0 || m_selected >= static_cast<int>(m_records.size())) m_selected = -1;
    // With no record to show, the Address field (an IP-address entry) reads
    // as the unset address.
    m_fields.address = kUnsetAddress;
    ShowSelected();
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
    return m_records.size() >= 2 && m_selected >= 0;
}

void CConDets::DeleteServer() {
    if (!CanDelete()) return;
    m_records.erase(m_records.begin() + m_selected);
    if (m_selected > 0) --m_selected;
    ShowSelected();
    m_changed = true;
}

void CConDets::Ok() {
    m_serversText = BuildServerList(m_records, m_selected);
}

}  // namespace tavrin
