#include "flashcalls.h"

#include "textstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace hoedeck::calls {

namespace {
// The calls of a list file: its lines less the blank ones a hand-edited list may hold.
QStringList callsOf(const QString& path) {
    QStringList calls = textstore::readList(path);
    calls.removeIf([](const QString& call) { return call.trimmed().isEmpty(); });
    return calls;
}
} // namespace

FlashCalls::FlashCalls(DataFolder folder) : m_folder(folder), m_callerlab(std::move(folder)) {}

QString FlashCalls::flashPage(const QString& call) {
    return "<body bgcolor=\"teal\"><br><br><br><br><br><center><b><font size=\"7\" "
           "face=\"Verdana\" color=\"white\">" +
           call + "</font></b></center>";
}

std::uint32_t FlashCalls::seedFor(const QTime& time) {
    return std::uint32_t(((time.hour() * 60 + time.minute()) * 60 + time.second()) * 1000 +
                         time.msec());
}

int FlashCalls::draw(std::uint32_t& seed, int range) {
    seed = seed * 134775813u + 1u;
    return int((std::uint64_t(seed) * std::uint64_t(std::max(0, range))) >> 32);
}

QString FlashCalls::pick(const QTime& utcNow) {
    if (!QFileInfo::exists(listPath()))
        throw StoreError("Choose a level first: there is no list of calls to flash (Flash Calls "
                         "> Choose Level).");
    const QStringList list = callsOf(listPath());
    if (list.isEmpty())
        throw StoreError(QStringLiteral("%1 holds no calls: choose a level whose list has calls.")
                             .arg(QDir::toNativeSeparators(listPath()))
                             .toStdString());
    QStringList pool = QFileInfo::exists(poolPath()) ? callsOf(poolPath()) : QStringList();
    if (pool.isEmpty())
        pool = list;
    std::uint32_t seed = seedFor(utcNow);
    // The pool's last call is drawn only when it is alone, so each cycle ends with the list's
    // last call.
    const int index = draw(seed, int(pool.size()) - 1);
    const QString call = pool.takeAt(index);
    textstore::writeList(poolPath(), pool.isEmpty() ? list : pool);
    textstore::writeList(pagePath(), {flashPage(call)});
    return call;
}

void FlashCalls::chooseLevel(int line) {
    QFile::remove(poolPath());
    QFile::remove(listPath());
    const QString level = m_callerlab.file(line);
    if (!QFileInfo(level).isFile())
        throw StoreError(QStringLiteral("The level list %1 does not exist: set its location "
                                        "under Locations.")
                             .arg(QDir::toNativeSeparators(level))
                             .toStdString());
    textstore::writeList(listPath(), textstore::readList(level));
}

void FlashCalls::chooseLevels(const QList<int>& levels) {
    QStringList calls;
    for (const int level : levels) {
        const QString path = m_callerlab.folder() + "/" + levelListNames().value(level);
        if (!QFileInfo(path).isFile())
            throw StoreError(QStringLiteral("The level list %1 does not exist.")
                                 .arg(QDir::toNativeSeparators(path))
                                 .toStdString());
        calls += textstore::readList(path);
    }
    textstore::writeList(poolPath(), calls);
    textstore::writeList(listPath(), calls);
}

const QStringList& FlashCalls::intervals() {
    static const QStringList captions = {"2.5", "5", "10", "15", "20", "30", "40", "50", "60"};
    return captions;
}

int FlashCalls::intervalMs(const QString& caption) {
    if (!intervals().contains(caption))
        return 0;
    return int(caption.toDouble() * 1000);
}

QString FlashCalls::restoreInterval() const {
    const QString path = m_folder.ini("flash_timer.txt");
    if (!QFileInfo::exists(path)) {
        textstore::writeList(path, {"10"});
        return "10";
    }
    const QString caption = textstore::readSettings(path).value(0);
    return intervals().contains(caption) ? caption : QString();
}

void FlashCalls::storeInterval(const QString& caption) const {
    textstore::writeList(m_folder.ini("flash_timer.txt"), {caption});
}

} // namespace hoedeck::calls
