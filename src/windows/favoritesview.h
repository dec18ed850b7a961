#pragma once

#include <QHash>
#include <QObject>

class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;

namespace hoedeck {

class FavoritesLists;
class MusicBrowser;
class MusicFolders;
class Prompter;
class SongListWidget;
class SongLog;

// The favourites lists in the main window: the current list's two halves with their counts
// and "Sorted" boxes, the chooser of lists with its pop-up menu, drops from the other lists
// and the desktop, the Delete key, played songs in the history colours, the right click that
// unmarks, and the arrow keys hopping between the three song lists.
class FavoritesView : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QFrame* leftPanel;   // holds the chooser
        QFrame* patterPanel; // "Favorite Patter"
        QFrame* singerPanel; // "Favorite Singers"
        SongListWidget* patter;
        SongListWidget* singers;
        QListWidget* files; // the music file list
    };
    FavoritesView(FavoritesLists& favorites, MusicFolders& folders, MusicBrowser& browser,
                  SongLog& log, Prompter& prompter, Widgets widgets, QObject* parent = nullptr);

    // Shows the current list, its halves, counts, boxes and the lists in the folder.
    void showFavorites();
    // Repaints both halves, e.g. after the history changed.
    void repaint();

    // The "History" menu.
    void chooseHistoryColor(bool text);
    void clearHistory(bool singers, bool patter);
    // The pop-up menu of the chooser.
    void newList();
    void deleteList();
    void duplicate(bool singers, bool patter);

    // Whether the row of a half is painted as played.
    bool isPlayed(bool patter, int row) const;

    QListWidget* FileListBox2() const { return m_chooser; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildHalf(QFrame* panel, SongListWidget* list, bool patter);
    void buildChooser();
    void hop(QListWidget* from, int direction);
    void unmark(bool patter, int row);
    void guarded(const std::function<void()>& command);
    void indexFirstRows();

    FavoritesLists& m_favorites;
    MusicFolders& m_folders;
    MusicBrowser& m_browser;
    SongLog& m_log;
    Prompter& m_prompter;
    Widgets m_w;
    QListWidget* m_chooser = nullptr;
    QLabel* m_current = nullptr;
    QLabel* m_captions[2] = {};
    QCheckBox* m_sorted[2] = {};
    // Lower-cased song -> its first row, per half (singers 0, patter 1): a song listed twice
    // is painted as played at its first row only.
    QHash<QString, int> m_firstRow[2];
};

} // namespace hoedeck
