#include "lyrics.h"

#include "browserpane.h"
#include "colors.h"
#include "documentpages.h"
#include "flashmenu.h"
#include "guarded.h"
#include "lyricsbrowser.h"
#include "lyricsearch.h"
#include "lyricskeys.h"
#include "musicfolders.h"
#include "player.h"
#include "progressstrip.h"
#include "prompter.h"
#include "rtfpage.h"
#include "tempo.h"
#include "textfont.h"
#include "transport.h"
#include "widgetmaking.h"
#include "windowlayout.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace hoedeck {

LyricsWindow::LyricsWindow(const DataFolder& folder, Prompter& prompter, QWidget* parent)
    : SecondaryWindow("TForm2", "Lyrics", parent), m_dataFolder(folder), m_prompter(prompter),
      m_marriages(folder), m_styles(folder, prompter), m_callerlab(folder) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    m_notice = namedLabel("lNotice", QString(), this);
    m_notice->setStyleSheet("QLabel { background: #fff3c4; color: #3a2e00; padding: 3px; }");
    m_notice->hide();
    root->addWidget(m_notice);
    m_client = new QWidget(this);
    root->addWidget(m_client, 1);

    auto* lyricsPage = new QStackedWidget;
    m_browser = new BrowserPane("WebBrowser1", lyricsPage);
    m_richText = new BrowserPane("RichEdit1", lyricsPage);
    m_richText->setObjectName("RichEdit1");
    lyricsPage->addWidget(m_browser);
    lyricsPage->addWidget(m_richText);
    m_pages = new DocumentPages(prompter, lyricsPage, m_client);
    m_pages->tabBar()->setContextMenuPolicy(Qt::ActionsContextMenu);

    m_folders = new LyricsBrowser(folder, prompter, m_client);
    connect(m_folders, &LyricsBrowser::fileClicked, this, &LyricsWindow::showChosenFile);
    connect(m_folders, &LyricsBrowser::fileDoubleClicked, this, &LyricsWindow::openMarriedSong);
    connect(m_folders, &LyricsBrowser::fileRightPressed, this, &LyricsWindow::proposeMarriage);

    buildMirrors();
    buildMenus();
    new LyricsKeys(this, {[this](int step) { m_pages->turn(step); },
                          [this] { m_pages->setFocus(); }, [this] { m_clockGroup->setFocus(); },
                          [this] {
                              if (m_main.fade)
                                  m_main.fade();
                          }});
    m_folders->loadFilter();
    m_client->installEventFilter(this);
    resize(1000, 700);
}

LyricsWindow::~LyricsWindow() = default;

void LyricsWindow::buildMirrors() {
    m_clockGroup = new QGroupBox("Clock/Timer", m_client);
    m_clockGroup->setFocusPolicy(Qt::StrongFocus);
    auto* clock = new QVBoxLayout(m_clockGroup);
    m_clocker = namedLabel("clocker", QString(), m_clockGroup);
    m_countdown = namedLabel("LBCountdown", QString(), m_clockGroup);
    QFont big = m_clocker->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    m_clocker->setFont(big);
    clock->addWidget(m_clocker);
    clock->addWidget(m_countdown);

    m_counterGroup = new QGroupBox("Counter", m_client);
    auto* counter = new QVBoxLayout(m_counterGroup);
    auto* position = new QHBoxLayout;
    m_position = namedLabel("position_counter", QString(), m_counterGroup);
    m_of = namedLabel("lOf", QString(), m_counterGroup);
    m_total = namedLabel("ltotal_time", QString(), m_counterGroup);
    m_of->hide();
    m_total->hide();
    for (QLabel* label : {m_position, m_of, m_total})
        position->addWidget(label);
    position->addStretch();
    counter->addLayout(position);
    m_status = namedLabel("Label3", QString(), m_counterGroup);
    counter->addWidget(m_status);
    m_meter = namedBar("RLed3", 128, m_counterGroup);
    counter->addWidget(m_meter);

    m_progress = namedBar("RVProgressBar1", 100, m_client);
    m_progress->setMaximumHeight(QWIDGETSIZE_MAX);
    m_strip = new ProgressStrip(m_client);
}

