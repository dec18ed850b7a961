#include "favorites.h"

#include "prompter.h"
#include "textstore.h"

#include <QDir>
#include <QFile>
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

// Why the name cannot be a list's file name, empty when it can. A list is a file in the
// favourites folder, never a path to somewhere else, and its name is one line of a file.
QString nameProblem(const QString& name) {
    if (name.contains('/') || name.contains('\\') || name == "." || name.contains(".."))
        return QStringLiteral("it may not hold \"/\", \"\\\" or \"..\"");
    if (std::any_of(name.begin(), name.end(),
                    [](QChar c) { return c.category() == QChar::Other_Control; }))
        return QStringLiteral("it may not hold control characters");
    return {};
}

QStringList readIfThere(const QString& path) {
    return QFileInfo::exists(path) ? textstore::readList(path) : QStringList();
}
} // namespace

FavoritesLists::FavoritesLists(DataFolder folder, Prompter& prompter)
    : history(folder), m_folder(std::move(folder)), m_prompter(prompter) {}

QString FavoritesLists::path(const QString& fileName) const {
    return m_folder.path("favorites/" + fileName);
}

void FavoritesLists::load_current_favorites() {
    const QString file = m_folder.ini(kCurrentFile);
    textstore::ensureFile(file, {"default.fvt"});
    QString name = textstore::readSettings(file).value(0);
    // The file can be edited by hand or damaged: a stored name goes through the same check as
    // a typed one, or list saves would write wherever it points.
    if (const QString problem = nameProblem(name); !name.isEmpty() && !problem.isEmpty()) {
        m_prompter.message(QStringLiteral("The current favorites list \"%1\" in %2 is not a "
                                          "list name (%3); the list \"default.fvt\" is used.")
                               .arg(textstore::excerpt(name), kCurrentFile, problem),
                           "Hoedeck", Prompter::Icon::Warning);
        name.clear();
    }
    m_current = name.isEmpty() ? QStringLiteral("default.fvt") : name;
    singers = readIfThere(path(m_current));
    patter = readIfThere(path(m_current + ".ptr"));
}

void FavoritesLists::Sorted_Checked() {
    const QString file = m_folder.ini(kSortedFile);
    textstore::ensureFile(file, {"-1", "-1"});
    const QStringList lines = textstore::readSettings(file);
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
    QStringList lines = textstore::readSettings(file);
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
    const QString problem = nameProblem(name);
    if (problem.isEmpty())
        return true;
    m_prompter.message("\"" + textstore::excerpt(name) + "\" cannot be a list name: " + problem +
                           ".",
                       "New filename", Prompter::Icon::Warning);
    return false;
}

std::optional<QString> FavoritesLists::askName() {
    const auto name = m_prompter.input("New filename", "Filename", QString());
    if (!name || name->isEmpty() || !acceptableName(*name))
        return std::nullopt;
    QDir().mkpath(m_folder.path("favorites"));
    const QString fileName = *name + ".fvt";
    textstore::ensureFile(path(fileName), {});
    textstore::ensureFile(path(fileName + ".ptr"), {});
    return fileName;
}

bool FavoritesLists::newList() {
    const auto fileName = askName();
    if (!fileName)
        return false;
    makeCurrent(*fileName);
    return true;
}

bool FavoritesLists::duplicate(bool singersHalf, bool patterHalf) {
    const auto fileName = askName();
    if (!fileName)
        return false;
    if (singersHalf)
        textstore::writeList(path(*fileName), singers);
    if (patterHalf)
        textstore::writeList(path(*fileName + ".ptr"), patter);
    makeCurrent(*fileName);
    if (!singersHalf)
        singers.clear();
    if (!patterHalf)
        patter.clear();
    return true;
}

bool FavoritesLists::deleteList(const QString& selected) {
    if (selected.isEmpty()) {
        m_prompter.message("Select a file first");
        return false;
    }
    if (!m_prompter.question("Delete " + QDir::toNativeSeparators(path(selected)) +
                             " from your favorites now?"))
        return false;
    singers.clear();
    patter.clear();
    QDir().mkpath(m_folder.path("favorites"));
    textstore::ensureFile(path("default.fvt"), {});
    textstore::ensureFile(path("default.fvt.ptr"), {});
    makeCurrent("default.fvt");
    history.deleteFiles(selected);
    QFile::remove(path(selected));
    QFile::remove(path(selected + ".ptr"));
    return true;
}

