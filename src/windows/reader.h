#pragma once

#include "carddesk.h"
#include "cardfiles.h"
#include "secondarywindow.h"

#include <array>

class QGroupBox;
class QLabel;
class QListWidget;
class QMenuBar;
class QPlainTextEdit;

namespace hoedeck {

class CardBrowser;
class MainWindow;
class PreviewBox;
class Prompter;

// The reader: the caller's reading desk for choreography cards. The main card view on the left
// shows the current box's card with the line about to be called selected; five preview boxes on
// the right hold a card each; the Create-a-Dance panel above them holds the dances and the card
// browser. Page Down/Up, Up/Down, Ctrl+1..5, Ctrl+W and Esc are the window's own whichever
// control has the focus.
class ReaderWindow : public SecondaryWindow {
    Q_OBJECT
public:
    ReaderWindow(const DataFolder& folder, Prompter& prompter, QWidget* parent = nullptr);

    reader::CardDesk& desk() { return m_desk; }
    reader::CardFiles& files() { return m_files; }
    QListWidget* ListBox2() const { return m_view; }
    QPlainTextEdit* Memo1() const { return m_editor; }
    PreviewBox* previewBox(int k) const { return m_boxes[size_t(k - 1)]; }
    CardBrowser* browser() const { return m_browser; }
    QLabel* positionLabel() const { return m_position; }
    bool createADance() const { return m_createADance; }

    // The commands, as the menus, keys and mouse give them.
    void showBox(int k);
    void page(int step);
    void down();
    void up();
    void editCard();
    void saveCard();
    void exitWithoutSave();
    void comment(const QString& line);
    void importCards(reader::ImportFormat format);
    void openSequence();
    void clearAllPreviews();
    void closeBox(int k);
    void chooseFont();
    void saveAsDance();
    void openDance();
    void openDanceFromList();
    void setCreateADance(bool on);
    // Joins the main window: "Reader" (Ctrl+F12) in its "Lyrics/Text/Reader" menu shows the
    // reader maximised, or hides it when it shows.
    void plugInto(MainWindow& main);
    void toggle();
    // Hides the reader when it shows; true when it did (F11 and F12 then do nothing else).
    bool hideIfShown();
    // Writes the boxes to their file: when the reader is closed, and when the program ends.
    void saveBoxes();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus(QMenuBar* bar);
    void dropped(int k, QObject* source, const QPoint& globalPos);
    void fillFrom(const QStringList& files);
    // The screen from the desk: boxes, card view, colours and position.
    void refresh();
    void refreshView();
    void layOut();
    bool editing() const;

    reader::CardDesk m_desk;
    reader::CardFiles m_files;
    Prompter& m_prompter;
    QGroupBox* m_viewFrame;
    QListWidget* m_view;
    QPlainTextEdit* m_editor;
    QLabel* m_editorStatus;
    QWidget* m_column;
    CardBrowser* m_browser;
    std::array<PreviewBox*, 5> m_boxes{};
    QLabel* m_position;
    bool m_createADance = false;
};

} // namespace hoedeck
