#include "windowlayout.h"

#include <algorithm>

namespace hoedeck {

namespace {
constexpr int kSmallest = 20; // a group keeps room for its caption
}

LyricsWindowGeometry layOutLyricsWindow(int width, int height, int mainClientHeight,
                                        int filesGrow) {
    LyricsWindowGeometry g;
    const int columnLeft = width * 70 / 100;
    const int columnWidth = width - columnLeft;
    const int bottom = height - height * 5 / 100;
    g.pages = QRect(0, 0, columnLeft, bottom);

    int y = 0;
    const auto take = [&](int percent) {
        const QRect r(columnLeft, y, columnWidth, height * percent / 100);
        y += r.height();
        return r;
    };
    g.clockTimer = take(13);
    g.counter = take(13);
    g.favorites = take(17);
    g.folder = take(25);
    const int grow = std::clamp(filesGrow, kSmallest - g.folder.height(),
                                std::max(0, g.folder.height() - kSmallest));
    g.folder.setHeight(g.folder.height() - grow);
    g.files = QRect(columnLeft, g.folder.bottom() + 1, columnWidth,
                    std::max(kSmallest, bottom - g.folder.bottom() - 1));

    const int stripHeight =
        std::max(8, (mainClientHeight > 0 ? mainClientHeight : height) * 5 / 100);
    const int top = height - stripHeight;
    const int barHeight = stripHeight * 40 / 100;
    g.progressBar = QRect(0, top, width, barHeight);
    g.strip = QRect(0, top + barHeight, width, stripHeight - barHeight);
    return g;
}

} // namespace hoedeck
