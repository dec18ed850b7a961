#include "filesizelimit.h"
#include "playhistory.h"
#include "qtprinters.h"
#include "songlog.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::TempDataFolder;

TEST(PlayHistory, MarksAreSortedUniqueAndClearedToThePlaceholder) {
    TempDataFolder data;
    PlayHistory history(data.folder());
    EXPECT_TRUE(history.played("default.fvt", true).isEmpty());
    EXPECT_EQ(textstore::readList(data.path("ini/default.fvthighlight_patter.txt")),
              QStringList({"-1"}));
    for (int i = 0; i < 3; ++i)
        history.mark("default.fvt", true, "Hoedown.mp3");
    history.mark("default.fvt", true, "apple.mp3");
    history.mark("default.fvt", true, "HOEDOWN.mp3");
    EXPECT_EQ(textstore::readList(history.file("default.fvt", true)),
              QStringList({"-1", "apple.mp3", "Hoedown.mp3"}));
    EXPECT_TRUE(history.played("default.fvt", true).contains("hoedown.mp3"));
    EXPECT_FALSE(history.played("default.fvt", false).contains("hoedown.mp3"));

    // A hand edit is seen at the next paint.
    data.write("ini/default.fvthighlight_patter.txt", "-1\r\nBanjo.mp3\r\nfiddle.mp3\r\n");
    EXPECT_TRUE(history.played("default.fvt", true).contains("fiddle.mp3"));
    EXPECT_FALSE(history.played("default.fvt", true).contains("hoedown.mp3"));

    EXPECT_TRUE(history.unmark("default.fvt", true, "BANJO.mp3"));
    EXPECT_FALSE(history.unmark("default.fvt", true, "Banjo.mp3"));
    EXPECT_FALSE(history.unmark("other.fvt", true, "Banjo.mp3"));
    EXPECT_FALSE(QFileInfo::exists(history.file("other.fvt", true)));
    history.clear("default.fvt", true);
    EXPECT_EQ(textstore::readList(history.file("default.fvt", true)), QStringList({"-1"}));
    EXPECT_TRUE(history.played("default.fvt", true).isEmpty());
}

TEST(PlayHistory, ColoursComeFromTheirFileAndACancelledDialogKeepsThem) {
    TempDataFolder data;
    PlayHistory history(data.folder());
    history.load_history_color();
    EXPECT_EQ(textstore::readList(data.path("ini/history_color.txt")),
              QStringList({"clBlack", "$0080FFFF"}));
    history.chooseColor(false, color::clRed);
    EXPECT_EQ(history.backgroundColor, color::clRed);
    data.write("ini/history_color.txt", "clWhite\r\nclRed\r\n");
    history.load_history_color();
    history.chooseColor(true, std::nullopt);
    EXPECT_EQ(textstore::readList(data.path("ini/history_color.txt")),
              QStringList({"clWhite", "clRed"}));
}

TEST(SongLog, LinesAreAppendedAndReadNewestFirstByName) {
    TempDataFolder data;
    SongLog log(data.folder());
    EXPECT_FALSE(log.read("Song.mp3").has_value());
    int minute = 0;
    log.now = [&] { return QDateTime(QDate(2026, 12, 9), QTime(19, minute++, 0)); };
    log.build_log("Song.mp3");
    log.build_log("My Song.mp3");
    log.cancel("Song.mp3");
    log.build_log("Other.mp3");
    const QStringList lines = textstore::readList(data.path("ini/log.txt"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[2].startsWith("CANCEL: Song.mp3|"));
    const QString at0 = SongLog::stamp(QDateTime(QDate(2026, 12, 9), QTime(19, 0, 0)));
    const QString at1 = SongLog::stamp(QDateTime(QDate(2026, 12, 9), QTime(19, 1, 0)));
    const QString at2 = SongLog::stamp(QDateTime(QDate(2026, 12, 9), QTime(19, 2, 0)));
    EXPECT_EQ(lines[0], "Song.mp3|" + at0);
    EXPECT_EQ(*log.read("Song.mp3"), QStringList({"Song.mp3 log:", "CANCEL:" + at2, at1, at0}));
    EXPECT_TRUE(data.bytes("ini/log.txt").endsWith("\r\n"));
}

TEST(SongLog, AnOpeningAfterALineCutShortStartsALineOfItsOwn) {
    TempDataFolder data;
    // The program ended while it wrote the last line: its line break never reached the file.
    data.write("ini/log.txt", "Song.mp3|3/15/2024 7:30:12 PM\r\nSong.mp3|3/15/20");
    SongLog log(data.folder());
    log.now = [] { return QDateTime(QDate(2026, 12, 9), QTime(19, 0, 0)); };
    log.build_log("Song.mp3");
    const QString at = SongLog::stamp(QDateTime(QDate(2026, 12, 9), QTime(19, 0, 0)));
    EXPECT_EQ(*log.read("Song.mp3"),
              QStringList({"Song.mp3 log:", at, "3/15/20", "3/15/2024 7:30:12 PM"}));
}

TEST(SongLog, AnOlderWindows1252LogBecomesUtf8BeforeTheFirstAppend) {
    TempDataFolder data;
    const QString cafe = QString::fromUtf8("Caf\u00e9.mp3");
    const QString zoe = QString::fromUtf8("Zo\u00eb.mp3");
    // Written by an older installation, then once by a version that appended UTF-8 to it.
    data.write("ini/log.txt", "Caf\xE9.mp3|3/15/2024 7:30:12 PM\r\n"
                              "CANCEL: Caf\xE9.mp3|3/15/2024 7:41:00 PM\r\n"
                              "Zo\xC3\xAB.mp3|3/16/2024 8:00:00 PM\r\n");
    SongLog log(data.folder());
    log.now = [] { return QDateTime(QDate(2026, 12, 9), QTime(19, 0, 0)); };
    log.build_log(cafe);
    log.build_log(zoe);
    const QString at = SongLog::stamp(QDateTime(QDate(2026, 12, 9), QTime(19, 0, 0)));
    EXPECT_EQ(data.bytes("ini/log.txt"),
              (cafe + "|3/15/2024 7:30:12 PM\r\nCANCEL: " + cafe + "|3/15/2024 7:41:00 PM\r\n" +
               zoe + "|3/16/2024 8:00:00 PM\r\n" + cafe + "|" + at + "\r\n" + zoe + "|" + at +
               "\r\n")
                  .toUtf8());
    // The new entry and the old ones are the same song's.
    EXPECT_EQ(*log.read(cafe), QStringList({cafe + " log:", at, "CANCEL:3/15/2024 7:41:00 PM",
                                            "3/15/2024 7:30:12 PM"}));
    EXPECT_EQ(*log.read(zoe), QStringList({zoe + " log:", at, "3/16/2024 8:00:00 PM"}));
    EXPECT_EQ(QDir(data.path("ini")).entryList(QDir::Files), QStringList({"log.txt"}));
}

TEST(SongLog, AnOpeningThatCannotBeLoggedIsReportedAndCutsNoLine) {
    TempDataFolder data;
    const QByteArray old = "Song.mp3|9.12.26 19:00:00\r\n";
    data.write("ini/log.txt", old);
    const QString message = hoedeck::testing::underFileSizeLimit(old.size() + 4, [&] {
        SongLog log(data.folder());
        log.build_log("A Much Longer Song Name.mp3");
    });
    EXPECT_EQ(data.bytes("ini/log.txt"), old);
    EXPECT_TRUE(message.contains("log.txt")) << message.toStdString();
    EXPECT_TRUE(message.contains("File too large")) << message.toStdString();
}
