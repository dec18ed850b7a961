#pragma once

#include <QString>
#include <optional>

namespace hoedeck {

// How numbers are shown and stored: always with '.', whatever the desktop's language.
namespace numbertext {

// A picture like "###.##", "###.####" or "#0.0000": '0' digits always show, '#' digits only
// when they carry something, so 183.456 gives "183.46", 0.5 gives ".5" and 0 gives "" under
// "###.##", and "0.5000" under "#0.0000". Halves round away from zero.
QString format(double value, const QString& picture);

// The shortest text that reads back as the same number, up to 15 significant digits and
// without trailing zeros: 168.46, 20, 0.1.
QString general(double value);

// A number written with '.' (a ',' counts as '.'); nothing for any other text.
std::optional<double> parse(const QString& text);

// Whole seconds as MM:SS; hours are dropped, so 3725 s is 02:05.
QString SecToTime(qint64 seconds);

// "%2.2d:%2.2d" of (s div 60, s mod 60): minutes are not wrapped at the hour.
QString minutesSeconds(qint64 seconds);

} // namespace numbertext
} // namespace hoedeck
