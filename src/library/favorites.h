#pragma once

#include "datafolder.h"

#include <QString>
#include <QStringList>

namespace hoedeck {

class Prompter;

// The caller's favourites lists: each a name N with the singers in favorites/N.fvt and the
// patter in favorites/N.fvt.ptr, one song file name per line. One list is current.
class FavoritesLists {
public:
    FavoritesLists(DataFolder folder, Prompter& prompter);

    // Start-up: the current list from ini/current_favorite.txt ("default.fvt" when missing).
    void load_current_favorites();
    // Start-up: the two "Sorted" boxes from ini/sorted_checked.txt ("-1" or "0" each).
    void Sorted_Checked();

    const QString& current() const { return m_current; } // "name.fvt"
    QStringList singers;
    QStringList patter;
    bool sortedPatter = true;
    bool sortedSinger = true;

    // The lists in the favourites folder, alphabetically.
    QStringList lists() const;
    // Makes a list current and loads its two halves.
    void makeCurrent(const QString& fileName);
    // "New": asks for a name; opens an existing list unchanged. True when a list was made
    // or opened.
    bool newList();
    // Sets a "Sorted" box, sorts that list when it is set, and writes the boxes' file.
    void setSorted(bool patterList, bool sorted);
    // Writes one half of the current list to its file.
    void save(bool patterList);
    // A drop of songs onto a list at row `row` (the end when past the last): new ones are
    // inserted there (appended and sorted in a sorted list), present ones move there in a
    // hand-made list. Asks first when the list is sorted. True when anything was dropped.
    bool drop(bool patterList, const QStringList& songs, int row);

    QString path(const QString& fileName) const;

private:
    QStringList& half(bool patterList) { return patterList ? patter : singers; }
    void writeSorted();
    // A list name a caller typed: refused when it would leave the favourites folder.
    bool acceptableName(const QString& name);

    DataFolder m_folder;
    Prompter& m_prompter;
    QString m_current = QStringLiteral("default.fvt");
};

} // namespace hoedeck
