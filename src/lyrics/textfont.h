#pragma once

#include "fonttext.h"

#include <QString>
#include <QStringList>

namespace hoedeck {

class Prompter;

// The font of the lyrics window's text pages and tabs, in ini/font_cards.txt: the name, the
// size in points and the styles ("Bold,Italic,Underline,StrikeOut", empty for regular), one a
// line.
namespace textfont {

FontSpec defaults(); // Verdana 14
QStringList toLines(const FontSpec& font);
// The font the lines give; a size that is no number in 1..200 is said and the default taken.
FontSpec fromLines(const QStringList& lines, const QString& path, Prompter& prompter);

// Reads the file, created with the defaults when missing.
FontSpec load(const QString& path, Prompter& prompter);
void save(const QString& path, const FontSpec& font);

} // namespace textfont
} // namespace hoedeck
