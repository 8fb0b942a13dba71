#pragma once

// Which admins get a copy of a game-server reply. Each admin waits for at
// most one reply class, set by its last command; a routed reply of that class
// goes to every admin waiting for it, whoever's command it answers.

#include <optional>
#include <string>
#include <string_view>

#include "link/reply_router.h"
#include "link/session_types.h"

namespace tavrin {

// What an admin waiting for chat gets for an empty chat reply.
inline constexpr std::string_view kNoChat = "[NO CHAT]";

// A reply is relayed when the router carried it out and it has a class: a
// game-state reply, a refusal ("USAGE", "ERROR") and a reply that answered
// nothing have none.
bool IsRelayedReply(const RouteResult& result);

// Whether an admin waiting for `awaited` is answered by a reply of class
// `replyClass`.
constexpr bool AnswersAwaited(int awaited, int replyClass) {
    return awaited > 0 && awaited == replyClass;
}

// The text an admin waiting for `awaited` receives of a routed reply, or
// nullopt when it receives nothing.
std::optional<std::string> RelayedText(int awaited, const RouteResult& result,
                                       const std::string& text);

}  // namespace tavrin
