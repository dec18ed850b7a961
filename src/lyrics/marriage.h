#pragma once

#include "datafolder.h"

#include <QString>

namespace hoedeck {

// Songs married to their lyrics or cue sheets: ini/marriage.txt, one marriage a line,
// "lyrics path|song path", sorted without regard to case. The song path is the music
// browser's folder at the time of the marriage and the song's file name, so a marriage
// belongs to that folder. A song may have several lyrics files and a lyrics file several songs.
class Marriages {
public:
    explicit Marriages(DataFolder folder);

    QString path() const;
    // "I Do" (iDo) adds the line unless an equal one (ignoring case) is there; "Divorce"
    // removes it. The file is written either way, and so created by the first proposal.
    void propose(const QString& lyricsPath, const QString& songPath, bool iDo) const;
    // The lyrics file of the first marriage of the song in file order; empty when none.
    QString lyricsFor(const QString& songPath) const;
    // The song of the last marriage of the lyrics file; empty when none.
    QString songFor(const QString& lyricsPath) const;

private:
    DataFolder m_folder;
};

} // namespace hoedeck
