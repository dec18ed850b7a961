// ini/update.ini as the update check reads it: whatever the file holds, the address taken is
// one the check may ask, and the file itself is left as it was.

#include "harness.h"
#include "updatecheck.h"

#include <QHostAddress>

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("updateserver");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    workspace->reset();
    workspace->write("ini/update.ini", bytes);
    const UpdateServer server = UpdateServer::load(workspace->folder());
    fuzz::check(workspace->read("ini/update.ini") == bytes, "the reader changed the file");
    fuzz::check(server.ok() != server.folder.isEmpty(), "an address and a problem at once",
                server.problem);
    if (!server.ok())
        return 0;
    const QString scheme = server.folder.scheme();
    const QHostAddress host(server.folder.host());
    fuzz::check(scheme == "https" || (scheme == "http" && (server.folder.host() == "localhost" ||
                                                           (!host.isNull() && host.isLoopback()))),
                "an address that is neither https nor this computer", server.folder.toString());
    fuzz::check(server.folder.path().endsWith('/'), "the folder does not end in /",
                server.folder.toString());
    fuzz::check(server.versionFile().toString().endsWith("/version.txt") &&
                    server.package().toString().endsWith("/Hoedeckupdate.zip"),
                "the files are not inside the folder", server.versionFile().toString());
    fuzz::check(server.versionFile().host() == server.folder.host(),
                "version.txt is asked of another server", server.versionFile().toString());
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
