#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/event_log.h"
#include "common/user_dialogs.h"

namespace tavrin {

// One line of servers.cfg: name "," address "," port "," username "," password.
// The password runs to the line end and so may hold commas; the other fields
// may not.
struct ServerRecord {
    std::string name;
    std::string address;
    std::string port;
    std::string username;
    std::string password;

    bool operator==(const ServerRecord&) const = default;
};

inline constexpr std::string_view kDefaultServerList =
    "New Connection,0.0.0.0,40000,username,pinecode\n";

// The files of connection records, one line format for both: game servers
// (servers.cfg) and managers whose Admin Port the console logs in to as a
// remote admin (managers.cfg). Both hold passwords.
enum class ConnectionKind { GameServer, Manager };

struct ConnectionFileInfo {
    ConnectionKind kind;
    std::string_view fileName;  // in the Configs folder
    // What a missing file becomes: the servers list's one line; no manager.
    std::string_view defaults;
};

inline constexpr std::array<ConnectionFileInfo, 2> kConnectionFiles = {{
    {ConnectionKind::GameServer, "servers.cfg", kDefaultServerList},
    {ConnectionKind::Manager, "managers.cfg", ""},
}};

constexpr const ConnectionFileInfo& ConnectionFile(ConnectionKind kind) {
    return kConnectionFiles[kind == ConnectionKind::GameServer ? 0 : 1];
}
// Put directly before the name of the record shown at start.
inline constexpr std::string_view kFavouriteMark = "*FAV*";
// What an empty address field reads; it means "not set".
inline constexpr std::string_view kUnsetAddress = "0.0.0.0";
inline constexpr std::string_view kCheckServerDetails = "Check Server details";

// The records of a servers list text, each distinct line once, in the order
// of first appearance. Lines with fewer than four commas are skipped. The
// favourite is the first record whose name carried the mark (removed from the
// name), -1 when none did.
struct ServerList {
    std::vector<ServerRecord> records;
    int favourite = -1;
};
ServerList ParseServerList(std::string_view text);

// Splits one line (without its line feed); false when it has fewer than four
// commas.
bool ParseServerLine(std::string_view line, ServerRecord& record);

// The file text of the records, one line each, the mark before the name of
// record `favourite` (none when out of range).
std::string BuildServerList(const std::vector<ServerRecord>& records, int favourite);

// The record the Server tab shows at start: the favourite, else the first
// record, else an empty record.
ServerRecord FavouriteRecord(std::string_view text);

// Configs/servers.cfg, or the file of the records of that kind.
std::string ServerListPath(const std::string& programDir,
                           ConnectionKind kind = ConnectionKind::GameServer);

// The index of the first record named `name` (as shown, without the
// favourite mark), -1 when none is.
int FindServerRecord(const ServerList& list, std::string_view name);

// A record's name made safe as one folder's name, for the day folders of a
// console that runs several servers: the name stays readable and never
// leaves the folder it is put in.
std::string ServerFolderName(std::string_view name);

// Reads Configs/servers.cfg (or the file of `kind`, which is read and written
// the same way). A missing file becomes the default line, which is
// written out at once (owner-only: the file holds passwords). A file that is
// there but cannot be read holds the user's servers and passwords: it is left
// alone, the user is told (a message and an event-log line) and the default
// line is used in memory only. Nothing writes the file then but the user's own
// save, an OK of the Server Details dialog after a change.
std::string LoadServerList(const std::string& programDir, EventSink& log, UserDialogs& dialogs,
                           ConnectionKind kind = ConnectionKind::GameServer);

// Replaces Configs/servers.cfg (or the file of `kind`) whole; a failure is
// logged and returned as false.
bool SaveServerList(const std::string& programDir, const std::string& text, EventSink& log,
                    ConnectionKind kind = ConnectionKind::GameServer);

class CConDets;

// The Server tab: the servers list, the login details of the chosen server
// (read-only fields Record, Server IP address, RAT port number, Username,
// Password) and the Login/Logout/Change buttons. The tab's game-state and
// Connection Started fields are the session's; the system information is the
// console's.
class CServer {
  public:
    CServer(EventSink& log, UserDialogs& dialogs) : m_log(log), m_dialogs(dialogs) {}

    // Loads the servers list from `programDir` (ending with the separator) and
    // shows the record named `record`; the favourite when `record` is empty
    // or no record has that name. `kind` picks the file: servers.cfg, or
    // managers.cfg for a console that is a remote admin of a manager.
    void Load(const std::string& programDir, std::string_view record = {},
              ConnectionKind kind = ConnectionKind::GameServer);
    // Shows `record`, which no file holds (a command line gave it).
    void UseRecord(ServerRecord record) { m_details = std::move(record); }
    // The kind of record the tab shows: what a login connects to.
    ConnectionKind Kind() const { return m_kind; }

    const std::string& ServersText() const { return m_serversText; }
    // Record name, address, port, user name and password as shown; what a
    // login uses.
    const ServerRecord& LoginDetails() const { return m_details; }
    int RecordIndex() const { return m_index; }

    bool LoginEnabled() const { return m_loginEnabled; }
    bool ChangeEnabled() const { return m_loginEnabled; }
    // The session disables Login and Change while it connects or reconnects
    // and enables them again when it gives up.
    void SetLoginEnabled(bool enabled) { m_loginEnabled = enabled; }

    // Button "Login": true when the details are complete and the caller should
    // post the connect request; Login and Change are then disabled. Incomplete
    // details show "Check Server details".
    bool Login();
    // Button "Logout": enables Login and Change; the caller then posts the
    // logout request.
    void Logout() { m_loginEnabled = true; }

    // Button "Change": the Server Details dialog on this tab's servers list
    // and the other kind's file, read again now (a missing file is empty and
    // is not made; one that cannot be read keeps its records to itself).
    CConDets OpenDetails();
    // The dialog closed with OK: it rebuilds the servers list, this tab shows
    // its selected record (its file's favourite when the selected record is
    // of the other kind), and a changed list is saved; so is the other
    // kind's file when a record moved to or from it. (Cancel: just drop the
    // dialog.)
    void AcceptDetails(CConDets& dialog);

  private:
    EventSink& m_log;
    UserDialogs& m_dialogs;
    std::string m_programDir;
    std::string m_serversText;
    std::string m_otherText;  // the other kind's file, while the dialog is open
    bool m_otherReadable = false;
    ConnectionKind m_kind = ConnectionKind::GameServer;
    int m_index = 0;
    ServerRecord m_details;
    bool m_loginEnabled = true;
};

}  // namespace tavrin
