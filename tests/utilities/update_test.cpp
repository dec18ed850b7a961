#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "textstore.h"
#include "updatecheck.h"
#include "versiontext.h"
#include "waiting.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {

// An HTTP server on this computer's loopback address: every request gets the same answer.
class LoopbackServer {
public:
    QByteArray status = "200 OK";
    QByteArray body;
    QStringList paths;

    LoopbackServer() {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket] { answer(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString folder() const {
        return QStringLiteral("http://127.0.0.1:%1/download/").arg(m_server.serverPort());
    }

private:
    void answer(QTcpSocket* socket) {
        m_request[socket] += socket->readAll();
        const QByteArray& request = m_request[socket];
        if (!request.contains("\r\n\r\n"))
            return;
        paths << QString::fromLatin1(request.split(' ').value(1));
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_request;
};

struct Rig {
    TempDataFolder data;
    ScriptedPrompter prompter;
    QList<QUrl> opened;
    UpdateCheck check{data.folder(), prompter, [this](const QUrl& url) { opened << url; }};

    explicit Rig(const QString& folder) {
        textstore::writeList(data.path("ini/update.ini"), {"server=" + folder});
        check.setLocalVersion("1.4.0.22");
    }
    // Runs one check to its end; what it said.
    QStringList run(bool manual = true) {
        prompter.shown.clear();
        QSignalSpy finished(&check, &UpdateCheck::finished);
        check.check(manual);
        EXPECT_TRUE(waitUntil([&] { return !finished.isEmpty(); }, 10000));
        return prompter.shown;
    }
};

QString noUpdate(const QString& server) {
    return "No update is available at this time. You are currently using version 1.4.0.22. The "
           "version on the server is " +
           server + ".";
}

} // namespace

TEST(VersionNumber, ComparesNumberByNumber) {
    const auto v = [](const char* text) { return *VersionNumber::parse(text); };
    EXPECT_TRUE(v("1.4.0.22") < v("1.4.0.100"));
    EXPECT_TRUE(v("1.4.0.3") < v("1.4.0.22"));
    EXPECT_TRUE(v("1.4.0.22") < v("1.5"));
    EXPECT_TRUE(v("1.4") == v("1.4.0.0"));
    EXPECT_TRUE(v("01.4") == v("1.4"));
    EXPECT_FALSE(v("2.0.0.0") < v("1.99.99.99"));
    EXPECT_EQ(v("4294967.0").text(), "4294967.0");
    for (const char* bad : {"", "1..2", "1.", ".1", "1.a", "+1", "-1.0", " 1.2", "1.2 ",
                            "1.2.3.4.5.6.7.8.9", "1234567890", "1,4", "\xd9\xa1.\xd9\xa2"})
        EXPECT_FALSE(VersionNumber::parse(QString::fromUtf8(bad))) << bad;
    // This program's own number has four parts.
    const auto own = VersionNumber::parse(programVersion());
    ASSERT_TRUE(own);
    EXPECT_EQ(own->numbers().size(), 4);
}

TEST(UpdateServer, ReadsTheAddressAndRefusesWhatIsNotHttps) {
    TempDataFolder data;
    const UpdateServer made = UpdateServer::load(data.folder());
    EXPECT_TRUE(made.ok()) << made.problem.toStdString();
    EXPECT_EQ(made.folder.toString(), UpdateServer::kDefaultFolder);
    EXPECT_EQ(textstore::readList(data.path("ini/update.ini")), UpdateServer::defaultLines());

    const UpdateServer server = UpdateServer::fromLines({"[update]", "; a comment", "# another",
                                                         "  SERVER = https://example.test/dl?x=1 ",
                                                         "server=https://second.test/"});
    EXPECT_EQ(server.versionFile().toString(), "https://example.test/dl/version.txt");
    EXPECT_EQ(server.package().toString(), "https://example.test/dl/Hoedeckupdate.zip");
    EXPECT_TRUE(UpdateServer::fromLines({"server=http://localhost:8080/"}).ok());
    EXPECT_TRUE(UpdateServer::fromLines({"server=http://[::1]/x/"}).ok());

    EXPECT_EQ(UpdateServer::fromLines({"server=http://example.test/"}).problem,
              "The update server \"http://example.test/\" in ini/update.ini is not an https:// "
              "address.");
    for (const QString bad : {"server=ftp://example.test/", "server=", "server=https://",
                              "server=file:///etc/", "server=https://exa mple.test/"})
        EXPECT_FALSE(UpdateServer::fromLines({bad}).ok()) << bad.toStdString();
    EXPECT_EQ(UpdateServer::fromLines({"address=https://example.test/"}).problem,
              "ini/update.ini names no update server: it needs a line such as server=" +
                  UpdateServer::kDefaultFolder);
}

TEST(UpdateCheck, ANewerReleaseIsOfferedAndYesOpensThePackage) {
    LoopbackServer server;
    Rig rig(server.folder());
    // By character codes "1.4.0.100" is smaller than "1.4.0.22"; by number it is newer.
    server.body = "1.4.0.100\r\n";
    rig.prompter.yesNo = {false, true};
    EXPECT_EQ(rig.run(), QStringList({"The version you currently are using is 1.4.0.22.\nVersion "
                                      "1.4.0.100 is available to download. Do you want to "
                                      "download the update?"}));
    EXPECT_TRUE(rig.opened.isEmpty());
    EXPECT_EQ(server.paths, QStringList({"/download/version.txt"}));

    rig.run(false);
    ASSERT_EQ(rig.opened.size(), 1);
    EXPECT_EQ(rig.opened[0].toString(), server.folder() + "Hoedeckupdate.zip");
}

TEST(UpdateCheck, TheSameOrAnOlderReleaseIsSaidOnlyWhenAsked) {
    LoopbackServer server;
    Rig rig(server.folder());
    server.body = "1.4.0.22";
    EXPECT_EQ(rig.run(), QStringList({noUpdate("1.4.0.22")}));
    // Greater by character codes, older by number.
    server.body = "1.4.0.3\n";
    EXPECT_EQ(rig.run(), QStringList({noUpdate("1.4.0.3")}));
    // Fourteen characters are a number; fifteen are an error page.
    server.body = "1.4.0.22.33333";
    EXPECT_EQ(rig.run(), QStringList({"The version you currently are using is 1.4.0.22.\nVersion "
                                      "1.4.0.22.33333 is available to download. Do you want to "
                                      "download the update?"}));
    server.body = "1.4.0.22.333333";
    EXPECT_EQ(rig.run(), QStringList({"The update server's answer is not a release number: "
                                      "\"1.4.0.22.333333\""}));
    EXPECT_EQ(rig.run(false), QStringList());
    server.body = "1.4.0.22";
    EXPECT_EQ(rig.run(false), QStringList());
    EXPECT_TRUE(rig.opened.isEmpty());
}

TEST(UpdateCheck, NoServerAGarbageAnswerOrAnErrorPageEndTheCheckWithTheReason) {
    LoopbackServer server;
    Rig rig(server.folder());
    server.body = "<html>hi</html>";
    EXPECT_EQ(rig.run(), QStringList({"The update server's answer is not a release number: "
                                      "\"<html>hi</html>\""}));
    server.body = "\xff\xfe"
                  "1";
    EXPECT_EQ(rig.run().value(0).left(50), "The update server's answer is not a release number");
    server.body = QByteArray(100 * 1024, '1');
    EXPECT_EQ(rig.run(), QStringList({"The update server's answer is not a release number: it is "
                                      "far longer than one."}));
    server.status = "404 Not Found";
    server.body = "1.5";
    const QStringList notFound = rig.run();
    ASSERT_EQ(notFound.size(), 1);
    EXPECT_TRUE(notFound[0].startsWith("The update server could not be asked for the newest "
                                       "release: "))
        << notFound[0].toStdString();
    EXPECT_TRUE(notFound[0].contains("Not Found")) << notFound[0].toStdString();
    EXPECT_EQ(rig.run(false), QStringList());

    // A port nobody listens on.
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const quint16 port = closed.serverPort();
    closed.close();
    Rig nobody(QStringLiteral("http://127.0.0.1:%1/").arg(port));
    const QStringList refused = nobody.run();
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused[0].contains("refused")) << refused[0].toStdString();
    EXPECT_TRUE(rig.opened.isEmpty());
}

TEST(UpdateCheck, ABadAddressIsSaidAndNothingIsAsked) {
    Rig rig("http://example.test/download/");
    EXPECT_EQ(rig.run(), QStringList({"The update server \"http://example.test/download/\" in "
                                      "ini/update.ini is not an https:// address."}));
    EXPECT_FALSE(rig.check.running());
}
