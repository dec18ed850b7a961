#include "tempo.h"

#include "audioengine.h"
#include "callertools.h"
#include "colors.h"
#include "commandkeys.h"
#include "effects.h"
#include "effectsview.h"
#include "eqpresetbox.h"
#include "eqpresets.h"
#include "evenloudness.h"
#include "evenloudnessmenu.h"
#include "favorites.h"
#include "favoritesview.h"
#include "guarded.h"
#include "help1.h"
#include "inifiles.h"
#include "inifilesmenu.h"
#include "loopmarks.h"
#include "looppanel.h"
#include "lyrics.h"
#include "musicbrowser.h"
#include "musicfolders.h"
#include "outputview.h"
#include "player.h"
#include "progressstrip.h"
#include "prompter.h"
#include "reader.h"
#include "recordingpanel.h"
#include "songlist.h"
#include "songlog.h"
#include "songslots.h"
#include "soundeffects.h"
#include "speedmatching.h"
#include "textappearance.h"
#include "textstore.h"
#include "trackmemory.h"
#include "transport.h"
#include "transportbuttons.h"
#include "widgetmaking.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QProcess>
#include <QScopedValueRollback>
#include <QSlider>
#include <QStandardPaths>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

namespace hoedeck {

namespace {

QFrame* makePanel(const QString& name, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    return panel;
}

} // namespace

MainWindow::MainWindow(DataFolder folder, Prompter& prompter, AudioEngine& engine, QWidget* parent)
    : QMainWindow(parent), m_folder(std::move(folder)), m_prompter(prompter), m_engine(engine),
      m_appearance(m_folder, prompter),
      m_musicFolders(std::make_unique<MusicFolders>(m_folder, prompter)) {
    setObjectName("TForm1");
    setWindowTitle("Hoedeck");
    resize(1024, 768);

    m_progresTimer = new QTimer(this);
    m_progresTimer->setObjectName("ProgresTimer");
    m_progresTimer->setInterval(33);
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName("Timer1");
    m_timer1->setInterval(100);
    m_timerRec = new QTimer(this);
    m_timerRec->setObjectName("TimerRec");
    m_timerRec->setInterval(33);
    connect(m_timer1, &QTimer::timeout, this, &MainWindow::showClock);

    buildPanels();
    buildMenus();
    m_timer1->start();
    m_client->installEventFilter(this);
    qApp->installEventFilter(new CommandKeys(this));
}

MainWindow::~MainWindow() {
    FormDestroy();
}

void MainWindow::buildPanels() {
    m_client = new QWidget(this);
    setCentralWidget(m_client);

    m_pLeftSide = makePanel("pLeftSide", m_client);
    m_panel5 = makePanel("Panel5", m_client);
    m_pRight = makePanel("pRight", m_client);
    m_panel7 = makePanel("Panel7", m_client);
    m_panel10 = makePanel("Panel10", m_client);
    m_panel11 = makePanel("Panel11", m_client);
    m_panel12 = makePanel("Panel12", m_client);
    m_panelProgress = new ProgressStrip(m_client);
    m_panelSet = {m_pLeftSide, m_panel5, m_pRight, m_panel7, m_panel10, m_panel11, m_panel12};

    m_clocker = namedLabel("clocker", QString(), m_panel7);
    QFont clockFont = m_clocker->font();
    clockFont.setPointSize(clockFont.pointSize() + 14);
    clockFont.setBold(true);
    m_clocker->setFont(clockFont);

    m_favoritePatter = new SongListWidget("lbFavorite_Patter", m_panel10);
    m_favoriteSingers = new SongListWidget("lbFavorite_Singers", m_panel11);
    m_favorites = std::make_unique<FavoritesLists>(m_folder, m_prompter);
    m_songLog = std::make_unique<SongLog>(m_folder);
    m_musicBrowser = new MusicBrowser(*m_musicFolders, m_prompter, m_pRight, m_panel12, this);
    m_fileList = m_musicBrowser->FileListBox1();
    m_player = std::make_unique<Player>(m_engine, *m_musicFolders, m_prompter);
    m_transport = std::make_unique<Transport>(*m_player, m_prompter);
    m_effects = std::make_unique<Effects>(m_engine, *m_player);
    m_effects->plugInto(*m_player);
    m_effects->refreshPositionLabels = [this] { m_player->UpdatePositionLabel(); };
    m_effectsView = new EffectsView(*m_effects, *m_player, m_panel5, this);
    m_soundEffects = std::make_unique<SoundEffects>(m_folder, m_engine, m_prompter);
    m_loopMarks = std::make_unique<LoopMarks>(m_engine, *m_player);
    plugInMemory();
    m_loopPanel = new LoopPanel(*m_loopMarks, *m_player, m_client);
    m_recording =
        new RecordingPanel(m_folder, m_engine, m_prompter,
                           {m_clocker, m_progresTimer, m_timerRec, m_loopPanel}, m_client);
    m_panelSet << m_recording;
    m_songSlots = new SongSlotsView(*m_player, *m_musicFolders, *m_musicBrowser, m_prompter,
                                    {m_pLeftSide, m_panel7, m_panelProgress, m_favoritePatter,
                                     m_favoriteSingers, m_clocker, m_progresTimer, m_timer1},
                                    this);
    m_tools = new CallerTools({m_folder, m_engine, *m_player, *m_transport, *m_loopMarks,
                               m_prompter, m_client, m_progresTimer, m_songSlots->LBCountdown(),
                               [this](const std::function<void()>& run) { guarded(run); }},
                              this);
    m_favoritesView = new FavoritesView(
        *m_favorites, *m_musicFolders, *m_musicBrowser, *m_songLog, m_prompter,
        {m_pLeftSide, m_panel10, m_panel11, static_cast<SongListWidget*>(m_favoritePatter),
         static_cast<SongListWidget*>(m_favoriteSingers), m_fileList},
        this);
    plugInHistory();
    auto* left = static_cast<QVBoxLayout*>(m_pLeftSide->layout());
    left->insertWidget(left->indexOf(m_songSlots->chkPlaylist()) + 1,
                       new TransportButtons(
                           *m_transport,
                           [this](const std::function<void()>& command) { guarded(command); },
                           m_pLeftSide));
    connect(m_songSlots->lbInfo(), &QListWidget::itemDoubleClicked, this,
            [this] { playSoundEffect(); });
    connect(m_songSlots, &SongSlotsView::positionBarReleased, this,
            [this](int seconds) { m_loopMarks->positionBarReleased(seconds); });

    // The split is kept by a slider that the window does not show; the keys move it.
    m_trSplitscreen = new QSlider(Qt::Vertical, m_client);
    m_trSplitscreen->setObjectName("trSplitscreen");
    m_trSplitscreen->setRange(Appearance::kMinSplit, Appearance::kMaxSplit);
    m_trSplitscreen->setValue(Appearance::kDefaultSplit);
    m_trSplitscreen->hide();
}

void MainWindow::showFavorites() {
    m_favoritesView->showFavorites();
}

void MainWindow::plugInHistory() {
    m_player->hooks.markPlayed = [this](Sender) {
        guarded([this] {
            m_favorites->highlight(m_player->current_song, m_player->lbCuedPatter,
                                   m_player->lbCuedSinger);
        });
        m_favoritesView->repaint();
    };
    m_player->hooks.logPlay = [this] {
        guarded([this] { m_songLog->build_log(m_player->current_song); });
    };
    auto* currentSong = findChild<QLabel*>("current_song");
    currentSong->setToolTip("right click for log");
    currentSong->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(currentSong, &QWidget::customContextMenuRequested, this, &MainWindow::readSongLog);
}

void MainWindow::readSongLog() {
    const QString song = m_player->current_song;
    if (!m_prompter.question("Would you like to read the log on the file: " + song + "?"))
        return;
    std::optional<QStringList> lines;
    guarded([&] { lines = m_songLog->read(song); });
    if (!lines)
        return;
    QListWidget* info = m_songSlots->lbInfo();
    info->clear();
    info->addItems(*lines);
    info->show();
}

void MainWindow::plugInMemory() {
    m_eqPresets = std::make_unique<EqPresets>(m_folder, m_prompter, *m_effects);
    m_trackMemory = std::make_unique<TrackMemory>(m_folder, m_prompter, *m_player, *m_effects,
                                                  *m_eqPresets, m_engine);
    m_speedMatching = std::make_unique<SpeedMatching>(m_engine, *m_player, *m_effects);
    m_speedMatching->plugInto(*m_player);
    m_evenLoudness = std::make_unique<EvenLoudness>(m_folder, m_engine, *m_player);
    m_evenLoudness->plugInto(*m_player);
    m_effectsView->addPresetBox(new EqPresetBox(*m_eqPresets, m_prompter, m_panel5));
    m_effects->check_for_presets = [this] {
        guarded([this] { m_eqPresets->check_for_presets(); });
    };
    m_player->hooks.restoreTrackMemory = [this] { guarded([this] { m_trackMemory->restore(); }); };
    m_player->hooks.tickExtras = [this] {
        m_effects->uncheckWhenFlat();
        m_speedMatching->tick();
    };
    m_loopMarks->storeTrackMemory = [this] { guarded([this] { m_trackMemory->memorizeClick(); }); };
    m_transport->hooks.autoStore = [this] {
        guarded([this] { m_trackMemory->memorizeClick_for_automemorizer(); });
    };
}

void MainWindow::addHiddenCommand(const QString& text, const QKeySequence& key,
                                  const std::function<void()>& run) {
    auto* action = m_hiddenMenu->addAction(text);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, run);
    // Added to the window as well, so its key works although the menu is never shown.
    addAction(action);
}

