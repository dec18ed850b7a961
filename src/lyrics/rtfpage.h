#pragma once

#include <QString>

namespace hoedeck {

// A rich-text (RTF) file made into a page the browser view shows with its formatting: the
// "unrtf" program turns it into HTML. Without the program, or when it cannot read the file,
// the page shows the file's text as it is and a one-line notice says why.
struct RtfPage {
    QString htmlPath; // the page to show
    QString notice;   // empty when the formatting is shown
};

// Writes the page (and any pictures the file holds) into workFolder, which it empties first.
RtfPage rtfPage(const QString& rtfPath, const QString& workFolder,
                const QString& program = QStringLiteral("unrtf"));

} // namespace hoedeck
