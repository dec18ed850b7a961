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

// A settings file (a few short lines) read as readList() does, after its size is checked: one
// far larger than any real one is damage, and is refused with a StoreError instead of being
// decoded and searched at start-up. Lists and memories, which a caller can grow, use readList().
QStringList readSettings(const QString& path);
constexpr qint64 kMaxSettingsBytes = 1024 * 1024;

// Rewrites the file whole. The new content replaces the old in one step (a crash mid-write
// leaves the old file), so a list is never left half written. Throws StoreError on failure.
void writeList(const QString& path, const QStringList& lines);

// Replaces the file's content with the bytes in one step. Throws StoreError on failure.
void writeBytes(const QString& path, const QByteArray& bytes);

// One of many new files written at once (the cards of a new card folder): written and checked,
// a file that does not fit removed, but not forced to disk file by file, which would cost a
// disk flush each (seconds for a thousand cards). Nothing old is at stake: the source they
// come from stays. Throws StoreError.
void writeNewFile(const QString& path, const QByteArray& bytes);
// Adds the bytes at the end of the file, creating it when missing. When they do not all go
// in, the file is cut back to its old end and StoreError says why.
void appendBytes(const QString& path, const QByteArray& bytes);

// Creates the file with the given lines when it does not exist. Throws StoreError on failure.
void ensureFile(const QString& path, const QStringList& defaults);

// Rewrites a file that is not UTF-8 throughout as UTF-8, each line decoded as decode() reads
// it, line breaks kept; the new content replaces the old in one step. True when it was
// rewritten; a missing file or one that is UTF-8 already is left alone. Throws StoreError.
bool convertToUtf8(const QString& path);

// The order of the stored lists that are kept sorted (track memories, play history): ignoring
// case, in the system's collation, equal lines in their old order. A list kept in order with
// one line added at its end, the usual case, costs one pass and a binary search.
void sortIgnoringCase(QStringList& lines);

// A stored value as a message quotes it: at most the first maxChars characters, then "…", on
// one line (control characters shown as "\uFFFD"). A damaged line can be megabytes long and
// a message taller than the screen hides its own buttons.
QString excerpt(const QString& text, qsizetype maxChars = 60);

// Writes every byte straight to the descriptor: nothing waits in a buffer whose failed flush
// could go unnoticed. 0 when all went, otherwise the errno of the call that stopped it.
int writeAll(int fd, QByteArrayView bytes);

// Why no file can be written in the folder, in words; empty when one can.
QString writeProblem(const QString& folder);

// Decoding and splitting, exposed for the few places that receive file content another way.
// decode() keeps the line breaks; decodeLine() decides for the bytes of one line.
QString decode(const QByteArray& bytes);
QString decodeLine(QByteArrayView line);
bool isUtf8(QByteArrayView bytes);
QStringList splitLines(const QString& text);

} // namespace textstore
} // namespace hoedeck
