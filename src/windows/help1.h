#pragma once

#include "secondarywindow.h"

class QWebEngineView;

namespace hoedeck {

// Shows the manual in a browser view. The view is made when the window is first shown: a
// browser engine costs start-up time that a caller who never opens the help should not pay.
class HelpWindow : public SecondaryWindow {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the window with the given page (a local HTML file).
    void showPage(const QString& path);
    QWebEngineView* view() const { return m_view; }

private:
    QWebEngineView* m_view = nullptr;
};

} // namespace hoedeck
