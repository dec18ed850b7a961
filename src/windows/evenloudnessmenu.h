#pragma once

#include <QObject>

class QAction;
class QMenu;

namespace hoedeck {

class EvenLoudness;
class MusicBrowser;
class Prompter;

// "Even Loudness" in the File menu: checked, every song plays at one loudness. The songs of
// each folder shown are measured in the background.
class EvenLoudnessMenu : public QObject {
    Q_OBJECT
public:
    // The entry goes into `file` before `before` (at the end when null).
    EvenLoudnessMenu(EvenLoudness& level, MusicBrowser& browser, Prompter& prompter, QMenu* file,
                     QAction* before, QObject* parent = nullptr);
    QAction* action() const { return m_action; }
    // Start-up: the remembered choice marks the entry.
    void load();

private:
    EvenLoudness& m_level;
    Prompter& m_prompter;
    QAction* m_action;
};

} // namespace hoedeck
