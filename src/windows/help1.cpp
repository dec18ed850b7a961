#include "help1.h"

#include "browserpane.h"

#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace hoedeck {

HelpWindow::HelpWindow(QWidget* parent) : SecondaryWindow("help1", "Hoedeck Help", parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    resize(900, 700);
}

void HelpWindow::showPage(const QString& path) {
    if (!m_view) {
        m_view = makeBrowserView("WebBrowser1", this);
        layout()->addWidget(m_view);
    }
    m_view->load(QUrl::fromLocalFile(path));
    show();
    raise();
    activateWindow();
}

} // namespace hoedeck
