#include "filesizelimit.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::TempDataFolder;
using hoedeck::testing::underFileSizeLimit;

namespace {
QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}
} // namespace

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

TEST(TextStore, DecidesTheEncodingOfEachLine) {
    TempDataFolder data;
    const QString cafe = QString::fromUtf8("Caf\u00e9.mp3");
    const QString zoe = QString::fromUtf8("Zo\u00eb \u201cLive\u201d.mp3");
    // An old Windows-1252 list that UTF-8 lines were added to later, with every kind of line
    // break between them.
    data.write("ini/mixed.txt", "Caf\xE9.mp3\r\n"
                                "Zo\xC3\xAB \xE2\x80\x9CLive\xE2\x80\x9D.mp3\n"
                                "plain\r"
                                "\x93Quoted\x94");
    EXPECT_EQ(textstore::readList(data.path("ini/mixed.txt")),
              QStringList({cafe, zoe, "plain", QString::fromUtf8("\u201cQuoted\u201d")}));
    EXPECT_EQ(textstore::decodeLine("Caf\xC3\xA9"), QString::fromUtf8("Caf\u00e9"));
    EXPECT_EQ(textstore::decodeLine("Caf\xE9"), QString::fromUtf8("Caf\u00e9"));
    // A UTF-8 sequence cut short by a crash is one bad line, not a bad file.
    EXPECT_EQ(textstore::decode("ok \xC3\xA9\r\ncut \xC3"),
              QString::fromUtf8("ok \u00e9\r\ncut \u00c3"));

    // Converting keeps every line and line break, rewrites in one step, and leaves a UTF-8 file
    // (and a missing one) alone.
    EXPECT_TRUE(textstore::convertToUtf8(data.path("ini/mixed.txt")));
    EXPECT_EQ(
        data.bytes("ini/mixed.txt"),
        (cafe + "\r\n" + zoe + "\nplain\r" + QString::fromUtf8("\u201cQuoted\u201d")).toUtf8());
    EXPECT_FALSE(textstore::convertToUtf8(data.path("ini/mixed.txt")));
    EXPECT_FALSE(textstore::convertToUtf8(data.path("ini/missing.txt")));
    EXPECT_FALSE(QFileInfo::exists(data.path("ini/missing.txt")));
    EXPECT_EQ(QDir(data.path("ini")).entryList(QDir::Files), QStringList({"mixed.txt"}));
}

TEST(TextStore, SortsIgnoringCaseAsAStableSortWould) {
    const auto reference = [](QStringList lines) {
        std::stable_sort(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
            return a.toLower().localeAwareCompare(b.toLower()) < 0;
        });
        return lines;
    };
    // In order with one line added at the end (before, among equals, after all), out of order,
    // and the small cases.
    const QList<QStringList> cases{
        {"apple", "Banana", "cherry", "banana"},
        {"apple", "Banana", "cherry", "APPLE"},
        {"apple", "Banana", "cherry", "zebra"},
        {"apple", "Banana", "cherry", "0"},
        {"c", "B", "a", "b", "A"},
        {"b", "a"},
        {"a", "b"},
        {"one"},
        {},
    };
    for (const QStringList& lines : cases) {
        QStringList sorted = lines;
        textstore::sortIgnoringCase(sorted);
        EXPECT_EQ(sorted, reference(lines)) << lines.join(',').toStdString();
    }
}

