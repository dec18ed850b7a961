#include "colors.h"

#include <array>

namespace hoedeck {

namespace {
// The classic desktop theme, by theme colour index (0x00BBGGRR like a plain colour).
constexpr std::array<ColorValue, 31> kTheme = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0};
} // namespace

QColor toQColor(ColorValue value) {
    if (value == color::clNone)
        return QColor(Qt::transparent);
    if (value == color::clDefault)
        return QColor();
    ColorValue plain = value;
    if (color::isSystem(value)) {
        const ColorValue index = value & 0xFF;
        plain = index < kTheme.size() ? kTheme[index] : 0;
    }
    return QColor(color::red(plain), color::green(plain), color::blue(plain));
}

QFont toQFont(const FontSpec& stored) {
    QFont font(stored.name, stored.size);
    font.setBold(stored.bold);
    font.setItalic(stored.italic);
    font.setUnderline(stored.underline);
    font.setStrikeOut(stored.strikeout);
    return font;
}

FontSpec fromQFont(const QFont& font, const FontSpec& base) {
    FontSpec chosen = base;
    chosen.name = font.family();
    chosen.size = font.pointSize() > 0 ? font.pointSize() : base.size;
    chosen.bold = font.bold();
    chosen.italic = font.italic();
    chosen.underline = font.underline();
    chosen.strikeout = font.strikeOut();
    return chosen;
}

} // namespace hoedeck
