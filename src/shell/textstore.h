#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace hoedeck {

// A file could not be read or written. what() is the text shown to the user.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    QString message() const { return QString::fromUtf8(what()); }
};

// The program's settings, lists and memories are small text files read whole into a list of
// lines and written back whole. Lines end in CR LF on disk; LF-only and CR-only files (edited
// by hand or made elsewhere) read the same. Text is written as UTF-8. It is read line by line:
// a line that is valid UTF-8 is UTF-8, any other is Windows-1252. Files from older
// installations are Windows-1252, and a file appended to since holds both kinds of line.
namespace textstore {

// The lines of the file; throws StoreError when it cannot be opened.
QStringList readList(const QString& path);

// Rewrites the file whole. The new content replaces the old in one step (a crash mid-write
// leaves the old file), so a list is never left half written. Throws StoreError on failure.
void writeList(const QString& path, const QStringList& lines);

// Replaces the file's content with the bytes in one step. Throws StoreError on failure.
void writeBytes(const QString& path, const QByteArray& bytes);

// Creates the file with the given lines when it does not exist. Throws StoreError on failure.
void ensureFile(const QString& path, const QStringList& defaults);

// Rewrites a file that is not UTF-8 throughout as UTF-8, each line decoded as decode() reads
// it, line breaks kept; the new content replaces the old in one step. True when it was
// rewritten; a missing file or one that is UTF-8 already is left alone. Throws StoreError.
bool convertToUtf8(const QString& path);

// Decoding and splitting, exposed for the few places that receive file content another way.
// decode() keeps the line breaks; decodeLine() decides for the bytes of one line.
QString decode(const QByteArray& bytes);
QString decodeLine(QByteArrayView line);
bool isUtf8(QByteArrayView bytes);
QStringList splitLines(const QString& text);

} // namespace textstore
} // namespace hoedeck
