#include "inifilesmenu.h"

#include "inifiles.h"
#include "prompter.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QUrl>

namespace hoedeck {

IniFilesMenu::IniFilesMenu(const DataFolder& folder, Prompter& prompter, QMenu* menu)
    : QObject(menu), m_folder(folder), m_prompter(prompter) {
    for (const IniFileEntry& entry : editableIniFiles()) {
        const QString name = entry.fileName;
        menu->addAction(entry.caption, this, [this, name] { open(name); });
    }
}

void IniFilesMenu::open(const QString& fileName) {
    const QString path = m_folder.ini(fileName);
    if (!QFileInfo::exists(path)) {
        m_prompter.message(
            QStringLiteral("\"%1\" does not exist yet. Hoedeck creates it when it is first "
                           "needed.")
                .arg(path),
            "Ini Files", Prompter::Icon::Information);
        return;
    }
    bool started = false;
    const QString visual = qEnvironmentVariable("VISUAL");
    if (!visual.isEmpty()) {
        QStringList command = QProcess::splitCommand(visual);
        const QString program = command.takeFirst();
        started = QProcess::startDetached(program, command << path);
    } else {
        started = QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
    if (!started)
        m_prompter.message(QStringLiteral("No text editor could be started for \"%1\".").arg(path),
                           "Ini Files", Prompter::Icon::Warning);
}

} // namespace hoedeck
