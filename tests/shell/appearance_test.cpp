#include "appearance.h"
#include "inifiles.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::ScriptedPrompter;
using hoedeck::testing::TempDataFolder;

TEST(PanelLayout, GridAtThousandByEightHundred) {
    const PanelGrid grid = layOutPanels(1000, 800, 57);
    EXPECT_EQ(grid.pLeftSide, QRect(0, 0, 249, 456));
    EXPECT_EQ(grid.Panel5, QRect(250, 0, 249, 456));
    EXPECT_EQ(grid.pRight, QRect(500, 0, 249, 456));
    EXPECT_EQ(grid.Panel7, QRect(750, 0, 249, 456));
    EXPECT_EQ(grid.Panel10, QRect(0, 457, 332, 313));
    EXPECT_EQ(grid.Panel11, QRect(333, 457, 332, 313));
    EXPECT_EQ(grid.Panel12, QRect(666, 457, 332, 313));
    EXPECT_EQ(grid.progressStrip, QRect(0, 769, 1000, 31));
}

TEST(Appearance, SplitFileAndBounds) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    Appearance appearance(data.folder(), prompter);
    appearance.get_splitter();
    EXPECT_EQ(appearance.split(), 57);
    EXPECT_EQ(data.bytes("ini/splitter.txt"), QByteArray("57\r\n"));

    appearance.setSplit(1);
    EXPECT_FALSE(appearance.moveSplit(-1)); // Ctrl+A at the top stays at 1
    EXPECT_EQ(appearance.split(), 1);
    appearance.setSplit(100);
    EXPECT_FALSE(appearance.moveSplit(+1)); // Ctrl+Shift+A at the bottom stays at 100
    EXPECT_TRUE(appearance.moveSplit(-1));
    EXPECT_EQ(appearance.split(), 99);
    appearance.note_splitter();
    EXPECT_EQ(data.bytes("ini/splitter.txt"), QByteArray("99\r\n"));

    // A damaged or out-of-range split reads as something the window can use.
    data.write("ini/splitter.txt", "abc\r\n");
    appearance.get_splitter();
    EXPECT_EQ(appearance.split(), 57);
    data.write("ini/splitter.txt", "250\r\n");
    appearance.get_splitter();
    EXPECT_EQ(appearance.split(), 100);
}

TEST(Appearance, ColoursDefaultsDamageAndRestore) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    Appearance appearance(data.folder(), prompter);
    appearance.ColorMe();
    EXPECT_EQ(textstore::readList(data.path("ini/color.txt")),
              QStringList({"clTeal", "cl3DLight", "\"Arial\", 10, [], [cl3DLight]"}));
    EXPECT_EQ(appearance.background(), color::clTeal);
    EXPECT_EQ(appearance.font().name, "Arial");
    EXPECT_TRUE(prompter.shown.isEmpty());

    appearance.setBackground(0x0080FFFF);
    EXPECT_EQ(textstore::readList(data.path("ini/color.txt")).value(0), "$0080FFFF");

    // A hand-edited file with a damaged line: the default stands in, the caller is told which
    // line, and the file is kept for them to mend.
    data.write("ini/color.txt", "clNavy\r\nnot a colour\r\n\"Arial\", 12, [Bold], [clRed]\r\n");
    appearance.ColorMe();
    EXPECT_EQ(appearance.background(), 0x800000u);
    EXPECT_EQ(appearance.textColor(), color::cl3DLight);
    EXPECT_TRUE(appearance.font().bold);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].contains("line 2")) << prompter.shown[0].toStdString();
    EXPECT_EQ(textstore::readList(data.path("ini/color.txt")).value(1), "not a colour");

    // "Default" brings back teal whatever the file held.
    appearance.restoreDefaults();
    EXPECT_EQ(appearance.background(), color::clTeal);
    EXPECT_EQ(textstore::readList(data.path("ini/color.txt")).value(0), "clTeal");
}

TEST(Appearance, AHugeDamagedColourFileGivesAShortMessage) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    Appearance appearance(data.folder(), prompter);

    // Over the settings size: refused whole, defaults used, the file left for the caller.
    const QByteArray huge = "clNavy\r\n" + QByteArray(10 * 1024 * 1024, '7') + "\r\n";
    data.write("ini/color.txt", huge);
    appearance.ColorMe();
    EXPECT_EQ(appearance.background(), color::clTeal);
    EXPECT_EQ(appearance.textColor(), color::cl3DLight);
    EXPECT_EQ(appearance.font().name, "Arial");
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_LT(prompter.shown[0].size(), 400) << prompter.shown[0].toStdString();
    EXPECT_TRUE(prompter.shown[0].contains("color.txt")) << prompter.shown[0].toStdString();
    EXPECT_TRUE(prompter.shown[0].contains("MB")) << prompter.shown[0].toStdString();
    EXPECT_EQ(data.bytes("ini/color.txt").size(), huge.size());

    // A long damaged line in a file of sound size is quoted only in part, on one line.
    data.write("ini/color.txt", "clNavy\r\n" + QByteArray(100000, 'z') + "\r\n\"Arial\", x\x01");
    prompter.shown.clear();
    appearance.ColorMe();
    EXPECT_EQ(appearance.background(), 0x800000u);
    ASSERT_EQ(prompter.shown.size(), 1);
    const QString message = prompter.shown[0];
    EXPECT_LT(message.size(), 400) << message.toStdString();
    EXPECT_TRUE(message.contains("line 2 \"" + QString(60, 'z') + QChar(0x2026) + "\""))
        << message.toStdString();
    EXPECT_TRUE(message.contains("line 3 \"\"Arial\", x\uFFFD\"")) << message.toStdString();
}

