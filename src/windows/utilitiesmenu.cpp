#include "utilitiesmenu.h"

#include "prompter.h"
#include "updatecheck.h"

#include <QAction>
#include <QDesktopServices>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace hoedeck {

namespace {

void showWindow(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

UtilitiesMenu::UtilitiesMenu(QMainWindow* main, QWidget* backup, QWidget* whichDrive,
                             const DataFolder& folder, Prompter& prompter,
                             std::function<void(const QUrl&)> openPackage)
    : QObject(main) {
    if (!openPackage)
        openPackage = [&prompter](const QUrl& url) {
            if (!QDesktopServices::openUrl(url))
                prompter.message("No web browser could be started. The update can be "
                                 "downloaded from " +
                                     url.toString(),
                                 "Automatic Update", Prompter::Icon::Warning);
        };
    m_update = new UpdateCheck(folder, prompter, std::move(openPackage), this);

    // Above the separator that sets "Exit" apart.
    QMenuBar* bar = main->menuBar();
    QMenu* file = bar->findChild<QMenu*>("File1");
    if (!file)
        file = bar->addMenu("File");
    QAction* before = nullptr;
    for (QAction* action : file->actions())
        if (action->isSeparator()) {
            before = action;
            break;
        }
    auto* backupAction = new QAction("Backup/Restore", file);
    backupAction->setObjectName("BackupRestore1");
    connect(backupAction, &QAction::triggered, backup, [backup] { showWindow(backup); });
    auto* keyAction = new QAction("Copy Favorite mp3s to Key", file);
    keyAction->setObjectName("CopyFavoritemp3stoKey1");
    connect(keyAction, &QAction::triggered, whichDrive, [whichDrive] { showWindow(whichDrive); });
    file->insertActions(before, {backupAction, keyAction});

    auto* updates = new QMenu("Updates", main);
    updates->setObjectName("Updates1");
    QAction* automatic = updates->addAction("Automatic Update");
    automatic->setObjectName("AutomaticUpdate1");
    connect(automatic, &QAction::triggered, m_update, [this] { m_update->check(true); });
    QAction* help = bar->findChild<QAction*>("Help1");
    bar->insertMenu(help && bar->actions().contains(help) ? help : nullptr, updates);
}

} // namespace hoedeck
