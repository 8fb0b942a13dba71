#include "players/context_menu.h"

#include <algorithm>

namespace tavrin {
namespace {

// The command with `id` anywhere in the tree; const or not as `level` is.
template <class Level>
auto FindIn(Level& level, int id) -> decltype(&level.front()) {
    for (auto& item : level) {
        if (item.kind == MenuItem::Kind::Command && item.id == id) return &item;
        if (item.kind == MenuItem::Kind::Submenu) {
            if (auto* found = FindIn(item.children, id)) return found;
        }
    }
    return nullptr;
}

MenuLevel::iterator InsertionPoint(MenuLevel& menu, std::optional<int> position) {
    const int size = static_cast<int>(menu.size());
    int at = size;
    if (position) at = *position < 0 ? std::max(0, size + *position) : std::min(*position, size);
    return menu.begin() + at;
}

}  // namespace

bool AddMenuPath(MenuLevel& menu, std::string_view path, int id, std::optional<int> position) {
    if (std::count(path.begin(), path.end(), '\\') > kMaxMenuDepth) return false;
    const size_t slash = path.find('\\');
    if (slash == std::string_view::npos) {
        MenuItem item;
        if (id == 0) {
            item.kind = MenuItem::Kind::Separator;
        } else {
            item.text = path;
            item.id = id;
        }
        menu.insert(InsertionPoint(menu, position), std::move(item));
        return true;
    }
    const std::string_view head = path.substr(0, slash);
    const std::string_view tail = path.substr(slash + 1);
    for (auto& item : menu) {
        if (item.kind == MenuItem::Kind::Submenu && item.text == head)
            return AddMenuPath(item.children, tail, id);
    }
    MenuItem submenu;
    submenu.kind = MenuItem::Kind::Submenu;
    submenu.text = head;
    if (!AddMenuPath(submenu.children, tail, id)) return false;
    menu.insert(InsertionPoint(menu, position), std::move(submenu));
    return true;
}

void CContextMenu::BuildFromText(std::string_view text) {
    m_items.clear();
    m_lines.clear();
    for (int n = 1;; ++n) {
        const size_t end = text.find('\n');
        if (end == 0 || end == std::string_view::npos) break;
        const std::string_view line = text.substr(0, end);
        m_lines.emplace_back(line);
        AddMenuPath(m_items, line, line == "-" ? 0 : n);  // id 0: a separator
        text.remove_prefix(end + 1);
    }
}

bool CContextMenu::SetEnabled(int id, bool enabled) {
    MenuItem* item = FindIn(m_items, id);
    if (!item) return false;
    item->enabled = enabled;
    return true;
}

bool CContextMenu::SetToolTip(int id, std::string tip) {
    MenuItem* item = FindIn(m_items, id);
    if (!item) return false;
    item->tip = std::move(tip);
    return true;
}

const MenuItem* CContextMenu::FindCommand(int id) const {
    return FindIn(m_items, id);
}

std::string CContextMenu::ChosenLine(int id) const {
    const MenuItem* item = FindCommand(id);
    if (!item || !item->enabled || id < 1 || id > static_cast<int>(m_lines.size())) return {};
    return m_lines[id - 1];
}

int CContextMenu::TrackAndGetChoice(PopupMenus& popups, std::string& chosenLine) const {
    const int id = popups.TrackPopup(*this);
    chosenLine = ChosenLine(id);
    return chosenLine.empty() ? 0 : id;
}

}  // namespace tavrin
