#pragma once

#include <QFont>
#include <QTabWidget>

namespace hoedeck {

class BrowserPane;
class Prompter;

// The lyrics window's pages: the lyrics page first, then a page for each document the caller
// opens, captioned "(position) name". Text and RTF files opened here show as text (an RTF
// file with its markup); any other file in a browser view.
class DocumentPages : public QTabWidget {
    Q_OBJECT
public:
    DocumentPages(Prompter& prompter, QWidget* lyricsPage, QWidget* parent = nullptr);

    // "Open": a page for each file in order, the last selected and given the keyboard focus.
    // A file that cannot be read is said and gets no page.
    void openDocuments(const QStringList& paths);
    // A new page with a browser view, whatever the file's ending (the reference documents).
    void openInBrowser(const QString& path);
    // "Open" through the file dialog.
    void openFromDialog();
    // "Close": the selected page unless it is the lyrics page; the captions are renumbered.
    void closeSelected();
    void replaceSelected();
    void closeAll();
    // The digit keys: 1 to 9 select that document page when it exists; 0 the lyrics page.
    void selectByDigit(int digit);
    // Left and Right: the previous or next page, wrapping round.
    void turn(int step);

    // The font of the text pages and the tabs (the selected tab's too).
    void setTextFont(const QFont& font);
    const QFont& textFont() const { return m_textFont; }
    QStringList captions() const;

private:
    // Appends and selects the page; its caption is its position and the file's name.
    void addPage(QWidget* view, const QString& path);
    void renumber();
    // The page's browser view, when it has one with a document loaded: it takes the focus.
    void activate(int index);

    Prompter& m_prompter;
    QFont m_textFont;
    QString m_lastFolder;
};

} // namespace hoedeck
