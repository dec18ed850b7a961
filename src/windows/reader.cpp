#include "reader.h"

#include "cardbrowser.h"
#include "cards.h"
#include "colors.h"
#include "previewbox.h"
#include "prompter.h"
#include "tempo.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTreeView>
#include <QVBoxLayout>

namespace hoedeck {

using reader::CardDesk;

ReaderWindow::ReaderWindow(const DataFolder& folder, Prompter& prompter, QWidget* parent)
    : SecondaryWindow("TFmReader", "Reader", parent), m_desk(folder.path("cards"), prompter),
      m_files(folder, m_desk, prompter), m_prompter(prompter) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);

    auto* content = new QHBoxLayout;
    layout->addLayout(content);
    m_viewFrame = new QGroupBox(this);
    m_viewFrame->setObjectName("ListBox2Frame");
    auto* viewLayout = new QVBoxLayout(m_viewFrame);
    m_view = new QListWidget(m_viewFrame);
    m_view->setObjectName("ListBox2");
    m_view->setDragEnabled(true);
    m_view->setDragDropMode(QAbstractItemView::DragOnly);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_editor = new QPlainTextEdit(m_viewFrame);
    m_editor->setObjectName("Memo1");
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editorStatus = new QLabel("Control-W to Save | Esc to Escape", m_viewFrame);
    viewLayout->addWidget(m_view);
    viewLayout->addWidget(m_editor);
    viewLayout->addWidget(m_editorStatus);
    m_editor->hide();
    m_editorStatus->hide();
    content->addWidget(m_viewFrame, 3);

    m_column = new QWidget(this);
    m_column->installEventFilter(this);
    content->addWidget(m_column, 2);
    m_browser = new CardBrowser(m_desk, m_files.danceFolder(), m_column);
    m_browser->hide();
    for (int k = 1; k <= 5; ++k) {
        auto* box = new PreviewBox(k, m_column);
        box->setAcceptsSource([this](QObject* source) {
            return source == m_view || source == m_browser->DirectoryListBox1() ||
                   source == m_browser->FileListBox1();
        });
        connect(box, &PreviewBox::chosen, this, &ReaderWindow::showBox);
        connect(box, &PreviewBox::closeRequested, this, &ReaderWindow::closeBox);
        connect(box, &PreviewBox::droppedOn, this, &ReaderWindow::dropped);
        m_boxes[size_t(k - 1)] = box;
    }
    m_position = new QLabel("Number of Sequence", bar);
    m_position->setObjectName("positionCaption");
    bar->setCornerWidget(m_position);
    buildMenus(bar);

    connect(m_view, &QListWidget::itemDoubleClicked, this, &ReaderWindow::editCard);
    // Only a click chooses a line: the list's own current row also moves when it merely
    // takes the focus, which would skip the first line of a card just shown.
    connect(m_view, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { m_desk.selectLine(m_view->row(item)); });
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu;
        menu.addAction("Edit Card", this, &ReaderWindow::editCard);
        for (const reader::CommentCommand& command : reader::commentCommands())
            menu.addAction(command.caption, this, [this, line = command.line] { comment(line); });
        menu.exec(m_view->mapToGlobal(at));
    });
    m_editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_editor, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu;
        menu.addAction("Save", this, &ReaderWindow::saveCard);
        menu.addAction("Exit Without Save", this, &ReaderWindow::exitWithoutSave);
        menu.exec(m_editor->mapToGlobal(at));
    });
    connect(m_browser, &CardBrowser::fileDoubleClicked, this,
            [this](const QString& path) { fillFrom({path}); });
    connect(m_browser, &CardBrowser::danceDoubleClicked, this, &ReaderWindow::openDanceFromList);
    connect(m_browser, &CardBrowser::danceDeleteRequested, this, [this] {
        if (m_files.deleteDance(m_browser->selectedDance()))
            m_browser->readDances();
    });
    qApp->installEventFilter(this);

    const reader::CardFont font = m_files.loadFont();
    m_view->setFont(toQFont(font.font));
    m_editor->setFont(m_view->font());
    m_files.restoreBoxes();
    m_browser->sync();
    refresh();
    resize(1000, 700);
    layOut();
}

void ReaderWindow::buildMenus(QMenuBar* bar) {
    QMenu* file = bar->addMenu("File");
    QMenu* import = file->addMenu("Import");
    import->addAction("SD", this, [this] { importCards(reader::ImportFormat::Sd);
});
QMenu* text = import->addMenu("Text");
text->addAction("<begin> <end> for separating sequences", this,
                [this] { importCards(reader::ImportFormat::BeginEnd); });
text->addAction("@ for separating sequences", this,
                [this] { importCards(reader::ImportFormat::At); });
file->addAction("Open Sequence", this, &ReaderWindow::openSequence);
file->addAction("Clear All Previews", this, &ReaderWindow::clearAllPreviews);
file->addSeparator();
file->addAction("Save As Dance", this, &ReaderWindow::saveAsDance);
file->addAction("Open Dance", this, &ReaderWindow::openDance);
file->addAction("Open: Create a Dance", this, [this] { setCreateADance(true); });
file->addAction("Close: Create a Dance", this, [this] { setCreateADance(false); });
bar->addAction("Font", this, &ReaderWindow::chooseFont);
} // namespace hoedeck