void MainWindow::buildMenus() {
    // No mnemonic: Alt-F is the fade key; the menu opens with a click.
    QMenu* file = menuBar()->addMenu("File");
    file->setObjectName("File1");
    QMenu* ini = file->addMenu("Ini Files");
    ini->setObjectName("IniFiles1");
    m_iniFiles = new IniFilesMenu(m_folder, m_prompter, ini);
    m_outputView =
        new OutputView(m_engine, m_folder, m_prompter, file->addMenu("Sound output"), this);
    m_evenLoudnessMenu =
        new EvenLoudnessMenu(*m_evenLoudness, *m_musicBrowser, m_prompter, file, nullptr, this);
    file->addAction("Put Link on Desktop", this, &MainWindow::putLinkOnDesktop);
    file->addSeparator();
    // No key: Ctrl+Q belongs to the equaliser switch.
    file->addAction("Exit", this, &QWidget::close);

    QMenu* tempoPitch = menuBar()->addMenu("Tempo/Pitch");
    tempoPitch->setObjectName("TempoPitch1");
    QMenu* tempo = tempoPitch->addMenu("&Tempo");
    tempo->addAction("&Increase", QKeySequence(Qt::Key_F4), this,
                     [this] { m_effects->tempoIncrease(); });
    tempo->addAction("&Decrease", QKeySequence(Qt::Key_F3), this,
                     [this] { m_effects->tempoDecrease(); });
    QMenu* pitch = tempoPitch->addMenu("Pitch Shift");
    pitch->addAction("Up", QKeySequence(Qt::Key_F6), this, [this] { m_effects->pitchUp(); });
    pitch->addAction("Down", QKeySequence(Qt::Key_F5), this, [this] { m_effects->pitchDown(); });
    for (QMenu* menu : {tempo, pitch})
        addActions(menu->actions());

    QAction* fade = menuBar()->addAction("Fade");
    fade->setObjectName("Fade1");
    fade->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(fade, &QAction::triggered, this, [this] { m_transport->fade(); });
    addAction(fade);
    m_tools->addTimerMenu(menuBar());

    QAction* looping = menuBar()->addAction("Looping");
    looping->setObjectName("Looping1");
    looping->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(looping, &QAction::triggered, this, &MainWindow::toggleLoopPanel);
    addAction(looping);
    buildBpmMenu();
    m_tools->addRemoteMenu(menuBar());
    QAction* recording = menuBar()->addAction("Recording");
    recording->setObjectName("Recording1");
    connect(recording, &QAction::triggered, this,
            [this] { m_recording->recordingClick(m_pRight->geometry()); });
    QAction* toEnd = menuBar()->addAction("Play to End");
    toEnd->setObjectName("PlaytoEnd1");
    toEnd->setShortcut(QKeySequence(Qt::Key_F7));
    connect(toEnd, &QAction::triggered, this, [this] { m_loopMarks->togglePlayToEnd(); });
    addAction(toEnd);

    QMenu* colors = menuBar()->addMenu("&Color");
    colors->setObjectName("Color1");
    colors->addAction("Background", this, &MainWindow::chooseBackground);
    colors->addAction("Default", this, &MainWindow::defaultColors);
    auto* text = new TextAppearance(
        m_appearance, m_prompter, m_panelSet, m_panel7,
        [this] { return static_cast<QWidget*>(m_lyrics); }, this);
    colors->addAction("Text", text, &TextAppearance::chooseTextColor);
    colors->addAction("Font", text, &TextAppearance::chooseFont);

    QMenu* history = menuBar()->addMenu("History");
    history->setObjectName("History1");
    history->addAction("Font", this, [this] { m_favoritesView->chooseHistoryColor(true); });
    history->addAction("Background", this, [this] { m_favoritesView->chooseHistoryColor(false); });
    history->addAction("Clear Both", this, [this] { m_favoritesView->clearHistory(true, true); });
    history->addAction("Clear Singer", this,
                       [this] { m_favoritesView->clearHistory(true, false); });
    history->addAction("Clear Patter", this,
                       [this] { m_favoritesView->clearHistory(false, true); });

    m_helpAction = menuBar()->addAction("&Help");
    m_helpAction->setObjectName("Help1");
    connect(m_helpAction, &QAction::triggered, this, &MainWindow::showHelp);

    buildHiddenCommands();
}

