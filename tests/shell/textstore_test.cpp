#include "tempdatafolder.h"
#include "textstore.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::TempDataFolder;

TEST(TextStore, WritesCrLfAndReadsEveryLineEnding) {
    TempDataFolder data;
    const QString path = data.path("ini/list.txt");
    textstore::writeList(path, {"one", "", "three"});
    EXPECT_EQ(data.bytes("ini/list.txt"), QByteArray("one\r\n\r\nthree\r\n"));
    EXPECT_EQ(textstore::readList(path), QStringList({"one", "", "three"}));

    // Files edited elsewhere: LF only, CR only, mixed, and no final line break.
    data.write("ini/lf.txt", "a\nb\n");
    data.write("ini/cr.txt", "a\rb\r");
    data.write("ini/mixed.txt", "a\r\nb\nc\rd");
    data.write("ini/empty.txt", "");
    EXPECT_EQ(textstore::readList(data.path("ini/lf.txt")), QStringList({"a", "b"}));
    EXPECT_EQ(textstore::readList(data.path("ini/cr.txt")), QStringList({"a", "b"}));
    EXPECT_EQ(textstore::readList(data.path("ini/mixed.txt")), QStringList({"a", "b", "c", "d"}));
    EXPECT_TRUE(textstore::readList(data.path("ini/empty.txt")).isEmpty());
}

TEST(TextStore, ReadsUtf8AndFallsBackToWindows1252) {
    TempDataFolder data;
    const QString name = QString::fromUtf8("Caf\u00e9 \u201cSquare\u201d \u20ac.mp3");
    textstore::writeList(data.path("ini/utf8.txt"), {name});
    EXPECT_EQ(textstore::readList(data.path("ini/utf8.txt")).value(0), name);

    // The same name as an older installation wrote it, in Windows-1252.
    data.write("ini/cp1252.txt", "Caf\xE9 \x93"
                                 "Square\x94 \x80.mp3\r\n");
    EXPECT_EQ(textstore::readList(data.path("ini/cp1252.txt")).value(0), name);

    // A byte order mark is not part of the first line.
    data.write("ini/bom.txt", "\xEF\xBB\xBF"
                              "first\r\n");
    EXPECT_EQ(textstore::readList(data.path("ini/bom.txt")).value(0), "first");
}

TEST(TextStore, ReplacesWholeAndReportsFailures) {
    TempDataFolder data;
    const QString path = data.path("ini/memo.txt");
    textstore::writeList(path, {"old 1", "old 2", "old 3"});
    textstore::writeList(path, {"new"});
    EXPECT_EQ(data.bytes("ini/memo.txt"), QByteArray("new\r\n"));
    // No work file is left beside it.
    EXPECT_EQ(QDir(data.path("ini")).entryList(QDir::Files), QStringList({"memo.txt"}));

    // A folder that does not exist: the old content elsewhere is untouched, and the error names
    // the file.
    try {
        textstore::writeList(data.path("missing/memo.txt"), {"x"});
        FAIL() << "writing into a missing folder must fail";
    } catch (const StoreError& e) {
        EXPECT_TRUE(e.message().contains("missing/memo.txt")) << e.what();
    }
    EXPECT_THROW(textstore::readList(data.path("ini/none.txt")), StoreError);

    textstore::ensureFile(path, {"default"});
    EXPECT_EQ(textstore::readList(path), QStringList({"new"}));
    textstore::ensureFile(data.path("ini/fresh.txt"), {"default"});
    EXPECT_EQ(textstore::readList(data.path("ini/fresh.txt")), QStringList({"default"}));
}
