#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// Where a weapon may be had. The value is the list column that carries the
// mark (column 0 is the name, column 4 the hidden number).
enum class WeaponState { Always = 1, Armory = 2, Never = 3 };

struct WeaponStateWords {
    WeaponState state;
    std::string_view header;       // the list column
    std::string_view replyWord;    // found anywhere in a "weapon list" line
    std::string_view commandWord;  // ends "weapon set <number>"
    std::string_view setAllCommand;
};

// In the order a reply line is tested: the last word found wins.
inline constexpr std::array<WeaponStateWords, 3> kWeaponStates = {{
    {WeaponState::Always, "Y", "ALWAYS", " ALWAYS", "weapon set all always"},
    {WeaponState::Armory, "A", "ARMORY", " ARMORY", "weapon set all armory"},
    {WeaponState::Never, "N", "NEVER", " NEVER", "weapon set all never"},
}};

inline constexpr std::string_view kWeaponListCommand = "weapon list";

// The reply router's tests: a "weapon list" reply, and the server's result
// of a weapons command, which the router answers with "weapon list".
inline bool IsWeaponListReply(std::string_view reply) {
    return reply.find("WPN_Remmington") != std::string_view::npos;
}
inline bool IsWeaponsResultReply(std::string_view reply) {
    return (reply.find("OK - Weap") != std::string_view::npos ||
            reply.find("OK - All weap") != std::string_view::npos) &&
           reply.find("ERROR") == std::string_view::npos;
}

struct WeaponRow {
    std::string name;    // without its "WPN_" prefix
    std::string number;  // the text before the line's first "."
    WeaponState state = WeaponState::Always;

    bool operator==(const WeaponRow&) const = default;
};

// The weapons availability list, in the order of the server's reply.
class WeaponsList {
  public:
    // Reads a "weapon list" reply: one row per line that holds "WPN_". A line
    // repeated in the reply counts once. Later replies overwrite the rows in
    // order, so the list keeps its place, and bring it to the reply's length.
    void Parse(std::string_view reply);

    // A click on a cell. Moves the row's mark to a "Y", "A" or "N" column and
    // returns the command that sets it on the server; nothing for another
    // column, a row that does not exist or the column already marked.
    std::optional<std::string> Click(size_t row, int column);

    // Marks every row and returns the command that sets every weapon.
    std::string SetAll(WeaponState state);

    const std::vector<WeaponRow>& Rows() const { return m_rows; }

  private:
    std::vector<WeaponRow> m_rows;
};

}  // namespace tavrin
