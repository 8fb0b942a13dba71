#include "common/ui/text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tavrin {

QString FromWire(std::string_view bytes) {
    QStringDecoder decode("windows-1252");
    return decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::optional<std::string> ToWire(const QString& text) {
    QStringEncoder encode("windows-1252");
    const QByteArray bytes = encode(text);
    if (encode.hasError()) return std::nullopt;
    // An encoder may stand in a '?' for a character it cannot map without
    // flagging it: the round trip tells.
    if (FromWire(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))) != text)
        return std::nullopt;
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString NotEncodableMessage(const QString& text) {
    return QStringLiteral(
               "This text holds a character the game server cannot take "
               "(only Windows-1252 characters can be sent): ") +
           text;
}

}  // namespace tavrin
