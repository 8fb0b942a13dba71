#include "settings/weapons_list.h"

#include <unordered_set>

namespace tavrin {

namespace {

const WeaponStateWords& WordsOf(WeaponState state) {
    return kWeaponStates[static_cast<size_t>(state) - 1];
}

WeaponRow ReadWeaponLine(std::string_view line, size_t wpn) {
    WeaponRow row;
    // The name runs to the end of the line; text after it stays part of it.
    std::string_view rest = line.substr(wpn);
    for (size_t at = rest.find("WPN_"); at != std::string_view::npos; at = rest.find("WPN_")) {
        row.name += rest.substr(0, at);
        rest.remove_prefix(at + 4);
    }
    row.name += rest;
    // A line without a number leaves the row without one, so a click never
    // sets the weapon that held the row before.
    size_t dot = line.find('.');
    if (dot != std::string_view::npos) row.number = line.substr(0, dot);
    for (const auto& words : kWeaponStates)
        if (line.find(words.replyWord) != std::string_view::npos) row.state = words.state;
    return row;
}

}  // namespace

void WeaponsList::Parse(std::string_view reply) {
    std::unordered_set<std::string_view> seen;
    size_t row = 0;
    while (!reply.empty()) {
        size_t end = reply.find('\n');
        std::string_view line = reply.substr(0, end);
        reply = end == std::string_view::npos ? std::string_view() : reply.substr(end + 1);
        size_t wpn = line.find("WPN_");
        if (wpn == std::string_view::npos || !seen.insert(line).second) continue;
        WeaponRow parsed = ReadWeaponLine(line, wpn);
        if (row < m_rows.size())
            m_rows[row] = std::move(parsed);
        else
            m_rows.push_back(std::move(parsed));
        ++row;
    }
    m_rows.resize(row);
}

std::optional<std::string> WeaponsList::Click(size_t row, int column) {
    if (row >= m_rows.size() || column < 1 || column > 3) return std::nullopt;
    auto state = static_cast<WeaponState>(column);
    if (m_rows[row].state == state) return std::nullopt;
    m_rows[row].state = state;
    return "weapon set " + m_rows[row].number + std::string(WordsOf(state).commandWord);
}

std::string WeaponsList::SetAll(WeaponState state) {
    for (auto& row : m_rows) row.state = state;
    return std::string(WordsOf(state).setAllCommand);
}

}  // namespace tavrin
