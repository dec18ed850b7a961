#include "marriage.h"

#include "textstore.h"

#include <QFileInfo>

namespace hoedeck {

namespace {
// A line's two fields, split at its first "|"; a line without one is no marriage.
struct Fields {
    QStringView lyrics;
    QStringView song;
};
std::optional<Fields> fieldsOf(const QString& line) {
    const qsizetype bar = line.indexOf('|');
    if (bar < 0)
        return std::nullopt;
    return Fields{QStringView(line).left(bar), QStringView(line).mid(bar + 1)};
}
} // namespace

Marriages::Marriages(DataFolder folder) : m_folder(std::move(folder)) {}

QString Marriages::path() const {
    return m_folder.ini("marriage.txt");
}

void Marriages::propose(const QString& lyricsPath, const QString& songPath, bool iDo) const {
    QStringList lines = QFileInfo::exists(path()) ? textstore::readList(path()) : QStringList();
    const QString line = lyricsPath + '|' + songPath;
    const auto equal = [&](const QString& held) {
        return held.compare(line, Qt::CaseInsensitive) == 0;
    };
    if (iDo) {
        if (std::none_of(lines.cbegin(), lines.cend(), equal))
            lines << line;
    } else {
        lines.removeIf(equal);
    }
    textstore::sortIgnoringCase(lines);
    textstore::writeList(path(), lines);
}

// The song and the lyrics are matched field by field: a song path that only ends another
// marriage's song path ("/music/a.mp3" in "/old/music/a.mp3") belongs to another folder.
QString Marriages::lyricsFor(const QString& songPath) const {
    if (!QFileInfo::exists(path()))
        return {};
    const QStringList lines = textstore::readList(path());
    for (const QString& line : lines)
        if (const auto fields = fieldsOf(line); fields && fields->song == songPath)
            return fields->lyrics.toString();
    return {};
}

QString Marriages::songFor(const QString& lyricsPath) const {
    if (!QFileInfo::exists(path()))
        return {};
    const QStringList lines = textstore::readList(path());
    for (auto line = lines.crbegin(); line != lines.crend(); ++line)
        if (const auto fields = fieldsOf(*line); fields && fields->lyrics == lyricsPath)
            return fields->song.toString();
    return {};
}

} // namespace hoedeck
