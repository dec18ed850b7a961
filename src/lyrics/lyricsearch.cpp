#include "lyricsearch.h"

#include "lyricsfolders.h"

namespace hoedeck {

namespace {
int sharedLength(const QString& a, const QString& b) {
    const qsizetype most = std::min(a.size(), b.size());
    qsizetype n = 0;
    while (n < most && a[n].toCaseFolded() == b[n].toCaseFolded())
        ++n;
    return int(n);
}
} // namespace

SharedBeginning longestSharedBeginning(const QString& song, const QStringList& names) {
    // The entry that shares the most is the first whose name begins with the longest
    // beginning of the song's name that any entry begins with: one pass finds it.
    SharedBeginning best;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const int length = sharedLength(song, names[i]);
        if (length > best.length) {
            best = {int(i), length};
            if (length == song.size())
                break;
        }
    }
    return best;
}

bool acceptedBeginning(int length, int songLength) {
    // More than a third, as a real number: 4 of 9 and 5 of 12 are enough, 3 and 4 are not.
    return length * 3 > songLength;
}

LyricSearchResult searchLyrics(const QString& song, const QStringList& folders, int filterIndex) {
    LyricSearchResult result;
    for (const QString& folder : folders) {
        result.folder = folder;
        result.files = LyricsFolders::files(folder, filterIndex);
        const SharedBeginning best = longestSharedBeginning(song, result.files);
        result.index = best.index;
        result.fileName = result.files.value(best.index);
        if (best.index >= 0 && acceptedBeginning(best.length, int(song.size()))) {
            result.found = true;
            return result;
        }
    }
    return result;
}

} // namespace hoedeck
