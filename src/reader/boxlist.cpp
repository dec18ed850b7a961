#include "boxlist.h"

#include "textstore.h"

#include <QFileInfo>

namespace hoedeck::reader {

BoxList readBoxList(const QString& path, BoxNumberRule rule) {
    const QStringList lines = textstore::readSettings(path);
    if (lines.size() < 6)
        throw StoreError(QStringLiteral("%1 holds %2 lines instead of six: the preview boxes stay "
                                        "empty.")
                             .arg(QFileInfo(path).fileName(), QString::number(lines.size()))
                             .toStdString());
    BoxList boxes;
    for (int i = 0; i < 5; ++i)
        boxes.files[i] = lines[i];
    const QString number = lines[5].trimmed();
    if (number.isEmpty() || (number == "6" && rule != BoxNumberRule::DancesList))
        return boxes;
    bool ok = false;
    boxes.current = number.toInt(&ok);
    if (!ok)
        throw StoreError(QStringLiteral("'%1' is not a valid box number (line 6 of %2).")
                             .arg(textstore::excerpt(number), QFileInfo(path).fileName())
                             .toStdString());
    if (rule == BoxNumberRule::BoxListFile && (boxes.current < 1 || boxes.current > 5))
        boxes.current = 1;
    return boxes;
}

void writeBoxList(const QString& path, const BoxList& boxes) {
    textstore::writeList(path, boxes.files.mid(0, 5) + QStringList{QString::number(boxes.current)});
}

namespace {
bool wholeNumber(const QString& text, int& value) {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (ok)
        value = number;
    return ok;
}
} // namespace

CardFont readCardFont(const QString& path, CardFont font) {
    bool inSection = false;
    for (const QString& line : textstore::readSettings(path)) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith('[')) {
            inSection = trimmed.compare("[FontsBoxes]", Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = trimmed.indexOf('=');
        if (!inSection || equals < 0)
            continue;
        const QString key = trimmed.left(equals).trimmed().toLower();
        const QString value = trimmed.mid(equals + 1);
        int number = 0;
        if (key == "name" && !value.trimmed().isEmpty())
            font.font.name = value.trimmed();
        else if (key == "charset" && wholeNumber(value, number))
            font.charSet = number;
        else if (key == "color" && wholeNumber(value, number))
            font.font.color = ColorValue(number);
        else if (key == "size" && wholeNumber(value, number) && number > 0)
            font.font.size = number;
        else if (key == "style" && wholeNumber(value, number)) {
            font.font.bold = number & 1;
            font.font.italic = number & 2;
            font.font.underline = number & 4;
            font.font.strikeout = number & 8;
        }
    }
    return font;
}

void writeCardFont(const QString& path, const CardFont& font) {
    const int style = (font.font.bold ? 1 : 0) | (font.font.italic ? 2 : 0) |
                      (font.font.underline ? 4 : 0) | (font.font.strikeout ? 8 : 0);
    textstore::writeList(
        path, {"[FontsBoxes]", "Name=" + font.font.name, "CharSet=" + QString::number(font.charSet),
               "Color=" + QString::number(std::int32_t(font.font.color)),
               "Size=" + QString::number(font.font.size), "Style=" + QString::number(style)});
}

} // namespace hoedeck::reader
