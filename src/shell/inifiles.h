#pragma once

#include <QList>
#include <QString>

namespace hoedeck {

// The settings files a caller may edit by hand, as the "File" > "Ini Files" menu lists them.
struct IniFileEntry {
    QString caption;
    QString fileName; // under ini/
};
QList<IniFileEntry> editableIniFiles();

// The text of an XDG desktop entry that starts the program in its own folder, its values
// escaped so that each stays the one value it is. Throws StoreError for a path no entry can
// hold (a control character; in the program's path a line break too).
QString desktopEntryText(const QString& executable, const QString& dataFolder);

// Writes "Hoedeck.desktop" into the desktop folder (replacing one that is there) and marks it
// executable. Returns the path written; throws StoreError when it cannot be written.
QString putLinkOnDesktop(const QString& executable, const QString& dataFolder,
                         const QString& desktopFolder);

} // namespace hoedeck
