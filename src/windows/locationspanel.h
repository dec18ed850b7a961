#pragma once

#include "callerlab.h"

#include <QWidget>
#include <functional>

class QLineEdit;
class QMenu;

namespace hoedeck {

class Prompter;

// Where the level lists and reference documents are: the 25 entries of callerlab.ini on three
// tabs ("Flash Lists", "Callerlab Lists", "Callerlab Definitions"). A double click on an entry
// chooses its file and writes all 25; what is typed is written at the next double click.
class LocationsPanel : public QWidget {
    Q_OBJECT
public:
    LocationsPanel(DataFolder folder, Prompter& prompter, QWidget* parent);

    // "Locations": hides the panel when it shows; otherwise shows it with the file's lines.
    void toggle();
    QLineEdit* entry(int line) const { return m_entries[line - 1]; }
    // Lines 1 to 25 as the entries hold them, written to callerlab.ini.
    void writeEntries();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    calls::Callerlab m_callerlab;
    Prompter& m_prompter;
    QList<QLineEdit*> m_entries;
};

// The "Lists" and "Definitions" menus: each of their eight levels opens its document (lines 10
// to 17 and 18 to 25 of callerlab.ini, read afresh) through `open`.
void addReferenceMenus(QMenu* lists, QMenu* definitions, const calls::Callerlab& callerlab,
                       Prompter& prompter, const std::function<void(const QString&)>& open);

} // namespace hoedeck
