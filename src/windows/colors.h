#pragma once

#include "colortext.h"
#include "fonttext.h"

#include <QColor>
#include <QFont>

namespace hoedeck {

// The colour a stored value stands for on screen. Theme colours take the classic desktop
// theme's values, so a settings file looks the same on every machine.
QColor toQColor(ColorValue value);
QFont toQFont(const FontSpec& font);
// The font chosen in a dialog, with the colour (which the dialog does not show) of `base`.
FontSpec fromQFont(const QFont& font, const FontSpec& base);

} // namespace hoedeck
