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

// The position (in characters, from 1) and code point of the first character
// of `text` that has no Windows-1252 form; nullopt when there is none.
struct NotEncodable {
    qsizetype position;
    char32_t codePoint;
};
std::optional<NotEncodable> FirstNotEncodable(const QString& text);

// The message a view shows when ToWire refuses a text: it names the first
// character that cannot be sent, by its code point and place (the character
// itself could not be shown in a message of Windows-1252 text). The message
// is always Windows-1252.
QString NotEncodableMessage(const QString& text);

}  // namespace tavrin
