#include "cardfiles.h"

#include "carddesk.h"
#include "prompter.h"
#include "textstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace hoedeck::reader {

namespace {
const QString kDanceFilter = QStringLiteral("Dance (*.dnc)|*.dnc");
}

CardFiles::CardFiles(DataFolder folder, CardDesk& desk, Prompter& prompter)
    : m_folder(std::move(folder)), m_desk(desk), m_prompter(prompter) {
    QDir().mkpath(cardsFolder());
}

std::optional<QString> CardFiles::import(ImportFormat format) {
    const QStringList chosen = m_prompter.openFiles("Open", QString(), QString());
    if (chosen.isEmpty())
        return std::nullopt;
    const QString source = chosen.first();
    QFile check(source);
    if (!check.open(QIODevice::ReadOnly)) {
        m_prompter.message(
            QStringLiteral("Cannot open file \"%1\". %2").arg(source, check.errorString()));
        return std::nullopt;
    }
    check.close();
    const QString offered = QFileInfo(source).fileName();
    // A box dismissed without an answer takes the name it offered.
    const QString name =
        m_prompter.input("Name of Folder:", "Please enter the name of the new folder: ", offered)
            .value_or(offered);
    if (const QString problem = folderNameProblem(cardsFolder(), name); !problem.isEmpty()) {
        m_prompter.message(problem);
        return std::nullopt;
    }
    const QString folder = QDir(cardsFolder()).filePath(name);
    try {
        importCards(source, cardsFolder(), name, format);
    } catch (const StoreError& e) {
        m_prompter.message(e.message());
        if (!QFileInfo(folder).isDir())
            return std::nullopt;
    }
    m_desk.setBrowserFolder(folder);
    return folder;
}

void CardFiles::restoreBoxes() {
    const QString path = m_folder.ini("box_filenames.txt");
    try {
        QDir().mkpath(danceFolder());
        textstore::ensureFile(path, {"", "", "", "", "", "1"});
        m_desk.restore(readBoxList(path, BoxNumberRule::BoxListFile));
    } catch (const StoreError& e) {
        m_prompter.message(e.message());
    }
}

void CardFiles::writeBoxes() {
    QDir().mkpath(danceFolder());
    writeBoxList(m_folder.ini("box_filenames.txt"), m_desk.boxList());
}

bool CardFiles::saveBoxes() {
    try {
        writeBoxes();
        return true;
    } catch (const StoreError& e) {
        m_prompter.message(e.message());
        return false;
    }
}

bool CardFiles::saveAsDance() {
    QDir().mkpath(danceFolder());
    auto path = m_prompter.saveFile("Save As Dance", danceFolder(), kDanceFilter);
    if (!path)
        return false;
    if (QFileInfo(*path).suffix().isEmpty())
        *path += ".dnc";
    try {
        writeBoxList(*path, m_desk.boxList());
        return true;
    } catch (const StoreError& e) {
        m_prompter.message(e.message());
        return false;
    }
}

bool CardFiles::openDance() {
    const auto path = m_prompter.openFile("Open Dance", danceFolder(), kDanceFilter);
    if (!path || !QFileInfo(*path).isFile())
        return false;
    return openDanceFile(*path, BoxNumberRule::OpenDance);
}

bool CardFiles::openDanceFile(const QString& path, BoxNumberRule rule) {
    try {
        return m_desk.openBoxList(readBoxList(path, rule));
    } catch (const StoreError& e) {
        m_prompter.message(e.message());
        return false;
    }
}

bool CardFiles::deleteDance(const QString& path) {
    if (path.isEmpty() ||
        !m_prompter.question("Are you sure you want to delete the seleted item(s)?"))
        return false;
    QFile file(path);
    if (!file.remove()) {
        m_prompter.message(
            QStringLiteral("Cannot delete file \"%1\". %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

CardFont CardFiles::loadFont() {
    const QString path = m_folder.ini("font.ini");
    if (!QFileInfo::exists(path))
        return {};
    try {
        return readCardFont(path);
    } catch (const StoreError& e) {
        m_prompter.message(e.message());
        return {};
    }
}

bool CardFiles::saveFont(const CardFont& font) {
    try {
        QDir().mkpath(danceFolder());
        writeCardFont(m_folder.ini("font.ini"), font);
        return true;
    } catch (const StoreError& e) {
        m_prompter.message(e.message());
        return false;
    }
}

} // namespace hoedeck::reader
