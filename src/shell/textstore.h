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
// by hand or made elsewhere) read the same. Text is written as UTF-8 and read as UTF-8,
// falling back to Windows-1252 for files from older installations that are not valid UTF-8.
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

// Decoding and splitting, exposed for the few places that receive file content another way.
QString decode(const QByteArray& bytes);
QStringList splitLines(const QString& text);

} // namespace textstore
} // namespace hoedeck
