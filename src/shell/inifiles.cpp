#include "inifiles.h"

#include "textstore.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace hoedeck {

QList<IniFileEntry> editableIniFiles() {
    return {
        {"Marriage", "marriage.txt"},
        {"Log", "log.txt"},
        {"Memorize", "memorize.txt"},
        {"Favorite Lyrics", "favorite_lyrics_subdirectories.txt"},
        {"Favorite mp3 Folders", "favorite_subdirectories.txt"},
        {"Golden Tracks", "goldmem.txt"},
    };
}

namespace {
bool isControl(QChar c) {
    return c.category() == QChar::Other_Control;
}

// A string value of a desktop entry stays on its one line: the line breaks, tab and backslash
// are written as escapes. Other control characters have no escape and are refused, as a value
// the desktop would read differently from what was meant.
QString escapeValue(const QString& value, const QString& what) {
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            escaped += QLatin1String("\\\\");
            break;
        case '\n':
            escaped += QLatin1String("\\n");
            break;
        case '\t':
            escaped += QLatin1String("\\t");
            break;
        case '\r':
            escaped += QLatin1String("\\r");
            break;
        default:
            if (isControl(c))
                throw StoreError(QStringLiteral("A desktop link cannot be made: %1 \"%2\" holds a "
                                                "control character.")
                                     .arg(what, textstore::excerpt(value))
                                     .toStdString());
            escaped += c;
        }
    }
    return escaped;
}

// The Exec value: the program as one argument in double quotes, with the characters that
// keep a meaning inside quotes escaped and "%" doubled (it starts a field code); the result
// is then a string value like any other, so its backslashes are escaped once more. A command
// line has no way to carry a line break or other control character.
QString execValue(const QString& executable) {
    if (std::any_of(executable.begin(), executable.end(), isControl))
        throw StoreError(QStringLiteral("A desktop link cannot be made: the program's path \"%1\" "
                                        "holds a line break or control character, which a desktop "
                                        "entry cannot start. Move the program to a folder whose "
                                        "name has none.")
                             .arg(textstore::excerpt(executable))
                             .toStdString());
    QString quoted = QStringLiteral("\"");
    for (const QChar c : executable) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        else if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    return escapeValue(quoted, QStringLiteral("the program's path"));
}
} // namespace

QString desktopEntryText(const QString& executable, const QString& dataFolder) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Hoedeck\n"
                          "Comment=Music player and workbench for square-dance callers\n"
                          "Exec=%1\n"
                          "Path=%2\n"
                          "Terminal=false\n"
                          "Categories=AudioVideo;Audio;Player;\n")
        .arg(execValue(executable), escapeValue(dataFolder, QStringLiteral("the data folder")));
}

QString putLinkOnDesktop(const QString& executable, const QString& dataFolder,
                         const QString& desktopFolder) {
    // Made first: a path no entry can hold leaves the old entry as it was.
    const QByteArray entry = desktopEntryText(executable, dataFolder).toUtf8();
    if (!QDir().mkpath(desktopFolder))
        throw StoreError(
            QStringLiteral("Cannot create the folder \"%1\"").arg(desktopFolder).toStdString());
    const QString path = QDir(desktopFolder).filePath("Hoedeck.desktop");
    // Desktop entries are read by the desktop, which wants plain LF line ends.
    textstore::writeBytes(path, entry);
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup |
                                    QFile::ExeOther);
    return path;
}

} // namespace hoedeck
