#include "datafolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hoedeck;

namespace {
void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}
} // namespace

TEST(DataFolder, APortableCopyKeepsItsOwnFolderAndAnInstalledOneSeedsTheUsersOnce) {
    QTemporaryDir dir;
    const QString program = dir.filePath("usr/lib/hoedeck");
    const QString user = dir.filePath("home/.local/share/Hoedeck");
    write(program + "/manual/manual.html", "<html>");
    write(program + "/favorites/default.fvt", "Demo Singer.mp3\r\n");
    QDir().mkpath(program + "/cards");

    EXPECT_EQ(DataFolder::choose(program, user).root(), program + "/");
    EXPECT_FALSE(QFileInfo::exists(user));

    write(program + "/" + DataFolder::kInstalledMarker, "installed");
    EXPECT_EQ(DataFolder::choose(program, user).root(), user + "/");
    EXPECT_EQ(read(user + "/favorites/default.fvt"), QByteArray("Demo Singer.mp3\r\n"));
    EXPECT_EQ(read(user + "/manual/manual.html"), QByteArray("<html>"));
    EXPECT_TRUE(QFileInfo(user + "/cards").isDir());
    EXPECT_FALSE(QFileInfo::exists(user + "/" + DataFolder::kInstalledMarker));

    // The caller's own changes stay: a list changed and one deleted are not put back.
    write(user + "/favorites/default.fvt", "Mine.mp3\r\n");
    QFile::remove(user + "/manual/manual.html");
    EXPECT_EQ(DataFolder::choose(program, user).root(), user + "/");
    EXPECT_EQ(read(user + "/favorites/default.fvt"), QByteArray("Mine.mp3\r\n"));
    EXPECT_FALSE(QFileInfo::exists(user + "/manual/manual.html"));
}
