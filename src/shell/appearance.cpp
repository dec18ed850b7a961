#include "appearance.h"

#include "prompter.h"
#include "textstore.h"

#include <QFile>
#include <algorithm>

namespace hoedeck {

PanelGrid layOutPanels(int width, int height, int split) {
    PanelGrid grid;
    const int topHeight = height * split / 100;
    const int quarter = width / 4;
    grid.pLeftSide = QRect(0, 0, quarter - 1, topHeight);
    grid.Panel5 = QRect(quarter, 0, quarter - 1, topHeight);
    grid.pRight = QRect(2 * quarter, 0, quarter - 1, topHeight);
    grid.Panel7 = QRect(3 * quarter, 0, quarter - 1, topHeight);

    const int bottomTop = topHeight + 1;
    const int bottomHeight = (100 - split) * height / 100 - PanelGrid::kProgressStripHeight;
    const int third = width / 3;
    grid.Panel10 = QRect(0, bottomTop, third - 1, bottomHeight);
    grid.Panel11 = QRect(third, bottomTop, third - 1, bottomHeight);
    grid.Panel12 = QRect(2 * third, bottomTop, third - 1, bottomHeight);

    grid.progressStrip =
        QRect(0, height - PanelGrid::kProgressStripHeight, width, PanelGrid::kProgressStripHeight);
    return grid;
}

namespace {
const char* const kSplitterFile = "splitter.txt";
const char* const kColorFile = "color.txt";
} // namespace

QStringList Appearance::defaultColorLines() {
    return {"clTeal", "cl3DLight", "\"Arial\", 10, [], [cl3DLight]"};
}

Appearance::Appearance(DataFolder folder, Prompter& prompter)
    : m_folder(std::move(folder)), m_prompter(prompter) {}

void Appearance::get_splitter() {
    const QString path = m_folder.ini(kSplitterFile);
    textstore::ensureFile(path, {QString::number(kDefaultSplit)});
    QStringList lines;
    try {
        lines = textstore::readSettings(path);
    } catch (const StoreError& e) {
        m_prompter.message(e.message() + ". The default split is used.", "Hoedeck",
                           Prompter::Icon::Warning);
    }
    bool ok = false;
    const int value = lines.value(0).trimmed().toInt(&ok);
    // A damaged split is not worth a message at start-up: the caller sees the default and the
    // file gets the sound value at the next shut-down.
    m_split = ok ? std::clamp(value, kMinSplit, kMaxSplit) : kDefaultSplit;
}

void Appearance::note_splitter() {
    textstore::writeList(m_folder.ini(kSplitterFile), {QString::number(m_split)});
}

void Appearance::ColorMe() {
    const QString path = m_folder.ini(kColorFile);
    const QStringList defaults = defaultColorLines();
    textstore::ensureFile(path, defaults);
    QStringList lines;
    try {
        lines = textstore::readSettings(path);
    } catch (const StoreError& e) {
        m_background = color::clTeal;
        m_textColor = color::cl3DLight;
        m_font = *fontFromText(defaults[2]);
        m_prompter.message(e.message() + ". The default colours and font are used.", "Hoedeck",
                           Prompter::Icon::Warning);
        return;
    }

    QStringList damaged;
    // A damaged line is quoted only in part: the message must fit on the screen.
    const auto quote = [&](int index) {
        return QStringLiteral("line %1 \"%2\"")
            .arg(index + 1)
            .arg(textstore::excerpt(lines.value(index)));
    };
    const auto colorLine = [&](int index, ColorValue fallback) {
        if (const auto value = colorFromText(lines.value(index)))
            return *value;
        damaged << quote(index);
        return fallback;
    };
    m_background = colorLine(0, color::clTeal);
    m_textColor = colorLine(1, color::cl3DLight);
    if (const auto font = fontFromText(lines.value(2))) {
        m_font = *font;
    } else {
        m_font = *fontFromText(defaults[2]);
        damaged << quote(2);
    }
    if (!damaged.isEmpty())
        m_prompter.message(QStringLiteral("%1 could not be read at %2; the default is used.")
                               .arg(path, damaged.join(", ")),
                           "Hoedeck", Prompter::Icon::Warning);
}

bool Appearance::moveSplit(int delta) {
    const int next = std::clamp(m_split + delta, kMinSplit, kMaxSplit);
    if (next == m_split)
        return false;
    m_split = next;
    return true;
}

void Appearance::setSplit(int split) {
    m_split = std::clamp(split, kMinSplit, kMaxSplit);
}

void Appearance::writeColorLine(int index, const QString& text) {
    const QString path = m_folder.ini(kColorFile);
    if (!QFile::exists(path))
        return;
    QStringList lines = textstore::readSettings(path);
    while (lines.size() <= index)
        lines << defaultColorLines().value(lines.size());
    lines[index] = text;
    textstore::writeList(path, lines);
}

void Appearance::setBackground(ColorValue value) {
    m_background = value;
    writeColorLine(0, colorToText(value));
}

void Appearance::setTextColor(ColorValue value) {
    m_textColor = value;
    writeColorLine(1, colorToText(value));
}

void Appearance::setFont(const FontSpec& font) {
    m_font = font;
    writeColorLine(2, fontToText(font));
}

void Appearance::restoreDefaults() {
    QFile::remove(m_folder.ini(kColorFile));
    ColorMe();
}

} // namespace hoedeck
