#include "app/model_change.h"

#include <array>
#include <string_view>
#include <utility>

namespace tavrin {
namespace {

constexpr std::pair<ReplyKind, ModelChanges> kReplyChanges[] = {
    {ReplyKind::PlayerList, ModelChange::Players},
    {ReplyKind::MissionList, ModelChange::Missions},
    {ReplyKind::MissionChange, ModelChange::Missions},
    {ReplyKind::Chat, ModelChange::Chat},
    {ReplyKind::GameSettings, ModelChange::Settings},
    {ReplyKind::SettingChanged, ModelChange::Settings},
    {ReplyKind::Weapons, ModelChange::Weapons},
    {ReplyKind::WeaponChanged, ModelChange::Weapons},
};

constexpr std::pair<ModelEvent, ModelChanges> kEventChanges[] = {
    {ModelEvent::StartUp, ModelChange::Players | ModelChange::Missions | ModelChange::Chat},
    {ModelEvent::ManagerStartUp,
     ModelChange::Players | ModelChange::Missions | ModelChange::Chat | ModelChange::Admins},
    {ModelEvent::NewConnection, ModelChange::Missions | ModelChange::Chat},
    {ModelEvent::CanSend, ModelChange::Settings},
    {ModelEvent::ClockTick, ModelChange::Caught},
    {ModelEvent::ConfigurationRead, ModelChange::Admins | ModelChange::Chat},
};

constexpr std::array<std::pair<ModelChange, std::string_view>, 8> kNames{{
    {ModelChange::Players, "players"},
    {ModelChange::Missions, "missions"},
    {ModelChange::Settings, "settings"},
    {ModelChange::Weapons, "weapons"},
    {ModelChange::Chat, "chat"},
    {ModelChange::Caught, "caught"},
    {ModelChange::Admins, "admins"},
    {ModelChange::Rights, "rights"},
}};

}  // namespace

ModelChanges ChangesOfReply(ReplyKind kind) {
    for (const auto& [k, changes] : kReplyChanges)
        if (k == kind) return changes;
    return {};
}

ModelChanges ChangesOfEvent(ModelEvent event) {
    for (const auto& [e, changes] : kEventChanges)
        if (e == event) return changes;
    return {};
}

std::string ModelChangesText(ModelChanges changes) {
    std::string text;
    for (const auto& [change, name] : kNames) {
        if (!changes.Has(change)) continue;
        if (!text.empty()) text += ", ";
        text += name;
    }
    return text;
}

}  // namespace tavrin
