#include "fonttext.h"

#include <QStringList>

namespace hoedeck {

QStringList fontStyles(const FontSpec& font) {
    QStringList styles;
    if (font.bold)
        styles << "Bold";
    if (font.italic)
        styles << "Italic";
    if (font.underline)
        styles << "Underline";
    if (font.strikeout)
        styles << "Strikeout";
    return styles;
}

QString fontToText(const FontSpec& font) {
    // One pass over all four: a name holding "%1" must stay text, not become a place marker
    // for the arguments after it.
    return QStringLiteral("\"%1\", %2, [%3], [%4]")
        .arg(font.name, QString::number(font.size), fontStyles(font).join('|'),
             colorToText(font.color));
}

namespace {

// Takes the text before the first comma of rest, dropping `lead` characters at its start and
// `trail` at its end, and removes it with the comma from rest.
std::optional<QString> takeField(QString& rest, int lead, int trail) {
    const qsizetype comma = rest.indexOf(',');
    if (comma < 0 || comma < lead + trail)
        return std::nullopt;
    QString field = rest.mid(lead, comma - lead - trail);
    rest.remove(0, comma + 1);
    return field;
}

} // namespace

std::optional<FontSpec> fontFromText(const QString& text) {
    QString rest = text;
    const auto name = takeField(rest, 1, 1);  // "Name"
    const auto size = takeField(rest, 1, 0);  //  10
    const auto style = takeField(rest, 2, 1); //  [Bold|Italic]
    if (!name || !size || !style || rest.size() < 3)
        return std::nullopt;
    const auto color = colorFromText(rest.mid(2, rest.size() - 3)); //  [clTeal]

    bool ok = false;
    const int points = size->toInt(&ok);
    if (!ok || !color)
        return std::nullopt;

    FontSpec font;
    font.name = *name;
    font.size = points;
    const QString styles = "|" + *style;
    font.bold = styles.contains("|Bold");
    font.italic = styles.contains("|Italic");
    font.underline = styles.contains("|Underline");
    font.strikeout = styles.contains("|Strikeout");
    font.color = *color;
    return font;
}

} // namespace hoedeck
