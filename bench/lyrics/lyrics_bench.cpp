// The lyrics window with the main window, as a caller uses it during a dance:
//   f12_to_page_ms: F12 with a singing call married to its cue sheet, to the page loaded and
//     painted; the window's first show, and so the making of its browser view, included;
//   f12_again_ms: the same once the window has been shown before (F12 to hide, F12 again;
//     median of 10);
//   page_turn_ms: Right to the next of six pages, painted (median of 50);
//   lyric_search_ms: the lyric search by name over a favourite folder of 5,000 lyrics files,
//     nothing close enough, so every file is looked at (median of 20).

#include "audioengine.h"
#include "browserpane.h"
#include "documentpages.h"
#include "lyrics.h"
#include "lyricsbrowser.h"
#include "player.h"
#include "scriptedprompter.h"
#include "soundfiles.h"
#include "tempdatafolder.h"
#include "tempo.h"
#include "testenvironment.h"
#include "testsignals.h"
#include "textstore.h"
#include "waiting.h"

#include "benchfigures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
QByteArray cueSheet(int verses) {
    QByteArray page = "<html><head><title>Cue</title><link rel=\"stylesheet\" "
                      "href=\"cuesheet.css\"></head><body><p class=\"title\">Singer</p>";
    for (int i = 0; i < verses; ++i)
        page += "<p class=\"hdr\">Figure</p><p class=\"lyrics\">Heads promenade half way, "
                "side ladies chain across, allemande left your corner, do sa do</p>";
    return page + "</body></html>";
}

// F12 pressed in the main window, to the lyrics page loaded and painted.
double f12(MainWindow& main, LyricsWindow& lyrics) {
    QApplication::setActiveWindow(&main);
    // The pane passes on its view's loads; the view itself is made by the first show.
    QSignalSpy loaded(lyrics.WebBrowser1(), &BrowserPane::loadFinished);
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(&main, Qt::Key_F12);
    if (!loaded.wait(10000))
        std::fprintf(stderr, "the cue sheet did not load\n");
    lyrics.repaint();
    return clock.nsecsElapsed() / 1e6;
}
} // namespace

int main(int argc, char** argv) {
    setTestEnvironment();
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        qunsetenv("QT_QPA_PLATFORM");
    QApplication app(argc, argv);
    TempDataFolder data;
    data.write("nomatch/No Match.html", "<html><head><title>No Match</title></head></html>");
    writeWav(data.path("mp3s/Singer.wav"), sine(440, 5, 44100, 0.5f));
    data.write("Lyrics/Singer Cue.html", cueSheet(40));
    textstore::writeList(data.path("ini/marriage.txt"), {data.path("Lyrics/Singer Cue.html") + "|" +
                                                         data.path("mp3s/Singer.wav")});
    for (int i = 0; i < 5000; ++i)
        data.write(QStringLiteral("Many/Lyric %1.html").arg(i, 4, 10, QLatin1Char('0')), "x");

    ScriptedPrompter prompter;
    AudioEngine engine(AudioEngine::Output::Null);
    LyricsWindow lyrics(data.folder(), prompter);
    MainWindow main(data.folder(), prompter, engine);
    main.setLyricsWindow(&lyrics);
    main.FormCreate();
    main.resize(1280, 900);
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        return 1;
    main.player().lbCuedSinger = "Singer.wav";
    main.player().btnOpenClick(Sender::ControlSpaceKey);
    lyrics.resize(1280, 900);

    const double first = f12(main, lyrics);
    std::vector<double> again;
    for (int i = 0; i < 10; ++i) {
        QApplication::setActiveWindow(&main);
        QTest::keyClick(&main, Qt::Key_F12); // hides
        QTest::qWait(20);
        again.push_back(f12(main, lyrics));
    }

    DocumentPages* pages = lyrics.OvcNotebook1();
    for (int i = 0; i < 5; ++i) {
        data.write(QStringLiteral("docs/page%1.html").arg(i), cueSheet(10));
        pages->openDocuments({data.path(QStringLiteral("docs/page%1.html").arg(i))});
    }
    QTest::qWait(500);
    if (!lyrics.isVisible())
        std::fprintf(stderr, "the lyrics window is not showing\n");
    pages->setCurrentIndex(0);
    std::vector<double> turns;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(&lyrics, Qt::Key_Right);
        lyrics.repaint();
        if (pages->currentIndex() != (i + 1) % pages->count())
            std::fprintf(stderr, "Right did not turn the page\n");
        turns.push_back(clock.nsecsElapsed() / 1e6);
    }

    textstore::writeList(data.path("ini/marriage.txt"), {});
    textstore::writeList(data.path("ini/favorite_lyrics_subdirectories.txt"), {data.path("Many")});
    lyrics.lyricsBrowser().loadFavorites();
    main.player().lbCuedSinger = "Zebra Crossing.wav";
    std::vector<double> searches;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer clock;
        clock.start();
        lyrics.findlyrics();
        searches.push_back(clock.nsecsElapsed() / 1e6);
    }
    if (lyrics.FileListBox1()->count() != 5000)
        std::fprintf(stderr, "the search did not list the 5,000 files\n");

    std::printf("f12_to_page_ms: %.1f\n", first);
    std::printf("f12_again_ms: %.1f\n", median(again));
    std::printf("page_turn_ms: %.2f\n", median(turns));
    std::printf("lyric_search_ms: %.1f\n", median(searches));
    return 0;
}
