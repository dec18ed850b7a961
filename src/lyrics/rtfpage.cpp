#include "rtfpage.h"

#include "textstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace hoedeck {

namespace {
constexpr int kConvertMs = 10000;

QString plainPage(const QString& rtfPath, const QString& workFolder) {
    QFile file(rtfPath);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("Cannot open file \"%1\": %2")
                             .arg(QDir::toNativeSeparators(rtfPath), file.errorString())
                             .toStdString());
    const QString text = textstore::decode(file.readAll());
    const QString html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" +
                         QFileInfo(rtfPath).fileName().toHtmlEscaped() +
                         "</title></head><body><pre style=\"white-space: pre-wrap\">" +
                         text.toHtmlEscaped() + "</pre></body></html>";
    const QString page = workFolder + "/page.html";
    textstore::writeBytes(page, html.toUtf8());
    return page;
}
} // namespace

RtfPage rtfPage(const QString& rtfPath, const QString& workFolder, const QString& program) {
    // The previous file's page and pictures go: a picture of the same name must not be taken
    // for this file's.
    QDir(workFolder).removeRecursively();
    QDir().mkpath(workFolder);
    if (!QFileInfo(rtfPath).isFile())
        plainPage(rtfPath, workFolder); // throws, saying why it cannot be opened
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return {plainPage(rtfPath, workFolder),
                QStringLiteral("\"%1\" is not installed: %2 is shown as plain text.")
                    .arg(program, QFileInfo(rtfPath).fileName())};

    QProcess convert;
    // The program writes the pictures it finds into its working folder.
    convert.setWorkingDirectory(workFolder);
    convert.setStandardOutputFile(workFolder + "/page.html");
    convert.start(found, {"--html", QFileInfo(rtfPath).absoluteFilePath()});
    const bool finished = convert.waitForStarted() && convert.waitForFinished(kConvertMs);
    if (!finished)
        convert.kill();
    if (!finished || convert.exitStatus() != QProcess::NormalExit || convert.exitCode() != 0 ||
        QFileInfo(workFolder + "/page.html").size() == 0) {
        return {plainPage(rtfPath, workFolder),
                QStringLiteral("%1 could not be read as rich text; it is shown as plain text.")
                    .arg(QFileInfo(rtfPath).fileName())};
    }
    return {workFolder + "/page.html", {}};
}

} // namespace hoedeck
