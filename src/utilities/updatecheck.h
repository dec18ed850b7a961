#pragma once

#include "datafolder.h"

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace hoedeck {

class Prompter;

// Where the update check asks: a download folder holding "version.txt" (the newest release's
// number) and "Hoedeckupdate.zip" (the package), named in ini/update.ini:
//
//     ; The update check reads version.txt in this folder and offers Hoedeckupdate.zip from it.
//     server=https://www.hoedeck.org/download/
//
// Only https addresses are taken, and plain http for this computer alone (a test server): the
// package is offered for download and must come from the server it claims to.
struct UpdateServer {
    static const QString kFileName;      // "update.ini"
    static const QString kDefaultFolder; // the maker's download folder

    QUrl folder; // ends in "/"
    QString problem;

    bool ok() const { return problem.isEmpty(); }
    QUrl versionFile() const { return folder.resolved(QUrl("version.txt")); }
    QUrl package() const { return folder.resolved(QUrl("Hoedeckupdate.zip")); }

    static QStringList defaultLines();
    // The setting from the file's lines: the first "server=" line (any case, blanks around the
    // "=" allowed); lines starting with ";" or "#" and "[section]" lines are passed over.
    static UpdateServer fromLines(const QStringList& lines);
    // Reads ini/update.ini, creating it with the default when missing. Throws StoreError when
    // it cannot be read or made.
    static UpdateServer load(const DataFolder& folder);
};

// "Updates" > "Automatic Update": asks the update server for the newest release number and
// compares it with this program's, number by number. A newer release is offered; on "Yes" the
// package's address is handed to `openPackage` (the desktop's browser downloads it).
class UpdateCheck : public QObject {
    Q_OBJECT
public:
    // A server text this long or longer is an error page, not a release number.
    static constexpr int kMaxVersionChars = 15;
    // A version file is a few bytes: anything past this is not one, and is not read further.
    static constexpr qint64 kMaxReplyBytes = 4096;

    UpdateCheck(DataFolder folder, Prompter& prompter, std::function<void(const QUrl&)> openPackage,
                QObject* parent = nullptr);

    // Starts a check; one already running is left to finish. A manual check says when there is
    // no newer release, and why there is no answer when the server gives none; a check the
    // program starts by itself speaks only when there is an update.
    void check(bool manual = true);
    bool running() const { return m_reply != nullptr; }

    // The version compared with the server's; this program's unless a test sets another.
    void setLocalVersion(const QString& version) { m_localVersion = version; }
    const QString& localVersion() const { return m_localVersion; }
    // How long a server may take before the check gives up.
    void setTimeoutMs(int milliseconds) { m_timeoutMs = milliseconds; }

signals:
    void finished();

private:
    void received();
    void compare(const QString& serverText);
    void tell(const QString& text);

    DataFolder m_folder;
    Prompter& m_prompter;
    std::function<void(const QUrl&)> m_openPackage;
    QNetworkAccessManager* m_network;
    QNetworkReply* m_reply = nullptr;
    UpdateServer m_server;
    QString m_localVersion;
    int m_timeoutMs = 15000;
    bool m_manualReport = false;
    bool m_tooLong = false;
};

} // namespace hoedeck
