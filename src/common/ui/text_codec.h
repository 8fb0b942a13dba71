#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin {

// Texts from the wire and the files are Windows-1252 bytes. Every widget
// decodes them here for display and encodes here what a person types.
QString FromWire(std::string_view bytes);

// The Windows-1252 bytes of `text`, or nullopt when a character has no
// Windows-1252 form: such text is refused, never replaced silently.
std::optional<std::string> ToWire(const QString& text);

// The message a view shows when ToWire refuses a text.
QString NotEncodableMessage(const QString& text);

}  // namespace tavrin
