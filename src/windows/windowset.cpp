#include "windowset.h"

#include "U_metronome.h"
#include "backup.h"
#include "callertools.h"
#include "css.h"
#include "flashmenu.h"
#include "guarded.h"
#include "help1.h"
#include "lyrics.h"
#include "multilevel.h"
#include "reader.h"
#include "tempo.h"
#include "utilitiesmenu.h"
#include "whichdrive.h"

#include <QListWidget>

namespace hoedeck {

WindowSet::WindowSet(const DataFolder& folder, AudioEngine::Output output) : m_engine(output) {
    m_main = std::make_unique<MainWindow>(folder, m_prompter, m_engine);
    m_prompter.setOwner(m_main.get());
    m_main->FormCreate();

    m_lyrics = new LyricsWindow(folder, m_prompter);
    m_secondary << m_lyrics;
    auto* backup = new BackupWindow(folder, m_prompter);
    m_secondary << backup;
    m_help = new HelpWindow;
    m_secondary << m_help;
    m_levels = new MultiLevelWindow;
    m_secondary << m_levels;
    m_css = new CssWindow(folder, m_prompter);
    m_secondary << m_css;
    m_reader = new ReaderWindow(folder, m_prompter);
    m_secondary << m_reader;
    auto* metronome = new MetronomeWindow(folder, m_engine, m_main->effects(), m_prompter);
    m_secondary << metronome;
    auto* whichDrive = new WhichDriveWindow(m_main->musicFolders(), m_prompter,
                                            m_main->findChild<QListWidget*>("lbFavorite_Patter"),
                                            m_main->findChild<QListWidget*>("lbFavorite_Singers"));
    m_secondary << whichDrive;

    m_main->setLyricsWindow(m_lyrics);
    m_lyrics->setStyleSheetMaker(m_css);
    m_lyrics->flashCalls().setLevelsWindow(m_levels);
    QObject::connect(m_css, &CssWindow::sizesChanged, m_lyrics, &LyricsWindow::applyUserStyleSheet);
    m_main->setHelpWindow(m_help);
    m_main->setReaderWindow(m_reader);
    m_main->tools().setMetronomeWindow(metronome);
    new UtilitiesMenu(m_main.get(), backup, whichDrive, folder, m_prompter);
}

WindowSet::~WindowSet() {
    // The caller's boxes survive a normal quit, not only a close of the reader itself.
    runReporting([this] { m_reader->files().writeBoxes(); });
    m_main->FormDestroy();
    while (!m_secondary.isEmpty())
        delete m_secondary.takeLast();
}

QList<QWidget*> WindowSet::all() const {
    QList<QWidget*> windows{m_main.get()};
    windows += m_secondary;
    return windows;
}

} // namespace hoedeck