TEST(DesktopLink, WritesAnExecutableEntryAndReplacesAnOldOne) {
    TempDataFolder data;
    const QString desktop = data.path("Desktop Folder");
    const QString written =
        putLinkOnDesktop("/opt/Hoedeck $1/hoedeck", "/opt/Hoedeck $1/", desktop);
    EXPECT_EQ(written, desktop + "/Hoedeck.desktop");
    const QByteArray entry = data.bytes("Desktop Folder/Hoedeck.desktop");
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    // "\$" inside the quotes, its backslash doubled as every backslash of a string value is.
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/Hoedeck \\\\$1/hoedeck\"\n")) << entry.toStdString();
    EXPECT_TRUE(entry.contains("\nPath=/opt/Hoedeck $1/\n"));
    EXPECT_FALSE(entry.contains('\r'));
    EXPECT_TRUE(QFileInfo(written).isExecutable());

    putLinkOnDesktop("/usr/local/hoedeck", "/usr/local/", desktop);
    EXPECT_TRUE(
        data.bytes("Desktop Folder/Hoedeck.desktop").contains("Exec=\"/usr/local/hoedeck\""));
}

namespace {
// Reads a value back as a desktop does: the string escapes first, then, for Exec, the one
// quoted argument with its own escapes and "%%".
QString unescapeValue(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        out += next == 'n'   ? QChar('\n')
               : next == 't' ? QChar('\t')
               : next == 'r' ? QChar('\r')
               : next == 's' ? QChar(' ')
                             : next;
    }
    return out;
}

QString execArgument(const QString& value) {
    const QString quoted = unescapeValue(value);
    if (!quoted.startsWith('"') || !quoted.endsWith('"') || quoted.size() < 2)
        return "not one quoted argument: " + quoted;
    QString out;
    for (qsizetype i = 1; i + 1 < quoted.size(); ++i) {
        const QChar c = quoted[i];
        if (c == '\\' && QStringLiteral("\"`$\\").contains(quoted[i + 1]))
            out += quoted[++i];
        else if (c == '%' && quoted[i + 1] == '%')
            out += quoted[++i];
        else if (c == '"' || c == '`' || c == '$' || c == '\\' || c == '%')
            return "unescaped " + QString(c) + " in " + quoted;
        else
            out += c;
    }
    return out;
}

QMap<QString, QString> entryKeys(const QByteArray& entry) {
    QMap<QString, QString> keys;
    for (const QString& line : QString::fromUtf8(entry).split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith('['))
            continue;
        const qsizetype eq = line.indexOf('=');
        keys.insert(line.left(eq), keys.contains(line.left(eq)) ? "<twice>" : line.mid(eq + 1));
    }
    return keys;
}
} // namespace

TEST(DesktopLink, FolderNamesWithLineBreaksAndQuotesStayOneValue) {
    TempDataFolder data;
    const QString desktop = data.path("Desktop");
    // A real folder whose name holds a line break that would start an Exec line of its own.
    const QString hostile = data.path("Calls \"Live\"\nExec=rm -rf ~\t100% `x` $HOME \\ end");
    ASSERT_TRUE(QDir().mkpath(hostile));

    putLinkOnDesktop("/opt/Say \"Hi\" `x` $HOME 100% back\\slash/hoedeck", hostile, desktop);
    const QByteArray entry = data.bytes("Desktop/Hoedeck.desktop");
    const QMap<QString, QString> keys = entryKeys(entry);
    EXPECT_EQ(keys.keys(),
              QStringList({"Categories", "Comment", "Exec", "Name", "Path", "Terminal", "Type"}))
        << entry.toStdString();
    EXPECT_EQ(unescapeValue(keys.value("Path")), hostile) << entry.toStdString();
    EXPECT_TRUE(QFileInfo(unescapeValue(keys.value("Path"))).isDir());
    EXPECT_EQ(execArgument(keys.value("Exec")),
              "/opt/Say \"Hi\" `x` $HOME 100% back\\slash/hoedeck")
        << entry.toStdString();

    // A program path with a line break, or any path with another control character, cannot be
    // written: the message says why, and the entry already there stays.
    const QString badProgram = hostile + "/hoedeck";
    for (const auto& [program, folder] :
         {std::pair{badProgram, data.path("")}, std::pair{QString("/opt/a\x01b"), data.path("")},
          std::pair{QString("/opt/hoedeck"), QString("/opt/bell\x07")}}) {
        try {
            putLinkOnDesktop(program, folder, desktop);
            ADD_FAILURE() << "no entry can hold " << program.toStdString() << folder.toStdString();
        } catch (const StoreError& e) {
            EXPECT_TRUE(e.message().contains("control character")) << e.what();
            EXPECT_FALSE(e.message().contains('\n')) << e.what();
        }
        EXPECT_EQ(data.bytes("Desktop/Hoedeck.desktop"), entry);
    }
}