bool ReaderWindow::editing() const {
    return m_editor->isVisible();
}

void ReaderWindow::showBox(int k) {
    m_desk.showBox(k);
    refresh();
    if (!editing())
        m_view->setFocus();
}

void ReaderWindow::page(int step) {
    if (editing())
        exitWithoutSave();
    if (m_desk.page(step))
        m_view->setFocus();
    refresh();
}

void ReaderWindow::down() {
    if (editing()) {
        QTextCursor caret = m_editor->textCursor();
        caret.movePosition(QTextCursor::NextBlock);
        m_editor->setTextCursor(caret);
        m_editor->ensureCursorVisible();
    } else if (m_view->hasFocus()) {
        m_desk.down();
        refresh();
    }
}

void ReaderWindow::up() {
    if (editing()) {
        QTextCursor caret = m_editor->textCursor();
        caret.movePosition(caret.block().position() == caret.position()
                               ? QTextCursor::PreviousBlock
                               : QTextCursor::StartOfBlock);
        m_editor->setTextCursor(caret);
        m_editor->ensureCursorVisible();
    } else if (m_view->hasFocus()) {
        m_desk.up();
        refresh();
    }
}

void ReaderWindow::editCard() {
    m_editor->setPlainText(m_desk.viewLines().join('\n'));
    const QTextBlock line =
        m_editor->document()->findBlockByNumber(std::max(0, m_desk.selectedLine()));
    QTextCursor caret(line);
    m_editor->setTextCursor(caret);
    m_view->hide();
    m_editor->show();
    m_editorStatus->show();
    m_editor->setFocus();
}

void ReaderWindow::saveCard() {
    if (editing())
        m_desk.saveCard(m_editor->toPlainText().split('\n'), m_editor->textCursor().blockNumber());
    else
        m_desk.saveCard(m_desk.viewLines(), m_desk.selectedLine());
    m_editor->hide();
    m_editorStatus->hide();
    m_view->show();
    m_view->setFocus();
    refresh();
}

void ReaderWindow::exitWithoutSave() {
    if (!editing())
        return;
    m_desk.selectLine(m_editor->textCursor().blockNumber());
    m_editor->hide();
    m_editorStatus->hide();
    m_view->show();
    m_view->setFocus();
    refresh();
}

void ReaderWindow::comment(const QString& line) {
    m_editor->hide();
    m_editorStatus->hide();
    m_view->show();
    m_desk.comment(line);
    refresh();
}

void ReaderWindow::importCards(reader::ImportFormat format) {
    if (m_files.import(format))
        m_browser->sync();
}

void ReaderWindow::openSequence() {
    if (m_desk.firstEmptyBox() == 0) {
        m_prompter.message(CardDesk::kAllBoxesUsed);
        return;
    }
    if (const QStringList chosen = m_prompter.openFiles("Open", m_desk.cardsFolder(), QString());
        !chosen.isEmpty())
        fillFrom(chosen);
}

void ReaderWindow::fillFrom(const QStringList& files) {
    m_desk.fillEmptyBoxes(files);
    refresh();
    layOut();
}

void ReaderWindow::clearAllPreviews() {
    m_desk.clearAll();
    refresh(); // the frames stay where they are until the next layout
}

void ReaderWindow::closeBox(int k) {
    m_desk.closeBox(k);
    refresh();
    layOut();
}

void ReaderWindow::chooseFont() {
    reader::CardFont font = m_files.loadFont();
    const auto chosen = m_prompter.chooseFont(font.font);
    if (!chosen)
        return;
    font.font = *chosen;
    m_view->setFont(toQFont(font.font));
    m_files.saveFont(font);
    layOut();
}

void ReaderWindow::saveAsDance() {
    if (m_files.saveAsDance())
        m_browser->readDances();
}

void ReaderWindow::openDance() {
    m_files.openDance();
    m_browser->sync();
    refresh();
    layOut();
}

void ReaderWindow::openDanceFromList() {
    if (m_prompter.question("Would you like to save the current settings as a dance?"))
        saveAsDance();
    m_desk.clearAll();
    m_files.openDanceFile(m_browser->selectedDance(), reader::BoxNumberRule::DancesList);
    m_browser->sync();
    refresh();
    setCreateADance(true);
}

