#pragma once

#include "datafolder.h"

#include <QObject>

class QMenu;

namespace hoedeck {

class Prompter;

// File > Ini Files: the settings files a caller may edit by hand, opened in the desktop's text
// editor (or the one named by VISUAL).
class IniFilesMenu : public QObject {
    Q_OBJECT
public:
    IniFilesMenu(const DataFolder& folder, Prompter& prompter, QMenu* menu);

    void open(const QString& fileName);

private:
    DataFolder m_folder;
    Prompter& m_prompter;
};

} // namespace hoedeck
