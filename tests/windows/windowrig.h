#pragma once

// The main window over a fresh data folder with a patter with a beat and a singer, shown on
// the offscreen platform, as a user would meet it.

#include "audioengine.h"
#include "lyrics.h"
#include "musicbrowser.h"
#include "qtprinters.h"
#include "scriptedprompter.h"
#include "soundfiles.h"
#include "tempdatafolder.h"
#include "tempo.h"
#include "testsignals.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace hoedeck::testing {

struct Window {
    TempDataFolder data;
    ScriptedPrompter prompter;
    AudioEngine engine{AudioEngine::Output::Null};
    LyricsWindow lyrics{data.folder(), prompter};
    std::unique_ptr<MainWindow> main;

    Window() {
        QDir().mkpath(data.path("mp3s"));
        writeWav(data.path("mp3s/Patter.wav"), beatMusic(125, 40));
        writeWav(data.path("mp3s/Singer.wav"), sine(440, 30, 44100, 0.5f));
        main = std::make_unique<MainWindow>(data.folder(), prompter, engine);
        main->setLyricsWindow(&lyrics);
        main->FormCreate();
        main->resize(1000, 800);
        main->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    QString text(const char* name) { return main->findChild<QLabel*>(name)->text(); }
    QListWidget* files() { return main->musicBrowser().FileListBox1(); }
    void doubleClick(QListWidget* list, int row) {
        const QRect rect = list->visualItemRect(list->item(row));
        // A double click is a click followed by a second press that the platform reports as
        // a double click.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        // The second press is let go as well, or the button stays down for the next test.
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
};

} // namespace hoedeck::testing
