#pragma once

#include <QList>
#include <QString>
#include <functional>

namespace hoedeck {

// A mounted file system the caller can back up to or copy songs onto: a USB key, a second
// disk, the system disk.
struct Volume {
    QString name;       // the label, or the mount point when it has none
    QString mountPoint; // where its files are, without a trailing "/" (except for "/")

    // How the drive lists show it: "KEY (/media/caller/KEY)", or the mount point alone.
    QString caption() const;
    // A path on the volume: the mount point + "/" + relative.
    QString path(const QString& relative) const;
    bool operator==(const Volume&) const = default;
};

// Where the drive lists get their volumes. The windows ask again each time they are shown, so
// a key plugged in meanwhile appears; tests hand in temporary folders standing in as volumes.
using VolumeSource = std::function<QList<Volume>()>;

// The system's mounted volumes that hold files a caller can reach, in mount order.
QList<Volume> mountedVolumes();

} // namespace hoedeck
