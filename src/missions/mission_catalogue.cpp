#include "missions/mission_catalogue.h"

namespace tavrin {

void MissionCatalogue::Append(std::string fileName, std::string description) {
    m_firstIndex.try_emplace(fileName, m_pairs.size());
    m_pairs.emplace_back(std::move(fileName), std::move(description));
}

void MissionCatalogue::Clear() {
    m_pairs.clear();
    m_firstIndex.clear();
}

std::optional<std::string_view> MissionCatalogue::Find(std::string_view fileName) const {
    auto it = m_firstIndex.find(std::string(fileName));
    if (it == m_firstIndex.end()) return std::nullopt;
    return m_pairs[it->second].second;
}

}  // namespace tavrin