void MainWindow::buildBpmMenu() {
    QMenu* bpm = menuBar()->addMenu("BPM");
    bpm->setObjectName("BPM1");
    QMenu* overrideMenu = bpm->addMenu("Override");
    overrideMenu->setObjectName("Override1");
    auto* choices = new QActionGroup(this);
    const auto addChoice = [&](const QString& caption, int value) {
        QAction* action = overrideMenu->addAction(caption);
        action->setCheckable(true);
        action->setChecked(value == m_speedMatching->overrideBpm());
        choices->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, value] { m_speedMatching->setOverride(value); });
    };
    for (const int value : SpeedMatching::kOverrides)
        addChoice(QString::number(value), value);
    addChoice("no", 0);
    m_tools->addMetronomeCommand(bpm);
}

void MainWindow::guarded(const std::function<void()>& command) {
    runGuarded(m_prompter, command);
}

void MainWindow::FormCreate() {
    // Numbers in files and edits use '.' whatever the desktop's language.
    QLocale::setDefault(QLocale::c());
    // A folder that cannot be written is said once; what each step then fails to create
    // follows from it and is not said again.
    const QString unwritable = textstore::writeProblem(m_folder.path("ini"));
    if (!unwritable.isEmpty())
        m_prompter.message(QStringLiteral("Hoedeck cannot save settings in %1: %2; changes made "
                                          "now will not be kept.")
                               .arg(QDir::toNativeSeparators(m_folder.path("ini")), unwritable),
                           "Hoedeck", Prompter::Icon::Warning);
    // Each file loads on its own: one that cannot be read gets its message and the rest load,
    // so a damaged split never costs the caller the favourites.
    const QScopedValueRollback quiet(fileMessagesToStderr(), !unwritable.isEmpty());
    guarded([this] {
        m_appearance.get_splitter();
        m_trSplitscreen->setValue(m_appearance.split());
    });
    guarded([this] { m_outputView->restoreChoice(); });
    Start_BASS();
    guarded([this] { m_appearance.ColorMe(); });
    guarded([this] {
        m_musicFolders->load_favorite_subdirectories();
        m_musicBrowser->showFavoriteFolders();
    });
    guarded([this] { m_eqPresets->load_user_EQ_presets(); });
    m_tools->probeRemote();
    guarded([this] { m_evenLoudnessMenu->load(); });
    scale_the_screen();
    guarded([this] { m_favorites->load_current_favorites(); });
    guarded([this] { m_musicFolders->load_subdirectories(); });
    guarded([this] { m_musicBrowser->goToFolder(m_musicFolders->browserFolder()); });
    guarded([this] { m_favorites->history.load_history_color(); });
    m_tools->loadTimer();
    guarded([this] { m_favorites->Sorted_Checked(); });
    guarded([this] { showFavorites(); });
    cueFirstSongs();
    for (QListWidget* list : {m_fileList, m_favoritePatter, m_favoriteSingers})
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    set_panels();
}

