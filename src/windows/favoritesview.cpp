#include "favoritesview.h"

#include "colors.h"
#include "favorites.h"
#include "guarded.h"
#include "musicbrowser.h"
#include "musicfolders.h"
#include "prompter.h"
#include "songlist.h"
#include "songlog.h"
#include "widgetmaking.h"

#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace hoedeck {

namespace {

// Played songs are drawn in the history colours, selected or not.
class HistoryDelegate : public QStyledItemDelegate {
public:
    HistoryDelegate(FavoritesView& view, PlayHistory& history, bool patter, QObject* parent)
        : QStyledItemDelegate(parent), m_view(view), m_history(history), m_patter(patter) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!m_view.isPlayed(m_patter, index.row())) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->save();
        painter->fillRect(option.rect, toQColor(m_history.backgroundColor));
        painter->setPen(toQColor(m_history.textColor));
        painter->setFont(option.font);
        painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignTop,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

private:
    FavoritesView& m_view;
    PlayHistory& m_history;
    bool m_patter;
};

int topRow(const QListWidget* list) {
    const QModelIndex top = list->indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

} // namespace

FavoritesView::FavoritesView(FavoritesLists& favorites, MusicFolders& folders,
                             MusicBrowser& browser, SongLog& log, Prompter& prompter,
                             Widgets widgets, QObject* parent)
    : QObject(parent), m_favorites(favorites), m_folders(folders), m_browser(browser), m_log(log),
      m_prompter(prompter), m_w(widgets) {
    buildHalf(m_w.patterPanel, m_w.patter, true);
    buildHalf(m_w.singerPanel, m_w.singers, false);
    buildChooser();
    for (QListWidget* list :
         {static_cast<QListWidget*>(m_w.patter), static_cast<QListWidget*>(m_w.singers), m_w.files})
        list->installEventFilter(this);
}

void FavoritesView::guarded(const std::function<void()>& command) {
    runGuarded(m_prompter, command);
}

void FavoritesView::buildHalf(QFrame* panel, SongListWidget* list, bool patter) {
    auto* layout = new QVBoxLayout(panel);
    auto* top = new QHBoxLayout;
    m_captions[patter] =
        namedLabel(patter ? "lPatterCaption" : "lSingersCaption", QString(), panel);
    m_sorted[patter] = new QCheckBox("Sorted", panel);
    m_sorted[patter]->setObjectName(patter ? "cbSortedPatter" : "cbSortedSinger");
    m_sorted[patter]->setChecked(true);
    top->addWidget(m_captions[patter]);
    top->addStretch();
    top->addWidget(m_sorted[patter]);
    layout->addLayout(top);
    layout->addWidget(list);
    list->setItemDelegate(new HistoryDelegate(*this, m_favorites.history, patter, list));
    connect(m_sorted[patter], &QCheckBox::toggled, this, [this, patter](bool on) {
        guarded([&] { m_favorites.setSorted(patter, on); });
        showFavorites();
    });
    list->onDrop = [this, list, patter](QListWidget* source, const QStringList& songs, int row) {
        std::optional<int> top;
        guarded([&] {
            top = m_favorites.drop(patter, songs, row, source == list);
            if (top)
                m_folders.add_to_favorite_folders(QDir::cleanPath(m_folders.browserFolder()));
        });
        m_browser.showFavoriteFolders();
        showFavorites();
        list->clearSelection();
        if (top && *top < list->count())
            list->scrollToItem(list->item(*top), QAbstractItemView::PositionAtTop);
    };
    list->onShellDrop = [this, patter](const QStringList& paths, int row) {
        guarded([&] {
            const QString folder = m_favorites.shellDrop(patter, paths, row);
            if (!folder.isEmpty())
                m_folders.appendFavoriteFolder(folder + '/');
        });
        m_browser.showFavoriteFolders();
        showFavorites();
    };
    list->onRightClick = [this, patter](int row) { unmark(patter, row); };
}

void FavoritesView::buildChooser() {
    auto* layout = static_cast<QVBoxLayout*>(m_w.leftPanel->layout());
    layout->addWidget(
        namedLabel("lCurrentFavoritesCaption", "Current Favorite File", m_w.leftPanel));
    m_current = namedLabel("lbCurrent_Favorites", QString(), m_w.leftPanel);
    layout->addWidget(m_current);
    layout->addWidget(namedLabel("lFavoritesCaption", "Favorites", m_w.leftPanel));
    m_chooser = new QListWidget(m_w.leftPanel);
    m_chooser->setObjectName("FileListBox2");
    m_chooser->setToolTip("Double Click to Select\nRight Click for New");
    m_chooser->setContextMenuPolicy(Qt::CustomContextMenu);
    m_chooser->installEventFilter(this);
    layout->addWidget(m_chooser, 1);
    // A click, a double click or a selection moved with the keys makes a list current.
    connect(m_chooser, &QListWidget::currentTextChanged, this, [this](const QString& name) {
        if (name.isEmpty() || name == m_favorites.current())
            return;
        guarded([&] { m_favorites.makeCurrent(name); });
        showFavorites();
    });
    connect(m_chooser, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu;
        menu.addAction("New", this, &FavoritesView::newList);
        menu.addAction("Delete", this, &FavoritesView::deleteList);
        menu.addAction("Duplicate Singers + Patter", this, [this] { duplicate(true, true); });
        menu.addAction("Duplicate Patter", this, [this] { duplicate(false, true); });
        menu.addAction("Duplicate Singers", this, [this] { duplicate(true, false); });
        menu.addAction("Change Folder");
        menu.exec(m_chooser->viewport()->mapToGlobal(at));
    });
}

