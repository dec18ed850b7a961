#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace hoedeck {

// A colour as the settings files store it: 0x00BBGGRR for a plain colour, 0x80000000 + n for
// the theme's colour n, clNone and clDefault for the two special values.
using ColorValue = std::uint32_t;

namespace color {
constexpr ColorValue kSystemBit = 0x80000000u;
constexpr ColorValue clNone = 0x1FFFFFFFu;
constexpr ColorValue clDefault = 0x20000000u;
constexpr ColorValue clBlack = 0x000000u;
constexpr ColorValue clTeal = 0x808000u;
constexpr ColorValue clYellow = 0x00FFFFu;
constexpr ColorValue clRed = 0x0000FFu;
constexpr ColorValue clWhite = 0xFFFFFFu;
constexpr ColorValue cl3DLight = kSystemBit + 22;
constexpr ColorValue clWindowText = kSystemBit + 8;
constexpr ColorValue clBtnFace = kSystemBit + 15;

constexpr ColorValue rgb(int r, int g, int b) {
    return ColorValue(r & 0xFF) | ColorValue(g & 0xFF) << 8 | ColorValue(b & 0xFF) << 16;
}
constexpr int red(ColorValue c) {
    return int(c & 0xFF);
}
constexpr int green(ColorValue c) {
    return int(c >> 8 & 0xFF);
}
constexpr int blue(ColorValue c) {
    return int(c >> 16 & 0xFF);
}
constexpr bool isSystem(ColorValue c) {
    return (c & kSystemBit) != 0;
}
} // namespace color

// The colour's name when it has one of the 49 names, otherwise "$" and eight upper-case
// hexadecimal digits ("$0080FFFF").
QString colorToText(ColorValue value);

// A name (any case) or a number: "$" or "0x" for hexadecimal, otherwise decimal, negative
// numbers taken as their 32-bit pattern. Nothing for any other text.
std::optional<ColorValue> colorFromText(const QString& text);

} // namespace hoedeck
