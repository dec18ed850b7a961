#include "songlog.h"

#include "textstore.h"

#include <QFileInfo>
#include <QLocale>

namespace hoedeck {

SongLog::SongLog(DataFolder folder) : m_folder(std::move(folder)) {}

QString SongLog::stamp(const QDateTime& when) {
    const QLocale locale = QLocale::system();
    return locale.toString(when.date(), QLocale::ShortFormat) + ' ' +
           locale.toString(when.time(), QLocale::LongFormat);
}

void SongLog::append(const QString& line) {
    // A log from an older installation is Windows-1252. UTF-8 appended to it would make the
    // whole file read as Windows-1252 and every new accented name garbled, so it is made UTF-8
    // once, before the first line of this run goes in.
    const QString path = m_folder.ini("log.txt");
    if (!m_utf8Checked) {
        textstore::convertToUtf8(path);
        m_utf8Checked = true;
    }
    // Appended rather than rewritten: the log only grows, and a crash can at worst cut the
    // line being written, never the lines before it.
    QByteArray bytes = (line + "\r\n").toUtf8();
    // A line that was cut has no line break: the new line starts its own rather than being
    // glued to it, where it would not read as an opening of its song.
    QFile file(path);
    char last = '\n';
    if (file.open(QIODevice::ReadOnly) && file.size() > 0 && file.seek(file.size() - 1) &&
        file.getChar(&last) && last != '\n' && last != '\r')
        bytes.prepend("\r\n");
    file.close();
    textstore::appendBytes(path, bytes);
}

void SongLog::build_log(const QString& song) {
    append(song + '|' + stamp(now()));
}

void SongLog::cancel(const QString& song) {
    append("CANCEL: " + song + '|' + stamp(now()));
}

std::optional<QStringList> SongLog::read(const QString& song) const {
    const QString path = m_folder.ini("log.txt");
    if (!QFileInfo::exists(path))
        return std::nullopt;
    const QStringList lines = textstore::readList(path);
    QStringList shown{song + " log:"};
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const qsizetype at = line->indexOf(song);
        if (song.isEmpty() || at < 0)
            continue;
        const QString after = line->mid(at + song.size() + 1);
        shown << (line->contains("CANCEL") ? "CANCEL:" + after : after);
    }
    return shown;
}

} // namespace hoedeck
