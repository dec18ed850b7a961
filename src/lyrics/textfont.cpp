#include "textfont.h"

#include "prompter.h"
#include "textstore.h"

#include <QDir>

namespace hoedeck::textfont {

FontSpec defaults() {
    FontSpec font;
    font.name = QStringLiteral("Verdana");
    font.size = 14;
    return font;
}

QStringList toLines(const FontSpec& font) {
    QStringList styles = fontStyles(font);
    styles.replaceInStrings("Strikeout", "StrikeOut");
    return {font.name, QString::number(font.size), styles.join(',')};
}

FontSpec fromLines(const QStringList& lines, const QString& path, Prompter& prompter) {
    FontSpec font = defaults();
    if (!lines.value(0).trimmed().isEmpty())
        font.name = lines.value(0).trimmed();
    bool ok = false;
    const int size = lines.value(1).trimmed().toInt(&ok);
    if (ok && size >= 1 && size <= 200)
        font.size = size;
    else
        prompter.message(
            QStringLiteral("%1: \"%2\" is not a font size; the text pages use %3 "
                           "points.")
                .arg(QDir::toNativeSeparators(path), textstore::excerpt(lines.value(1)))
                .arg(font.size),
            "Hoedeck", Prompter::Icon::Warning);
    const QStringList styles = lines.value(2).split(',', Qt::SkipEmptyParts);
    for (const QString& style : styles) {
        const QString word = style.trimmed();
        font.bold |= word.compare("Bold", Qt::CaseInsensitive) == 0;
        font.italic |= word.compare("Italic", Qt::CaseInsensitive) == 0;
        font.underline |= word.compare("Underline", Qt::CaseInsensitive) == 0;
        font.strikeout |= word.compare("StrikeOut", Qt::CaseInsensitive) == 0;
    }
    return font;
}

FontSpec load(const QString& path, Prompter& prompter) {
    textstore::ensureFile(path, toLines(defaults()));
    return fromLines(textstore::readSettings(path), path, prompter);
}

void save(const QString& path, const FontSpec& font) {
    textstore::writeList(path, toLines(font));
}

} // namespace hoedeck::textfont
