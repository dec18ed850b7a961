#pragma once

#include "datafolder.h"

#include <QString>
#include <QStringList>

namespace hoedeck::calls {

// Where the level lists and the reference documents are: callerlab/callerlab.ini, 25 lines,
// each a file in the callerlab folder (or a full path, for a file chosen elsewhere).
//   lines 1-9    the level lists for flash calls: C3B, C3A, C2, C1, A2, A1, Plus, MS, MS 53
//   lines 10-17  the published call lists: MS, Plus, Advanced, C1, C2, C3A, C3B, C4
//   lines 18-25  the definitions, in the same order
struct Location {
    QString label;       // as the locations panel shows it
    QString defaultName; // the file name written when callerlab.ini is missing
};
const QList<Location>& locations();
constexpr int kLocationCount = 25;

// The captions of the nine flash levels (lines 1-9) and of the eight document levels of the
// "Lists" and "Definitions" menus (lines 10-17 and 18-25).
const QStringList& flashLevels();
const QStringList& documentLevels();
// The fixed level-list names the multi-level chooser reads, in the order of flashLevels().
const QStringList& levelListNames();

class Callerlab {
public:
    explicit Callerlab(DataFolder folder);

    QString folder() const { return m_folder.path("callerlab"); }
    QString iniPath() const { return m_folder.path("callerlab/callerlab.ini"); }
    // Writes the 25 default names when callerlab.ini is missing; an existing file is kept.
    void createDefaults() const;
    // The 25 lines; throws StoreError when the file cannot be read or holds fewer than 25.
    QStringList read() const;
    void write(const QStringList& lines) const;
    // The file of line `line` (1 to 25), read afresh: in the callerlab folder, or the path
    // itself when the line holds a full path.
    QString file(int line) const;
    QString resolve(const QString& entry) const;

private:
    DataFolder m_folder;
};

} // namespace hoedeck::calls
