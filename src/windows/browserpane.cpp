#include "browserpane.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace hoedeck {

QWebEngineView* makeBrowserView(const QString& name, QWidget* parent) {
    auto* view = new QWebEngineView(parent);
    view->setObjectName(name);
    view->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    view->settings()->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    return view;
}

bool BrowserPane::viewable(const QString& path) {
    static const QStringList kinds{"htm", "html", "xhtml", "shtml", "txt", "text", "xml", "svg",
                                   "jpg", "jpeg", "png",   "gif",   "bmp", "webp", "ico", "pdf"};
    return kinds.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}

BrowserPane::BrowserPane(const QString& viewName, QWidget* parent)
    : QStackedWidget(parent), m_viewName(viewName) {
    // An empty page until something is shown: neither a browser made before it is needed nor
    // a "cannot show" box about no file at all.
    addWidget(new QWidget(this));
    m_cannotShow = new QWidget(this);
    m_cannotShow->setObjectName("cannotShowPage");
    auto* layout = new QVBoxLayout(m_cannotShow);
    layout->addStretch();
    m_cannotShowText = new QLabel(m_cannotShow);
    m_cannotShowText->setWordWrap(true);
    m_cannotShowText->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_cannotShowText);
    m_openOutside = new QPushButton("Open with the desktop's application", m_cannotShow);
    m_openOutside->setObjectName("btnOpenOutside");
    layout->addWidget(m_openOutside, 0, Qt::AlignCenter);
    layout->addStretch();
    addWidget(m_cannotShow);
    connect(m_openOutside, &QPushButton::clicked, this, [this] {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(m_file)))
            m_cannotShowText->setText(m_cannotShowText->text() +
                                      "\n\nThe desktop has no application for it.");
    });
}

QWebEngineView* BrowserPane::view() {
    if (m_view)
        return m_view;
    m_view = makeBrowserView(m_viewName, this);
    addWidget(m_view);
    connect(m_view, &QWebEngineView::loadFinished, this, &BrowserPane::loadFinished);
    // A link to a kind of file the view does not show would be downloaded without a word:
    // say so instead, and offer the desktop's application.
    connect(m_view->page()->profile(), &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest* request) {
                if (request->page() != m_view->page())
                    return;
                request->cancel();
                const QUrl url = request->url();
                showCannotShow(url.isLocalFile() ? url.toLocalFile() : url.toString());
            });
    return m_view;
}

void BrowserPane::showFile(const QString& path) {
    if (!viewable(path)) {
        showCannotShow(path);
        return;
    }
    showPageFor(path, path);
}

void BrowserPane::showPageFor(const QString& page, const QString& file) {
    m_file = file;
    view()->load(QUrl::fromLocalFile(page));
    setCurrentWidget(m_view);
}

void BrowserPane::reload() {
    // Past the cache: a page's style sheet changed on disk, its address did not.
    if (m_view && currentWidget() == m_view)
        m_view->triggerPageAction(QWebEnginePage::ReloadAndBypassCache);
}

bool BrowserPane::showsCannotShowPage() const {
    return currentWidget() == m_cannotShow;
}

void BrowserPane::showCannotShow(const QString& path) {
    m_file = path;
    m_cannotShowText->setText(
        QStringLiteral("Hoedeck cannot show \"%1\" here.").arg(QFileInfo(path).fileName()));
    m_openOutside->setEnabled(QFileInfo(path).isFile());
    setCurrentWidget(m_cannotShow);
}

} // namespace hoedeck
