#include "evenloudnessmenu.h"

#include "evenloudness.h"
#include "guarded.h"
#include "musicbrowser.h"
#include "prompter.h"

#include <QAction>
#include <QMenu>

namespace hoedeck {

EvenLoudnessMenu::EvenLoudnessMenu(EvenLoudness& level, MusicBrowser& browser, Prompter& prompter,
                                   QMenu* file, QAction* before, QObject* parent)
    : QObject(parent), m_level(level), m_prompter(prompter),
      m_action(new QAction("Even Loudness", file)) {
    m_action->setCheckable(true);
    file->insertAction(before, m_action);
    connect(m_action, &QAction::toggled, this, [this](bool on) {
        if (on == m_level.enabled())
            return;
        runGuarded(m_prompter, [&] { m_level.setEnabled(on); });
    });
    // Whether on or not, so that turning it on finds the figures there: the measuring thread
    // only takes time no other thread wants.
    connect(&browser, &MusicBrowser::filesShown, &level, &EvenLoudness::measureAll);
    connect(&level, &EvenLoudness::storeFailed, this, [this](const QString& message) {
        m_prompter.message(message + "\n\nLoudness figures measured now are measured again at "
                                     "the next start.",
                           "Hoedeck", Prompter::Icon::Warning);
    });
}

void EvenLoudnessMenu::load() {
    m_level.load();
    m_action->setChecked(m_level.enabled());
}

} // namespace hoedeck
