#include "carddesk.h"

#include "cards.h"
#include "prompter.h"
#include "textstore.h"

#include <QDir>
#include <QFileInfo>

namespace hoedeck::reader {

CardDesk::CardDesk(QString cardsFolder, Prompter& prompter)
    : m_cardsFolder(std::move(cardsFolder)), m_prompter(prompter) {
    setBrowserFolder(m_cardsFolder);
}

void CardDesk::selectLine(int line) {
    m_selected = m_view.isEmpty() ? -1 : std::clamp(line, 0, int(m_view.size()) - 1);
}

void CardDesk::setBrowserFolder(const QString& folder) {
    m_browserFolder = folder;
    m_browserFiles = folderFiles(folder, m_browserMask);
    m_browserSelected = -1;
}

void CardDesk::setBrowserMask(const QString& mask) {
    const QString selected = selectedBrowserPath();
    m_browserMask = mask;
    setBrowserFolder(m_browserFolder);
    m_browserSelected = int(m_browserFiles.indexOf(QFileInfo(selected).fileName()));
}

QString CardDesk::selectedBrowserPath() const {
    if (m_browserSelected < 0 || m_browserSelected >= m_browserFiles.size())
        return {};
    return QDir(m_browserFolder).filePath(m_browserFiles[m_browserSelected]);
}

void CardDesk::pointBrowserAt(const QString& file) {
    const QFileInfo info(file);
    setBrowserFolder(info.path());
    m_browserSelected = int(m_browserFiles.indexOf(info.fileName()));
}

QString CardDesk::positionCaption() const {
    if (!m_shown)
        return QStringLiteral("Number of Sequence");
    return QStringLiteral("%1 of %2").arg(m_browserSelected + 1).arg(m_browserFiles.size());
}

CardDesk::Highlight CardDesk::highlight(int k) const {
    if (k != m_current)
        return Highlight::None;
    const bool last =
        !m_browserFiles.isEmpty() && m_browserSelected == int(m_browserFiles.size()) - 1;
    return last ? Highlight::LastOfFolder : Highlight::Current;
}

bool CardDesk::loadBox(int k, const QString& file) {
    try {
        QStringList lines = readCard(file);
        Box& box = m_boxes[size_t(k - 1)];
        box.file = file;
        box.lines = std::move(lines);
        box.caption = boxCaption(file);
        return true;
    } catch (const StoreError& e) {
        m_prompter.message(e.message());
        return false;
    }
}

bool CardDesk::loadIntoView(int k) {
    const Box& box = m_boxes[size_t(k - 1)];
    if (box.file.isEmpty())
        return false;
    try {
        m_view = readCard(box.file);
    } catch (const StoreError&) {
        return false;
    }
    m_selected = -1;
    m_viewCaption = box.caption;
    return true;
}

void CardDesk::restore(const BoxList& boxes) {
    for (int k = 1; k <= 5; ++k) {
        m_boxes[size_t(k - 1)] = Box{};
        const QString& file = boxes.files.value(k - 1);
        if (!file.isEmpty() && QFileInfo(file).isFile())
            loadBox(k, file);
    }
    m_current = boxes.current;
    if (m_current >= 1 && m_current <= 5 && loadIntoView(m_current))
        pointBrowserAt(box(m_current).file);
}

BoxList CardDesk::boxList() const {
    BoxList list;
    for (int k = 1; k <= 5; ++k)
        list.files[k - 1] = box(k).file;
    list.current = m_current;
    return list;
}

bool CardDesk::showBox(int k) {
    if (k < 1 || k > 5 || !loadIntoView(k)) {
        m_prompter.message(kNothingInBox);
        return false;
    }
    m_current = k;
    pointBrowserAt(box(k).file);
    m_shown = true;
    return true;
}

bool CardDesk::page(int step) {
    if (m_current < 1 || m_current > 5 || box(m_current).file.isEmpty())
        return false;
    const QString file = box(m_current).file;
    pointBrowserAt(file);
    if (m_browserSelected < 0) {
        m_prompter.message(QStringLiteral("%1 is no longer in its folder.").arg(boxCaption(file)));
        return false;
    }
    int next = m_browserSelected + step;
    if (next < 0)
        next = m_browserSelected; // the first card is shown again
    if (next >= m_browserFiles.size()) {
        m_prompter.message(
            QStringLiteral("%1 is the last card in its folder.").arg(boxCaption(file)));
        return false;
    }
    m_browserSelected = next;
    if (!loadBox(m_current, selectedBrowserPath()) || !showBox(m_current))
        return false;
    selectLine(1);
    return true;
}

bool CardDesk::skipTest() {
    return m_selected >= 0 && m_selected < m_view.size() && isSkipLine(m_view[m_selected]);
}

void CardDesk::down() {
    for (;;) {
        if (m_view.isEmpty())
            return;
        if (m_selected == int(m_view.size()) - 1) {
            if (!page(1))
                return;
        } else {
            selectLine(m_selected + 1);
        }
        if (!skipTest())
            return;
    }
}

void CardDesk::up() {
    if (m_selected <= 0) {
        if (page(-1))
            selectLine(int(m_view.size()) - 1);
        return;
    }
    selectLine(m_selected - 1);
    // Never above the first line, even when every line above is one not called.
    while (skipTest() && m_selected > 0)
        selectLine(m_selected - 1);
}

bool CardDesk::saveCard(const QStringList& lines, int caretLine) {
    if (m_current < 1 || m_current > 5 || box(m_current).file.isEmpty()) {
        m_prompter.message(kNothingInBox);
        return false;
    }
    m_view = lines;
    selectLine(caretLine);
    try {
        writeCard(box(m_current).file, m_view);
    } catch (const StoreError& e) {
        m_prompter.message(e.message());
        return false;
    }
    return loadBox(m_current, box(m_current).file);
}

bool CardDesk::comment(const QString& line) {
    const int selected = m_selected;
    return saveCard(withComment(m_view, line), std::max(0, selected));
}

void CardDesk::closeBox(int k) {
    m_boxes[size_t(k - 1)] = Box{};
}

void CardDesk::clearAll() {
    for (int k = 1; k <= 5; ++k)
        closeBox(k);
    m_current = 1;
}

int CardDesk::firstEmptyBox() const {
    for (int k = 1; k <= 5; ++k)
        if (!box(k).holdsCard())
            return k;
    return 0;
}

bool CardDesk::fillEmptyBoxes(const QStringList& files) {
    if (firstEmptyBox() == 0) {
        m_prompter.message(kAllBoxesUsed);
        return false;
    }
    for (const QString& file : files.mid(0, 5))
        if (const int k = firstEmptyBox())
            loadBox(k, file);
    return true;
}

bool CardDesk::dropFolder(int k, const QString& folder) {
    setBrowserFolder(folder);
    bool loaded = false;
    if (m_browserFiles.isEmpty()) {
        m_prompter.message(QStringLiteral("There are no cards in %1.").arg(folder));
    } else {
        m_browserSelected = 0;
        loaded = loadBox(k, selectedBrowserPath());
    }
    setBrowserFolder(m_cardsFolder);
    return loaded;
}

bool CardDesk::transferTo(int k, bool move) {
    const QString source = QDir(m_cardsFolder).filePath(m_viewCaption);
    const QString caption = box(k).caption;
    const QString folder = QDir(m_cardsFolder).filePath(caption.left(caption.indexOf('/')));
    if (m_viewCaption.isEmpty() || !QFileInfo(source).isFile())
        return false;
    const int place = QFileInfo(source).path() == QFileInfo(box(m_current).file).path()
                          ? int(m_browserFiles.indexOf(QFileInfo(source).fileName()))
                          : -1;
    const auto target = transferCard(source, caption.isEmpty() ? m_cardsFolder : folder, move);
    if (!target)
        return false;
    if (!move) {
        m_prompter.message(QStringLiteral("1 file copied"));
        return true;
    }
    // The current box moves on to the card that followed the moved one; after the last, to
    // the new last; an emptied folder leaves the box empty.
    setBrowserFolder(QFileInfo(source).path());
    if (m_browserFiles.isEmpty()) {
        closeBox(m_current);
        m_view.clear();
        m_viewCaption.clear();
        m_selected = -1;
        return true;
    }
    m_browserSelected = std::clamp(place, 0, int(m_browserFiles.size()) - 1);
    if (loadBox(m_current, selectedBrowserPath()))
        showBox(m_current);
    return true;
}

bool CardDesk::openBoxList(const BoxList& boxes) {
    clearAll();
    for (int k = 1; k <= 5; ++k)
        m_boxes[size_t(k - 1)].file = boxes.files.value(k - 1);
    for (int k = 1; k <= 5; ++k)
        if (!box(k).file.isEmpty() && !loadBox(k, box(k).file))
            return false; // the boxes loaded before keep their cards
    m_current = boxes.current;
    if (m_current >= 1 && m_current <= 5 && loadIntoView(m_current))
        pointBrowserAt(box(m_current).file);
    return true;
}

} // namespace hoedeck::reader