void MainWindow::cueFirstSongs() {
    // A caller opening the program presses Space and hears the list's first patter at once.
    for (QListWidget* list : {m_favoritePatter, m_favoriteSingers}) {
        if (list->count() == 0)
            continue;
        list->setCurrentRow(0);
        m_songSlots->songClicked(list, list->item(0)->text());
    }
}

void MainWindow::FormDestroy() {
    if (m_destroyed)
        return;
    m_destroyed = true;
    m_timer1->stop();
    m_progresTimer->stop();
    m_timerRec->stop();
    // A take under way is finished and named: quitting never loses what was recorded.
    m_recording->shutDown();
    m_engine.free();
    // Nobody may be there to answer a box at shut-down (a desktop logging out, SIGTERM): a
    // file that cannot be written is reported on standard error instead.
    runReporting([this] { m_appearance.note_splitter(); });
}

void MainWindow::Start_BASS() {
    QString reason;
    const bool opened = m_engine.start(&reason);
    if (!opened && m_engine.errorGetCode() == AudioError::Driver)
        m_prompter.message("No audio output device could be opened: " + reason +
                               ".\n\nHoedeck plays on a silent output, so everything else works.",
                           "Hoedeck", Prompter::Icon::Warning);
    else if (!reason.isEmpty())
        m_prompter.message(reason, "Hoedeck", Prompter::Icon::Warning);
}

