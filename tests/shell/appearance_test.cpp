#include "appearance.h"
#include "inifiles.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include <QFileInfo>
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

TEST(DesktopLink, WritesAnExecutableEntryAndReplacesAnOldOne) {
    TempDataFolder data;
    const QString desktop = data.path("Desktop Folder");
    const QString written =
        putLinkOnDesktop("/opt/Hoedeck $1/hoedeck", "/opt/Hoedeck $1/", desktop);
    EXPECT_EQ(written, desktop + "/Hoedeck.desktop");
    const QByteArray entry = data.bytes("Desktop Folder/Hoedeck.desktop");
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/Hoedeck \\$1/hoedeck\"\n")) << entry.toStdString();
    EXPECT_TRUE(entry.contains("\nPath=/opt/Hoedeck $1/\n"));
    EXPECT_FALSE(entry.contains('\r'));
    EXPECT_TRUE(QFileInfo(written).isExecutable());

    putLinkOnDesktop("/usr/local/hoedeck", "/usr/local/", desktop);
    EXPECT_TRUE(data.bytes("Desktop Folder/Hoedeck.desktop").contains("Exec=\"/usr/local/hoedeck\""));
}
