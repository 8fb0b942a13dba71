// adminmenu.cfg as it may lie on disk, through the admin popup menu and the
// editor's load, an edit of the first row and OK.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "players/admin_menu.h"
#include "players/context_menu.h"
#include "support/silent_host.h"

namespace {

using tavrin::testing::Check;

// Every command sits within the depth bound and carries the id of a line.
void CheckLevel(const tavrin::MenuLevel& level, int depth, int lines) {
    Check(depth <= tavrin::kMaxMenuDepth);
    for (const tavrin::MenuItem& item : level) {
        if (item.kind == tavrin::MenuItem::Kind::Command) Check(item.id >= 1 && item.id <= lines);
        if (item.kind == tavrin::MenuItem::Kind::Submenu)
            CheckLevel(item.children, depth + 1, lines);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavrin;
    const std::string all(reinterpret_cast<const char*>(data), size);
    // After a NUL byte: what the user types into the first row's cells.
    const size_t nul = all.find('\0');
    const std::string text = all.substr(0, nul);
    tavrin::testing::SilentDialogs dialogs;

    if (std::optional<std::string> entries = AdminMenuEntries(text)) {
        for (const char* heading :
             {"[WARN]\n", "[PUNT]\n", "[KILL]\n", "[BAN]\n", "[SWAP]\n", "[ZERO]\n"})
            Check(entries->find(heading) == std::string::npos);
    }

    if (std::optional<CContextMenu> menu = BuildAdminMenu(text, dialogs)) {
        const int lines = static_cast<int>(menu->SourceLines().size());
        CheckLevel(menu->Items(), 0, lines);
        for (int id = -1; id <= lines + 1; ++id) {
            const std::string line = menu->ChosenLine(id);
            if (line.empty()) continue;
            Check(line == menu->SourceLines()[id - 1]);
            Check(line.find('\\') != std::string::npos);  // only actions can be chosen
        }
    }

    // The editor's OK, read back, gives the complete rows again, in order.
    CAdminMenu editor(dialogs);
    editor.LoadRows(text);
    if (nul != std::string::npos && !editor.Rows().empty()) {
        const std::string typed = all.substr(nul + 1);
        editor.EditCell(0, CAdminMenu::Column::Text, typed);
        editor.EditCell(0, CAdminMenu::Column::Command, typed.substr(0, typed.size() / 2));
    }
    const std::string saved = editor.Ok();
    Check(saved.rfind(std::string(kAdminMenuFormatLine) + "\n", 0) == 0);
    std::vector<AdminMenuRow> kept;
    for (const AdminMenuRow& row : editor.Rows()) {
        if (row.ticked && !row.command.empty() && !row.text.empty()) kept.push_back(row);
    }
    CAdminMenu reread(dialogs);
    reread.LoadRows(saved);
    Check(reread.Rows() == kept);
    Check(reread.Ok() == saved);
    return 0;
}