void MainWindow::scale_the_screen() {
    // All three song lists show their rows at the height of the music file list.
    const QFont font = m_fileList->font();
    for (QListWidget* list : {m_favoritePatter, m_favoriteSingers}) {
        list->setFont(font);
        list->setUniformItemSizes(true);
    }
}

void MainWindow::applyBackground() {
    const QColor background = toQColor(m_appearance.background());
    QPalette windowPalette = m_client->palette();
    windowPalette.setColor(QPalette::Window, background);
    m_client->setPalette(windowPalette);
    m_client->setAutoFillBackground(true);
    for (QFrame* panel : m_panelSet) {
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, background);
        panel->setPalette(palette);
    }
}

void MainWindow::set_panels() {
    applyBackground();
    const PanelGrid grid =
        layOutPanels(m_client->width(), m_client->height(), m_trSplitscreen->value());
    m_pLeftSide->setGeometry(grid.pLeftSide);
    m_panel5->setGeometry(grid.Panel5);
    m_pRight->setGeometry(grid.pRight);
    m_panel7->setGeometry(grid.Panel7);
    m_panel10->setGeometry(grid.Panel10);
    m_panel11->setGeometry(grid.Panel11);
    m_panel12->setGeometry(grid.Panel12);
    m_panelProgress->setGeometry(grid.progressStrip);
    m_recording->placeOver(grid.pRight);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The client changes size with the window and with the status line coming and going.
    if (watched == m_client && event->type() == QEvent::Resize)
        set_panels();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    // The other windows live as long as the program; closing this one ends it.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void MainWindow::listSoundEffects() {
    const QStringList names = m_soundEffects->list();
    if (names.isEmpty())
        return;
    QListWidget* info = m_songSlots->lbInfo();
    info->clear();
    info->addItems(names);
    info->show();
}

