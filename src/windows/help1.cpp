#include "help1.h"

#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace hoedeck {

HelpWindow::HelpWindow(QWidget* parent) : SecondaryWindow("help1", "Hoedeck Help", parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    resize(900, 700);
}

void HelpWindow::showPage(const QString& path) {
    if (!m_view) {
        m_view = new QWebEngineView(this);
        m_view->setObjectName("WebBrowser1");
        m_view->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, true);
        m_view->settings()->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
        layout()->addWidget(m_view);
    }
    m_view->load(QUrl::fromLocalFile(path));
    show();
    raise();
    activateWindow();
}

} // namespace hoedeck
