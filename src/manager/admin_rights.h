#pragma once

// The fourteen rights of an admin account: one bit each, in the order of the
// Admins tab's check boxes, in three groups.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin {

using RightsMask = uint16_t;

enum class RightsGroup : int { ServerManager, GameServer, PlayerAdmin };

struct RightInfo {
    int bit;
    RightsMask value;
    std::string_view name;  // the check box's caption
    RightsGroup group;
};

inline constexpr std::array<RightInfo, 14> kRights = {{
    {0, 0x0001, "Admin List", RightsGroup::ServerManager},
    {1, 0x0002, "Chat Bot", RightsGroup::ServerManager},
    {2, 0x0004, "Admin Menu", RightsGroup::ServerManager},
    {3, 0x0008, "Messages", RightsGroup::ServerManager},
    {4, 0x0010, "Cycle To next", RightsGroup::GameServer},
    {5, 0x0020, "Use Saved Lists", RightsGroup::GameServer},
    {6, 0x0040, "Live Cycle Order", RightsGroup::GameServer},
    {7, 0x0080, "Game Settings", RightsGroup::GameServer},
    {8, 0x0100, "Warn", RightsGroup::PlayerAdmin},
    {9, 0x0200, "Punt", RightsGroup::PlayerAdmin},
    {10, 0x0400, "Swap", RightsGroup::PlayerAdmin},
    {11, 0x0800, "Kill", RightsGroup::PlayerAdmin},
    {12, 0x1000, "Ban", RightsGroup::PlayerAdmin},
    {13, 0x2000, "Zero", RightsGroup::PlayerAdmin},
}};

struct RightsGroupInfo {
    RightsGroup group;
    std::string_view name;  // the frame around the group's boxes
    RightsMask mask;
};

inline constexpr std::array<RightsGroupInfo, 3> kRightsGroups = {{
    {RightsGroup::ServerManager, "Server Manager", 0x000F},
    {RightsGroup::GameServer, "Game Server", 0x00F0},
    {RightsGroup::PlayerAdmin, "Player Admin", 0x3F00},
}};

// "Select All" in the frame "Full Access": every right, and no other bit is
// ever set.
inline constexpr RightsMask kFullAccess = 0x3FFF;

// Names of the rights, for the code that needs one by meaning.
enum Right : RightsMask {
    kRightAdminList = 0x0001,
    kRightChatBot = 0x0002,
    kRightAdminMenu = 0x0004,
    kRightMessages = 0x0008,
    kRightCycleToNext = 0x0010,
    kRightUseSavedLists = 0x0020,
    kRightLiveCycleOrder = 0x0040,
    kRightGameSettings = 0x0080,
    kRightWarn = 0x0100,
    kRightPunt = 0x0200,
    kRightSwap = 0x0400,
    kRightKill = 0x0800,
    kRightBan = 0x1000,
    kRightZero = 0x2000,
};

constexpr RightsMask GroupMask(RightsGroup group) {
    for (const auto& g : kRightsGroups)
        if (g.group == group) return g.mask;
    return 0;
}

namespace rights_checks {
constexpr bool TableIsConsistent() {
    RightsMask all = 0;
    for (size_t i = 0; i < kRights.size(); ++i) {
        const RightInfo& r = kRights[i];
        if (r.bit != static_cast<int>(i) || r.value != (1u << r.bit)) return false;
        if ((GroupMask(r.group) & r.value) == 0) return false;
        all |= r.value;
    }
    RightsMask groups = 0;
    for (const auto& g : kRightsGroups) {
        if ((groups & g.mask) != 0) return false;
        groups |= g.mask;
    }
    return all == kFullAccess && groups == kFullAccess;
}
static_assert(TableIsConsistent());
}  // namespace rights_checks

// The caption of each right in `mask`, in table order, joined by " or "
// ("Messages or Warn").
inline std::string RightNames(RightsMask mask) {
    std::string names;
    for (const auto& r : kRights) {
        if ((mask & r.value) == 0) continue;
        if (!names.empty()) names += " or ";
        names += r.name;
    }
    return names;
}

}  // namespace tavrin
