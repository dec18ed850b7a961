#include "textstore.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

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

} // namespace

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

QStringList readList(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(errorText("Cannot open file", path, file.errorString()).toStdString());
    return splitLines(decode(file.readAll()));
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
    if (!file.open(QIODevice::WriteOnly))
        throw StoreError(errorText("Cannot create file", path, file.errorString()).toStdString());
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw StoreError(errorText("Cannot write file", path, file.errorString()).toStdString());
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

void ensureFile(const QString& path, const QStringList& defaults) {
    if (!QFileInfo::exists(path))
        writeList(path, defaults);
}

} // namespace hoedeck::textstore
