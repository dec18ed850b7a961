#include "songslots.h"

#include "guarded.h"
#include "listclicks.h"
#include "lyrics.h"
#include "musicbrowser.h"
#include "musicfolders.h"
#include "player.h"
#include "progress.h"
#include "progressstrip.h"
#include "prompter.h"
#include "textstore.h"
#include "widgetmaking.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QSlider>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

namespace hoedeck {

namespace {
// The time of day in the desktop's long time format, without the time zone.
QString timeOfDay() {
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove('t');
    return QTime::currentTime().toString(format.trimmed());
}

void showStatus(QLabel* status, const QString& text, bool golden) {
    status->setText(text);
    status->setStyleSheet(golden ? "background: yellow; color: black;" : QString());
}
} // namespace

SongSlotsView::SongSlotsView(Player& player, MusicFolders& folders, MusicBrowser& browser,
                             Prompter& prompter, const Widgets& widgets, QObject* parent)
    : QObject(parent), m_player(player), m_folders(folders), m_browser(browser),
      m_prompter(prompter), m_w(widgets) {
    auto* left = new QVBoxLayout(m_w.leftPanel);
    left->addWidget(namedLabel("lCurrentCaption", "Current song:", m_w.leftPanel));
    m_currentSong = namedLabel("current_song", Player::kNone, m_w.leftPanel);
    left->addWidget(m_currentSong);
    left->addWidget(namedLabel("lCuedPatterCaption", "Cued Patter:", m_w.leftPanel));
    m_cuedPatter = namedLabel("lbCuedPatter", Player::kNone, m_w.leftPanel);
    left->addWidget(m_cuedPatter);
    left->addWidget(namedLabel("lCuedSingerCaption", "Cued Singer:", m_w.leftPanel));
    m_cuedSinger = namedLabel("lbCuedSinger", Player::kNone, m_w.leftPanel);
    left->addWidget(m_cuedSinger);
    m_playlist = new QCheckBox("Playlist", m_w.leftPanel);
    m_playlist->setObjectName("chkPlaylist");
    left->addWidget(m_playlist);
    left->addStretch();

    auto* clock = new QVBoxLayout(m_w.clockPanel);
    clock->addWidget(m_w.clocker);
    m_countdown = namedLabel("LBCountdown", QString(), m_w.clockPanel);
    clock->addWidget(m_countdown);
    m_counter = namedLabel("position_counter", QString(), m_w.clockPanel);
    m_counter->hide();
    m_of = namedLabel("lOf", "of", m_w.clockPanel);
    m_of->hide(); // Label1 carries "of" itself; this one feeds the lyrics window's mirror
    m_label1 = namedLabel("Label1", QString(), m_w.clockPanel);
    QFont big = m_label1->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    m_label1->setFont(big);
    clock->addWidget(m_label1);
    m_label3 = namedLabel("Label3", QString(), m_w.clockPanel);
    m_label3->setFont(big);
    clock->addWidget(m_label3);
    m_meter = namedBar("RLed3", 128, m_w.clockPanel);
    clock->addWidget(m_meter);
    m_progress = namedBar("RVProgressBar2", 100, m_w.clockPanel);
    clock->addWidget(m_progress);
    // The second percent bar, under the strip's width: it follows the first.
    m_progress1 = namedBar("RVProgressBar1", 100, m_w.clockPanel);
    m_progress1->setMaximumHeight(6);
    m_progress1->setTextVisible(false);
    clock->addWidget(m_progress1);
    m_positionLabel = namedLabel("lblPosition", QString(), m_w.clockPanel);
    m_positionBar = new QSlider(Qt::Horizontal, m_w.clockPanel);
    m_positionBar->setObjectName("hsPosition");
    m_positionBar->setRange(0, 0);
    clock->addWidget(m_positionLabel);
    clock->addWidget(m_positionBar);
    // While the bar is dragged its label follows; letting go moves a singer there.
    connect(m_positionBar, &QSlider::sliderMoved, this, [this](int value) {
        m_player.UpdatePositionLabel(value);
        m_positionLabel->setText(m_player.lblPosition);
    });
    connect(m_positionBar, &QSlider::sliderReleased, this,
            [this] { emit positionBarReleased(m_positionBar->value()); });
    clock->addWidget(namedLabel("lFileInfoCaption", "File Info", m_w.clockPanel));
    m_info = new QListWidget(m_w.clockPanel);
    m_info->setObjectName("lbInfo");
    clock->addWidget(m_info, 1);

    connect(&m_player, &Player::stateChanged, this, &SongSlotsView::refresh);
    connect(&m_player, &Player::audioError, this, [this](const QString& text) {
        m_prompter.message(text, "Error", Prompter::Icon::Error);
    });
    connect(m_w.progresTimer, &QTimer::timeout, this, &SongSlotsView::tick);
    m_player.hooks.showFileInfo = [this] {
        m_info->clear();
        m_info->addItems(m_player.fileInfo(m_player.currentSongPath, true));
    };
    m_player.hooks.patterOpened = [this] { m_playlist->setChecked(false); };
    // A song file moved to the archive must not be held open by the singer or BPM streams.
    m_browser.setReleaseFile([this] { m_player.releaseSongFile(); });

    new ListClicks(
        m_w.favoritePatter, [this](const QString& name) { songClicked(m_w.favoritePatter, name); },
        [this](const QString& name) {
            guardedOpen([&] { m_player.btnOpenClick(Sender::lbFavorite_Patter, name); });
        });
    new ListClicks(
        m_w.favoriteSingers,
        [this](const QString& name) { songClicked(m_w.favoriteSingers, name); },
        [this](const QString& name) {
            guardedOpen([&] { m_player.btnOpenClick(Sender::lbFavorite_Singers, name); });
        });
    connect(&m_browser, &MusicBrowser::fileClicked, this,
            [this](const QString& name) { songClicked(m_browser.FileListBox1(), name); });
    connect(&m_browser, &MusicBrowser::fileActivated, this, [this](const QString& name) {
        guardedOpen(
            [&] { m_player.btnOpenClick(Sender::FileListBox1, m_folders.browserFolder() + name); });
        m_browser.refresh(); // the search may have moved the browser to a favourite folder
    });
}

void SongSlotsView::guardedOpen(const std::function<void()>& open) {
    runGuarded(m_prompter, open);
}

void SongSlotsView::setLyricsWindow(LyricsWindow* lyrics) {
    m_lyrics = lyrics;
}

void SongSlotsView::showClock() {
    const QString now = timeOfDay();
    m_w.clocker->setText(now);
    if (m_lyrics)
        m_lyrics->clocker()->setText(now);
}

void SongSlotsView::songClicked(QListWidget* list, const QString& name) {
    if (list == m_w.favoriteSingers)
        m_player.lbCuedSinger = name;
    else if (list == m_w.favoritePatter)
        m_player.lbCuedPatter = name;
    const QString path = m_folders.locate(name);
    m_info->clear();
    const QStringList lines = path.isEmpty() ? QStringList() : m_player.fileInfo(path, false);
    m_info->addItems(lines.isEmpty() ? QStringList{"File not found"} : lines);
    m_info->show();
    refresh();
}

void SongSlotsView::refresh() {
    m_currentSong->setText(m_player.current_song);
    m_cuedPatter->setText(m_player.lbCuedPatter);
    m_cuedSinger->setText(m_player.lbCuedSinger);
    showStatus(m_label3, m_player.Label3, m_player.label3Golden);
    if (m_player.progressTimerEnabled && !m_w.progresTimer->isActive())
        m_w.progresTimer->start();
    if (m_positionBar->maximum() != m_player.hsPositionMax) {
        // A new song: the bar spans it and starts at its beginning.
        m_positionBar->setRange(0, m_player.hsPositionMax);
        m_positionBar->setValue(0);
    }
    m_player.UpdatePositionLabel(m_positionBar->value());
    m_positionLabel->setText(m_player.lblPosition);
    const bool singer = m_player.activeChannel == 0 && m_player.current_song != Player::kNone;
    m_positionBar->setVisible(singer);
    m_positionLabel->setVisible(singer);
    layOutStrips();
    if (m_lyrics) {
        m_lyrics->ltotal_time()->setText(m_player.Label2);
        showStatus(m_lyrics->Label3(), m_player.Label3, m_player.label3Golden);
    }
}

void SongSlotsView::layOutStrips() {
    if (m_player.current_song == Player::kNone)
        return;
    QList<ProgressStrip*> strips{m_w.strip};
    if (m_lyrics)
        strips << m_lyrics->panel_progress();
    const bool patter = m_player.activeChannel != 0;
    // The markers' widths come from the main window's strip, in both windows.
    const progress::LoopMarkers markers = progress::loopMarkers(
        m_w.strip->width(), m_player.loopStart(), m_player.loopEnd(), m_player.activeLength());
    for (ProgressStrip* strip : strips) {
        if (patter)
            strip->showPatter(markers.beginLoop, markers.patterProgress);
        else
            strip->showSinger();
    }
}

void SongSlotsView::tick() {
    // A box opened by this tick (a playlist song that cannot be found) runs its own event loop,
    // where the timer goes on firing: the tick waits until the box is answered.
    if (m_ticking)
        return;
    const QScopedValueRollback<bool> ticking(m_ticking, true);
    const TickDisplay display = m_player.tick(m_playlist->isChecked());
    m_w.clockTimer->stop(); // the tick keeps the clock from now on
    showClock();
    if (display.meter) {
        m_meter->setValue(*display.meter);
        if (m_lyrics)
            m_lyrics->RLed3()->setValue(*display.meter);
    }
    if (display.position_counter)
        m_counter->setText(*display.position_counter);
    if (display.Label1)
        m_label1->setText(*display.Label1);
    if (display.percent) {
        m_progress->setValue(*display.percent);
        m_progress1->setValue(*display.percent);
        if (m_lyrics)
            m_lyrics->RVProgressBar1()->setValue(*display.percent);
    }
    followPosition();
    showStatus(m_label3, m_player.Label3, m_player.label3Golden);
    if (m_lyrics) {
        m_lyrics->position_counter()->setText(m_label1->text());
        m_lyrics->lOf()->setText(m_of->text());
        m_lyrics->ltotal_time()->setText(m_player.Label2);
        showStatus(m_lyrics->Label3(), m_player.Label3, m_player.label3Golden);
    }
    if (display.advancePlaylist)
        advancePlaylist();
}

void SongSlotsView::followPosition() {
    // The singer's bar follows the song unless the caller holds it; its label follows a tempo
    // change, whose adjusted total it shows.
    if (m_player.current_song == Player::kNone || m_player.activeChannel != 0 ||
        m_positionBar->isSliderDown())
        return;
    const auto seconds = int(m_player.position());
    if (seconds > 0 && seconds <= m_positionBar->maximum()) {
        const QSignalBlocker quiet(m_positionBar);
        m_positionBar->setValue(seconds);
    }
    m_player.UpdatePositionLabel(m_positionBar->value());
    m_positionLabel->setText(m_player.lblPosition);
}

void SongSlotsView::advancePlaylist() {
    QListWidget* list = m_w.favoriteSingers;
    if (list->count() == 0)
        return;
    // The entry after the selected one; the first follows the last.
    const int selected =
        list->currentItem() && list->currentItem()->isSelected() ? list->currentRow() : -1;
    const int next = (selected + 1) % list->count();
    list->clearSelection();
    {
        const QSignalBlocker quiet(list);
        list->setCurrentRow(next);
    }
    m_player.lbCuedSinger = list->item(next)->text();
    m_player.current_song = m_player.lbCuedSinger;
    guardedOpen([&] { m_player.btnOpenClick(Sender::ControlSpaceKey); });
    // A song that could not be opened was reported; going on down a list of missing songs
    // would report them one after another for as long as the list is checked.
    if (!m_player.playing)
        m_playlist->setChecked(false);
}

} // namespace hoedeck
