#pragma once

#include <QString>

namespace hoedeck {

// The folder that holds every file the program keeps: the executable's own folder, so that
// copying the program folder copies every setting, list and memory. Relative paths may be
// written with "\" or "/"; both mean a folder separator.
class DataFolder {
public:
    explicit DataFolder(QString root);

    // The data folder of the running program: its own folder (a portable copy, a build) when
    // its permissions let it be written; for a program installed by its package (the marker file
    // beside it) or in a folder it cannot write, the user's own folder (~/.local/share/Hoedeck),
    // made at the first start from the defaults shipped beside the program.
    static DataFolder ofExecutable();
    // The same for a given program folder and user folder (for tests).
    static DataFolder choose(const QString& programFolder, const QString& userFolder);
    // The file the package puts beside an installed program.
    static constexpr auto kInstalledMarker = "hoedeck.installed";

    // The root with a trailing "/".
    const QString& root() const { return m_root; }
    QString path(const QString& relative) const;
    QString ini(const QString& fileName) const { return path("ini/" + fileName); }

private:
    QString m_root;
};

} // namespace hoedeck
