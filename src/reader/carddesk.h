#pragma once

#include "boxlist.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace hoedeck {
class Prompter;
}

namespace hoedeck::reader {

// The reader's desk: five preview boxes each holding a card, the current box whose card fills
// the main card view, the line selected there, and the card browser's folder and list that
// paging walks through. The window shows this state and passes the caller's commands in;
// failures are told through the prompter and leave the state as it was.
class CardDesk {
public:
    struct Box {
        QString file;      // the card file shown, empty for none
        QStringList lines; // its lines as loaded
        QString caption;   // "folder/seq_004.txt"
        bool holdsCard() const { return !lines.isEmpty(); }
    };
    enum class Highlight { None, Current, LastOfFolder };

    CardDesk(QString cardsFolder, Prompter& prompter);

    const QString& cardsFolder() const { return m_cardsFolder; }
    const Box& box(int k) const { return m_boxes[size_t(k - 1)]; }
    int current() const { return m_current; }
    // The main card view: its lines, caption and selected line (-1 for none).
    const QStringList& viewLines() const { return m_view; }
    const QString& viewCaption() const { return m_viewCaption; }
    int selectedLine() const { return m_selected; }
    void selectLine(int line);
    // The card browser: its folder, files and the selected one (-1 for none).
    const QString& browserFolder() const { return m_browserFolder; }
    const QStringList& browserFiles() const { return m_browserFiles; }
    int browserSelected() const { return m_browserSelected; }
    void setBrowserFolder(const QString& folder);
    // The browser's file mask: "*" for all files, "*.txt" for text files.
    void setBrowserMask(const QString& mask);
    void selectBrowserFile(int index) { m_browserSelected = index; }
    QString selectedBrowserPath() const;
    // "5 of 32", or "Number of Sequence" until a box is first shown.
    QString positionCaption() const;
    // How box k's frame is coloured: the current box green, red when its card is the last of
    // the browser's list.
    Highlight highlight(int k) const;

    // Start-up and dances: the boxes and the current box from a box list; the current box's
    // card fills the view when it exists.
    void restore(const BoxList& boxes);
    BoxList boxList() const;

    // Ctrl+1..5 and a double click on a box. False (after the message) for an empty box.
    bool showBox(int k);
    // Page Down / Page Up: the next or previous card of the current box's folder.
    bool page(int step);
    // Down and Up in the main card view, passing over skip lines.
    void down();
    void up();
    // The card editor's result: the lines become the current card, written to its file, and
    // the line holding the caret is selected. With no edit under way the card is rewritten.
    bool saveCard(const QStringList& lines, int caretLine);
    // A comment command on the current card (an empty line only erases).
    bool comment(const QString& line);
    // Loads a card into box k, making it box k's file.
    bool loadBox(int k, const QString& file);
    void closeBox(int k);
    void clearAll();
    // The first empty box, 0 when all five hold a card.
    int firstEmptyBox() const;
    // "Open Sequence" and a double click in the browser's list: each file into the first empty
    // box; false (after the message) when all five are used.
    bool fillEmptyBoxes(const QStringList& files);
    // A folder of the browser dropped on box k: its first card goes in.
    bool dropFolder(int k, const QString& folder);
    // The current card copied or moved into box k's card folder under a free name.
    bool transferTo(int k, bool move);
    // A dance or box list opened: boxes cleared, then filled from it.
    bool openBoxList(const BoxList& boxes);

    static constexpr auto kAllBoxesUsed = "All the preview boxes are being used. Please close "
                                          "one to use another folder.";
    static constexpr auto kNothingInBox = "There doesn't seem to be anything in that box";

private:
    bool loadIntoView(int k);
    bool skipTest();
    void pointBrowserAt(const QString& file);

    QString m_cardsFolder;
    Prompter& m_prompter;
    std::array<Box, 5> m_boxes;
    int m_current = 1;
    QStringList m_view;
    QString m_viewCaption;
    int m_selected = -1;
    QString m_browserFolder;
    QString m_browserMask = QStringLiteral("*");
    QStringList m_browserFiles;
    int m_browserSelected = -1;
    bool m_shown = false;
};

} // namespace hoedeck::reader
