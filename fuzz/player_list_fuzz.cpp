// The player list parser, host toggle, header sort and export over arbitrary
// replies. The first byte picks Show Host and the columns clicked.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "players/player_list.h"

namespace {

int Sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t options = data[0];
    std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);

    (void)tavrin::IsPlayerListReply(reply);
    tavrin::PlayerList list;
    list.ToggleShowHost(options & 1);
    const tavrin::PlayerCounts counts = list.ParsePlayerList(reply);
    const auto& rows = list.Rows();
    if (counts.total != static_cast<int32_t>(rows.size())) __builtin_trap();
    if (rows.size() > tavrin::kMaxPlayerListFields / tavrin::kFieldsPerRecord - 1) __builtin_trap();

    // Sorting only reorders the rows, and the comparison is antisymmetric.
    std::vector<tavrin::PlayerRow> before = rows;
    list.SortByColumn((options >> 1) % tavrin::kPlayerColumnCount);
    list.SortByColumn((options >> 4) % tavrin::kPlayerColumnCount);
    std::vector<tavrin::PlayerRow> after = rows;
    // Rows with the same cells may differ in their picture: order by both.
    auto byContent = [](const auto& a, const auto& b) {
        return std::tie(a.cells, a.image) < std::tie(b.cells, b.image);
    };
    std::sort(before.begin(), before.end(), byContent);
    std::sort(after.begin(), after.end(), byContent);
    if (before != after) __builtin_trap();
    for (size_t i = 1; i < rows.size(); ++i) {
        for (int c = 0; c < tavrin::kPlayerColumnCount; ++c) {
            const std::string& a = rows[i - 1].cells[c];
            const std::string& b = rows[i].cells[c];
            if (Sign(tavrin::CompareCells(a, b)) != -Sign(tavrin::CompareCells(b, a)))
                __builtin_trap();
        }
    }

    list.ToggleShowHost(!(options & 1));
    list.ToggleShowHost(options & 1);
    std::string exported;
    if (list.ExportPlayerList(exported) != static_cast<int>(list.Rows().size())) __builtin_trap();
    if (!rows.empty()) (void)list.FindPlayerIdByName(rows.back().cells[tavrin::kColumnName]);
    return 0;
}
