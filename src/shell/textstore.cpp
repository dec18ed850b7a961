#include "textstore.h"

#include <QDir>

#include <QTemporaryFile>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <unistd.h>
#include <vector>

namespace hoedeck::textstore {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; five of those bytes are unassigned and
// are kept as the matching C1 control character so that nothing is lost.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(char16_t(b)));
    }
    return out;
}

// A file's byte-order mark. Qt's decoders drop one at the start of whatever they decode; the
// store drops only the file's own, so a line that starts with the same character (a
// zero-width no-break space) keeps it.
constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr auto kKeepBom = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;

// UTF-8 of a whole file's text: one that starts with the character gets a mark in front, which
// the reader takes away again.
QByteArray fileBytes(const QString& text) {
    return text.startsWith(QChar(0xFEFF)) ? kBom + text.toUtf8() : text.toUtf8();
}

QString errorText(const QString& what, const QString& path, const QString& reason) {
    return QStringLiteral("%1 \"%2\": %3").arg(what, QFileInfo(path).absoluteFilePath(), reason);
}

[[noreturn]] void fail(const QString& what, const QString& path, const QString& reason) {
    throw StoreError(errorText(what, path, reason).toStdString());
}

// The system's reason for a failed call, in words ("No space left on device"). Qt's own text
// can be "Unknown error" after a short write, which tells the caller nothing.
QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Qt's text for the file's failure, or the errno left by it when Qt has nothing useful to say.
QString reasonOf(const QFileDevice& file, int error) {
    const QString text = file.errorString();
    if (!text.isEmpty() && text != QLatin1String("Unknown error"))
        return text;
    return error != 0 ? systemReason(error)
                      : QStringLiteral("the system refused it without giving a reason");
}

} // namespace

int writeAll(int fd, QByteArrayView bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO;
        done += n;
    }
    return 0;
}

bool isUtf8(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, kKeepBom);
    const QString text = utf8.decode(bytes);
    return !utf8.hasError();
}

QString decodeLine(QByteArrayView line) {
    QStringDecoder utf8(QStringDecoder::Utf8, kKeepBom);
    QString text = utf8.decode(line);
    return utf8.hasError() ? decodeCp1252(line) : text;
}

QString decode(const QByteArray& bytes) {
    QByteArrayView body = bytes;
    if (body.startsWith(kBom))
        body = body.sliced(3);
    if (isUtf8(body))
        return decodeLine(body);
    // CR and LF never occur inside a UTF-8 sequence or stand for anything else in
    // Windows-1252, so the bytes can be cut into lines before either is decided on.
    QString text;
    text.reserve(body.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i <= body.size(); ++i) {
        if (i < body.size() && body[i] != '\r' && body[i] != '\n')
            continue;
        text += decodeLine(body.sliced(start, i - start));
        if (i < body.size())
            text += QChar(char16_t(body[i]));
        start = i + 1;
    }
    return text;
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == '\r' && i + 1 < n && text.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    // A final line break ends the last line; it does not start an empty one.
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

void sortIgnoringCase(QStringList& lines) {
    if (lines.size() < 2)
        return;
    // Each line is lowered once, not at each of the n log n comparisons.
    std::vector<QString> keys;
    keys.reserve(size_t(lines.size()));
    for (const QString& line : lines)
        keys.push_back(line.toLower());
    const auto before = [&](qsizetype a, qsizetype b) {
        return keys[size_t(a)].localeAwareCompare(keys[size_t(b)]) < 0;
    };
    const qsizetype last = lines.size() - 1;
    qsizetype sortedUpTo = 1;
    while (sortedUpTo < last && !before(sortedUpTo, sortedUpTo - 1))
        ++sortedUpTo;
    std::vector<qsizetype> order(size_t(lines.size()));
    std::iota(order.begin(), order.end(), 0);
    if (sortedUpTo == last) {
        // After the lines equal to it, as a stable sort puts it.
        const auto at = std::upper_bound(order.begin(), order.end() - 1, last, before);
        std::rotate(at, order.end() - 1, order.end());
    } else {
        std::stable_sort(order.begin(), order.end(), before);
    }
    QStringList sorted;
    sorted.reserve(lines.size());
    for (const qsizetype i : order)
        sorted << std::move(lines[i]);
    lines = std::move(sorted);
}

QString excerpt(const QString& text, qsizetype maxChars) {
    qsizetype length = std::min(text.size(), maxChars);
    // A cut between the halves of a surrogate pair would leave half a character.
    if (length < text.size() && length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    QString shown = text.left(length);
    for (QChar& c : shown)
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    if (length < text.size())
        shown += QChar(0x2026);
    return shown;
}

QStringList readList(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(errorText("Cannot open file", path, file.errorString()).toStdString());
    return splitLines(decode(file.readAll()));
}

QStringList readSettings(const QString& path) {
    const qint64 size = QFileInfo(path).size();
    if (size > kMaxSettingsBytes)
        fail("Cannot read file", path,
             QStringLiteral("it holds %1 MB where a settings file holds a few short lines, so it "
                            "is damaged; it is left as it is")
                 .arg(double(size) / (1024 * 1024), 0, 'f', 1));
    return readList(path);
}

void writeList(const QString& path, const QStringList& lines) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    writeBytes(path, fileBytes(text));
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail("Cannot create file", path, reasonOf(file, 0));
    // Every step is checked before the new file may replace the old: on a full disk a commit
    // after a failed write would put an empty or cut file in place of a good one.
    if (const int error = writeAll(file.handle(), bytes)) {
        file.cancelWriting();
        fail("Cannot write file", path, systemReason(error));
    }
    // Some file systems report a full disk only when the data reaches it.
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != EROFS) {
        const int error = errno;
        file.cancelWriting();
        fail("Cannot write file", path, systemReason(error));
    }
    errno = 0;
    if (!file.commit())
        fail("Cannot write file", path, reasonOf(file, errno));
}

void writeNewFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        fail("Cannot create file", path, reasonOf(file, 0));
    if (const int error = writeAll(file.handle(), bytes)) {
        file.close();
        QFile::remove(path); // no half file
        fail("Cannot write file", path, systemReason(error));
    }
}

void appendBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        fail("Cannot add to file", path, reasonOf(file, 0));
    const off_t before = ::lseek(file.handle(), 0, SEEK_END);
    if (const int error = writeAll(file.handle(), bytes)) {
        // A cut line would run into the next one appended; the file goes back to what it was.
        if (before >= 0 && ::ftruncate(file.handle(), before) != 0)
            fail("Cannot add to file", path,
                 systemReason(error) + "; the last line may be incomplete");
        fail("Cannot add to file", path, systemReason(error));
    }
}

bool convertToUtf8(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(errorText("Cannot open file", path, file.errorString()).toStdString());
    const QByteArray bytes = file.readAll();
    file.close();
    if (isUtf8(bytes))
        return false;
    writeBytes(path, fileBytes(decode(bytes)));
    return true;
}

QString writeProblem(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.exists())
        return QStringLiteral("the folder does not exist");
    if (!info.isDir())
        return QStringLiteral("it is not a folder");
    // Trying is the only sure test: permissions, a read-only mount and a full disk all show.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".hoedeck-write-XXXXXX")));
    if (!probe.open())
        return probe.errorString();
    if (probe.write("x", 1) != 1 || !probe.flush())
        return probe.errorString();
    return QString();
}

void ensureFile(const QString& path, const QStringList& defaults) {
    if (!QFileInfo::exists(path))
        writeList(path, defaults);
}

} // namespace hoedeck::textstore
