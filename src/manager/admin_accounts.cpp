#include "manager/admin_accounts.h"

#include <algorithm>

#include "common/text_file.h"
#include "common/value_text.h"

namespace tavrin {
namespace {

constexpr std::array<std::string_view, 5> kKeys = {"Name=", "User=", "Pass=", "Rights=", "Guid="};

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool HasControlByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 32 || b == 127;
    });
}

// Collects a file's problems: the first ones in full, the rest counted.
class Problems {
  public:
    void Add(std::string line) {
        if (m_lines.size() < kMaxAdminFileProblems)
            m_lines.push_back(std::move(line));
        else
            ++m_more;
    }
    std::vector<std::string> Take() {
        if (m_more > 0)
            m_lines.push_back("radmins.cfg: " + std::to_string(m_more) + " more problems");
        return std::move(m_lines);
    }

  private:
    std::vector<std::string> m_lines;
    size_t m_more = 0;
};

std::string AtLine(size_t line) {
    return "radmins.cfg line " + std::to_string(line) + ": ";
}

}  // namespace

bool ConstantTimeEquals(std::string_view a, std::string_view b) {
    // Every byte of the longer text is looked at, whatever the contents.
    const size_t n = std::max(a.size(), b.size());
    unsigned diff = a.size() == b.size() ? 0u : 1u;
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(i < a.size() ? a[i] : 0);
        const auto y = static_cast<unsigned char>(i < b.size() ? b[i] : 0);
        diff |= static_cast<unsigned>(x ^ y);
    }
    return diff == 0;
}

std::optional<RightsMask> ParseRightsText(std::string_view text) {
    if (text.empty() || text.size() > 4 || !std::all_of(text.begin(), text.end(), IsHexDigit))
        return std::nullopt;
    const uint32_t value = HexToInt(text);
    if (value > kFullAccess) return std::nullopt;
    return static_cast<RightsMask>(value);
}

AdminAccountsFile ParseAdminAccounts(std::string_view text) {
    AdminAccountsFile file;
    Problems problems;
    AdminAccount account;
    size_t key = 0;         // the key the next line must start with
    size_t blockLine = 0;   // where the open block started
    bool skipping = false;  // after a broken block, until the next "Name="
    bool ended = false;
    size_t lineNo = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNo;
        if (line == kAdminsEndMark) {
            if (key != 0)
                problems.Add(AtLine(blockLine) + "account skipped: [END] came before its " +
                             std::string(kKeys[key]) + " line");
            ended = true;
            break;
        }
        if (skipping && !StartsWith(line, kKeys[0])) continue;
        skipping = false;
        if (key == 0 && line.empty()) continue;
        if (!StartsWith(line, kKeys[key])) {
            problems.Add(AtLine(lineNo) + "account skipped: expected a " + std::string(kKeys[key]) +
                         " line");
            key = 0;
            // A new block may start right here.
            if (!StartsWith(line, kKeys[0])) {
                skipping = true;
                continue;
            }
        }
        std::string value(line.substr(kKeys[key].size()));
        switch (key) {
            case 0:
                account = AdminAccount{};
                blockLine = lineNo;
                account.name = std::move(value);
                break;
            case 1:
                account.user = std::move(value);
                break;
            case 2:
                account.pass = std::move(value);
                break;
            case 3: {
                const std::optional<RightsMask> rights = ParseRightsText(value);
                if (!rights) {
                    // The account is named so that it can be found and mended;
                    // the rights text itself is not repeated.
                    problems.Add(AtLine(lineNo) + "account \"" + account.name.substr(0, 64) +
                                 "\" skipped: its rights are not 1 to 4 hexadecimal digits "
                                 "up to 3FFF");
                    key = 0;
                    skipping = true;
                    continue;
                }
                // Always four upper-case digits, at login and when saved.
                account.rights = IntToHex4(*rights);
                break;
            }
            case 4:
                account.guid = value.empty() ? std::string(kNoGuid) : std::move(value);
                break;
        }
        if (++key < kKeys.size()) continue;
        key = 0;
        if (file.accounts.size() >= kMaxAdminAccounts) {
            problems.Add(AtLine(blockLine) + "account skipped: more than " +
                         std::to_string(kMaxAdminAccounts) + " accounts");
            continue;
        }
        file.accounts.push_back(std::move(account));
    }
    if (!ended) {
        if (key != 0)
            problems.Add(AtLine(blockLine) + "account skipped: the file ends before its " +
                         std::string(kKeys[key]) + " line");
        problems.Add("radmins.cfg: no [END] line; the accounts before the end were read");
    }
    file.problems = problems.Take();
    return file;
}

