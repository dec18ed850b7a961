#include "stylesheets.h"

#include "lyricsfolders.h"
#include "prompter.h"
#include "textstore.h"

#include <QDir>
#include <QFileInfo>

namespace hoedeck {

const QStringList& StyleSheets::defaultSizes() {
    static const QStringList sizes{"18", "10", "10", "12", "14", "14"};
    return sizes;
}

const QStringList& StyleSheets::sheetNames() {
    static const QStringList names{"cuesheet-ab.css", "cuesheet.css", "cuesheet2.css"};
    return names;
}

QStringList StyleSheets::defaultSheet() {
    // Its first five lines are those of a user sheet of these sizes; the rest differ in their
    // blanks and in the body font, which stays at 10pt whatever the text size.
    return userSheet({"18", "10", "10", "12", "12", "14"}).mid(0, 5) +
           QStringList{
               ".lyrics { font-size: 14pt; background-color: #FCC9C3; } ",
               ".call { font-size: 14pt; font-weight: bold;}                                   ",
               "font { font-family: Tahoma, Arial, Helvetica, Sans Serif; }                   ",
               "body, p, font { font-family: Arial, Helvetica, Verdana, Sans Serif;  font-size: "
               "10pt; } ",
               "dd { margin-left: 50px; } ",
           };
}

QStringList StyleSheets::userSheet(const QStringList& sizes) {
    const QString title = sizes.value(0), label = sizes.value(1), artist = sizes.value(2),
                  header = sizes.value(3), text = sizes.value(4), lyrics = sizes.value(5);
    return {
        ".title { font-size: " + title + "pt; font-weight: bold; }",
        ".label { font-size: " + label + "pt; color: purple; }    ",
        ".artist { font-size: " + artist + "pt; color: green; }    ",
        ".hdr { font-size: " + header +
            "pt; color: brown; font-weight: bold; margin-left: 25px; } ",
        ".text { font-size: " + text + "pt; line-height: 140% }",
        ".lyrics { font-size: " + lyrics +
            "pt; background-color: #FCC9C3; }                       ",
        ".call { font-size: 14pt; font-weight: bold;}                                   ",
        "font { font-family: Tahoma, Arial, Helvetica, Sans Serif; }                   ",
        "body, p, font { font-family: Arial, Helvetica, Verdana, Sans Serif;  font-size: " + text +
            "pt; } ",
        "dd { margin-left: 50px; } ",
    };
}

StyleSheets::StyleSheets(DataFolder folder, Prompter& prompter)
    : m_folder(std::move(folder)), m_prompter(prompter) {}

QString StyleSheets::path(const QString& name) const {
    return m_folder.path("Lyrics/" + name);
}

QStringList StyleSheets::loadSizes() {
    const QString file = path("user.txt");
    QDir().mkpath(QFileInfo(file).path());
    textstore::ensureFile(file, {defaultSizes().join('|')});
    const QString line = textstore::readSettings(file).value(0);
    QStringList sizes = line.split('|');
    if (sizes.size() < 6) {
        m_prompter.message(QStringLiteral("%1: \"%2\" does not hold the six sizes of the cue "
                                          "sheets (title, label, artist, header, text, lyrics); "
                                          "those missing take their defaults.")
                               .arg(QDir::toNativeSeparators(file), textstore::excerpt(line)),
                           "Hoedeck", Prompter::Icon::Warning);
        while (sizes.size() < 6)
            sizes << defaultSizes()[sizes.size()];
    }
    return sizes.mid(0, 6);
}

void StyleSheets::saveSizes(const QStringList& sizes) {
    QDir().mkpath(QFileInfo(path("user.css")).path());
    textstore::writeList(path("user.css"), userSheet(sizes));
    textstore::writeList(path("user.txt"), {sizes.mid(0, 6).join('|') + '|'});
}

bool StyleSheets::writeInto(const QString& folder, const QStringList& names,
                            const QStringList& lines) {
    if (!QFileInfo(folder).isDir())
        return false;
    bool all = true;
    for (const QString& name : names) {
        try {
            textstore::writeList(LyricsFolders::join(folder, name), lines);
        } catch (const StoreError&) {
            all = false;
        }
    }
    return all;
}

void StyleSheets::writeUserSheet(const QStringList& folders) {
    const QStringList lines = textstore::readList(path("user.css"));
    for (const QString& folder : folders)
        writeInto(folder, sheetNames(), lines);
}

void StyleSheets::restoreDefault(const QStringList& folders) {
    if (!QFileInfo::exists(path("14.css")))
        rewriteDefault();
    const QStringList lines = textstore::readList(path("14.css"));
    for (const QString& folder : folders)
        writeInto(folder, {"cuesheet2.css", "user.css"}, lines);
}

void StyleSheets::rewriteDefault() {
    QDir().mkpath(QFileInfo(path("14.css")).path());
    textstore::writeList(path("14.css"), defaultSheet());
}

void StyleSheets::provideFor(const QString& folder) {
    if (QFileInfo::exists(LyricsFolders::join(folder, "cuesheet2.css")))
        return;
    try {
        rewriteDefault();
    } catch (const StoreError&) {
        // A data folder that cannot be written was said at start-up.
    }
    writeInto(folder, sheetNames(), defaultSheet());
}

} // namespace hoedeck
