#pragma once

#include "backuprestore.h"
#include "copyparts.h"

class QMenuBar;

namespace hoedeck {

// "Backup/Restore": the caller picks a volume and backs the settings and favourites lists up
// to it ("Backup"), or restores them from it ("Restore").
class BackupWindow : public CopyWindow {
    Q_OBJECT
public:
    BackupWindow(const DataFolder& folder, Prompter& prompter,
                 VolumeSource volumes = mountedVolumes, QWidget* parent = nullptr);

    void Backup1Click();
    void Restore1Click();

private:
    BackupRestore m_backup;
    QMenuBar* m_menu;
};

} // namespace hoedeck
