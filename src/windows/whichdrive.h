#pragma once

#include "copyparts.h"
#include "keycopy.h"

class QListWidget;
class QPushButton;

namespace hoedeck {

class MusicFolders;

// "Copy Favorites to Key": the song files of the current favourites list's patter half,
// singers half or both, copied to the top folder of a chosen volume. The copy runs beside the
// windows; the main window's list shows the song being copied selected (without cueing it).
class WhichDriveWindow : public CopyWindow {
    Q_OBJECT
public:
    WhichDriveWindow(const MusicFolders& folders, Prompter& prompter, QListWidget* patter,
                     QListWidget* singers, VolumeSource volumes = mountedVolumes,
                     QWidget* parent = nullptr);

    void copyfavoritepatter2Click();
    void copyfavoritesingers2Click();
    void copyBothClick();

    VolumeBox* DriveComboBox1() const { return m_drives; }

private:
    void copy(bool singers, bool patter);
    void showSong(int index);

    KeyCopy m_copy;
    QListWidget* m_patter;
    QListWidget* m_singers;
    QList<KeySong> m_songs;
};

} // namespace hoedeck
