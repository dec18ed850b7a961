#include "windowset.h"

#include "backup.h"
#include "guarded.h"
#include "help1.h"
#include "lyrics.h"
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

    m_lyrics = new LyricsWindow;
    m_secondary << m_lyrics;
    auto* backup = new BackupWindow(folder, m_prompter);
    m_secondary << backup;
    m_help = new HelpWindow;
    m_secondary << m_help;
    m_secondary << new SecondaryWindow("TForm5", "Choose a Level");
    m_secondary << new SecondaryWindow("TMake_CCS_Form", "Make a Cue Sheet Style");
    m_reader = new ReaderWindow(folder, m_prompter);
    m_secondary << m_reader;
    m_secondary << new SecondaryWindow("TfmMetro", "Metronome");
    auto* whichDrive = new WhichDriveWindow(m_main->musicFolders(), m_prompter,
                                            m_main->findChild<QListWidget*>("lbFavorite_Patter"),
                                            m_main->findChild<QListWidget*>("lbFavorite_Singers"));
    m_secondary << whichDrive;

    m_main->setLyricsWindow(m_lyrics);
    m_main->setHelpWindow(m_help);
    m_main->setReaderWindow(m_reader);
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
