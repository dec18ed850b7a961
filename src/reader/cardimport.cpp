#include "cardimport.h"

#include "textstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace hoedeck::reader {

namespace {

QList<QByteArray> sourceLines(const QByteArray& source) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(source.mid(start, i - start));
        if (c == '\r' && i + 1 < source.size() && source[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < source.size())
        lines.append(source.mid(start));
    return lines;
}

bool isBlank(const QByteArray& line) {
    for (const char c : line)
        if (static_cast<unsigned char>(c) > 32)
            return false;
    return true;
}

// Sd prints "Sd" and its version at the 30th character of the header above each sequence.
bool isSdHeader(const QByteArray& line) {
    return line.indexOf("Sd") == 29;
}

bool endsSdSequence(const QByteArray& line) {
    static const char* const promenades[] = {
        "(1/8 promenade)", "(3/8 promenade)", "(5/8 promenade)", "(7/8 promenade)",
        "(1/4 promenade)", "(3/4 promenade)", "(1/2 promenade)"};
    for (const char* promenade : promenades)
        if (line.contains(promenade))
            return true;
    if (line.contains("approximately") && line.contains("or right"))
        return true;
    return line.toLower().contains("at home)");
}

} // namespace

QList<Card> splitIntoCards(const QByteArray& source, ImportFormat format) {
    QList<Card> cards;
    Card pending;
    auto write = [&] {
        cards.append(pending);
        pending.clear();
    };
    for (const QByteArray& line : sourceLines(source)) {
        if (isBlank(line))
            continue;
        switch (format) {
        case ImportFormat::Sd:
            if (isSdHeader(line)) {
                if (!pending.isEmpty())
                    write();
            } else {
                pending.append(line);
                if (endsSdSequence(line))
                    write();
            }
            break;
        case ImportFormat::BeginEnd:
            if (line.contains("<begin>"))
                // Every card opens with the number its file will bear.
                pending.append(QByteArray::number(cards.size()));
            else if (line.contains("<end>"))
                write();
            else
                pending.append(line);
            break;
        case ImportFormat::At:
            if (line.startsWith('@'))
                write();
            else
                pending.append(line);
            break;
        }
    }
    if (format == ImportFormat::Sd && !pending.isEmpty())
        write();
    return cards;
}

QString cardFileName(int number) {
    return QStringLiteral("seq_%1.txt").arg(number, 3, 10, QLatin1Char('0'));
}

QString folderNameProblem(const QString& cardsFolder, const QString& name) {
    const bool control =
        std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 32; });
    if (name.contains('/') || control || name == "." || name == "..")
        return QStringLiteral("A card folder's name cannot hold \"/\" or control characters, "
                              "nor be \".\" or \"..\": \"%1\"")
            .arg(textstore::excerpt(name));
    if (name.isEmpty() || QFileInfo::exists(QDir(cardsFolder).filePath(name)))
        return QStringLiteral("Folder already exists");
    return {};
}

int importCards(const QString& sourcePath, const QString& cardsFolder, const QString& name,
                ImportFormat format) {
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("Cannot open file \"%1\". %2")
                             .arg(sourcePath, source.errorString())
                             .toStdString());
    const QList<Card> cards = splitIntoCards(source.readAll(), format);
    const QString folder = QDir(cardsFolder).filePath(name);
    if (!QDir().mkpath(folder))
        throw StoreError(QStringLiteral("Cannot create folder \"%1\". %2")
                             .arg(folder, textstore::writeProblem(cardsFolder))
                             .toStdString());
    for (int number = 0; number < cards.size(); ++number) {
        QByteArray bytes;
        for (const QByteArray& line : cards[number])
            bytes += line + "\r\n";
        textstore::writeNewFile(QDir(folder).filePath(cardFileName(number)), bytes);
    }
    return int(cards.size());
}

} // namespace hoedeck::reader