std::string BuildAdminAccounts(const std::vector<AdminAccount>& accounts) {
    std::string text;
    for (const AdminAccount& a : accounts) {
        text += "Name=" + a.name + '\n';
        text += "User=" + a.user + '\n';
        text += "Pass=" + a.pass + '\n';
        text += "Rights=" + a.rights + '\n';
        text += "Guid=" + (a.guid.empty() ? std::string(kNoGuid) : a.guid) + '\n';
    }
    text += kAdminsEndMark;
    return text;
}

std::string AdminAccountsPath(const std::string& programDir) {
    return programDir + "Configs" + kPathSeparator + "radmins.cfg";
}

std::vector<AdminAccount> LoadAdminAccounts(const std::string& programDir, EventSink& log,
                                            UserDialogs& dialogs) {
    TextFileRead read = ReadTextFile(AdminAccountsPath(programDir));
    switch (read.status) {
        case TextFileRead::Status::Read:
            break;
        case TextFileRead::Status::Unreadable: {
            const std::string notice = UnreadableConfigNotice(read.failure);
            log.LogEvent(notice);
            dialogs.ShowMessage(notice);
            return {};
        }
        case TextFileRead::Status::Missing:
            return {};
    }
    AdminAccountsFile file = ParseAdminAccounts(read.text);
    for (const std::string& problem : file.problems) log.LogEvent(problem);
    return std::move(file.accounts);
}

// ---------------------------------------------------------------------------

CAdmins::CAdmins(std::vector<AdminAccount> accounts)
    : m_rows(std::move(accounts)), m_looks(m_rows.size(), RowLook::Plain) {}

int CAdmins::FindAccountByUser(std::string_view user) const {
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].user == user) return static_cast<int>(i);
    return -1;
}

bool CAdmins::CheckCredentials(int row, std::string_view user, std::string_view pass) const {
    if (row < 0 || row >= AccountCount()) return false;
    const AdminAccount& a = m_rows[static_cast<size_t>(row)];
    // Both are always compared, so the time says nothing about which failed.
    const bool userMatches = a.user == user;
    const bool passMatches = ConstantTimeEquals(a.pass, pass);
    return userMatches & passMatches;
}

std::string CAdmins::AccountCell(int row, AdminColumn column) const {
    if (row < 0 || row >= AccountCount()) return {};
    const AdminAccount& a = m_rows[static_cast<size_t>(row)];
    switch (column) {
        case AdminColumn::Name:
            return a.name;
        case AdminColumn::User:
            return a.user;
        case AdminColumn::Pass:
            return a.pass;
        case AdminColumn::Rights:
            return a.rights;
        case AdminColumn::Status:
            return a.status;
        case AdminColumn::Guid:
            return a.guid;
        case AdminColumn::LastActivity:
            return a.lastActivity;
        case AdminColumn::Count:
            break;
    }
    return {};
}

void CAdmins::SetOnline(int row, bool online) {
    if (row < 0 || row >= AccountCount()) return;
    AdminAccount& a = m_rows[static_cast<size_t>(row)];
    if (online) {
        a.status = kStatusOnline;
    } else {
        a.status = kConnectionEnded;
        a.lastActivity = kConnectionEnded;
    }
}

void CAdmins::SetLastActivity(int row, std::string text) {
    if (row < 0 || row >= AccountCount()) return;
    m_rows[static_cast<size_t>(row)].lastActivity = std::move(text);
}

RightsMask CAdmins::RightsOf(int row) const {
    if (row < 0 || row >= AccountCount()) return 0;
    return static_cast<RightsMask>(HexToInt(m_rows[static_cast<size_t>(row)].rights) & kFullAccess);
}

RowLook CAdmins::LookOf(int row) const {
    if (row < 0 || row >= AccountCount()) return RowLook::Plain;
    return m_looks[static_cast<size_t>(row)];
}

void CAdmins::Select(int row) {
    if (m_selected >= 0 && m_selected < AccountCount())
        m_looks[static_cast<size_t>(m_selected)] = RowLook::Deselected;
    m_selected = row >= 0 && row < AccountCount() ? row : -1;
    if (m_selected >= 0) m_looks[static_cast<size_t>(m_selected)] = RowLook::Selected;
}

void CAdmins::ClickRow(int row) {
    Select(row);
    if (m_selected >= 0) ShowRights();
}

void CAdmins::ShowRights() {
    if (m_selected < 0) return;
    const RightsMask rights = RightsOf(m_selected);
    for (size_t i = 0; i < kRights.size(); ++i) m_ticked[i] = (rights & kRights[i].value) != 0;
    for (size_t g = 0; g < kRightsGroups.size(); ++g)
        m_groups[g] = (rights & kRightsGroups[g].mask) == kRightsGroups[g].mask;
    m_selectAll = HexToInt(m_rows[static_cast<size_t>(m_selected)].rights) == kFullAccess;
}

void CAdmins::StoreRights() {
    RightsMask rights = 0;
    if (m_selectAll) {
        rights = kFullAccess;
    } else {
        for (size_t i = 0; i < kRights.size(); ++i)
            if (m_ticked[i]) rights |= kRights[i].value;
    }
    if (m_selected >= 0) m_rows[static_cast<size_t>(m_selected)].rights = IntToHex4(rights);
}

