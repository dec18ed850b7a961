#include "windowset.h"

#include "U_metronome.h"
#include "callertools.h"
#include "css.h"
#include "guarded.h"
#include "help1.h"
#include "lyrics.h"
#include "multilevel.h"
#include "reader.h"
#include "tempo.h"

namespace hoedeck {

WindowSet::WindowSet(const DataFolder& folder, AudioEngine::Output output) : m_engine(output) {
    m_main = std::make_unique<MainWindow>(folder, m_prompter, m_engine);
    m_prompter.setOwner(m_main.get());
    m_main->FormCreate();

    m_lyrics = new LyricsWindow(folder, m_prompter);
    m_secondary << m_lyrics;
    m_secondary << new SecondaryWindow("TForm4", "Backup");
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
    m_secondary << new SecondaryWindow("TfmWhichDrive", "Choose a Drive");

    m_main->setLyricsWindow(m_lyrics);
    m_lyrics->setStyleSheetMaker(m_css);
    QObject::connect(m_css, &CssWindow::sizesChanged, m_lyrics, &LyricsWindow::applyUserStyleSheet);
    m_main->setHelpWindow(m_help);
    m_main->setReaderWindow(m_reader);
    m_main->tools().setMetronomeWindow(metronome);
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
