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

}  // namespace
}  // namespace tavrin
