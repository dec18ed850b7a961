#include "whichdrive.h"

#include "widgetmaking.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace hoedeck {

namespace {

QStringList entriesOf(const QListWidget* list) {
    QStringList entries;
    for (int row = 0; row < list->count(); ++row)
        entries << list->item(row)->text();
    return entries;
}

QPushButton* namedButton(const QString& name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

WhichDriveWindow::WhichDriveWindow(const MusicFolders& folders, Prompter& prompter,
                                   QListWidget* patter, QListWidget* singers, VolumeSource volumes,
                                   QWidget* parent)
    : CopyWindow("TfmWhichDrive", "Copy Favorites to Key", prompter, std::move(volumes), parent),
      m_copy(folders, prompter, m_job), m_patter(patter), m_singers(singers) {
    QPushButton* copyPatter = namedButton("btnCopyPatter", "Copy Patter", this);
    QPushButton* copySingers = namedButton("btnCopySingers", "Copy Singers", this);
    QPushButton* copyBoth = namedButton("btnCopyBoth", "Copy Both", this);
    connect(copyPatter, &QPushButton::clicked, this, &WhichDriveWindow::copyfavoritepatter2Click);
    connect(copySingers, &QPushButton::clicked, this, &WhichDriveWindow::copyfavoritesingers2Click);
    connect(copyBoth, &QPushButton::clicked, this, &WhichDriveWindow::copyBothClick);
    m_progress->setBusy({m_drives, copyPatter, copySingers, copyBoth});
    connect(&m_job, &CopyJob::progressed, this, &WhichDriveWindow::showSong);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(namedLabel("Label1", "Copy the current favorites' songs to:", this));
    layout->addWidget(m_drives);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {copyPatter, copySingers, copyBoth})
        buttons->addWidget(button);
    layout->addLayout(buttons);
    layout->addStretch();
    layout->addWidget(m_progress);
    resize(420, 180);
}

void WhichDriveWindow::copyfavoritepatter2Click() {
    copy(false, true);
}

void WhichDriveWindow::copyfavoritesingers2Click() {
    copy(true, false);
}

void WhichDriveWindow::copyBothClick() {
    copy(true, true);
}

void WhichDriveWindow::copy(bool singers, bool patter) {
    const std::optional<Volume> volume = chosenVolume("Please choose the drive to copy to.");
    if (!volume)
        return;
    // A snapshot: the lists may change while the copy runs.
    m_songs = KeyCopy::plan(singers ? entriesOf(m_singers) : QStringList(),
                            patter ? entriesOf(m_patter) : QStringList());
    const QString empty = singers && patter ? QStringLiteral("Both lists are empty")
                          : patter          ? QStringLiteral("The patter list is empty")
                                            : QStringLiteral("The singers list is empty");
    m_copy.start(m_songs, *volume, empty + ": there is nothing to copy.");
}

void WhichDriveWindow::showSong(int index) {
    if (index < 0 || index >= m_songs.size())
        return;
    const KeySong& song = m_songs[index];
    QListWidget* list = song.patter ? m_patter : m_singers;
    const int count = int(std::count_if(m_songs.cbegin(), m_songs.cend(),
                                        [&](const KeySong& s) { return s.patter == song.patter; }));
    // A half of one song has the range 0 ... 0, which a bar shows as "busy": 0 ... 1 instead.
    m_progress->bar()->setRange(0, std::max(count - 1, 1));
    m_progress->bar()->setValue(song.row);
    // Selected, not made current: the current row is the cued song, which a copy leaves alone.
    if (QListWidgetItem* item = list->item(song.row); item && item->text() == song.entry) {
        list->selectionModel()->select(list->model()->index(song.row, 0),
                                       QItemSelectionModel::ClearAndSelect);
        list->scrollToItem(item);
    }
}

} // namespace hoedeck
