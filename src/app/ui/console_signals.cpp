#include "app/ui/console_signals.h"

#include <utility>

#include "common/ui/text_codec.h"

namespace tavrin {

void ConsoleSignals::FieldChanged(Field field, const std::string& text) {
    emit fieldChanged(field, FromWire(text));
}

void ConsoleSignals::ControlChanged(Control control, bool on) {
    emit controlChanged(control, on);
}

void ConsoleSignals::ReplyRouted(const RouteResult& result, const std::string& text) {
    emit replyRouted(result.kind, result.replyClass);
    emit replyTextRouted(result.kind, FromWire(text));
}

void ConsoleSignals::ModelsChanged(ModelChanges changes) {
    using Signal = void (ConsoleSignals::*)();
    static constexpr std::pair<ModelChange, Signal> kSignals[] = {
        {ModelChange::Players, &ConsoleSignals::playersChanged},
        {ModelChange::Missions, &ConsoleSignals::missionsChanged},
        {ModelChange::Settings, &ConsoleSignals::settingsChanged},
        {ModelChange::Weapons, &ConsoleSignals::weaponsChanged},
        {ModelChange::Chat, &ConsoleSignals::chatChanged},
        {ModelChange::Caught, &ConsoleSignals::caughtChanged},
        {ModelChange::Admins, &ConsoleSignals::adminsChanged},
        {ModelChange::Rights, &ConsoleSignals::rightsChanged},
    };
    for (const auto& [change, signal] : kSignals)
        if (changes.Has(change)) emit(this->*signal)();
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
