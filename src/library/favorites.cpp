#include "favorites.h"

#include "prompter.h"
#include "textstore.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace hoedeck {

namespace {
const char* const kCurrentFile = "current_favorite.txt";
const char* const kSortedFile = "sorted_checked.txt";

void sortIgnoringCase(QStringList& list) {
    std::stable_sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
}

QStringList readIfThere(const QString& path) {
    return QFileInfo::exists(path) ? textstore::readList(path) : QStringList();
}
} // namespace

FavoritesLists::FavoritesLists(DataFolder folder, Prompter& prompter)
    : m_folder(std::move(folder)), m_prompter(prompter) {}

QString FavoritesLists::path(const QString& fileName) const {
    return m_folder.path("favorites/" + fileName);
}

void FavoritesLists::load_current_favorites() {
    const QString file = m_folder.ini(kCurrentFile);
    textstore::ensureFile(file, {"default.fvt"});
    const QString name = textstore::readList(file).value(0);
    m_current = name.isEmpty() ? QStringLiteral("default.fvt") : name;
    singers = readIfThere(path(m_current));
    patter = readIfThere(path(m_current + ".ptr"));
}

void FavoritesLists::Sorted_Checked() {
    const QString file = m_folder.ini(kSortedFile);
    textstore::ensureFile(file, {"-1", "-1"});
    const QStringList lines = textstore::readList(file);
    const auto flag = [&](int i) { return lines.value(i, "-1").trimmed().toInt() != 0; };
    // The handlers run once: they sort a sorted list and write the file back.
    setSorted(true, flag(0));
    setSorted(false, flag(1));
}

QStringList FavoritesLists::lists() const {
    QDir dir(m_folder.path("favorites"));
    return dir.entryList({"*.fvt"}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

void FavoritesLists::makeCurrent(const QString& fileName) {
    m_current = fileName;
    singers = readIfThere(path(fileName));
    patter = readIfThere(path(fileName + ".ptr"));
    const QString file = m_folder.ini(kCurrentFile);
    textstore::ensureFile(file, {"default.fvt"});
    QStringList lines = textstore::readList(file);
    if (lines.isEmpty())
        lines << QString();
    lines[0] = fileName;
    textstore::writeList(file, lines);
    if (sortedSinger)
        sortIgnoringCase(singers);
    if (sortedPatter)
        sortIgnoringCase(patter);
}

bool FavoritesLists::acceptableName(const QString& name) {
    if (name.contains('/') || name.contains('\\') || name == "." || name == ".." ||
        name.contains("..")) {
        m_prompter.message("\"" + name +
                               "\" cannot be a list name: it may not hold \"/\", \"\\\" or "
                               "\"..\".",
                           "New filename", Prompter::Icon::Warning);
        return false;
    }
    return true;
}

bool FavoritesLists::newList() {
    const auto name = m_prompter.input("New filename", "Filename", QString());
    if (!name || name->isEmpty() || !acceptableName(*name))
        return false;
    QDir().mkpath(m_folder.path("favorites"));
    const QString fileName = *name + ".fvt";
    textstore::ensureFile(path(fileName), {});
    textstore::ensureFile(path(fileName + ".ptr"), {});
    makeCurrent(fileName);
    return true;
}

void FavoritesLists::setSorted(bool patterList, bool sorted) {
    (patterList ? sortedPatter : sortedSinger) = sorted;
    if (sorted)
        sortIgnoringCase(half(patterList));
    writeSorted();
}

void FavoritesLists::writeSorted() {
    textstore::writeList(m_folder.ini(kSortedFile),
                         {sortedPatter ? "-1" : "0", sortedSinger ? "-1" : "0"});
}

void FavoritesLists::save(bool patterList) {
    QDir().mkpath(m_folder.path("favorites"));
    const QString singersFile = path(m_current);
    const QString patterFile = path(m_current + ".ptr");
    // Both halves exist once either is written.
    textstore::ensureFile(patterList ? singersFile : patterFile, {});
    textstore::writeList(patterList ? patterFile : singersFile, half(patterList));
}

bool FavoritesLists::drop(bool patterList, const QStringList& songs, int row) {
    const bool sorted = patterList ? sortedPatter : sortedSinger;
    if (sorted && !m_prompter.question("If you continue, you will lose your unsorted order."))
        return false;
    QStringList& list = half(patterList);
    for (const QString& song : songs) {
        const int at = row < 0 || row > list.size() ? int(list.size()) : row;
        const auto present = [&] {
            for (int i = 0; i < list.size(); ++i)
                if (list[i].compare(song, Qt::CaseInsensitive) == 0)
                    return i;
            return -1;
        };
        if (present() < 0) {
            if (sorted)
                list.append(song);
            else
                list.insert(at, song);
        }
        if (!sorted) {
            const int from = present();
            list.move(from, std::min(at, int(list.size()) - 1));
        }
        if (sorted)
            sortIgnoringCase(list);
        save(patterList);
    }
    return true;
}

} // namespace hoedeck
