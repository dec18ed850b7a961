#include "singlecopy.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace hoedeck {

namespace {
constexpr char kRaise[] = "raise\n";

QString serverNameFor(const QString& folder) {
    const QString canonical = QDir(folder).canonicalPath();
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("hoedeck-%1").arg(QString::fromLatin1(hash.left(16)));
}
} // namespace

SingleCopy::SingleCopy(const QString& dataFolder, QObject* parent)
    : QObject(parent), m_folder(dataFolder), m_serverName(serverNameFor(dataFolder)),
      m_lock(QDir(dataFolder).filePath("hoedeck.lock")) {
    // Never stale by age: a copy runs all evening. A lock whose process is gone is stale.
    m_lock.setStaleLockTime(0);
}

SingleCopy::~SingleCopy() = default;

bool SingleCopy::acquire(QString& why) {
    if (!m_lock.tryLock(0)) {
        if (m_lock.error() != QLockFile::LockFailedError)
            return true; // the folder cannot be written: no copy can change it
        qint64 pid = 0;
        QString host, application;
        m_lock.getLockInfo(&pid, &host, &application);
        QLocalSocket first;
        first.connectToServer(m_serverName);
        const bool told = first.waitForConnected(2000) && first.write(kRaise) > 0 &&
                          first.waitForBytesWritten(2000);
        first.disconnectFromServer();
        why = QStringLiteral("Hoedeck is already running on the data folder %1 (process %2)%3; "
                             "this copy ends without changing anything.")
                  .arg(QDir::toNativeSeparators(m_folder), QString::number(pid),
                       told ? QStringLiteral(", and its window was brought to the front")
                            : QString());
        return false;
    }
    m_server = new QLocalServer(this);
    QLocalServer::removeServer(m_serverName); // left by a copy that crashed
    if (m_server->listen(m_serverName)) {
        connect(m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* later = m_server->nextPendingConnection()) {
                connect(later, &QLocalSocket::readyRead, this, [this, later] {
                    if (later->readAll().contains("raise"))
                        emit raiseRequested();
                });
                connect(later, &QLocalSocket::disconnected, later, &QObject::deleteLater);
            }
        });
    }
    return true;
}

} // namespace hoedeck
