#include "playhistory.h"

#include "textstore.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace hoedeck {

namespace {
const QStringList kDefaultColors{QStringLiteral("clBlack"), QStringLiteral("$0080FFFF")};

// Sorted ignoring case, a name that differs only in case from the one before it dropped.
QStringList sortedUnique(QStringList lines) {
    textstore::sortIgnoringCase(lines);
    QStringList unique;
    for (const QString& line : lines)
        if (unique.isEmpty() || unique.last().compare(line, Qt::CaseInsensitive) != 0)
            unique << line;
    return unique;
}
} // namespace

PlayHistory::PlayHistory(DataFolder folder) : m_folder(std::move(folder)) {}

QString PlayHistory::file(const QString& list, bool patter) const {
    return m_folder.ini(list + (patter ? "highlight_patter.txt" : "highlight_singer.txt"));
}

QStringList PlayHistory::load(const QString& path) const {
    textstore::ensureFile(path, {kPlaceholder});
    return textstore::readList(path);
}

void PlayHistory::save(const QString& path, QStringList lines) {
    textstore::writeList(path, sortedUnique(std::move(lines)));
    m_cache.remove(path);
}

void PlayHistory::mark(const QString& list, bool patter, const QString& song) {
    const QString path = file(list, patter);
    save(path, load(path) << song);
}

bool PlayHistory::unmark(const QString& list, bool patter, const QString& song) {
    const QString path = file(list, patter);
    if (!QFileInfo::exists(path))
        return false;
    QStringList lines = sortedUnique(textstore::readList(path));
    const auto at = std::find_if(lines.begin(), lines.end(), [&](const QString& line) {
        return line.compare(song, Qt::CaseInsensitive) == 0;
    });
    if (at == lines.end())
        return false;
    lines.erase(at);
    save(path, lines);
    return true;
}

void PlayHistory::removeLastLine(const QString& list, bool patter, const QString& song) {
    const QString path = file(list, patter);
    if (!QFileInfo::exists(path))
        return;
    QStringList lines = textstore::readList(path);
    const qsizetype at = lines.lastIndexOf(song);
    if (at < 0)
        return;
    lines.removeAt(at);
    // Written as it stands: only the line goes, the order is left to the next mark.
    textstore::writeList(path, lines);
    m_cache.remove(path);
}

void PlayHistory::clear(const QString& list, bool patter) {
    const QString path = file(list, patter);
    textstore::writeList(path, {kPlaceholder});
    m_cache.remove(path);
}

void PlayHistory::deleteFiles(const QString& list) {
    for (const bool patter : {false, true}) {
        const QString path = file(list, patter);
        QFile::remove(path);
        m_cache.remove(path);
    }
}

const QSet<QString>& PlayHistory::played(const QString& list, bool patter) {
    const QString path = file(list, patter);
    QFileInfo info(path);
    Cached& cached = m_cache[path];
    if (!info.exists()) {
        textstore::ensureFile(path, {kPlaceholder});
        info.refresh();
    }
    if (cached.size != info.size() || cached.modified != info.lastModified()) {
        cached.played.clear();
        for (const QString& line : textstore::readList(path))
            if (line != kPlaceholder)
                cached.played.insert(line.toLower());
        cached.size = info.size();
        cached.modified = info.lastModified();
    }
    return cached.played;
}

void PlayHistory::load_history_color() {
    const QString path = m_folder.ini(kColorFile);
    textstore::ensureFile(path, kDefaultColors);
    const QStringList lines = textstore::readSettings(path);
    textColor = colorFromText(lines.value(0)).value_or(color::clBlack);
    backgroundColor = colorFromText(lines.value(1)).value_or(0x0080FFFFu);
}

void PlayHistory::chooseColor(bool text, std::optional<ColorValue> chosen) {
    const QString path = m_folder.ini(kColorFile);
    if (chosen)
        textstore::ensureFile(path, kDefaultColors);
    ColorValue& target = text ? textColor : backgroundColor;
    if (chosen)
        target = *chosen;
    if (!QFileInfo::exists(path))
        return;
    QStringList lines = textstore::readSettings(path);
    while (lines.size() < 2)
        lines << kDefaultColors[lines.size()];
    lines[text ? 0 : 1] = colorToText(target);
    textstore::writeList(path, lines);
}

} // namespace hoedeck
