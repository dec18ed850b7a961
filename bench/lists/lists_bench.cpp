// A long favourites list with a long play history, in the main window:
//   paint_screen_ms: painting one screen of the patter list (median of 50, every item checked
//     against the history);
//   paint_screen_after_change_ms: the same right after the history file changed, so it is
//     read again;
//   cue_click_ms: a mouse click on an item to the song cued, with its file looked for (median
//     of 50).

#include "audioengine.h"
#include "favorites.h"
#include "player.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "tempo.h"
#include "textstore.h"

#include "benchfigures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace hoedeck;
using namespace hoedeck::testing;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TempDataFolder data;
    QDir().mkpath(data.path("mp3s"));
    QDir().mkpath(data.path("favorites"));
    QStringList songs, history{"-1"};
    for (int i = 0; i < 5000; ++i) {
        songs << QStringLiteral("Song %1.mp3").arg(i, 4, 10, QLatin1Char('0'));
        history << QStringLiteral("Played %1.mp3").arg(i, 4, 10, QLatin1Char('0'));
    }
    // Every third song of the list was played tonight.
    for (int i = 0; i < 5000; i += 3)
        history[i / 3 + 1] = songs[i];
    textstore::writeList(data.path("favorites/default.fvt.ptr"), songs);
    textstore::writeList(data.path("favorites/default.fvt"), {});
    textstore::writeList(data.path("ini/default.fvthighlight_patter.txt"), history);
    textstore::writeList(data.path("ini/sorted_checked.txt"), {"0", "0"});

    ScriptedPrompter prompter;
    AudioEngine engine(AudioEngine::Output::Null);
    MainWindow window(data.folder(), prompter, engine);
    window.FormCreate();
    window.resize(1280, 900);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    auto* list = window.findChild<QListWidget*>("lbFavorite_Patter");
    list->scrollToItem(list->item(2500), QAbstractItemView::PositionAtTop);

    std::vector<double> paints, changed, clicks;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer clock;
        clock.start();
        list->viewport()->repaint();
        paints.push_back(clock.nsecsElapsed() / 1e6);
    }
    for (int i = 0; i < 10; ++i) {
        history << QStringLiteral("Extra %1.mp3").arg(i);
        textstore::writeList(data.path("ini/default.fvthighlight_patter.txt"), history);
        QElapsedTimer clock;
        clock.start();
        list->viewport()->repaint();
        changed.push_back(clock.nsecsElapsed() / 1e6);
    }
    for (int i = 0; i < 50; ++i) {
        const int row = 2500 + (i % 20);
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        clicks.push_back(clock.nsecsElapsed() / 1e6);
        if (window.player().lbCuedPatter != list->item(row)->text())
            std::fprintf(stderr, "row %d was not cued\n", row);
    }
    std::printf("list_songs: %d\n", int(songs.size()));
    std::printf("history_lines: %d\n", int(history.size()));
    std::printf("paint_screen_ms: %.2f\n", median(paints));
    std::printf("paint_screen_after_change_ms: %.2f\n", median(changed));
    std::printf("cue_click_ms: %.2f\n", median(clicks));
    return 0;
}