void LyricsWindow::addHiddenCommand(const QString& text, const QKeySequence& key,
                                    const std::function<void()>& run) {
    auto* action = new QAction(text, this);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, run);
    addAction(action);
}

void LyricsWindow::buildMenus() {
    auto* bar = new QMenuBar(this);
    static_cast<QVBoxLayout*>(layout())->setMenuBar(bar);
    QMenu* file = bar->addMenu("File");
    QAction* open = file->addAction("Open", this, [this] { m_pages->openFromDialog(); });
    QAction* replace = file->addAction("Replace", this, [this] { m_pages->replaceSelected(); });
    QAction* close = file->addAction("Close", this, [this] { m_pages->closeSelected(); });
    file->addAction("Close All", this, [this] { m_pages->closeAll(); });
    m_pages->tabBar()->addActions({open, replace, close});
    buildCallMenus(bar);

    QMenu* fonts = bar->addMenu("Fonts");
    fonts->addAction("Text Files", this, &LyricsWindow::chooseTextFont);
    QMenu* lyrics = fonts->addMenu("Lyrics");
    lyrics->addAction("Default", this, &LyricsWindow::restoreDefaultStyleSheet);
    lyrics->addAction("Style Sheet Control", this, [this] {
        if (m_styleSheetMaker)
            m_styleSheetMaker->setVisible(!m_styleSheetMaker->isVisible());
    });

    addHiddenCommand("close", QKeySequence(Qt::Key_F11), [this] { hide(); });
    addHiddenCommand("Fade", QKeySequence(Qt::ALT | Qt::Key_F), [this] {
        if (m_main.fade)
            m_main.fade();
    });
    for (int digit = 0; digit <= 9; ++digit)
        addHiddenCommand(QString::number(digit), QKeySequence(Qt::Key_0 + digit),
                         [this, digit] { m_pages->selectByDigit(digit); });
    const auto grow = [this](int pixels) {
        return [this, pixels] {
            m_filesGrow += pixels;
            layOut();
        };
    };
    addHiddenCommand("files taller", QKeySequence(Qt::CTRL | Qt::Key_Z), grow(1));
    addHiddenCommand("files much taller", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z), grow(10));
    addHiddenCommand("files shorter", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Z), grow(-1));
    addHiddenCommand("files much shorter", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::ALT | Qt::Key_Z),
                     grow(-10));
}

void LyricsWindow::connectToMain(MainLinks links) {
    m_main = std::move(links);
}

void LyricsWindow::plugInto(MainWindow& main) {
    connectToMain(
        {[&main] { return main.player().current_song; },
         [&main] { return main.player().lbCuedSinger; },
         [&main] { return main.musicFolders().browserFolder(); },
         [this, &main](const QString& path) {
             runGuarded(m_prompter,
                        [&] { main.player().btnOpenClick(Sender::LyricsFileList, path); });
         },
         [&main] { main.transport().fade(); }, [&main] { return main.centralWidget()->height(); },
         [&main] { return main.hideReader(); }});
    QMenu* menu = main.lyricsTextReaderMenu();
    menu->addAction("Lyric Page", QKeySequence(Qt::Key_F11), this,
                    [this] { OpenLyricsClick(false); });
    menu->addAction("Lyric Search", QKeySequence(Qt::Key_F12), this,
                    [this] { OpenLyricsClick(true); });
    main.addActions(menu->actions());
}

QListWidget* LyricsWindow::FileListBox1() const {
    return m_folders->FileListBox1();
}

void LyricsWindow::layOut() {
    const int mainHeight = m_main.mainClientHeight ? m_main.mainClientHeight() : 0;
    const int width = m_client->width(), height = m_client->height();
    const LyricsWindowGeometry g = layOutLyricsWindow(width, height, mainHeight, m_filesGrow);
    // What the limits left of the caller's growing is what counts from here on, so that a
    // key that could not grow the list any more is not owed back later.
    m_filesGrow = layOutLyricsWindow(width, height, mainHeight, 0).files.top() - g.files.top();
    m_pages->setGeometry(g.pages);
    m_clockGroup->setGeometry(g.clockTimer);
    m_counterGroup->setGeometry(g.counter);
    m_folders->favoritesGroup()->setGeometry(g.favorites);
    m_folders->folderGroup()->setGeometry(g.folder);
    m_folders->filesGroup()->setGeometry(g.files);
    m_progress->setGeometry(g.progressBar);
    m_strip->setGeometry(g.strip);
}

