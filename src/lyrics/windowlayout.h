#pragma once

#include <QRect>

namespace hoedeck {

// Where the lyrics window's parts go in a client area: the pages on the left 70%, the column
// of clock, counter, favourite folders, folder browser and file list on the right 30%, and
// along the bottom the singing-call progress with its bar.
struct LyricsWindowGeometry {
    QRect pages;
    QRect clockTimer;
    QRect counter;
    QRect favorites;
    QRect folder;
    QRect files;
    QRect progressBar;
    QRect strip;
};

// mainClientHeight sizes the progress strip like the main window's own (0: this client's).
// filesGrow pixels are taken from the folder browser and given to the file list at its top
// edge (negative: given back), within what leaves both usable.
LyricsWindowGeometry layOutLyricsWindow(int width, int height, int mainClientHeight, int filesGrow);

} // namespace hoedeck
