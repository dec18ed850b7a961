#pragma once

#include <QString>

namespace hoedeck {

// The folder that holds every file the program keeps: the executable's own folder, so that
// copying the program folder copies every setting, list and memory. Relative paths may be
// written with "\" or "/"; both mean a folder separator.
class DataFolder {
public:
    explicit DataFolder(QString root);

    // The executable's folder of the running process.
    static DataFolder ofExecutable();

    // The root with a trailing "/".
    const QString& root() const { return m_root; }
    QString path(const QString& relative) const;
    QString ini(const QString& fileName) const { return path("ini/" + fileName); }

private:
    QString m_root;
};

} // namespace hoedeck
