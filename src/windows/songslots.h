#pragma once

#include <QObject>
#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QSlider;
class QTimer;
class QWidget;

namespace hoedeck {

class LyricsWindow;
class MusicBrowser;
class MusicFolders;
class Player;
class ProgressStrip;
class Prompter;

// Shows the song slots in the main window and mirrors them in the lyrics window: the current
// and cued songs, the file information, position, status line, meter and progress, and runs
// the progress tick. The caller's clicks on the song lists cue and open songs through it.
class SongSlotsView : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QWidget* leftPanel;  // current and cued songs
        QWidget* clockPanel; // clock, position, status, meter, file information
        ProgressStrip* strip;
        QListWidget* favoritePatter;
        QListWidget* favoriteSingers;
        QLabel* clocker;
        QTimer* progresTimer;
        QTimer* clockTimer;
    };

    SongSlotsView(Player& player, MusicFolders& folders, MusicBrowser& browser, Prompter& prompter,
                  const Widgets& widgets, QObject* parent = nullptr);

    void setLyricsWindow(LyricsWindow* lyrics);
    // The time of day, into both windows.
    void showClock();
    // One progress tick.
    void tick();
    // Shows everything the slots hold now.
    void refresh();
    // A click on a song of a list: cue it (favourites lists) and show its file information.
    void songClicked(QListWidget* list, const QString& name);

    QCheckBox* chkPlaylist() const { return m_playlist; }
    QSlider* hsPosition() const { return m_positionBar; }

signals:
    // The singer's position bar was let go at a whole second.
    void positionBarReleased(int seconds);

public:
    QListWidget* lbInfo() const { return m_info; }
    QLabel* Label3() const { return m_label3; }
    QLabel* Label1() const { return m_label1; }
    QLabel* LBCountdown() const { return m_countdown; }

private:
    void advancePlaylist();
    // Opening a song may write a settings file; one that cannot be written says so.
    void guardedOpen(const std::function<void()>& open);
    void layOutStrips();
    void followPosition();

    Player& m_player;
    MusicFolders& m_folders;
    MusicBrowser& m_browser;
    Prompter& m_prompter;
    Widgets m_w;
    LyricsWindow* m_lyrics = nullptr;
    QLabel* m_currentSong;
    QLabel* m_cuedPatter;
    QLabel* m_cuedSinger;
    QCheckBox* m_playlist;
    QLabel* m_countdown;
    QLabel* m_label1;
    QLabel* m_label3;
    QLabel* m_counter;
    QProgressBar* m_meter;
    QProgressBar* m_progress;
    QProgressBar* m_progress1;
    QLabel* m_of;
    bool m_ticking = false;
    QListWidget* m_info;
    QSlider* m_positionBar;
    QLabel* m_positionLabel;
};

} // namespace hoedeck
