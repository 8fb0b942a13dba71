#include "common/ui/text_codec.h"

#include <QList>
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

std::optional<NotEncodable> FirstNotEncodable(const QString& text) {
    qsizetype position = 0;
    for (const uint codePoint : text.toUcs4()) {
        ++position;
        const auto one = static_cast<char32_t>(codePoint);
        if (!ToWire(QString::fromUcs4(&one, 1))) return NotEncodable{position, one};
    }
    return std::nullopt;
}

QString NotEncodableMessage(const QString& text) {
    QString message = QStringLiteral(
        "This text holds a character the game server cannot take "
        "(only Windows-1252 characters can be sent):");
    if (const auto first = FirstNotEncodable(text)) {
        const QString hex = QString::number(static_cast<uint>(first->codePoint), 16)
                                .toUpper()
                                .rightJustified(4, QLatin1Char('0'));
        message += QStringLiteral(" U+%1, character %2 of the text.").arg(hex).arg(first->position);
    }
    return message;
}

}  // namespace tavrin
