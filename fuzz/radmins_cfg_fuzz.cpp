// radmins.cfg as it may lie on disk (hand-edited, damaged), through the
// reader, a round trip, and the Admins tab's clicks on what was read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/value_text.h"
#include "manager/admin_accounts.h"
#include "support/silent_host.h"

namespace {
using tavrin::testing::Check;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavrin;
    const std::string text(reinterpret_cast<const char*>(data), size);

    const AdminAccountsFile file = ParseAdminAccounts(text);
    Check(file.accounts.size() <= kMaxAdminAccounts);
    Check(file.problems.size() <= kMaxAdminFileProblems + 1);
    for (const AdminAccount& a : file.accounts) {
        for (const std::string* cell : {&a.name, &a.user, &a.pass, &a.rights, &a.guid})
            Check(cell->find('\n') == std::string::npos);
        Check(ParseRightsText(a.rights).has_value());
        // Read as four upper-case digits, whatever the file held.
        Check(a.rights == IntToHex4(*ParseRightsText(a.rights)));
        Check(!a.guid.empty());
        Check(a.status == kStatusOffline && a.lastActivity == kConnectionEnded);
    }

    // What is written reads back as it was, without a problem.
    const AdminAccountsFile again = ParseAdminAccounts(BuildAdminAccounts(file.accounts));
    Check(again.accounts == file.accounts);
    Check(again.problems.empty());

    // The tab's clicks keep every rights cell valid and the selection in range.
    CAdmins admins(file.accounts);
    for (size_t i = 0; i < size && i < 64; ++i) {
        const uint8_t b = data[i];
        switch (b % 7) {
            case 0:
                admins.ClickRow(b / 7 % 8 - 1);
                break;
            case 1:
                admins.ClickRight(b / 7 % 16, b & 0x80);
                break;
            case 2:
                admins.ClickGroup(static_cast<RightsGroup>(b / 7 % 3), b & 0x80);
                break;
            case 3:
                admins.ClickSelectAll(b & 0x80);
                break;
            case 4:
                admins.NewAdmin();
                break;
            case 5:
                admins.DelAdmin();
                break;
            case 6:
                admins.EditCell(admins.SelectedRow(), static_cast<AdminColumn>(b / 7 % 7),
                                text.substr(i, b % 5));
                break;
        }
        Check(admins.SelectedRow() >= -1 && admins.SelectedRow() < admins.AccountCount());
    }
    for (const AdminAccount& a : admins.Rows()) Check(ParseRightsText(a.rights).has_value());
    Check(ParseAdminAccounts(admins.FileText()).accounts.size() == admins.Rows().size());
    return 0;
}
