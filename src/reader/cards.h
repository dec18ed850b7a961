#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace hoedeck::reader {

// A card line the caller does not call: a dancer diagram ("GV", "G>", "G<", "B^", "BV", "B>",
// "B<"), a "Warning:" line or a blank one. Moving line by line passes over these.
bool isSkipLine(const QString& line);

// How a card is named on screen: its card folder and its file name ("dance1/seq_004.txt").
QString boxCaption(const QString& cardPath);

// The files of a folder as the card browser lists them: matching the mask ("*" for all),
// sorted by name without regard to case.
QStringList folderFiles(const QString& folder, const QString& mask = QStringLiteral("*"));

// The comment commands of a card and the line each puts at its top; "Erase Comment" puts none.
struct CommentCommand {
    QString caption;
    QString line;
};
const QList<CommentCommand>& commentCommands();

// The card with its comment line (a first line holding "Comment:") replaced by `comment`, or
// only removed when `comment` is empty.
QStringList withComment(QStringList lines, const QString& comment);

// Copies (or moves) a card into a folder under the first free one of 28 names: its own, then
// its name less ".txt" followed by "-0.txt" ... "-26.txt". The path it got, or nothing when
// every name was taken (or the copy failed otherwise).
std::optional<QString> transferCard(const QString& card, const QString& folder, bool move);

// A card's lines (decoded line by line, so a card in any single-byte text reads) and writing
// them back; both throw StoreError.
QStringList readCard(const QString& path);
void writeCard(const QString& path, const QStringList& lines);

} // namespace hoedeck::reader