void MainWindow::playSoundEffect() {
    QListWidget* info = m_songSlots->lbInfo();
    const bool selected = info->currentItem() && info->currentItem()->isSelected();
    const int played = m_soundEffects->play(selected ? info->currentRow() : -1);
    if (!selected && played >= 0 && played < info->count())
        info->setCurrentRow(played);
}

void MainWindow::toggleLoopPanel() {
    // Over the music folders, which a caller does not need while setting marks by ear; the
    // clock, the position, the status line and the strip stay in sight.
    m_loopPanel->toggleOver(m_pRight->geometry(), m_panelProgress->y());
}

void MainWindow::splitUp() {
    if (m_appearance.moveSplit(-1)) {
        m_trSplitscreen->setValue(m_appearance.split());
        set_panels();
    }
}

void MainWindow::splitDown() {
    if (m_appearance.moveSplit(+1)) {
        m_trSplitscreen->setValue(m_appearance.split());
        set_panels();
    }
}

void MainWindow::openIniFile(const QString& fileName) {
    m_iniFiles->open(fileName);
}

void MainWindow::putLinkOnDesktop() {
    guarded([this] {
        hoedeck::putLinkOnDesktop(
            QCoreApplication::applicationFilePath(), m_folder.root(),
            QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    });
}

void MainWindow::showHelp() {
    if (m_help)
        m_help->showPage(m_folder.path("manual/manual.html"));
}

void MainWindow::chooseBackground() {
    if (const auto chosen = m_prompter.chooseColor(m_appearance.background())) {
        guarded([&] { m_appearance.setBackground(*chosen); });
        applyBackground();
        paintLyricsWindow(toQColor(*chosen));
    }
}

void MainWindow::defaultColors() {
    guarded([this] { m_appearance.restoreDefaults(); });
    applyBackground();
    paintLyricsWindow(toQColor(m_appearance.background()));
}

void MainWindow::paintLyricsWindow(const QColor& color) {
    if (!m_lyrics)
        return;
    QPalette palette = m_lyrics->palette();
    palette.setColor(QPalette::Window, color);
    m_lyrics->setPalette(palette);
    m_lyrics->setAutoFillBackground(true);
}

void MainWindow::showClock() {
    m_songSlots->showClock();
}

QMenu* MainWindow::lyricsTextReaderMenu() {
    if (!m_lyricsMenu) {
        m_lyricsMenu = new QMenu("Lyrics/Text/Reader", this);
        m_lyricsMenu->setObjectName("LyricsTextReader1");
        const QMenu* color = findChild<QMenu*>("Color1");
        menuBar()->insertMenu(color ? color->menuAction() : m_helpAction, m_lyricsMenu);
    }
    return m_lyricsMenu;
}

void MainWindow::setReaderWindow(ReaderWindow* window) {
    m_reader = window;
    window->plugInto(*this);
}

bool MainWindow::hideReader() {
    return m_reader && m_reader->hideIfShown();
}

void MainWindow::setLyricsWindow(LyricsWindow* window) {
    m_lyrics = window;
    m_songSlots->setLyricsWindow(window);
    window->plugInto(*this);
    m_tools->setLyricsWindow(window);
}

} // namespace hoedeck
