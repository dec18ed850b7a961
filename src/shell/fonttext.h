#pragma once

#include "colortext.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace hoedeck {

// A font as the settings files store it: "\"Arial\", 10, [Bold|Italic], [cl3DLight]".
struct FontSpec {
    QString name = QStringLiteral("Arial");
    int size = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    ColorValue color = color::cl3DLight;

    bool operator==(const FontSpec&) const = default;
};

QString fontToText(const FontSpec& font);
// The font's styles as words, in the order Bold, Italic, Underline, Strikeout.
QStringList fontStyles(const FontSpec& font);

// Reads the fields by their positions between the commas, so a font name holding a comma
// cannot be stored. Nothing when the text does not have that shape.
std::optional<FontSpec> fontFromText(const QString& text);

} // namespace hoedeck
