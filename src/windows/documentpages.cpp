#include "documentpages.h"

#include "browserpane.h"
#include "guarded.h"
#include "pagecaptions.h"
#include "prompter.h"
#include "textstore.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QWebEngineView>

namespace hoedeck {

DocumentPages::DocumentPages(Prompter& prompter, QWidget* lyricsPage, QWidget* parent)
    : QTabWidget(parent), m_prompter(prompter) {
    setObjectName("OvcNotebook1");
    setFocusPolicy(Qt::StrongFocus);
    addTab(lyricsPage, "Lyrics");
    connect(this, &QTabWidget::currentChanged, this, &DocumentPages::activate);
}

void DocumentPages::openDocuments(const QStringList& paths) {
    for (const QString& path : paths) {
        const QFileInfo file(path);
        // Only these two endings, as written: a text page shows the file as it is.
        if (file.fileName().endsWith(".txt") || file.fileName().endsWith(".rtf")) {
            QStringList lines;
            if (!runGuarded(m_prompter, [&] { lines = textstore::readList(path); }))
                continue;
            auto* text = new QPlainTextEdit(this);
            text->setReadOnly(true);
            text->setFont(m_textFont);
            text->setPlainText(lines.join('\n'));
            addPage(text, path);
        } else {
            openInBrowser(path);
        }
    }
}

void DocumentPages::openInBrowser(const QString& path) {
    auto* pane = new BrowserPane("WebBrowser", this);
    pane->showFile(path);
    addPage(pane, path);
}

void DocumentPages::addPage(QWidget* view, const QString& path) {
    const QFileInfo file(path);
    const int index = addTab(view, pageCaption(count(), file.fileName()));
    setCurrentIndex(index);
    if (auto* pane = qobject_cast<BrowserPane*>(view); pane && pane->existingView())
        pane->existingView()->setFocus();
    else
        view->setFocus();
    m_lastFolder = file.path();
}

void DocumentPages::openFromDialog() {
    const QStringList paths = m_prompter.openFiles("Open", m_lastFolder, "All files|*");
    openDocuments(paths);
}

void DocumentPages::closeSelected() {
    const int index = currentIndex();
    if (index > 0) {
        QWidget* page = widget(index);
        removeTab(index);
        page->deleteLater();
    }
    renumber();
}

void DocumentPages::replaceSelected() {
    closeSelected();
    openFromDialog();
}

void DocumentPages::closeAll() {
    while (count() > 1) {
        QWidget* page = widget(1);
        removeTab(1);
        page->deleteLater();
    }
}

void DocumentPages::selectByDigit(int digit) {
    if (digit == 0) {
        setCurrentIndex(0);
        if (auto* pane = widget(0)->findChild<BrowserPane*>(); pane && pane->existingView())
            pane->existingView()->setFocus();
        return;
    }
    if (digit < count())
        setCurrentIndex(digit);
}

void DocumentPages::turn(int step) {
    if (count() < 2)
        return;
    setCurrentIndex((currentIndex() + step + count()) % count());
}

void DocumentPages::setTextFont(const QFont& font) {
    m_textFont = font;
    tabBar()->setFont(font);
    for (int i = 1; i < count(); ++i)
        if (auto* text = qobject_cast<QPlainTextEdit*>(widget(i)))
            text->setFont(font);
}

QStringList DocumentPages::captions() const {
    QStringList all;
    for (int i = 0; i < count(); ++i)
        all << tabText(i);
    return all;
}

void DocumentPages::renumber() {
    const QStringList renumbered = renumberedCaptions(captions().mid(1));
    for (int i = 0; i < renumbered.size(); ++i)
        setTabText(i + 1, renumbered[i]);
}

void DocumentPages::activate(int index) {
    // Keyboard scrolling works at once on a page whose document is loaded.
    auto* pane = qobject_cast<BrowserPane*>(widget(index));
    if (pane && pane->existingView() && !pane->shownFile().isEmpty() && isVisible())
        pane->existingView()->setFocus();
}

} // namespace hoedeck
