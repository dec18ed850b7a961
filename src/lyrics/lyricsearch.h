#pragma once

#include <QString>
#include <QStringList>

namespace hoedeck {

// The lyrics file of a song found by its name: in a folder's file list, the entry whose name
// shares the longest beginning with the song's file name (letter case aside), the first listed
// of those that share as much. It is taken only when the shared beginning is longer than a
// third of the song's file name, so that "Hey Joe.htm" is not shown for "Hey Good Looking.mp3".
struct SharedBeginning {
    int index = -1; // in the list; -1 when no entry shares even the first character
    int length = 0;
};
SharedBeginning longestSharedBeginning(const QString& song, const QStringList& names);
bool acceptedBeginning(int length, int songLength);

struct LyricSearchResult {
    bool found = false;
    QString folder;    // the folder searched last: the one found in, or the last favourite
    QString fileName;  // the accepted entry, or the best one of the last folder (may be empty)
    QStringList files; // the file list of that folder
    int index = -1;    // of fileName in files
};

// Goes through the favourite folders in order, each listed with the file filter, and stops at
// the first that holds an accepted entry.
LyricSearchResult searchLyrics(const QString& song, const QStringList& folders, int filterIndex);

} // namespace hoedeck