void ReaderWindow::setCreateADance(bool on) {
    m_createADance = on;
    layOut();
}

void ReaderWindow::plugInto(MainWindow& main) {
    QAction* reader = main.lyricsTextReaderMenu()->addAction(
        "Reader", QKeySequence(Qt::CTRL | Qt::Key_F12), this, &ReaderWindow::toggle);
    reader->setObjectName("reader1");
    main.addAction(reader);
}

void ReaderWindow::toggle() {
    if (hideIfShown())
        return;
    showMaximized();
    raise();
    activateWindow();
}

bool ReaderWindow::hideIfShown() {
    if (!isVisible())
        return false;
    hide();
    return true;
}

void ReaderWindow::saveBoxes() {
    m_files.saveBoxes();
}

void ReaderWindow::dropped(int k, QObject* source, const QPoint& globalPos) {
    if (source == m_view) {
        QMenu menu;
        const QAction* move = menu.addAction("move");
        const QAction* copy = menu.addAction("copy");
        const QAction* chosen = menu.exec(globalPos);
        if (chosen == move || chosen == copy)
            m_desk.transferTo(k, chosen == move);
    } else if (source == m_browser->DirectoryListBox1()) {
        m_desk.dropFolder(k, m_browser->selectedTreeFolder());
    } else if (source == m_browser->FileListBox1()) {
        if (const QString path = m_desk.selectedBrowserPath(); !path.isEmpty())
            m_desk.loadBox(k, path);
    }
    m_browser->sync();
    refresh();
    layOut();
}

void ReaderWindow::refresh() {
    for (int k = 1; k <= 5; ++k) {
        previewBox(k)->showBox(m_desk.box(k));
        previewBox(k)->setHighlight(m_desk.highlight(k));
    }
    const CardDesk::Highlight current = m_desk.highlight(m_desk.current());
    paintFrame(m_viewFrame,
               current == CardDesk::Highlight::LastOfFolder ? QColor(255, 0, 0) : QColor(0, 128, 0),
               Qt::white);
    m_viewFrame->setTitle(m_desk.viewCaption());
    m_position->setText(m_desk.positionCaption());
    refreshView();
}

void ReaderWindow::refreshView() {
    QStringList shown;
    for (int i = 0; i < m_view->count(); ++i)
        shown << m_view->item(i)->text();
    if (shown != m_desk.viewLines()) {
        m_view->clear();
        m_view->addItems(m_desk.viewLines());
    }
    const int row = m_desk.selectedLine();
    if (row < 0) {
        m_view->setCurrentRow(-1);
        return;
    }
    // Two lines below the one about to be called stay in sight.
    if (row + 2 < m_view->count())
        m_view->scrollToItem(m_view->item(row + 2));
    m_view->setCurrentRow(row);
    m_view->scrollToItem(m_view->item(row));
}

void ReaderWindow::layOut() {
    const QRect area = m_column->rect();
    int top = 0;
    m_browser->setVisible(m_createADance);
    if (m_createADance) {
        const int panel = area.height() * 55 / 100;
        m_browser->setGeometry(0, 0, area.width(), panel);
        top = panel;
    }
    int shown = 0;
    for (int k = 1; k <= 5; ++k)
        shown += m_desk.box(k).holdsCard() ? 1 : 0;
    const int each = shown ? (area.height() - top) / shown : 0;
    for (int k = 1; k <= 5; ++k) {
        PreviewBox* box = previewBox(k);
        box->setVisible(m_desk.box(k).holdsCard());
        if (m_desk.box(k).holdsCard()) {
            box->setGeometry(0, top, area.width(), each);
            top += each;
        }
    }
    m_editor->setFont(m_view->font());
}

void ReaderWindow::closeEvent(QCloseEvent* event) {
    saveBoxes();
    SecondaryWindow::closeEvent(event);
}

void ReaderWindow::resizeEvent(QResizeEvent* event) {
    SecondaryWindow::resizeEvent(event);
    m_createADance = false;
    layOut();
}

bool ReaderWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_column && event->type() == QEvent::Resize) {
        layOut();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return SecondaryWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier) {
        switch (key->key()) {
        case Qt::Key_PageDown:
            page(1);
            return true;
        case Qt::Key_PageUp:
            page(-1);
            return true;
        case Qt::Key_Down:
            down();
            return true;
        case Qt::Key_Up:
            up();
            return true;
        case Qt::Key_Escape:
            exitWithoutSave();
            return true;
        default:
            return false;
        }
    }
    if (modifiers == Qt::ControlModifier) {
        if (key->key() >= Qt::Key_1 && key->key() <= Qt::Key_5) {
            showBox(key->key() - Qt::Key_0);
            return true;
        }
        if (key->key() == Qt::Key_W) {
            saveCard();
            return true;
        }
    }
    return false;
}

} // namespace hoedeck
