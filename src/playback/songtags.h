#pragma once

#include <QString>
#include <QStringList>

namespace hoedeck {

// What a song file says about itself in its tags (ID3v2, MP4, Vorbis comments ...): read only,
// nothing is ever written into the caller's music files. Empty fields for a file without tags
// or one the tag reader cannot read.
struct SongTags {
    QString title;
    QString artist;
    QString bpm;
    QString comment;

    // The lines the file information shows: "Title: ...", "Artist: ...", "BPM tag: ...",
    // "Comment: ..." for the fields present.
    QStringList lines() const;
};

SongTags readSongTags(const QString& path);

} // namespace hoedeck
