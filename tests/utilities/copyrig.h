#pragma once

#include "childprocess.h"
#include "copyjob.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <sys/mount.h>

namespace hoedeck::testing {

// Runs a job's work on the test's own thread: what it tells is kept, progress is noted, and it
// can be cancelled at a chosen progress step.
class DirectControl : public CopyJob::Control {
public:
    QStringList told;
    QList<int> steps;
    int cancelAtStep = -1;

    bool cancelled() const override { return m_cancelled; }
    void progress(int value, int) override {
        steps << value;
        if (value == cancelAtStep)
            m_cancelled = true;
    }
    void tell(const QString& text, const QString&) override { told << text; }

private:
    bool m_cancelled = false;
};

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// Every file under a folder with its bytes, "relative/path=bytes" sorted: two trees compare
// equal when they hold the same files byte for byte.
inline QStringList treeContent(const QString& folder) {
    QStringList lines;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        lines << root.relativeFilePath(path) + "=" + QString::fromLatin1(fileBytes(path).toHex());
    }
    lines.sort();
    return lines;
}

// Makes the small file system of inChildOnSmallDisk read-only, as a write-protected key is.
inline bool remountReadOnly(const QString& folder) {
    return ::mount(nullptr, QFile::encodeName(folder).constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                   nullptr) == 0;
}

// Fills what is left of the file system holding the folder.
inline void fillDisk(const QString& folder) {
    QFile filler(folder + "/filler");
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    while (filler.write(QByteArray(4096, 'x')) > 0) {
    }
}

} // namespace hoedeck::testing
