#pragma once

#include "datafolder.h"

#include <QObject>

class QActionGroup;
class QLabel;
class QMainWindow;
class QMenu;
class QTimer;

namespace hoedeck {

class AudioEngine;
class Prompter;

// The sound output as the caller meets it: the "Sound output" menu that chooses the device,
// and the line along the bottom of the window while the sound card is lost.
class OutputView : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kDefaultCaption = "System default output";
    // How often the window asks the engine about its output.
    static constexpr int kStatusInterval = 250;

    // Lists the devices in `menu` each time it opens, so a card plugged in since shows up.
    // The status line goes into `window`'s status bar, which shows only while it has one.
    OutputView(AudioEngine& engine, DataFolder folder, Prompter& prompter, QMenu* menu,
               QMainWindow* window);

    // Hands the engine the remembered device before it starts. A file that cannot be read is
    // reported and the default plays.
    void restoreChoice();
    // Plays on `device` ("" for the default) at once and remembers it.
    void choose(const QString& device);

    QMenu* menu() const { return m_menu; }
    QTimer* statusTimer() const { return m_timer; }

private:
    void fillMenu();
    void showStatus();

    AudioEngine& m_engine;
    DataFolder m_folder;
    Prompter& m_prompter;
    QMenu* m_menu;
    QMainWindow* m_window;
    QActionGroup* m_choices = nullptr;
    QLabel* m_line;
    QTimer* m_timer;
};

} // namespace hoedeck
