#pragma once

#include "fonttext.h"

#include <QString>
#include <QStringList>

namespace hoedeck::reader {

// The five preview boxes' card files and the current box: the reader's ini/box_filenames.txt
// and a dance (.dnc) share the layout, five paths (empty for an empty box) and the box number.
struct BoxList {
    QStringList files = QStringList(5);
    int current = 1;
};

// How the number on the sixth line is taken: the box list and "Open Dance" make an empty line
// or "6" box 1, and the box list also any number outside 1 to 5; a dance opened from the
// dances list takes what it finds ("6" then highlights no box).
enum class BoxNumberRule { BoxListFile, OpenDance, DancesList };

// Reads a box list; throws StoreError for a file that cannot be read, has fewer than six lines,
// or whose sixth line is not a number.
BoxList readBoxList(const QString& path, BoxNumberRule rule);
// Writes it (five paths and the box number); throws StoreError.
void writeBoxList(const QString& path, const BoxList& boxes);

// The card view's font in ini/font.ini, section "FontsBoxes": Name, CharSet, Color (signed
// 32-bit), Size and Style (1 bold, 2 italic, 4 underline, 8 strike-out). Keys missing or not
// whole numbers leave the font as it was; `charSet` is kept only to be written back.
struct CardFont {
    FontSpec font{QStringLiteral("Verdana"), 14, false, false, false, false, color::clWindowText};
    int charSet = 0;
};
CardFont readCardFont(const QString& path, CardFont font = {});
void writeCardFont(const QString& path, const CardFont& font);

} // namespace hoedeck::reader
