#include "cards.h"

#include "textstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace hoedeck::reader {

bool isSkipLine(const QString& line) {
    static const char* const markers[] = {"GV", "G>", "G<", "B^", "BV", "B>", "B<", "Warning:"};
    for (const char* marker : markers)
        if (line.contains(QLatin1String(marker)))
            return true;
    return std::all_of(line.begin(), line.end(), [](QChar c) { return c.unicode() <= 32; });
}

QString boxCaption(const QString& cardPath) {
    const QFileInfo info(cardPath);
    return QFileInfo(info.path()).fileName() + "/" + info.fileName();
}

QStringList folderFiles(const QString& folder, const QString& mask) {
    QStringList files = QDir(folder).entryList({mask}, QDir::Files | QDir::Hidden);
    std::stable_sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return files;
}

const QList<CommentCommand>& commentCommands() {
    static const QList<CommentCommand> commands = {
        {"Hard", "Comment: Hard Card"},
        {"Medium", "Comment: Medium Card"},
        {"Easy", "Comment: Easy Card"},
        {"Doesn't Work", "Comment: Doesn't Work"},
        {"Bad Flow", "Comment: Bad Flow"},
        {"Sucks", "Comment: This Card Sucks"},
        {"Erase Comment", ""},
    };
    return commands;
}

QStringList withComment(QStringList lines, const QString& comment) {
    if (!lines.isEmpty() && lines.first().contains("Comment:"))
        lines.removeFirst();
    if (!comment.isEmpty())
        lines.prepend(comment);
    return lines;
}

std::optional<QString> transferCard(const QString& card, const QString& folder, bool move) {
    const QString name = QFileInfo(card).fileName();
    QStringList names{name};
    for (int n = 0; n <= 26; ++n)
        names.append(name.left(name.size() - 4) + "-" + QString::number(n) + ".txt");
    for (const QString& candidate : names) {
        const QString target = QDir(folder).filePath(candidate);
        if (QFileInfo::exists(target))
            continue;
        if (move ? QFile::rename(card, target) : QFile::copy(card, target))
            return target;
    }
    return std::nullopt;
}

QStringList readCard(const QString& path) {
    return textstore::readList(path);
}

void writeCard(const QString& path, const QStringList& lines) {
    textstore::writeList(path, lines);
}

} // namespace hoedeck::reader
