#include "colortext.h"

#include <array>

namespace hoedeck {

namespace {

struct NamedColor {
    const char* name;
    ColorValue value;
};

constexpr ColorValue sys(ColorValue n) {
    return color::kSystemBit + n;
}

constexpr std::array<NamedColor, 49> kNames{{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clScrollBar", sys(0)},
    {"clBackground", sys(1)},
    {"clActiveCaption", sys(2)},
    {"clInactiveCaption", sys(3)},
    {"clMenu", sys(4)},
    {"clWindow", sys(5)},
    {"clWindowFrame", sys(6)},
    {"clMenuText", sys(7)},
    {"clWindowText", sys(8)},
    {"clCaptionText", sys(9)},
    {"clActiveBorder", sys(10)},
    {"clInactiveBorder", sys(11)},
    {"clAppWorkSpace", sys(12)},
    {"clHighlight", sys(13)},
    {"clHighlightText", sys(14)},
    {"clBtnFace", sys(15)},
    {"clBtnShadow", sys(16)},
    {"clGrayText", sys(17)},
    {"clBtnText", sys(18)},
    {"clInactiveCaptionText", sys(19)},
    {"clBtnHighlight", sys(20)},
    {"cl3DDkShadow", sys(21)},
    {"cl3DLight", sys(22)},
    {"clInfoText", sys(23)},
    {"clInfoBk", sys(24)},
    {"clGradientActiveCaption", sys(27)},
    {"clGradientInactiveCaption", sys(28)},
    {"clNone", color::clNone},
    {"clDefault", color::clDefault},
}};

} // namespace

QString colorToText(ColorValue value) {
    for (const auto& named : kNames)
        if (named.value == value)
            return QString::fromLatin1(named.name);
    return QStringLiteral("$%1").arg(value, 8, 16, QChar('0')).toUpper();
}

std::optional<ColorValue> colorFromText(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    for (const auto& named : kNames)
        if (t.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.value;

    QString digits = t;
    int base = 10;
    if (t.startsWith('$')) {
        digits = t.mid(1);
        base = 16;
    } else if (t.startsWith("0x", Qt::CaseInsensitive)) {
        digits = t.mid(2);
        base = 16;
    }
    if (base == 16 && (digits.startsWith('-') || digits.startsWith('+')))
        return std::nullopt;
    bool ok = false;
    const qlonglong number = digits.toLongLong(&ok, base);
    // Only what fits a 32-bit colour, written as a signed or an unsigned number.
    if (!ok || number < -2147483648LL || number > 0xFFFFFFFFLL)
        return std::nullopt;
    return static_cast<ColorValue>(static_cast<std::uint64_t>(number) & 0xFFFFFFFFu);
}

} // namespace hoedeck
