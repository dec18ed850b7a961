#pragma once

#include "appearance.h"
#include "datafolder.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QColor;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QSlider;
class QTimer;

namespace hoedeck {

class AudioEngine;
class CallerTools;
class LyricsWindow;
class HelpWindow;
class ReaderWindow;
class RecordingPanel;
class IniFilesMenu;
class MusicBrowser;
class MusicFolders;
class OutputView;
class Player;
class ProgressStrip;
class Prompter;
class Effects;
class FavoritesLists;
class FavoritesView;
class SongLog;
class EffectsView;
class EqPresets;
class SpeedMatching;
class EvenLoudness;
class EvenLoudnessMenu;
class TrackMemory;
class LoopMarks;
class LoopPanel;
class SongSlotsView;
class SoundEffects;
class Transport;

// The main window: the panel grid, the menus and the timers. It binds the caller's commands to
// the core objects and shows their state; the state itself lives in the core.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(DataFolder folder, Prompter& prompter, AudioEngine& engine,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The windows the main window writes into or shows; set right after they are created.
    void setLyricsWindow(LyricsWindow* window);
    void setHelpWindow(HelpWindow* window) { m_help = window; }
    // The reader gets its command, "Reader" (Ctrl+F12), in the "Lyrics/Text/Reader" menu.
    void setReaderWindow(ReaderWindow* window);
    // "Reader": hides the reader when it shows, shows it maximised otherwise.
    // Hides the reader when it shows; true when it did.
    bool hideReader();
    QMenu* lyricsTextReaderMenu();

    // The creation step: loads every setting in its fixed order. A file that cannot be read or
    // written ends the step with its message; the window still works with its defaults.
    void FormCreate();
    // The destruction step: releases what the program holds and saves the split. Runs once,
    // whether the window is closed or the process is asked to end.
    void FormDestroy();

    Appearance& appearance() { return m_appearance; }
    MusicFolders& musicFolders() { return *m_musicFolders; }
    MusicBrowser& musicBrowser() { return *m_musicBrowser; }
    Player& player() { return *m_player; }
    Transport& transport() { return *m_transport; }
    CallerTools& tools() { return *m_tools; }
    Effects& effects() { return *m_effects; }
    FavoritesLists& favorites() { return *m_favorites; }
    LoopMarks& loopMarks() { return *m_loopMarks; }
    FavoritesView& favoritesView() { return *m_favoritesView; }
    SongLog& songLog() { return *m_songLog; }
    EqPresets& eqPresets() { return *m_eqPresets; }
    TrackMemory& trackMemory() { return *m_trackMemory; }
    SpeedMatching& speedMatching() { return *m_speedMatching; }
    EvenLoudness& evenLoudness() { return *m_evenLoudness; }
    SongSlotsView& songSlots() { return *m_songSlots; }
    OutputView& outputView() { return *m_outputView; }
    const DataFolder& dataFolder() const { return m_folder; }

    // Lays the panels out for the current client size and split.
    void set_panels();
    // Gives the three song lists the same row height.
    void scale_the_screen();

    // Commands of the menus, also reached by their keys.
    void toggleLoopPanel();
    // The current favourites list's two halves, their counts and Sorted boxes.
    void showFavorites();
    // Shift+E lists the sound effects; Control-F1 (or a double click) plays one.
    void listSoundEffects();
    void playSoundEffect();
    void splitUp();
    void splitDown();
    void openIniFile(const QString& fileName);
    void putLinkOnDesktop();
    void showHelp();
    // Opens the audio output; without a sound card the program runs on a silent one.
    void Start_BASS();
    void chooseBackground();
    void defaultColors();

    QTimer* ProgresTimer() const { return m_progresTimer; }
    QTimer* Timer1() const { return m_timer1; }
    QTimer* TimerRec() const { return m_timerRec; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPanels();
    void buildMenus();
    void buildBpmMenu();
    void buildHiddenCommands();
    // Track memory, presets and speed join the song slots, the effects and the loop marks.
    void plugInMemory();
    // Play history and the song log join song opening and the current song's label.
    void plugInHistory();
    // Right click on the current song: its openings and cancellations, newest first.
    void readSongLog();
    void addHiddenCommand(const QString& text, const QKeySequence& key,
                          const std::function<void()>& run);
    void applyBackground();
    void paintLyricsWindow(const QColor& color);
    // The first patter and singer of the current list are cued when the program starts.
    void cueFirstSongs();
    void showClock();
    // Runs a command; a file it cannot read or write ends it with that file's message.
    void guarded(const std::function<void()>& command);

    DataFolder m_folder;
    Prompter& m_prompter;
    AudioEngine& m_engine;
    Appearance m_appearance;
    std::unique_ptr<MusicFolders> m_musicFolders;
    MusicBrowser* m_musicBrowser = nullptr;
    std::unique_ptr<Player> m_player;
    std::unique_ptr<Transport> m_transport;
    CallerTools* m_tools = nullptr;
    std::unique_ptr<Effects> m_effects;
    EffectsView* m_effectsView = nullptr;
    std::unique_ptr<EqPresets> m_eqPresets;
    std::unique_ptr<TrackMemory> m_trackMemory;
    std::unique_ptr<SpeedMatching> m_speedMatching;
    std::unique_ptr<EvenLoudness> m_evenLoudness;
    EvenLoudnessMenu* m_evenLoudnessMenu = nullptr;
    std::unique_ptr<LoopMarks> m_loopMarks;
    std::unique_ptr<FavoritesLists> m_favorites;
    std::unique_ptr<SongLog> m_songLog;
    FavoritesView* m_favoritesView = nullptr;
    std::unique_ptr<SoundEffects> m_soundEffects;
    LoopPanel* m_loopPanel = nullptr;
    RecordingPanel* m_recording = nullptr;
    SongSlotsView* m_songSlots = nullptr;
    OutputView* m_outputView = nullptr;
    IniFilesMenu* m_iniFiles = nullptr;
    LyricsWindow* m_lyrics = nullptr;
    HelpWindow* m_help = nullptr;
    ReaderWindow* m_reader = nullptr;
    QMenu* m_lyricsMenu = nullptr;
    QAction* m_helpAction = nullptr;
    bool m_destroyed = false;

    QWidget* m_client = nullptr;
    QList<QFrame*> m_panelSet;
    QFrame* m_pLeftSide = nullptr;
    QFrame* m_panel5 = nullptr;
    QFrame* m_pRight = nullptr;
    QFrame* m_panel7 = nullptr;
    QFrame* m_panel10 = nullptr;
    QFrame* m_panel11 = nullptr;
    QFrame* m_panel12 = nullptr;
    ProgressStrip* m_panelProgress = nullptr;
    QSlider* m_trSplitscreen = nullptr;
    QLabel* m_clocker = nullptr;
    QListWidget* m_fileList = nullptr;
    QListWidget* m_favoritePatter = nullptr;
    QListWidget* m_favoriteSingers = nullptr;
    QMenu* m_hiddenMenu = nullptr;

    QTimer* m_progresTimer = nullptr;
    QTimer* m_timer1 = nullptr;
    QTimer* m_timerRec = nullptr;
};

} // namespace hoedeck