bool FavoritesLists::removeSongs(bool patterList, QList<int> rows) {
    if (!m_prompter.question("Are you sure you want to delete the seleted item(s)?"))
        return false;
    if ((patterList ? sortedPatter : sortedSinger) &&
        !m_prompter.question("If you proceed, you will lose your unsorted order! (Uncheck the "
                             "\"Sorted\" box if you do not wish to change the order.)"))
        return false;
    std::sort(rows.begin(), rows.end(), std::greater<>());
    QStringList& list = half(patterList);
    for (const int row : rows) {
        if (row < 0 || row >= list.size())
            continue;
        const QString song = list.takeAt(row);
        save(patterList);
        history.removeLastLine(m_current, patterList, song);
    }
    return true;
}

void FavoritesLists::setSorted(bool patterList, bool sorted) {
    (patterList ? sortedPatter : sortedSinger) = sorted;
    if (sorted) {
        sortIgnoringCase(half(patterList));
    } else {
        // The hand-made order is the file's.
        const QString file = path(patterList ? m_current + ".ptr" : m_current);
        if (QFileInfo::exists(file))
            half(patterList) = textstore::readList(file);
    }
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

bool FavoritesLists::highlight(const QString& song, const QString& cuedPatter,
                               const QString& cuedSinger) {
    if (song != cuedPatter && song != cuedSinger)
        return false;
    history.mark(m_current, song == cuedPatter, song);
    return true;
}

void FavoritesLists::place(QStringList& list, bool sorted, const QString& song, int row) {
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
    if (!sorted)
        list.move(present(), std::min(at, int(list.size()) - 1));
}

QStringList FavoritesLists::storable(const QStringList& names) {
    // A list holds one name a line: a name with a line break (or another control character)
    // would be cut in two when the list is read again.
    QStringList kept, refused;
    for (const QString& name : names) {
        const bool control = std::any_of(
            name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
        (control ? refused : kept) << name;
    }
    if (!refused.isEmpty())
        m_prompter.message(
            QStringLiteral("\"%1\" cannot be kept in a favorites list: its name holds a line "
                           "break or another control character. Rename the file first.")
                .arg(textstore::excerpt(QString(refused.first()).replace(QChar('\n'), ' '))),
            "Hoedeck", Prompter::Icon::Warning);
    return kept;
}

std::optional<int> FavoritesLists::drop(bool patterList, QStringList songs, int row,
                                        bool withinList) {
    songs = storable(songs);
    if (songs.isEmpty())
        return std::nullopt;
    if (withinList && songs.size() > 1)
        songs = songs.mid(0, 1);
    const bool sorted = patterList ? sortedPatter : sortedSinger;
    if (sorted && !m_prompter.question("If you continue, you will lose your unsorted order."))
        return std::nullopt;
    QStringList& list = half(patterList);
    int top = 0;
    for (const QString& song : songs) {
        place(list, sorted, song, row);
        if (sorted)
            sortIgnoringCase(list);
        save(patterList);
        // The dropped song stays where the drop point showed it.
        const int under = row < 0 || row >= list.size() ? int(list.size()) - 1 : row;
        const auto at = std::find_if(list.begin(), list.end(), [&](const QString& item) {
            return item.compare(song, Qt::CaseInsensitive) == 0;
        });
        top = std::max(0, int(at - list.begin()) - under);
    }
    return top;
}

QString FavoritesLists::shellDrop(bool patterList, const QStringList& dropped, int row) {
    QStringList names;
    for (const QString& file : dropped)
        names << QFileInfo(file).fileName();
    const QStringList kept = storable(names);
    QStringList paths;
    for (const QString& file : dropped)
        if (kept.contains(QFileInfo(file).fileName()))
            paths << file;
    const bool sorted = patterList ? sortedPatter : sortedSinger;
    QStringList& list = half(patterList);
    for (const QString& file : paths)
        place(list, sorted, QFileInfo(file).fileName(), row);
    if (sorted) {
        sortIgnoringCase(list);
        list.erase(std::unique(list.begin(), list.end(),
                               [](const QString& a, const QString& b) {
                                   return a.compare(b, Qt::CaseInsensitive) == 0;
                               }),
                   list.end());
    }
    save(patterList);
    return paths.isEmpty() ? QString() : QFileInfo(paths.first()).path();
}

} // namespace hoedeck
