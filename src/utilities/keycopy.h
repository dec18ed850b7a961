#pragma once

#include "copyjob.h"
#include "musicfolders.h"
#include "volumes.h"

#include <QList>
#include <QStringList>

namespace hoedeck {

class Prompter;

// One entry of a favourites list to be copied: which half, which row, the song's file name.
struct KeySong {
    bool patter = false;
    int row = 0;
    QString entry;
};

// "Copy Patter", "Copy Singers" and "Copy Both": the song files of the current favourites
// list, found the way a list finds them for playing, copied to the top folder of a volume
// (a USB key) on the job's thread. A file already on the key is never replaced.
class KeyCopy {
public:
    KeyCopy(const MusicFolders& folders, Prompter& prompter, CopyJob& job);

    // The songs to copy, singers before patter. Empty halves give nothing.
    static QList<KeySong> plan(const QStringList& singers, const QStringList& patter);

    // Starts the copy of the planned songs. A plan without songs is refused with a message
    // naming the empty half (or halves). False when nothing was started.
    bool start(const QList<KeySong>& songs, const Volume& volume, const QString& emptyWhat);

    // The copy itself, run on the job's thread (tests run it directly). Before each song it
    // reports the song's index in `songs`; a song found nowhere is passed over, a song that
    // cannot be copied is told and the copy goes on.
    static CopyJob::Ending work(const QList<KeySong>& songs, const MusicFolders& folders,
                                const Volume& volume, CopyJob::Control& control);

private:
    const MusicFolders& m_folders;
    Prompter& m_prompter;
    CopyJob& m_job;
};

} // namespace hoedeck
