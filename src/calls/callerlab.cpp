#include "callerlab.h"

#include "textstore.h"

#include <QDir>
#include <QFileInfo>

namespace hoedeck::calls {

const QList<Location>& locations() {
    static const QList<Location> table = {
        {"c3b list for Flash", "c3blist.txt"},
        {"c3a list for Flash", "c3alist.txt"},
        {"c2 list for Flash", "c2list.txt"},
        {"c1 list for Flash", "c1list.txt"},
        {"a2 list for Flash", "a2list.txt"},
        {"a1 list for Flash", "a1list.txt"},
        {"plus list for Flash", "pluslist.txt"},
        {"ms list for Flash", "mslist.txt"},
        {"ms53 list for Flash", "ms53list.txt"},
        {"CALLERLAB Mainstream List", "mslist.pdf"},
        {"CALLERLAB Plus List", "pluslist.pdf"},
        {"CALLERLAB Advanced List", "Advance_List_(05-08-29).pdf"},
        {"CALLERLAB C-1 List", "c1list.pdf"},
        {"CALLERLAB C-2 List", "c2list.pdf"},
        {"CALLERLAB C-3A List", "c3alist.pdf"},
        {"C3B List", "Official C3B List.htm"},
        {"C4", "2006.html"},
        {"MS definitions", "msdef.pdf"},
        {"PLUS definitions", "Plus_Definitions_(04-12-15).pdf"},
        {"Advanced definitions", "Advance_Def(05-04-13)_(3).pdf"},
        {"C1 definitions", "c1-def.pdf"},
        {"C2 definitions", "c2-def.pdf"},
        {"C3A definitions", "c3a-def.pdf"},
        {"C3B definitions", "Pocket Reference of C3B List Calls.htm"},
        {"C4 definitions", "Pocket Reference of C4 List Calls.htm"},
    };
    return table;
}

const QStringList& flashLevels() {
    static const QStringList levels = {"C3B", "C3A", "C2", "C1", "A2", "A1", "Plus", "MS", "MS 53"};
    return levels;
}

const QStringList& documentLevels() {
    static const QStringList levels = {"MS", "Plus", "Advanced", "C1", "C2", "C3A", "C3B", "C4"};
    return levels;
}

const QStringList& levelListNames() {
    static const QStringList names = [] {
        QStringList list;
        for (int i = 0; i < 9; ++i)
            list << locations()[i].defaultName;
        return list;
    }();
    return names;
}

Callerlab::Callerlab(DataFolder folder) : m_folder(std::move(folder)) {}

void Callerlab::createDefaults() const {
    QStringList names;
    for (const Location& location : locations())
        names << location.defaultName;
    QDir().mkpath(folder());
    textstore::ensureFile(iniPath(), names);
}

QStringList Callerlab::read() const {
    const QStringList lines = textstore::readSettings(iniPath());
    if (lines.size() < kLocationCount)
        throw StoreError(
            QStringLiteral("%1 holds %2 lines where it needs %3; the missing "
                           "locations cannot be shown.")
                .arg(iniPath(), QString::number(lines.size()), QString::number(kLocationCount))
                .toStdString());
    return lines.mid(0, kLocationCount);
}

void Callerlab::write(const QStringList& lines) const {
    textstore::writeList(iniPath(), lines);
}

QString Callerlab::resolve(const QString& entry) const {
    return QFileInfo(entry).isAbsolute() ? entry : QDir(folder()).filePath(entry);
}

QString Callerlab::file(int line) const {
    const QStringList lines = textstore::readSettings(iniPath());
    return resolve(lines.value(line - 1));
}

} // namespace hoedeck::calls
