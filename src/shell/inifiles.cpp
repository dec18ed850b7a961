#include "inifiles.h"

#include "textstore.h"

#include <QDir>
#include <QFile>

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
// Desktop entries quote arguments with double quotes and escape these characters inside.
QString quoteExec(const QString& path) {
    QString escaped = path;
    for (const char* c : {"\\", "\"", "`", "$"})
        escaped.replace(QLatin1String(c), QLatin1String("\\") + QLatin1String(c));
    return '"' + escaped + '"';
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
        .arg(quoteExec(executable), dataFolder);
}

QString putLinkOnDesktop(const QString& executable, const QString& dataFolder,
                         const QString& desktopFolder) {
    if (!QDir().mkpath(desktopFolder))
        throw StoreError(
            QStringLiteral("Cannot create the folder \"%1\"").arg(desktopFolder).toStdString());
    const QString path = QDir(desktopFolder).filePath("Hoedeck.desktop");
    // Desktop entries are read by the desktop, which wants plain LF line ends.
    textstore::writeBytes(path, desktopEntryText(executable, dataFolder).toUtf8());
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup |
                                    QFile::ExeOther);
    return path;
}

} // namespace hoedeck
