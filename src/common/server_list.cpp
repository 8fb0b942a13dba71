#include "common/server_list.h"

#include <unordered_set>

#include "common/address_entry.h"
#include "common/config_file.h"
#include "common/server_details.h"
#include "common/text_file.h"

namespace tavrin {
namespace {

// Takes the text up to the next comma (or to the end when `last`).
bool TakeField(std::string_view& rest, std::string& field, bool last) {
    if (last) {
        field.assign(rest);
        return true;
    }
    size_t comma = rest.find(',');
    if (comma == std::string_view::npos) return false;
    field.assign(rest.substr(0, comma));
    rest.remove_prefix(comma + 1);
    return true;
}

// Removes the favourite mark wherever it stands in the name; true when there
// was one.
bool StripFavouriteMark(std::string& name) {
    bool found = false;
    for (size_t at; (at = name.find(kFavouriteMark)) != std::string::npos;) {
        name.erase(at, kFavouriteMark.size());
        found = true;
    }
    return found;
}

}  // namespace

bool ParseServerLine(std::string_view line, ServerRecord& record) {
    ServerRecord r;
    std::string_view rest = line;
    if (!TakeField(rest, r.name, false) || !TakeField(rest, r.address, false) ||
        !TakeField(rest, r.port, false) || !TakeField(rest, r.username, false))
        return false;
    TakeField(rest, r.password, true);
    record = std::move(r);
    return true;
}

ServerList ParseServerList(std::string_view text) {
    ServerList list;
    // Duplicates are whole lines; a line that only ends like another one is a
    // record of its own. A last line without a line feed still counts.
    std::unordered_set<std::string_view> seen;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!seen.insert(line).second) continue;
        ServerRecord record;
        if (!ParseServerLine(line, record)) continue;
        if (StripFavouriteMark(record.name) && list.favourite < 0)
            list.favourite = static_cast<int>(list.records.size());
        list.records.push_back(std::move(record));
    }
    return list;
}

std::string BuildServerList(const std::vector<ServerRecord>& records, int favourite) {
    std::string text;
    for (size_t i = 0; i < records.size(); ++i) {
        const ServerRecord& r = records[i];
        if (static_cast<int>(i) == favourite) text += kFavouriteMark;
        text +=
            r.name + ',' + r.address + ',' + r.port + ',' + r.username + ',' + r.password + '\n';
    }
    return text;
}

ServerRecord FavouriteRecord(std::string_view text) {
    ServerList list = ParseServerList(text);
    if (list.records.empty()) return {};
    return list.records[list.favourite >= 0 ? list.favourite : 0];
}

std::string ServerListPath(const std::string& programDir, ConnectionKind kind) {
    return programDir + "Configs" + kPathSeparator + std::string(ConnectionFile(kind).fileName);
}

std::string LoadServerList(const std::string& programDir, EventSink& log, UserDialogs& dialogs,
                           ConnectionKind kind) {
    // The records hold passwords: a new file is readable by its owner only.
    return LoadConfigText(ServerListPath(programDir, kind), ConnectionFile(kind).defaults,
                          FileAccess::OwnerOnly, &log, &dialogs);
}

bool SaveServerList(const std::string& programDir, const std::string& text, EventSink& log,
                    ConnectionKind kind) {
    std::string failure;
    if (WriteTextFile(ServerListPath(programDir, kind), text, WriteMode::Replace, &failure,
                      FileAccess::OwnerOnly))
        return true;
    log.LogEvent(failure);
    return false;
}

int FindServerRecord(const ServerList& list, std::string_view name) {
    for (size_t i = 0; i < list.records.size(); ++i)
        if (list.records[i].name == name) return static_cast<int>(i);
    return -1;
}

std::string ServerFolderName(std::string_view name) {
    // Byte by byte: a path separator of either system, a drive colon and a
    // control byte become "_", so the name is one folder and no line of a
    // listing breaks; a dot that starts the name or follows a dot becomes
    // "_", so neither "." nor ".." (nor a hidden folder) can be made. An
    // empty name is "_".
    std::string folder;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unsafe = c == '/' || c == '\\' || c == ':' || byte < 0x20 || byte == 0x7f ||
                            (c == '.' && (folder.empty() || folder.back() == '.'));
        folder += unsafe ? '_' : c;
    }
    return folder.empty() ? "_" : folder;
}

void CServer::Load(const std::string& programDir, std::string_view record, ConnectionKind kind) {
    m_programDir = programDir;
    m_kind = kind;
    m_serversText = LoadServerList(programDir, m_log, m_dialogs, kind);
    m_details = FavouriteRecord(m_serversText);
    if (record.empty()) return;
    const ServerList list = ParseServerList(m_serversText);
    if (const int at = FindServerRecord(list, record); at >= 0) m_details = list.records[at];
}

bool CServer::Login() {
    if (!m_loginEnabled) return false;
    const ServerRecord& d = m_details;
    if (d.address.empty() || d.address == kUnsetAddress || d.port.empty() || d.username.empty() ||
        d.password.empty()) {
        m_dialogs.ShowMessage(std::string(kCheckServerDetails));
        return false;
    }
    // servers.cfg may have been written by hand: what the dialog would have
    // refused is not logged in to either.
    for (const std::string& refusal : {AddressRefusal(d.address), PortRefusal(d.port)}) {
        if (refusal.empty()) continue;
        m_dialogs.ShowMessage(std::string(kCheckServerDetails) + ": " + refusal);
        return false;
    }
    m_loginEnabled = false;
    return true;
}

CConDets CServer::OpenDetails() {
    const ConnectionKind other =
        m_kind == ConnectionKind::GameServer ? ConnectionKind::Manager : ConnectionKind::GameServer;
    TextFileRead read = ReadTextFile(ServerListPath(m_programDir, other));
    m_otherReadable = read.status != TextFileRead::Status::Unreadable;
    m_otherText = read.status == TextFileRead::Status::Read ? std::move(read.text) : std::string();
    return CConDets(m_serversText, m_index, m_dialogs, m_kind,
                    m_otherReadable ? &m_otherText : nullptr);
}

void CServer::AcceptDetails(CConDets& dialog) {
    dialog.Ok();
    const int selected = dialog.SelectedIndex();
    if (selected >= 0 && dialog.RecordKind(selected) == m_kind) {
        m_index = dialog.IndexInKind(selected);
        m_details = dialog.Records()[selected];
    } else {
        // The chosen record went to the other file: this tab shows its own
        // file's favourite.
        const ServerList list = ParseServerList(m_serversText);
        m_index = list.favourite >= 0 ? list.favourite : (list.records.empty() ? -1 : 0);
        m_details = m_index >= 0 ? list.records[m_index] : ServerRecord{};
    }
    if (dialog.Changed()) SaveServerList(m_programDir, m_serversText, m_log, m_kind);
    if (m_otherReadable && dialog.OtherChanged()) {
        const ConnectionKind other = m_kind == ConnectionKind::GameServer
                                         ? ConnectionKind::Manager
                                         : ConnectionKind::GameServer;
        SaveServerList(m_programDir, m_otherText, m_log, other);
    }
}

}  // namespace tavrin
