#pragma once

#include <cstdint>
#include <string>

#include "link/reply_router.h"

namespace tavrin {

// The console's models, as a page listens to them: each notice of the
// console says which of them changed, and each page redraws only on its own.
enum class ModelChange : uint32_t {
    Players = 1u << 0,   // the player list, its tallies and the count history
    Missions = 1u << 1,  // the mission lists and the catalogue
    Settings = 1u << 2,  // the game settings and whether the tab can send
    Weapons = 1u << 3,   // the weapons list
    Chat = 1u << 4,      // the ChatBot's chat rows
    Caught = 1u << 5,    // the players the ChatBot has caught, and their sanctions
    Admins = 1u << 6,    // the manager's admin accounts
    Rights = 1u << 7,    // what the account of a remote console may send
};

// A set of models.
class ModelChanges {
  public:
    constexpr ModelChanges() = default;
    constexpr ModelChanges(ModelChange change) : m_bits(static_cast<uint32_t>(change)) {}

    constexpr bool Has(ModelChange change) const {
        return (m_bits & static_cast<uint32_t>(change)) != 0;
    }
    constexpr bool Empty() const { return m_bits == 0; }
    constexpr ModelChanges operator|(ModelChanges other) const {
        return FromBits(m_bits | other.m_bits);
    }
    constexpr bool operator==(const ModelChanges&) const = default;

  private:
    static constexpr ModelChanges FromBits(uint32_t bits) {
        ModelChanges c;
        c.m_bits = bits;
        return c;
    }
    uint32_t m_bits = 0;
};

constexpr ModelChanges operator|(ModelChange a, ModelChange b) {
    return ModelChanges(a) | b;
}

// What happens to the console, beside a routed reply, that changes models.
enum class ModelEvent {
    // The files of the program folder are read: the ChatBot's configuration
    // (with --chatbot it is on), and in a DebugMode build canned replies.
    StartUp,
    ManagerStartUp,  // the same in the manager role, which also reads its admin accounts
    NewConnection,   // a connection starts: the mission lists and the ChatBot's rows are emptied
    CanSend,         // whether a command can go out changed: the Settings tab locks or may unlock
    ClockTick,       // the second's tick: the ChatBot's sanctions pass
    ConfigurationRead,  // the account, ChatBot and admin menu files read again
};

// The models a routed reply of `kind` changed: the model that parsed it.
ModelChanges ChangesOfReply(ReplyKind kind);
// The models `event` changes.
ModelChanges ChangesOfEvent(ModelEvent event);

// "players, chat": the models of `changes` by name, in the order above.
std::string ModelChangesText(ModelChanges changes);

}  // namespace tavrin
