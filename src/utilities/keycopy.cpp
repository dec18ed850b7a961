#include "keycopy.h"

#include "filecopy.h"
#include "prompter.h"

#include <QFileInfo>

namespace hoedeck {

namespace {
const QString kCaption = QStringLiteral("Copy Favorites to Key");
} // namespace

KeyCopy::KeyCopy(const MusicFolders& folders, Prompter& prompter, CopyJob& job)
    : m_folders(folders), m_prompter(prompter), m_job(job) {}

QList<KeySong> KeyCopy::plan(const QStringList& singers, const QStringList& patter) {
    QList<KeySong> songs;
    for (int row = 0; row < singers.size(); ++row)
        songs << KeySong{false, row, singers[row]};
    for (int row = 0; row < patter.size(); ++row)
        songs << KeySong{true, row, patter[row]};
    return songs;
}

bool KeyCopy::start(const QList<KeySong>& songs, const Volume& volume, const QString& emptyWhat) {
    if (m_job.running())
        return false;
    if (songs.isEmpty()) {
        m_prompter.message(emptyWhat, kCaption, Prompter::Icon::Information);
        return false;
    }
    // The search runs on the job's thread against a copy of the folders as they are now: the
    // caller may browse elsewhere meanwhile.
    return m_job.start([songs, folders = m_folders, volume](CopyJob::Control& control) {
        return work(songs, folders, volume, control);
    });
}

CopyJob::Ending KeyCopy::work(const QList<KeySong>& songs, const MusicFolders& folders,
                              const Volume& volume, CopyJob::Control& control) {
    for (qsizetype i = 0; i < songs.size(); ++i) {
        if (control.cancelled())
            return {};
        control.progress(int(i), int(songs.size() - 1));
        const QString source = folders.locate(songs[i].entry);
        if (source.isEmpty())
            continue;
        const QString destination = volume.path(QFileInfo(source).fileName());
        const filecopy::Result copied =
            filecopy::copy(source, destination, false, [&] { return control.cancelled(); });
        if (copied.cancelled)
            return {};
        if (!copied.ok())
            control.tell(filecopy::cannotCopy(source, destination, copied.error), kCaption);
    }
    return {};
}

} // namespace hoedeck
