#include "common/ui/text_codec.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(TextCodec, Windows1252BothWays) {
    const struct {
        std::string bytes;
        QString text;
    } cases[] = {
        {"Punt \x96 language", QStringLiteral("Punt \u2013 language")},  // en dash
        {"\x80 caf\xe9 \x8a\x9f", QStringLiteral("\u20ac caf\u00e9 \u0160\u0178")},
        {"plain", QStringLiteral("plain")},
        {"", QString()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FromWire(c.bytes), c.text) << c.bytes;
        const auto back = ToWire(c.text);
        ASSERT_TRUE(back.has_value()) << c.bytes;
        EXPECT_EQ(*back, c.bytes);
    }
}

TEST(TextCodec, ACharacterWithoutAWindows1252FormIsRefused) {
    for (const QString& text :
         {QStringLiteral("hi \u4e2d"), QStringLiteral("\U0001F600"), QStringLiteral("a ? \u0100")})
        EXPECT_FALSE(ToWire(text).has_value()) << text.toStdString();
    EXPECT_EQ(ToWire(QStringLiteral("what?")), std::optional<std::string>("what?"));
}

// The refusal names the first character that cannot be sent, by code point
// and place, in a message that can itself be shown as Windows-1252.
TEST(TextCodec, TheRefusalNamesTheFirstCharacterItCannotTake) {
    const QString prefix = QStringLiteral(
        "This text holds a character the game server cannot take "
        "(only Windows-1252 characters can be sent): ");
    const struct {
        QString text;
        QString named;
    } cases[] = {
        {QStringLiteral("hi \u4e2d and \u0100"),
         QStringLiteral("U+4E2D, character 4 of the text.")},
        {QStringLiteral("\u20ac\U0001F600"), QStringLiteral("U+1F600, character 2 of the text.")},
        {QStringLiteral("\U0001F600 \u2713"), QStringLiteral("U+1F600, character 1 of the text.")},
        {QStringLiteral("caf\u00e9 \u2713"), QStringLiteral("U+2713, character 6 of the text.")},
    };
    for (const auto& c : cases) {
        const QString message = NotEncodableMessage(c.text);
        EXPECT_EQ(message, prefix + c.named) << c.text.toStdString();
        EXPECT_TRUE(ToWire(message).has_value()) << c.text.toStdString();
    }
    EXPECT_FALSE(FirstNotEncodable(QStringLiteral("caf\u00e9")).has_value());
}

}  // namespace
}  // namespace tavrin
