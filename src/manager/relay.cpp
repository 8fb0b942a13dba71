#include "manager/relay.h"

namespace tavrin {

bool IsRelayedReply(const RouteResult& result) {
    return result.acted && result.replyClass > kReplyNone;
}

std::optional<std::string> RelayedText(int awaited, const RouteResult& result,
                                       const std::string& text) {
    if (!IsRelayedReply(result) || !AnswersAwaited(awaited, result.replyClass)) return std::nullopt;
    if (text.empty() && result.replyClass == kReplyChat) return std::string(kNoChat);
    return text;
}

}  // namespace tavrin
