#include "backup.h"

#include "widgetmaking.h"

#include <QMenuBar>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

namespace hoedeck {

namespace {
const QString kAskForDrive = QStringLiteral("Please select your backup drive.");
} // namespace

BackupWindow::BackupWindow(const DataFolder& folder, Prompter& prompter, VolumeSource volumes,
                           QWidget* parent)
    : CopyWindow("TForm4", "Backup/Restore", prompter, std::move(volumes), parent),
      m_backup(folder, prompter, m_job), m_menu(new QMenuBar(this)) {
    QAction* backup = m_menu->addAction("Backup");
    backup->setObjectName("Backup1");
    connect(backup, &QAction::triggered, this, &BackupWindow::Backup1Click);
    QAction* restore = m_menu->addAction("Restore");
    restore->setObjectName("Restore1");
    connect(restore, &QAction::triggered, this, &BackupWindow::Restore1Click);
    m_progress->setBusy({m_menu, m_drives});
    connect(&m_job, &CopyJob::progressed, this, [this](int value, int maximum) {
        m_progress->bar()->setRange(0, std::max(maximum, 1));
        m_progress->bar()->setValue(value);
    });

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(m_menu);
    layout->addWidget(namedLabel("Label1", "Please select your backup drive:", this));
    layout->addWidget(m_drives);
    layout->addStretch();
    layout->addWidget(m_progress);
    resize(420, 200);
}

void BackupWindow::Backup1Click() {
    if (const auto volume = chosenVolume(kAskForDrive))
        m_backup.backup(*volume);
}

void BackupWindow::Restore1Click() {
    if (const auto volume = chosenVolume(kAskForDrive))
        m_backup.restore(*volume);
}

} // namespace hoedeck
