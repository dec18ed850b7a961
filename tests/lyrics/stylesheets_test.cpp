#include "qtprinters.h"
#include "scriptedprompter.h"
#include "stylesheets.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::ScriptedPrompter;
using hoedeck::testing::TempDataFolder;

namespace {
// The two sheets byte for byte, as a cue sheet written by any earlier installation has them.
const QByteArray kDefaultSheet =
    ".title { font-size: 18pt; font-weight: bold; }\r\n"
    ".label { font-size: 10pt; color: purple; }    \r\n"
    ".artist { font-size: 10pt; color: green; }    \r\n"
    ".hdr { font-size: 12pt; color: brown; font-weight: bold; margin-left: 25px; } \r\n"
    ".text { font-size: 12pt; line-height: 140% }\r\n"
    ".lyrics { font-size: 14pt; background-color: #FCC9C3; } \r\n"
    ".call { font-size: 14pt; font-weight: bold;}                                   \r\n"
    "font { font-family: Tahoma, Arial, Helvetica, Sans Serif; }                   \r\n"
    "body, p, font { font-family: Arial, Helvetica, Verdana, Sans Serif;  font-size: 10pt; } \r\n"
    "dd { margin-left: 50px; } \r\n";

const QByteArray kUserSheet =
    ".title { font-size: 28pt; font-weight: bold; }\r\n"
    ".label { font-size: 8pt; color: purple; }    \r\n"
    ".artist { font-size: 10pt; color: green; }    \r\n"
    ".hdr { font-size: 12pt; color: brown; font-weight: bold; margin-left: 25px; } \r\n"
    ".text { font-size: 16pt; line-height: 140% }\r\n"
    ".lyrics { font-size: 20pt; background-color: #FCC9C3; }                       \r\n"
    ".call { font-size: 14pt; font-weight: bold;}                                   \r\n"
    "font { font-family: Tahoma, Arial, Helvetica, Sans Serif; }                   \r\n"
    "body, p, font { font-family: Arial, Helvetica, Verdana, Sans Serif;  font-size: 16pt; } \r\n"
    "dd { margin-left: 50px; } \r\n";

struct Sheets {
    TempDataFolder data;
    ScriptedPrompter prompter;
    StyleSheets sheets{data.folder(), prompter};
};
} // namespace

TEST(StyleSheets, DefaultAndUserSheetBytes) {
    Sheets s;
    s.sheets.rewriteDefault();
    EXPECT_EQ(s.data.bytes("Lyrics/14.css"), kDefaultSheet);
    s.sheets.saveSizes({"28", "8", "10", "12", "16", "20"});
    EXPECT_EQ(s.data.bytes("Lyrics/user.css"), kUserSheet);
    EXPECT_EQ(s.data.bytes("Lyrics/user.txt"), "28|8|10|12|16|20|\r\n");
}

TEST(StyleSheets, SizesReadBackAndDamageIsSaid) {
    Sheets s;
    EXPECT_EQ(s.sheets.loadSizes(), QStringList({"18", "10", "10", "12", "14", "14"}));
    EXPECT_EQ(s.data.bytes("Lyrics/user.txt"), "18|10|10|12|14|14\r\n");
    // Written with a bar after each size; read back as the six.
    s.sheets.saveSizes(s.sheets.loadSizes());
    EXPECT_EQ(s.data.bytes("Lyrics/user.txt"), "18|10|10|12|14|14|\r\n");
    EXPECT_EQ(s.sheets.loadSizes(), QStringList({"18", "10", "10", "12", "14", "14"}));
    EXPECT_TRUE(s.prompter.shown.isEmpty());

    s.data.write("Lyrics/user.txt", "20|9\r\n");
    EXPECT_EQ(s.sheets.loadSizes(), QStringList({"20", "9", "10", "12", "14", "14"}));
    ASSERT_EQ(s.prompter.shown.size(), 1);
    EXPECT_TRUE(s.prompter.shown[0].contains("\"20|9\" does not hold the six sizes"));
}

TEST(StyleSheets, UserSheetGoesIntoEveryFolderThatCanTakeIt) {
    Sheets s;
    s.data.write("A/song.html", "x");
    s.data.write("B/song.html", "x");
    s.sheets.saveSizes({"28", "8", "10", "12", "16", "20"});
    s.sheets.writeUserSheet({s.data.path("A"), s.data.path("gone"), s.data.path("B")});
    for (const char* name : {"cuesheet.css", "cuesheet2.css", "cuesheet-ab.css"}) {
        EXPECT_EQ(s.data.bytes(QStringLiteral("A/%1").arg(name)), kUserSheet) << name;
        EXPECT_EQ(s.data.bytes(QStringLiteral("B/%1").arg(name)), kUserSheet) << name;
    }
    EXPECT_FALSE(QFileInfo::exists(s.data.path("gone")));
}

TEST(StyleSheets, DefaultLeavesCuesheetAndAbAsTheyWere) {
    Sheets s;
    s.data.write("A/x.html", "x");
    s.sheets.saveSizes({"28", "8", "10", "12", "16", "20"});
    s.sheets.writeUserSheet({s.data.path("A")});
    s.sheets.restoreDefault({s.data.path("A")});
    EXPECT_EQ(s.data.bytes("A/cuesheet2.css"), kDefaultSheet);
    EXPECT_EQ(s.data.bytes("A/user.css"), kDefaultSheet);
    EXPECT_EQ(s.data.bytes("A/cuesheet.css"), kUserSheet);
    EXPECT_EQ(s.data.bytes("A/cuesheet-ab.css"), kUserSheet);
    EXPECT_EQ(s.data.bytes("Lyrics/user.txt"), "28|8|10|12|16|20|\r\n");
    EXPECT_EQ(s.data.bytes("Lyrics/14.css"), kDefaultSheet);
}

TEST(StyleSheets, AFolderWithoutCuesheet2GetsTheDefaultsOnce) {
    Sheets s;
    s.data.write("New/x.html", "x");
    s.data.write("Lyrics/14.css", "damaged");
    s.sheets.provideFor(s.data.path("New"));
    EXPECT_EQ(s.data.bytes("Lyrics/14.css"), kDefaultSheet);
    for (const char* name : {"cuesheet.css", "cuesheet2.css", "cuesheet-ab.css"})
        EXPECT_EQ(s.data.bytes(QStringLiteral("New/%1").arg(name)), kDefaultSheet) << name;

    // A folder that has its sheets keeps them.
    s.data.write("New/cuesheet.css", "mine");
    s.sheets.provideFor(s.data.path("New"));
    EXPECT_EQ(s.data.bytes("New/cuesheet.css"), "mine");
}
