#include "volumes.h"

#include <QDir>
#include <QStorageInfo>

namespace hoedeck {

QString Volume::caption() const {
    const QString shown = QDir::toNativeSeparators(mountPoint);
    if (name.isEmpty() || name == mountPoint)
        return shown;
    return QStringLiteral("%1 (%2)").arg(name, shown);
}

QString Volume::path(const QString& relative) const {
    return mountPoint.endsWith('/') ? mountPoint + relative : mountPoint + '/' + relative;
}

QList<Volume> mountedVolumes() {
    QList<Volume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (!storage.isValid() || !storage.isReady())
            continue;
        const QString root = storage.rootPath();
        // The kernel's own views of processes and devices are no place for a backup.
        if (root.startsWith("/proc") || root.startsWith("/sys") || root.startsWith("/dev"))
            continue;
        volumes << Volume{storage.displayName(), root};
    }
    return volumes;
}

} // namespace hoedeck
