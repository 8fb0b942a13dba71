#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// One entry of a popup menu: a command with its id, a separator, or a
// submenu with its own entries.
struct MenuItem {
    enum class Kind { Command, Separator, Submenu };
    Kind kind = Kind::Command;
    std::string text;  // the command's text or the submenu's title
    int id = 0;        // command id, 0 for separators and submenus
    bool enabled = true;
    std::string tip;                 // why a greyed command cannot be chosen; empty for none
    std::vector<MenuItem> children;  // a submenu's entries

    bool operator==(const MenuItem&) const = default;
};

using MenuLevel = std::vector<MenuItem>;

// Deeper paths are refused, so a line of many backslashes from a file cannot
// build an unbounded menu.
inline constexpr int kMaxMenuDepth = 16;

// Inserts `path` into `menu`: text before the first backslash names a
// submenu (found by exact title or created), the rest goes into it; a path
// without a backslash becomes a command with `id`, or a separator when `id`
// is 0. `position` places the entry in this level (end when absent; a
// negative one counts from the end, -1 being before the last entry; clamped).
// False when nothing was inserted.
bool AddMenuPath(MenuLevel& menu, std::string_view path, int id,
                 std::optional<int> position = std::nullopt);

class CContextMenu;

// The host shows a popup menu and waits for a choice: the chosen command's
// id, 0 when the person chose nothing.
class PopupMenus {
  public:
    virtual ~PopupMenus() = default;
    virtual int TrackPopup(const CContextMenu& menu) = 0;
};

// A popup menu built from lines of text, each line ended by a line feed. Line
// n (from 1) gets command id n, separators included, so a chosen id maps back
// to its whole line.
class CContextMenu {
  public:
    // Builds the menu from `text`: stops at the first empty line and at a last
    // line without a line feed. A line "-" is a separator at the top level.
    void BuildFromText(std::string_view text);

    const MenuLevel& Items() const { return m_items; }
    const std::vector<std::string>& SourceLines() const { return m_lines; }

    // Greys (false) or enables the command with `id`; false when there is no
    // such command.
    bool SetEnabled(int id, bool enabled);
    // The tooltip of the command with `id`; false when there is no such command.
    bool SetToolTip(int id, std::string tip);
    // The command with `id`, or null.
    const MenuItem* FindCommand(int id) const;

    // The whole source line of an enabled command, empty for anything else
    // (0, a separator, a greyed or unknown id).
    std::string ChosenLine(int id) const;

    // Shows the menu through `popups`; returns the chosen id and its line, or
    // 0 and an empty line when nothing (or nothing valid) was chosen.
    int TrackAndGetChoice(PopupMenus& popups, std::string& chosenLine) const;

  private:
    MenuLevel m_items;
    std::vector<std::string> m_lines;
};

}  // namespace tavrin