TEST(TextStore, QuotesAnExcerptAndRefusesAHugeSettingsFile) {
    EXPECT_EQ(textstore::excerpt("short"), "short");
    EXPECT_EQ(textstore::excerpt(QString(61, 'a')), QString(60, 'a') + QChar(0x2026));
    EXPECT_EQ(textstore::excerpt("a\nb\tc"), "a\uFFFDb\uFFFDc");
    // A character outside the basic plane is not cut in half.
    const QString clef = QString(59, 'a') + QString::fromUtf8("\U0001D11E") + "b";
    EXPECT_EQ(textstore::excerpt(clef), QString(59, 'a') + QChar(0x2026));

    TempDataFolder data;
    data.write("ini/small.txt", "40\r\n");
    EXPECT_EQ(textstore::readSettings(data.path("ini/small.txt")), QStringList({"40"}));
    data.write("ini/big.txt", QByteArray(textstore::kMaxSettingsBytes + 1, 'x'));
    try {
        textstore::readSettings(data.path("ini/big.txt"));
        FAIL() << "a settings file of megabytes is damage";
    } catch (const StoreError& e) {
        EXPECT_TRUE(e.message().contains("big.txt")) << e.what();
        EXPECT_LT(e.message().size(), 300) << e.what();
    }
    // Lists have no such bound.
    EXPECT_EQ(textstore::readList(data.path("ini/big.txt")).value(0).size(),
              textstore::kMaxSettingsBytes + 1);
}

// A disk that fills up mid-write: the child may write only a few bytes, as a full disk lets it.
TEST(TextStoreOnAFullDisk, TheOldFileStaysAndTheMessageSaysWhy) {
    TempDataFolder data;
    const QString path = data.path("ini/memorize.txt");
    const QByteArray old = "song one|12\r\nsong two|34\r\n";
    data.write("ini/memorize.txt", old);

    // A small replacement that a buffered write would have lost in a failed flush, and a large
    // one that stops part way.
    for (const qsizetype lines : {3, 5000}) {
        SCOPED_TRACE(lines);
        const QString message = underFileSizeLimit(8, [&] {
            textstore::writeList(path, QStringList(lines, QStringLiteral("a longer song|56")));
        });
        EXPECT_EQ(data.bytes("ini/memorize.txt"), old);
        EXPECT_TRUE(message.contains(QFileInfo(path).absoluteFilePath())) << message.toStdString();
        EXPECT_TRUE(message.contains("File too large")) << message.toStdString();
        EXPECT_FALSE(message.contains("Unknown error")) << message.toStdString();
        // No work file is left behind.
        EXPECT_EQ(QDir(data.path("ini")).entryList(QDir::Files), QStringList({"memorize.txt"}));
    }

    // Within the limit the same write goes through.
    EXPECT_EQ(underFileSizeLimit(1 << 20, [&] { textstore::writeList(path, {"new"}); }),
              "no error");
    EXPECT_EQ(data.bytes("ini/memorize.txt"), QByteArray("new\r\n"));
}

// A disk that really is full: a small file system of its own, filled up, then a list written
// over an old one and a line appended to the log.
TEST(TextStoreOnAFullDisk, ARealFullDiskKeepsTheOldFilesAndSaysNoSpaceLeft) {
    QTemporaryDir mount;
    const QString folder = mount.path();
    const QString outcome = hoedeck::testing::inChildOnSmallDisk(folder, 64 * 1024, [&] {
        const QString list = folder + "/memorize.txt";
        const QString log = folder + "/log.txt";
        textstore::writeList(list, {"song one|12", "song two|34"});
        textstore::appendBytes(log, "first|9.12.26 19:00:00\r\n");
        const QByteArray oldList = readAll(list), oldLog = readAll(log);
        // Fill what is left of the disk.
        QFile filler(folder + "/filler");
        filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        while (filler.write(QByteArray(4096, 'x')) > 0) {
        }
        filler.close();
        std::string said;
        try {
            textstore::writeList(list, QStringList(50, QStringLiteral("a longer song|56")));
        } catch (const StoreError& e) {
            said += e.what();
        }
        said += "\n";
        try {
            textstore::appendBytes(log, QByteArray(5000, 'y') + "\r\n");
        } catch (const StoreError& e) {
            said += e.what();
        }
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        return said + "\n" + (readAll(list) == oldList ? "list kept" : "list lost") + "\n" +
               (readAll(log) == oldLog ? "log kept" : "log lost") + "\n" +
               left.join(' ').toStdString();
    });
    if (outcome.startsWith("unprepared: "))
        GTEST_SKIP() << "no file system of its own for the child: " << outcome.toStdString();
    const QStringList lines = outcome.split('\n');
    ASSERT_EQ(lines.size(), 5) << outcome.toStdString();
    for (int i : {0, 1}) {
        EXPECT_TRUE(lines[i].contains("No space left on device")) << lines[i].toStdString();
        EXPECT_FALSE(lines[i].contains("Unknown error")) << lines[i].toStdString();
    }
    EXPECT_TRUE(lines[0].contains("memorize.txt")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("log.txt")) << lines[1].toStdString();
    EXPECT_EQ(lines[2], "list kept");
    EXPECT_EQ(lines[3], "log kept");
    // No work file is left behind on the full disk.
    EXPECT_EQ(lines[4], "filler log.txt memorize.txt");
}