bool LyricsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client && event->type() == QEvent::Resize)
        layOut();
    return SecondaryWindow::eventFilter(watched, event);
}

void LyricsWindow::setNotice(const QString& text) {
    m_notice->setText(text);
    m_notice->setVisible(!text.isEmpty());
}

void LyricsWindow::applyTextFont() {
    runGuarded(m_prompter, [this] {
        m_textFont = textfont::load(m_dataFolder.ini("font_cards.txt"), m_prompter);
    });
    m_pages->setTextFont(toQFont(m_textFont));
}

void LyricsWindow::showEvent(QShowEvent* event) {
    SecondaryWindow::showEvent(event);
    // The browser is made with the first show; the window is created hidden at start-up.
    m_browser->view();
    applyTextFont();
    const LyricsFolders::Remembered remembered = m_folders->folders().rememberedFolder();
    if (!remembered.notice.isEmpty())
        setNotice(remembered.notice);
    QDir().mkpath(remembered.folder);
    m_folders->setFolder(remembered.folder);
    m_folders->loadFavorites();
    if (auto* pane = qobject_cast<BrowserPane*>(m_pages->currentWidget());
        pane && pane->existingView() && m_pages->currentIndex() > 0)
        pane->existingView()->setFocus();
    layOut();
}

void LyricsWindow::OpenLyricsClick(bool search) {
    if (m_main.hideReader && m_main.hideReader())
        return;
    if (isVisible()) {
        hide();
        return;
    }
    show();
    raise();
    activateWindow();
    if (!search)
        return;
    m_flash->stop();
    m_pages->setCurrentIndex(0);
    findlyrics();
}

QString LyricsWindow::songPathOf(const QString& song) const {
    const QString folder = m_main.musicFolder ? m_main.musicFolder() : QString();
    return LyricsFolders::join(QDir::cleanPath(folder), song);
}

void LyricsWindow::findlyrics() {
    const QString current = m_main.currentSong ? m_main.currentSong() : QStringLiteral("none");
    if (current == QLatin1String("none"))
        return;
    const QString singer = m_main.cuedSinger ? m_main.cuedSinger() : QStringLiteral("none");
    marriedLyrics.clear();
    runGuarded(m_prompter, [&] { marriedLyrics = m_marriages.lyricsFor(songPathOf(singer)); });
    if (!marriedLyrics.isEmpty()) {
        const QFileInfo married(marriedLyrics);
        if (!married.isFile()) {
            m_prompter.message(QStringLiteral("Cannot show the lyrics married to %1: \"%2\" does "
                                              "not exist.")
                                   .arg(singer, QDir::toNativeSeparators(marriedLyrics)),
                               "Hoedeck", Prompter::Icon::Error);
            return;
        }
        m_folders->setFolder(married.path());
        m_folders->selectFile(married.fileName());
        showFound(marriedLyrics, married.fileName());
        return;
    }

    showOnLyricsPage(m_dataFolder.path("nomatch/No Match.html"));
    LyricsFolders& folders = m_folders->folders();
    if (!folders.favoritesFileExists()) {
        m_folders->setFolder(folders.defaultFolder());
        m_folders->loadFavorites();
    }
    const LyricSearchResult result = searchLyrics(singer, folders.favorites(), folders.filter());
    if (result.folder.isEmpty() || !QFileInfo(result.folder).isDir())
        return;
    m_folders->setFolder(result.folder, result.files);
    m_folders->selectRow(result.index);
    if (result.found)
        showFound(LyricsFolders::join(result.folder, result.fileName), result.fileName);
}

