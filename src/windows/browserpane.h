#pragma once

#include <QStackedWidget>

class QLabel;
class QPushButton;
class QWebEngineView;

namespace hoedeck {

// A browser view set up as the program's views are: local pages, pictures and PDF (the
// view's own viewer).
QWebEngineView* makeBrowserView(const QString& name, QWidget* parent);

// Shows one document: in a browser view when the view can show it, otherwise on a page that
// says so with a button that opens the file in the desktop's application for it. The browser
// view costs start-up time, so it is made when the first document is shown.
class BrowserPane : public QStackedWidget {
    Q_OBJECT
public:
    BrowserPane(const QString& viewName, QWidget* parent = nullptr);

    // Whether the browser view shows files of this kind (by the name's ending).
    static bool viewable(const QString& path);

    // The browser view, made on first use.
    QWebEngineView* view();
    QWebEngineView* existingView() const { return m_view; }
    // A local file, or the page that says it cannot be shown here.
    void showFile(const QString& path);
    // Shows the page on the file's behalf: the page stands for the file (an RTF made HTML).
    void showPageFor(const QString& page, const QString& file);
    // Loads the shown document again (its style sheet changed).
    void reload();
    // The file on show; empty before the first.
    const QString& shownFile() const { return m_file; }
    bool showsCannotShowPage() const;
    QPushButton* openOutsideButton() const { return m_openOutside; }

signals:
    void loadFinished(bool ok);

private:
    void showCannotShow(const QString& path);

    QString m_viewName;
    QWebEngineView* m_view = nullptr;
    QWidget* m_cannotShow;
    QLabel* m_cannotShowText;
    QPushButton* m_openOutside;
    QString m_file;
};

} // namespace hoedeck