TEST(TextStoreOnAFullDisk, AnAppendThatDoesNotFitLeavesNoHalfLine) {
    TempDataFolder data;
    const QString path = data.path("ini/log.txt");
    const QByteArray old = "first|9.12.26 19:00:00\r\n";
    data.write("ini/log.txt", old);

    const QString message = underFileSizeLimit(old.size() + 5, [&] {
        textstore::appendBytes(path, "a song that does not fit|9.12.26 19:01:00\r\n");
    });
    EXPECT_EQ(data.bytes("ini/log.txt"), old);
    EXPECT_TRUE(message.contains(QFileInfo(path).absoluteFilePath())) << message.toStdString();
    EXPECT_TRUE(message.contains("File too large")) << message.toStdString();

    textstore::appendBytes(path, "second\r\n");
    textstore::appendBytes(data.path("ini/new.txt"), "made\r\n");
    EXPECT_EQ(data.bytes("ini/log.txt"), old + "second\r\n");
    EXPECT_EQ(data.bytes("ini/new.txt"), QByteArray("made\r\n"));
}

TEST(TextStore, OnlyTheFilesOwnByteOrderMarkIsDropped) {
    TempDataFolder data;
    // A device or song name pasted with a zero-width no-break space in front: the same
    // character as a byte-order mark, but part of the name.
    const QString name = QChar(0xFEFF) + QStringLiteral("USB Audio");
    textstore::writeList(data.path("ini/output_device.txt"), {name});
    EXPECT_EQ(textstore::readList(data.path("ini/output_device.txt")), QStringList({name}));
    textstore::writeList(data.path("ini/output_device.txt"),
                         textstore::readList(data.path("ini/output_device.txt")));
    EXPECT_EQ(textstore::readList(data.path("ini/output_device.txt")), QStringList({name}));

    // A file an editor saved with its mark reads without it, whatever follows; inside the file
    // the character is text in a UTF-8 line as in one of a Windows-1252 file.
    data.write("ini/marked.txt", "\xEF\xBB\xBF\xEF\xBB\xBF"
                                 "a\r\n\xEF\xBB\xBF"
                                 "b\r\n");
    EXPECT_EQ(
        textstore::readList(data.path("ini/marked.txt")),
        QStringList({QChar(0xFEFF) + QStringLiteral("a"), QChar(0xFEFF) + QStringLiteral("b")}));
    data.write("ini/old.txt", "Caf\xE9\r\n\xEF\xBB\xBF"
                              "b\r\n");
    EXPECT_EQ(textstore::readList(data.path("ini/old.txt")),
              QStringList({QString::fromUtf8("Caf\u00e9"), QChar(0xFEFF) + QStringLiteral("b")}));

    // Made UTF-8, a file whose text starts with the character still reads the same.
    data.write("ini/old.txt", "\xEF\xBB\xBF\xEF\xBB\xBF"
                              "a\xE9\r\n");
    const QStringList before = textstore::readList(data.path("ini/old.txt"));
    EXPECT_TRUE(textstore::convertToUtf8(data.path("ini/old.txt")));
    EXPECT_EQ(textstore::readList(data.path("ini/old.txt")), before);
}
