// The lyrics window's call lists: the reference documents, the flash calls and the locations
// of both. Flashed calls show on the lyrics page, whichever page the caller has selected.

#include "documentpages.h"
#include "flashmenu.h"
#include "guarded.h"
#include "locationspanel.h"
#include "lyrics.h"

#include <QMenu>
#include <QMenuBar>

namespace hoedeck {

void LyricsWindow::buildCallMenus(QMenuBar* bar) {
    // The table of locations exists from the window's creation on; an existing one is kept.
    runGuarded(m_prompter, [this] { m_callerlab.createDefaults(); });
    QMenu* lists = bar->addMenu("Lists");
    QMenu* definitions = bar->addMenu("Definitions");
    addReferenceMenus(lists, definitions, m_callerlab, m_prompter,
                      [this](const QString& path) { m_pages->openInBrowser(path); });

    m_flash = new FlashCallsMenu(m_dataFolder, m_prompter, bar->addMenu("Flash Calls"), nullptr);
    m_flash->showPage = [this](const QString& page) { showOnLyricsPage(page); };
    m_flash->setTabCaption = [this](const QString& caption) { m_pages->setTabText(0, caption); };

    m_locations = new LocationsPanel(m_dataFolder, m_prompter, this);
    bar->addAction("Locations", m_locations, &LocationsPanel::toggle);
}

void LyricsWindow::hideEvent(QHideEvent* event) {
    // The timer keeps flashing into the hidden page; only its mark and the chooser go.
    m_flash->clearToggleMark();
    SecondaryWindow::hideEvent(event);
}

} // namespace hoedeck
