#include "windowset.h"

#include "U_metronome.h"
#include "callertools.h"
#include "help1.h"
#include "lyrics.h"
#include "tempo.h"

namespace hoedeck {

WindowSet::WindowSet(const DataFolder& folder, AudioEngine::Output output) : m_engine(output) {
    m_main = std::make_unique<MainWindow>(folder, m_prompter, m_engine);
    m_prompter.setOwner(m_main.get());
    m_main->FormCreate();

    m_lyrics = new LyricsWindow;
    m_secondary << m_lyrics;
    m_secondary << new SecondaryWindow("TForm4", "Backup");
    m_help = new HelpWindow;
    m_secondary << m_help;
    m_secondary << new SecondaryWindow("TForm5", "Choose a Level");
    m_secondary << new SecondaryWindow("TMake_CCS_Form", "Make a Cue Sheet Style");
    m_secondary << new SecondaryWindow("TFmReader", "Reader");
    auto* metronome = new MetronomeWindow(folder, m_engine, m_main->effects(), m_prompter);
    m_secondary << metronome;
    m_secondary << new SecondaryWindow("TfmWhichDrive", "Choose a Drive");

    m_main->setLyricsWindow(m_lyrics);
    m_main->setHelpWindow(m_help);
    m_main->tools().setMetronomeWindow(metronome);
}

WindowSet::~WindowSet() {
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
