#pragma once

#include "datafolder.h"
#include "playhistory.h"

#include <QString>
#include <QStringList>
#include <optional>

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
    // "Duplicate Singers + Patter", "Duplicate Patter", "Duplicate Singers": the halves on
    // screen are written to a list the caller names, which becomes current; a half not
    // copied is shown empty.
    bool duplicate(bool singersHalf, bool patterHalf);
    // "Delete": the selected list and its history go, and "default.fvt" becomes current.
    bool deleteList(const QString& selected);
    // The Delete key in a list: the rows go, from the last up, each out of the history too.
    bool removeSongs(bool patterList, QList<int> rows);
    // Files dropped from the desktop: their names join the list at the row. Gives the folder
    // of the first file, for the favourite folders.
    QString shellDrop(bool patterList, const QStringList& paths, int row);
    // A song just opened is marked played in the half it was cued for (patter first); a
    // song cued in neither is not marked. True when it was marked.
    bool highlight(const QString& song, const QString& cuedPatter, const QString& cuedSinger);
    // Writes one half of the current list to its file.
    void save(bool patterList);
    // A drop of songs onto a list at row `row` (the end when past the last): new ones are
    // inserted there (appended and sorted in a sorted list), present ones move there in a
    // hand-made list. Asks first when the list is sorted. Gives the row to show at the top,
    // nothing when the caller declined.
    // Songs dragged within the list itself: only the first moves, as writing the list after
    // it reloads the list and so clears the selection of the rest.
    std::optional<int> drop(bool patterList, QStringList songs, int row, bool withinList = false);

    PlayHistory history;

    QString path(const QString& fileName) const;

private:
    // The names a list can hold; the others are refused with one message.
    QStringList storable(const QStringList& names);
    QStringList& half(bool patterList) { return patterList ? patter : singers; }
    void writeSorted();
    // A list name a caller typed: refused when it would leave the favourites folder.
    bool acceptableName(const QString& name);
    // A list name from the input box, accepted; nothing when cancelled, empty or refused.
    std::optional<QString> askName();
    // Where a song would go at the row (the end when past the last), and there already.
    void place(QStringList& list, bool sorted, const QString& song, int row);

    DataFolder m_folder;
    Prompter& m_prompter;
    QString m_current = QStringLiteral("default.fvt");
};

} // namespace hoedeck