void CAdmins::SyncGroupsAndSelectAll() {
    m_selectAll = std::all_of(m_groups.begin(), m_groups.end(), [](bool on) { return on; });
}

bool CAdmins::RightTicked(int bit) const {
    return bit >= 0 && bit < static_cast<int>(kRights.size()) && m_ticked[static_cast<size_t>(bit)];
}

bool CAdmins::GroupTicked(RightsGroup group) const {
    const auto g = static_cast<size_t>(group);
    return g < m_groups.size() && m_groups[g];
}

void CAdmins::ClickSelectAll(bool ticked) {
    m_selectAll = ticked;
    m_groups.fill(ticked);
    m_ticked.fill(ticked);
    StoreRights();
}

void CAdmins::ClickGroup(RightsGroup group, bool ticked) {
    if (static_cast<size_t>(group) >= m_groups.size()) return;
    m_groups[static_cast<size_t>(group)] = ticked;
    for (size_t i = 0; i < kRights.size(); ++i)
        if (kRights[i].group == group) m_ticked[i] = ticked;
    SyncGroupsAndSelectAll();
    StoreRights();
}

void CAdmins::ClickRight(int bit, bool ticked) {
    if (bit < 0 || bit >= static_cast<int>(kRights.size())) return;
    m_ticked[static_cast<size_t>(bit)] = ticked;
    const RightsGroup group = kRights[static_cast<size_t>(bit)].group;
    bool all = true;
    for (size_t i = 0; i < kRights.size(); ++i)
        if (kRights[i].group == group) all = all && m_ticked[i];
    m_groups[static_cast<size_t>(group)] = all;
    SyncGroupsAndSelectAll();
    StoreRights();
}

void CAdmins::NewAdmin() {
    m_rows.emplace_back();
    m_looks.push_back(RowLook::Plain);
    Select(AccountCount() - 1);
    ShowRights();
}

void CAdmins::DelAdmin() {
    if (m_selected < 0) return;
    const auto at = static_cast<size_t>(m_selected);
    m_rows.erase(m_rows.begin() + static_cast<long>(at));
    m_looks.erase(m_looks.begin() + static_cast<long>(at));
    if (m_selected >= AccountCount()) m_selected = AccountCount() - 1;
    if (m_selected < 0) return;
    m_looks[static_cast<size_t>(m_selected)] = RowLook::Selected;
    // The boxes follow the row now selected, so that the next click on one
    // never writes the deleted account's rights to its neighbour.
    ShowRights();
}

bool CAdmins::Editable(AdminColumn column) {
    return column == AdminColumn::Name || column == AdminColumn::User ||
           column == AdminColumn::Pass || column == AdminColumn::Guid;
}

Result<std::string> CAdmins::EditCell(int row, AdminColumn column, std::string text) {
    if (row < 0 || row >= AccountCount()) return Result<std::string>::Failure("No such account");
    if (!Editable(column))
        return Result<std::string>::Failure(
            std::string(kAdminColumnNames[static_cast<size_t>(column)]) + " is not edited here");
    if (HasControlByte(text))
        return Result<std::string>::Failure("Line breaks and control characters are not allowed");
    if (text.size() > kMaxAdminCellText)
        return Result<std::string>::Failure("At most " + std::to_string(kMaxAdminCellText) +
                                            " characters");
    AdminAccount& a = m_rows[static_cast<size_t>(row)];
    switch (column) {
        case AdminColumn::Name:
            a.name = std::move(text);
            return Result<std::string>::Success(a.name);
        case AdminColumn::User:
            a.user = std::move(text);
            return Result<std::string>::Success(a.user);
        case AdminColumn::Pass:
            a.pass = std::move(text);
            return Result<std::string>::Success(a.pass);
        default:
            a.guid = text.empty() ? std::string(kNoGuid) : std::move(text);
            return Result<std::string>::Success(a.guid);
    }
}

Result<std::string> CAdmins::SaveList(const std::string& programDir, EventSink& log) const {
    const std::string path = AdminAccountsPath(programDir);
    std::string failure;
    if (WriteTextFile(path, FileText(), WriteMode::Replace, &failure, FileAccess::OwnerOnly))
        return Result<std::string>::Success(path);
    log.LogEvent(failure);
    return Result<std::string>::Failure(failure);
}

void CAdmins::Load(const std::string& programDir, EventSink& log, UserDialogs& dialogs) {
    ReplaceRows(LoadAdminAccounts(programDir, log, dialogs));
}

void CAdmins::ReplaceRows(std::vector<AdminAccount> rows) {
    m_rows = std::move(rows);
    m_looks.assign(m_rows.size(), RowLook::Plain);
    m_selected = -1;
}

}  // namespace tavrin
