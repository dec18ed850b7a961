#pragma once

#include "boxlist.h"
#include "cardimport.h"
#include "datafolder.h"

#include <QString>
#include <optional>

namespace hoedeck {
class Prompter;
}

namespace hoedeck::reader {

class CardDesk;

// The reader's files: imports into the cards folder, the boxes kept in ini/box_filenames.txt,
// dances (.dnc) in the ini folder, and the card font in ini/font.ini. Every failure is told
// through the prompter; nothing is written half.
class CardFiles {
public:
    CardFiles(DataFolder folder, CardDesk& desk, Prompter& prompter);

    QString cardsFolder() const { return m_folder.path("cards"); }
    QString danceFolder() const { return m_folder.path("ini"); }

    // Asks for a source file and a new folder name and imports; the new folder, or nothing
    // when cancelled, refused or failed.
    std::optional<QString> import(ImportFormat format);
    // Start-up: the boxes from the box list (made with its default when missing).
    void restoreBoxes();
    // The boxes into the box list; false (after the message) when it cannot be written.
    bool saveBoxes();
    // The same, throwing StoreError, for shut-down where nobody may be there to answer a box.
    void writeBoxes();
    // "Save As Dance": asks for a name in the dance folder (".dnc" added when none is typed).
    bool saveAsDance();
    // "Open Dance": asks for a dance; a dance from the dances list is opened by path.
    bool openDance();
    bool openDanceFile(const QString& path, BoxNumberRule rule);
    bool deleteDance(const QString& path);
    CardFont loadFont();
    bool saveFont(const CardFont& font);

private:
    DataFolder m_folder;
    CardDesk& m_desk;
    Prompter& m_prompter;
};

} // namespace hoedeck::reader