void FavoritesView::newList() {
    guarded([this] { m_favorites.newList(); });
    showFavorites();
}

void FavoritesView::deleteList() {
    const QListWidgetItem* selected = m_chooser->currentItem();
    const QString name = selected && selected->isSelected() ? selected->text() : QString();
    guarded([&] { m_favorites.deleteList(name); });
    showFavorites();
}

void FavoritesView::duplicate(bool singers, bool patter) {
    guarded([&] { m_favorites.duplicate(singers, patter); });
    showFavorites();
}

void FavoritesView::indexFirstRows() {
    const QStringList* halves[2] = {&m_favorites.singers, &m_favorites.patter};
    for (int half = 0; half < 2; ++half) {
        m_firstRow[half].clear();
        const QStringList& songs = *halves[half];
        for (int row = int(songs.size()) - 1; row >= 0; --row)
            m_firstRow[half].insert(songs[row].toLower(), row);
    }
}

bool FavoritesView::isPlayed(bool patter, int row) const {
    const QListWidget* list = patter ? m_w.patter : m_w.singers;
    if (row < 0 || row >= list->count())
        return false;
    const QString song = list->item(row)->text().toLower();
    if (m_firstRow[patter].value(song, -1) != row)
        return false;
    try {
        return m_favorites.history.played(m_favorites.current(), patter).contains(song);
    } catch (const StoreError&) {
        return false; // a history that cannot be read colours nothing
    }
}

void FavoritesView::showFavorites() {
    {
        const QSignalBlocker quiet(m_chooser);
        m_chooser->clear();
        m_chooser->addItems(m_favorites.lists());
        const auto current = m_chooser->findItems(m_favorites.current(), Qt::MatchExactly);
        if (!current.isEmpty())
            m_chooser->setCurrentItem(current.first());
    }
    m_current->setText(m_favorites.current());
    indexFirstRows();
    const auto fill = [](QListWidget* list, const QStringList& songs) {
        const QSignalBlocker quiet(list);
        const int row = list->currentRow();
        list->clear();
        list->addItems(songs);
        if (row >= 0 && row < list->count())
            list->setCurrentRow(row, QItemSelectionModel::NoUpdate);
    };
    fill(m_w.patter, m_favorites.patter);
    fill(m_w.singers, m_favorites.singers);
    m_captions[1]->setText(QStringLiteral("Patter: %1").arg(m_favorites.patter.size()));
    m_captions[0]->setText(QStringLiteral("Singers: %1").arg(m_favorites.singers.size()));
    for (const bool patter : {false, true}) {
        const QSignalBlocker quiet(m_sorted[patter]);
        m_sorted[patter]->setChecked(patter ? m_favorites.sortedPatter : m_favorites.sortedSinger);
    }
}

void FavoritesView::repaint() {
    m_w.patter->viewport()->update();
    m_w.singers->viewport()->update();
}

void FavoritesView::unmark(bool patter, int row) {
    QListWidget* list = patter ? m_w.patter : m_w.singers;
    if (row < 0 || row >= list->count())
        return;
    const QString song = list->item(row)->text();
    guarded([&] {
        if (!patter)
            m_log.cancel(song);
        if (m_favorites.history.unmark(m_favorites.current(), patter, song))
            repaint();
    });
}

void FavoritesView::chooseHistoryColor(bool text) {
    PlayHistory& history = m_favorites.history;
    const auto chosen = m_prompter.chooseColor(text ? history.textColor : history.backgroundColor);
    guarded([&] { history.chooseColor(text, chosen); });
    repaint();
}

void FavoritesView::clearHistory(bool singers, bool patter) {
    guarded([&] {
        if (patter)
            m_favorites.history.clear(m_favorites.current(), true);
        if (singers)
            m_favorites.history.clear(m_favorites.current(), false);
    });
    repaint();
}

void FavoritesView::hop(QListWidget* from, int direction) {
    // Right: patter -> singers -> music files -> patter; Left the other way.
    QListWidget* ring[] = {m_w.patter, m_w.singers, m_w.files};
    const int at = from == ring[0] ? 0 : from == ring[1] ? 1 : 2;
    QListWidget* to = ring[(at + direction + 3) % 3];
    const int row = from->currentRow() - topRow(from) + topRow(to);
    to->setFocus();
    if (from->currentRow() < 0 || row < 0 || row >= to->count())
        return;
    if (QListWidgetItem* item = from->currentItem())
        item->setSelected(false);
    if (to->currentRow() == row) {
        // Made current again, so the click handling runs for it.
        const QSignalBlocker quiet(to);
        to->setCurrentRow(-1);
    }
    to->setCurrentRow(row);
}

bool FavoritesView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyRelease && event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_chooser) {
        if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_Delete) {
            deleteList();
            return true;
        }
        return false;
    }
    auto* list = static_cast<QListWidget*>(watched);
    const bool favourite = list == m_w.patter || list == m_w.singers;
    if (event->type() == QEvent::KeyPress && favourite && key->key() == Qt::Key_Delete) {
        QList<int> rows;
        for (const QListWidgetItem* item : list->selectedItems())
            rows << list->row(item);
        if (!rows.isEmpty()) {
            guarded([&] { m_favorites.removeSongs(list == m_w.patter, rows); });
            showFavorites();
        }
        return true;
    }
    if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
        // The hop is made on the release; the press moves nothing in these lists.
        if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat())
            hop(list, key->key() == Qt::Key_Right ? +1 : -1);
        return true;
    }
    return false;
}

} // namespace hoedeck
