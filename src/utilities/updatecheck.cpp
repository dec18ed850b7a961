#include "updatecheck.h"

#include "prompter.h"
#include "textstore.h"
#include "versiontext.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace hoedeck {

const QString UpdateServer::kFileName = QStringLiteral("update.ini");
const QString UpdateServer::kDefaultFolder = QStringLiteral("https://www.hoedeck.org/download/");

namespace {

const QString kCaption = QStringLiteral("Automatic Update");

bool isLoopback(const QString& host) {
    if (host.compare("localhost", Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

QStringList UpdateServer::defaultLines() {
    return {"; The update check reads version.txt in this folder and offers Hoedeckupdate.zip "
            "from it.",
            "server=" + kDefaultFolder};
}

UpdateServer UpdateServer::fromLines(const QStringList& lines) {
    UpdateServer server;
    const QString where = "ini/" + kFileName;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#') || line.startsWith('['))
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0 || line.left(equals).trimmed().compare("server", Qt::CaseInsensitive) != 0)
            continue;
        const QString address = line.mid(equals + 1).trimmed();
        const QUrl url(address, QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || url.host().isEmpty() ||
            !(scheme == "https" || (scheme == "http" && isLoopback(url.host())))) {
            server.problem = QStringLiteral("The update server \"%1\" in %2 is not an https:// "
                                            "address.")
                                 .arg(textstore::excerpt(address), where);
            return server;
        }
        server.folder = url;
        // A folder: version.txt must go inside it, not replace its last part.
        if (!server.folder.path().endsWith('/'))
            server.folder.setPath(server.folder.path() + '/');
        server.folder.setQuery(QString());
        server.folder.setFragment(QString());
        return server;
    }
    server.problem = QStringLiteral("%1 names no update server: it needs a line such as "
                                    "server=%2")
                         .arg(where, kDefaultFolder);
    return server;
}

UpdateServer UpdateServer::load(const DataFolder& folder) {
    const QString path = folder.ini(kFileName);
    textstore::ensureFile(path, defaultLines());
    return fromLines(textstore::readSettings(path));
}

UpdateCheck::UpdateCheck(DataFolder folder, Prompter& prompter,
                         std::function<void(const QUrl&)> openPackage, QObject* parent)
    : QObject(parent), m_folder(std::move(folder)), m_prompter(prompter),
      m_openPackage(std::move(openPackage)), m_network(new QNetworkAccessManager(this)),
      m_localVersion(programVersion()) {}

void UpdateCheck::check(bool manual) {
    if (m_reply)
        return;
    try {
        m_server = UpdateServer::load(m_folder);
    } catch (const StoreError& error) {
        if (manual)
            m_prompter.message(error.message(), kCaption, Prompter::Icon::Error);
        emit finished();
        return;
    }
    if (!m_server.ok()) {
        if (manual)
            m_prompter.message(m_server.problem, kCaption, Prompter::Icon::Warning);
        emit finished();
        return;
    }
    m_manualReport = manual;
    m_tooLong = false;
    QNetworkRequest request(m_server.versionFile());
    request.setTransferTimeout(m_timeoutMs);
    // The number must be the server's newest, not a copy kept on the way.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > kMaxReplyBytes && !m_tooLong) {
            m_tooLong = true;
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::finished, this, &UpdateCheck::received);
}

void UpdateCheck::received() {
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    if (m_tooLong) {
        tell("The update server's answer is not a release number: it is far longer than one.");
    } else if (reply->error() != QNetworkReply::NoError) {
        tell("The update server could not be asked for the newest release: " +
             reply->errorString());
    } else {
        compare(QString::fromUtf8(reply->readAll()));
    }
    m_manualReport = false;
    emit finished();
}

void UpdateCheck::compare(const QString& body) {
    // A version file ends with a line break, or a few: they are no part of the number.
    const QString serverText = body.trimmed();
    const auto server = serverText.size() < kMaxVersionChars ? VersionNumber::parse(serverText)
                                                             : std::optional<VersionNumber>();
    if (!server) {
        tell("The update server's answer is not a release number: \"" +
             textstore::excerpt(serverText) + "\"");
        return;
    }
    const auto local = VersionNumber::parse(m_localVersion);
    if (local && *local < *server) {
        if (m_prompter.question("The version you currently are using is " + m_localVersion +
                                    ".\nVersion " + serverText +
                                    " is available to download. Do you want to download the "
                                    "update?",
                                kCaption) &&
            m_openPackage)
            m_openPackage(m_server.package());
        return;
    }
    tell("No update is available at this time. You are currently using version " + m_localVersion +
         ". The version on the server is " + serverText + ".");
}

void UpdateCheck::tell(const QString& text) {
    if (m_manualReport)
        m_prompter.message(text, kCaption, Prompter::Icon::Information);
}

} // namespace hoedeck
