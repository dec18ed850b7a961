#include "soundeffects.h"

#include "prompter.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace hoedeck {

SoundEffects::SoundEffects(DataFolder folder, AudioEngine& engine, Prompter& prompter)
    : m_folder(std::move(folder)), m_engine(engine), m_prompter(prompter) {}

QStringList SoundEffects::list() {
    const QString fx = m_folder.path("FX");
    if (!QFileInfo(fx).isDir()) {
        QDir().mkpath(fx);
        m_prompter.message("A directory " + m_folder.root() +
                           "FX has been created for you. You may put sound effects in that "
                           "folder.");
        return {};
    }
    QStringList found;
    QDirIterator it(fx, {"*.mp3"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    if (found.isEmpty())
        return {};
    found.sort(Qt::CaseInsensitive);
    m_paths = found;
    QStringList names;
    for (const QString& path : m_paths)
        names << QFileInfo(path).fileName();
    return names;
}

int SoundEffects::play(int row) {
    const int index = row < 0 ? m_last : row;
    if (m_paths.isEmpty() || index < 0 || index >= m_paths.size())
        return -1;
    // A plain stream, started without stopping an effect that still sounds.
    if (!m_engine.playSample(m_paths[index]))
        return -1;
    m_last = index;
    return index;
}

} // namespace hoedeck
