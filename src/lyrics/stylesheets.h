#pragma once

#include "datafolder.h"

#include <QString>
#include <QStringList>

namespace hoedeck {

class Prompter;

// The look of the cue sheets: the style sheets "cuesheet.css", "cuesheet2.css" and
// "cuesheet-ab.css" that the program writes beside them in every favourite lyrics folder, and
// whichever of them a page links. Kept in the data folder's Lyrics/: the fixed default
// "14.css", the caller's six sizes "user.txt" and the style sheet made of them, "user.css".
class StyleSheets {
public:
    // Title, label, artist, header, text and lyrics, in points.
    static const QStringList& defaultSizes();
    static const QStringList& sheetNames(); // cuesheet-ab.css, cuesheet.css, cuesheet2.css
    static QStringList defaultSheet();
    // The user style sheet of six sizes as typed: they are not checked to be numbers.
    static QStringList userSheet(const QStringList& sizes);

    StyleSheets(DataFolder folder, Prompter& prompter);

    // The six sizes of user.txt, written with the defaults when missing. A file with fewer
    // than six is said, and the sizes it lacks take their defaults.
    QStringList loadSizes();
    // Writes user.css from the sizes and user.txt as the six each followed by "|".
    void saveSizes(const QStringList& sizes);
    // Writes the user style sheet into each folder under the three names. A folder that is
    // gone or cannot be written is passed over: the others still get their sheets.
    void writeUserSheet(const QStringList& folders);
    // "Default": the fixed style sheet into each folder as cuesheet2.css and user.css, so a
    // page that links cuesheet2.css takes the default look and one that links cuesheet.css
    // keeps the caller's.
    void restoreDefault(const QStringList& folders);
    // Writes Lyrics/14.css with its fixed content.
    void rewriteDefault();
    // A folder about to show a cue sheet gets the default sheets under the three names when it
    // has no cuesheet2.css (a folder new to the program). Nothing is said when it cannot be
    // written: the page shows all the same.
    void provideFor(const QString& folder);

    QString path(const QString& name) const; // under Lyrics/

private:
    // Writes the lines into the folder under each name; false when any could not be written.
    static bool writeInto(const QString& folder, const QStringList& names,
                          const QStringList& lines);

    DataFolder m_folder;
    Prompter& m_prompter;
};

} // namespace hoedeck
