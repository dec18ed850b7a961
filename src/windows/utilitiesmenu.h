#pragma once

#include "datafolder.h"

#include <QObject>
#include <QUrl>
#include <functional>

class QMainWindow;

namespace hoedeck {

class Prompter;
class UpdateCheck;

// The main window's utility commands: "File" > "Backup/Restore" and "Copy Favorite mp3s to
// Key" show their windows; "Updates" > "Automatic Update" asks the update server. A package
// the caller wants is handed to `openPackage` (by default the desktop's browser).
class UtilitiesMenu : public QObject {
    Q_OBJECT
public:
    UtilitiesMenu(QMainWindow* main, QWidget* backup, QWidget* whichDrive, const DataFolder& folder,
                  Prompter& prompter, std::function<void(const QUrl&)> openPackage = {});

    UpdateCheck& updateCheck() { return *m_update; }

private:
    UpdateCheck* m_update;
};

} // namespace hoedeck