void LyricsWindow::showFound(const QString& path, const QString& name) {
    m_styles.provideFor(QFileInfo(path).path());
    if (name.endsWith(".rtf")) {
        showRichText(path);
    } else {
        static_cast<QStackedWidget*>(m_pages->widget(0))->setCurrentWidget(m_browser);
        m_browser->showFile(path);
    }
    if (m_browser->existingView())
        m_browser->existingView()->setFocus();
}

void LyricsWindow::showChosenFile(const QString& path) {
    if (path.isEmpty())
        return;
    setNotice(QString());
    // Only this ending, as written, is taken for rich text.
    if (QFileInfo(path).fileName().endsWith(".rtf"))
        showRichText(path);
    else
        showOnLyricsPage(path);
}

void LyricsWindow::showOnLyricsPage(const QString& path) {
    static_cast<QStackedWidget*>(m_pages->widget(0))->setCurrentWidget(m_browser);
    m_browser->showFile(path);
}

void LyricsWindow::showRichText(const QString& path) {
    RtfPage page;
    if (!runGuarded(m_prompter, [&] { page = rtfPage(path, m_richTextFolder.path() + "/page"); }))
        return;
    m_richText->showPageFor(page.htmlPath, path);
    static_cast<QStackedWidget*>(m_pages->widget(0))->setCurrentWidget(m_richText);
    setNotice(page.notice);
}

void LyricsWindow::refreshFiles() {
    m_folders->refresh();
}

void LyricsWindow::proposeMarriage(const QString& lyricsPath) {
    if (lyricsPath.isEmpty())
        return;
    const QString current = m_main.currentSong ? m_main.currentSong() : QStringLiteral("none");
    const int answer =
        m_prompter.choose("Would you like to marry " + lyricsPath + " to " + current + "?",
                          "Marriage Proposal", {"&I Do", "&Divorce"});
    if (answer < 0)
        return; // the box closed without an answer: neither a marriage nor a divorce
    runGuarded(m_prompter,
               [&] { m_marriages.propose(lyricsPath, songPathOf(current), answer == 0); });
}

void LyricsWindow::openMarriedSong(const QString& lyricsPath) {
    eMarried_mp3.clear();
    if (lyricsPath.isEmpty())
        return;
    runGuarded(m_prompter, [&] { eMarried_mp3 = m_marriages.songFor(lyricsPath); });
    if (!eMarried_mp3.isEmpty() && m_main.openSong)
        m_main.openSong(eMarried_mp3);
}

void LyricsWindow::showAgain(const QString& path) {
    if (path.isEmpty())
        return;
    static_cast<QStackedWidget*>(m_pages->widget(0))->setCurrentWidget(m_browser);
    if (m_browser->shownFile() == path)
        m_browser->reload();
    else
        m_browser->showFile(path);
}

void LyricsWindow::applyUserStyleSheet(const QStringList& sizes) {
    runGuarded(m_prompter, [&] { m_styles.saveSizes(sizes); });
    if (!m_folders->folder().isEmpty())
        m_folders->addFolderToFavorites();
    QString shown = m_folders->selectedFilePath();
    if (shown.isEmpty())
        shown = m_browser->shownFile();
    runGuarded(m_prompter, [&] { m_styles.writeUserSheet(m_folders->folders().favorites()); });
    showAgain(shown);
}

void LyricsWindow::restoreDefaultStyleSheet() {
    if (!m_folders->folder().isEmpty())
        m_folders->addFolderToFavorites();
    QString shown = m_folders->selectedFilePath();
    if (shown.isEmpty())
        shown = m_browser->shownFile();
    showOnLyricsPage(m_dataFolder.path("nomatch/No Match.html"));
    runGuarded(m_prompter, [&] { m_styles.restoreDefault(m_folders->folders().favorites()); });
    showAgain(shown);
}

void LyricsWindow::chooseTextFont() {
    const std::optional<FontSpec> chosen = m_prompter.chooseFont(m_textFont);
    if (!chosen)
        return;
    m_textFont = *chosen;
    m_pages->setTextFont(toQFont(m_textFont));
    runGuarded(m_prompter,
               [this] { textfont::save(m_dataFolder.ini("font_cards.txt"), m_textFont); });
}

} // namespace hoedeck
