#include "datafolder.h"

#include <QCoreApplication>
#include <QDir>

namespace hoedeck {

DataFolder::DataFolder(QString root) : m_root(QDir::cleanPath(std::move(root))) {
    if (!m_root.endsWith('/'))
        m_root += '/';
}

DataFolder DataFolder::ofExecutable() {
    return DataFolder(QCoreApplication::applicationDirPath());
}

QString DataFolder::path(const QString& relative) const {
    QString rel = relative;
    rel.replace('\\', '/');
    while (rel.startsWith('/'))
        rel.remove(0, 1);
    return m_root + rel;
}

} // namespace hoedeck
