#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;

namespace hoedeck {

// One copy of the program per data folder. Two copies on one folder would each write their own
// idea of the lists and memories over the other's; a second start asks the first to show its
// window and ends without writing anything. A lock left by a copy that crashed is taken over.
class SingleCopy : public QObject {
    Q_OBJECT
public:
    explicit SingleCopy(const QString& dataFolder, QObject* parent = nullptr);
    ~SingleCopy() override;

    // True when this copy may run on the folder (it holds the lock, or the folder cannot be
    // written at all, so there is nothing to protect). False when another copy runs there:
    // it has been asked to show itself, and `why` says so in words.
    bool acquire(QString& why);

signals:
    // A later start on the same folder asks this copy's window to come to the front.
    void raiseRequested();

private:
    QString m_folder;
    QString m_serverName;
    QLockFile m_lock;
    QLocalServer* m_server = nullptr;
};

} // namespace hoedeck
