#pragma once

#include "callerlab.h"
#include "datafolder.h"
#include "fonttext.h"
#include "marriage.h"
#include "secondarywindow.h"
#include "stylesheets.h"

#include <QTemporaryDir>
#include <functional>

class QGroupBox;
class QLabel;
class QListWidget;
class QMenuBar;
class QProgressBar;

namespace hoedeck {

class BrowserPane;
class DocumentPages;
class FlashCallsMenu;
class LocationsPanel;
class LyricsBrowser;
class MainWindow;
class ProgressStrip;
class Prompter;

// The lyrics window: the caller's reading screen. Cue sheets and lyrics on the lyrics page,
// other documents on pages of their own, the lyrics folders to browse, the marriage of songs
// to their cue sheets and the lyric search. It mirrors the main window's clock, countdown,
// position, status line, meter and progress so they can be read while calling.
class LyricsWindow : public SecondaryWindow {
    Q_OBJECT
public:
    // What the window reads from and asks of the main window.
    struct MainLinks {
        std::function<QString()> currentSong;              // current_song
        std::function<QString()> cuedSinger;               // lbCuedSinger
        std::function<QString()> musicFolder;              // the music browser's folder
        std::function<void(const QString& path)> openSong; // open song, this window as sender
        std::function<void()> fade;
        std::function<int()> mainClientHeight;
        // Hides the reader when it shows; true when it did (F11 and F12 then do nothing else).
        std::function<bool()> hideReader;
    };

    LyricsWindow(const DataFolder& folder, Prompter& prompter, QWidget* parent = nullptr);
    ~LyricsWindow() override;

    void connectToMain(MainLinks links);
    // Joins the main window: its "Lyrics/Text/Reader" menu (F11, F12) and what the window
    // reads from it.
    void plugInto(MainWindow& main);
    // Fonts > Lyrics > Style Sheet Control shows and hides this window.
    void setStyleSheetMaker(QWidget* maker) { m_styleSheetMaker = maker; }

    QLabel* clocker() const { return m_clocker; }
    QLabel* LBCountdown() const { return m_countdown; }
    QLabel* position_counter() const { return m_position; }
    QLabel* lOf() const { return m_of; }
    QLabel* ltotal_time() const { return m_total; }
    QLabel* Label3() const { return m_status; }
    QProgressBar* RLed3() const { return m_meter; }
    QProgressBar* RVProgressBar1() const { return m_progress; }
    ProgressStrip* panel_progress() const { return m_strip; }

    DocumentPages* OvcNotebook1() const { return m_pages; }
    BrowserPane* WebBrowser1() const { return m_browser; }
    BrowserPane* RichEdit1() const { return m_richText; }
    LyricsBrowser& lyricsBrowser() const { return *m_folders; }
    FlashCallsMenu& flashCalls() const { return *m_flash; }
    LocationsPanel* locations() const { return m_locations; }
    QListWidget* FileListBox1() const;
    QLabel* notice() const { return m_notice; }
    QGroupBox* clockGroup() const { return m_clockGroup; }

    // F11 and F12 of the main window: show or hide; F12 then runs the lyric search.
    void OpenLyricsClick(bool search);
    // The cue sheet of the cued singing call: its marriage, or the lyric search.
    void findlyrics();
    // The right button on a lyrics file: marry it to the current song, or divorce them.
    void proposeMarriage(const QString& lyricsPath);
    // A double click on a lyrics file: open the song it is married to.
    void openMarriedSong(const QString& lyricsPath);
    QString eMarried_mp3;  // the song found by the last double click
    QString marriedLyrics; // the lyrics file found by the last search

    // A file chosen in the file list: on the lyrics page, as rich text when it ends in ".rtf".
    void showChosenFile(const QString& path);
    // A document or page on the lyrics page (other parts show theirs here too).
    void showOnLyricsPage(const QString& path);
    // Control-F5: the file list read again.
    void refreshFiles();

    // The style-sheet maker's sizes changed: written, spread into the favourite folders, and
    // the page on show reloaded with them.
    void applyUserStyleSheet(const QStringList& sizes);
    // Fonts > Lyrics > Default.
    void restoreDefaultStyleSheet();
    // Fonts > Text Files.
    void chooseTextFont();

    // The one-line notice over the pages; empty hides it.
    void setNotice(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMirrors();
    void buildMenus();
    // "Lists", "Definitions", "Flash Calls" and "Locations".
    void buildCallMenus(QMenuBar* bar);
    void addHiddenCommand(const QString& text, const QKeySequence& key,
                          const std::function<void()>& run);
    void layOut();
    void applyTextFont();
    void showRichText(const QString& path);
    // Shows a found or married lyrics file; name is the file list's entry it was chosen by.
    void showFound(const QString& path, const QString& name);
    // Shows the selected file again, or reloads what the page shows.
    void showAgain(const QString& path);
    QString songPathOf(const QString& song) const;

    DataFolder m_dataFolder;
    Prompter& m_prompter;
    Marriages m_marriages;
    StyleSheets m_styles;
    calls::Callerlab m_callerlab;
    MainLinks m_main;
    FontSpec m_textFont;
    QWidget* m_styleSheetMaker = nullptr;
    QTemporaryDir m_richTextFolder;
    int m_filesGrow = 0;

    QWidget* m_client;
    QLabel* m_notice;
    DocumentPages* m_pages;
    BrowserPane* m_browser;
    BrowserPane* m_richText;
    LyricsBrowser* m_folders;
    QGroupBox* m_clockGroup;
    QGroupBox* m_counterGroup;
    QLabel* m_clocker;
    QLabel* m_countdown;
    QLabel* m_position;
    QLabel* m_of;
    QLabel* m_total;
    QLabel* m_status;
    QProgressBar* m_meter;
    QProgressBar* m_progress;
    ProgressStrip* m_strip;
    FlashCallsMenu* m_flash = nullptr;
    LocationsPanel* m_locations = nullptr;
};

} // namespace hoedeck
