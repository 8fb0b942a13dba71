// Feeds "weapon list" replies to the weapons list, twice so later replies
// overwrite the rows of the first.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/weapons_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    tavrin::WeaponsList list;
    list.Parse(reply.substr(0, size / 2));
    list.Parse(reply);
    for (size_t row = 0; row <= list.Rows().size(); ++row)
        for (int column = 0; column <= 4; ++column) list.Click(row, column);
    return 0;
}
