#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tavrin {

// The descriptive names of the server's missions, as (file name, description)
// pairs in the order of the available-missions reply they came from. Filled
// from the first such reply of a connection and then kept unchanged.
class MissionCatalogue {
  public:
    bool Empty() const { return m_pairs.empty(); }
    const std::vector<std::pair<std::string, std::string>>& Pairs() const { return m_pairs; }

    void Append(std::string fileName, std::string description);
    void Clear();

    // The description of the first pair whose file name equals `fileName`
    // exactly, or nothing.
    std::optional<std::string_view> Find(std::string_view fileName) const;

  private:
    std::vector<std::pair<std::string, std::string>> m_pairs;
    // File name to the index of its first pair, so a cycle of hundreds of
    // missions is named without a search per row.
    std::unordered_map<std::string, size_t> m_firstIndex;
};

}  // namespace tavrin
