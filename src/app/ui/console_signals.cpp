#include "app/ui/console_signals.h"

#include "common/ui/text_codec.h"

namespace tavrin {

void ConsoleSignals::FieldChanged(Field field, const std::string& text) {
    emit fieldChanged(field, FromWire(text));
}

void ConsoleSignals::ControlChanged(Control control, bool on) {
    emit controlChanged(control, on);
}

void ConsoleSignals::ReplyRouted(const RouteResult& result, const std::string&) {
    emit replyRouted(result.kind, result.replyClass);
}

void ConsoleSignals::EventLineWritten(const std::string& line) {
    std::string_view text = line;
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    emit eventLineWritten(FromWire(text));
}

void ConsoleSignals::ChatTextWritten(const std::string& block) {
    emit chatTextWritten(FromWire(block));
}

void ConsoleSignals::LogWriteFailed(const std::string& failure) {
    emit logWriteFailed(FromWire(failure));
}

}  // namespace tavrin
