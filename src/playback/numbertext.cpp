#include "numbertext.h"

#include <QLocale>
#include <cmath>

namespace hoedeck::numbertext {

QString format(double value, const QString& picture) {
    if (!std::isfinite(value))
        return QString();
    const qsizetype point = picture.indexOf('.');
    const QString whole = point < 0 ? picture : picture.left(point);
    const QString fraction = point < 0 ? QString() : picture.mid(point + 1);
    const int decimals = int(fraction.size());
    const int requiredDecimals = int(fraction.lastIndexOf('0') + 1);
    const int requiredWhole = int(whole.size() - whole.indexOf('0'));
    const bool anyRequiredWhole = whole.contains('0');

    // Round half away from zero on the decimal digits, as a person reads the number.
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(std::fabs(value) * scale) / scale;
    QString digits = QString::number(rounded, 'f', decimals);
    QString intPart = digits;
    QString fracPart;
    if (decimals > 0) {
        intPart = digits.left(digits.indexOf('.'));
        fracPart = digits.mid(digits.indexOf('.') + 1);
    }
    while (fracPart.size() > requiredDecimals && fracPart.endsWith('0'))
        fracPart.chop(1);
    if (intPart == "0")
        intPart.clear();
    if (anyRequiredWhole)
        while (intPart.size() < requiredWhole)
            intPart.prepend('0');

    QString text = intPart;
    if (!fracPart.isEmpty())
        text += '.' + fracPart;
    const bool negative = value < 0 && (rounded != 0.0);
    return negative && !text.isEmpty() ? '-' + text : text;
}

QString general(double value) {
    if (!std::isfinite(value))
        return QString();
    // 15 significant digits, then the trailing zeros go.
    QString text = QString::number(value, 'g', 15);
    if (text.contains('e')) {
        const double back = text.toDouble();
        text = QString::number(back, 'f', 15);
        if (text.contains('.')) {
            while (text.endsWith('0'))
                text.chop(1);
            if (text.endsWith('.'))
                text.chop(1);
        }
    }
    return text;
}

std::optional<double> parse(const QString& text) {
    QString t = text.trimmed();
    t.replace(',', '.');
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

namespace {
QString twoDigits(qint64 n) {
    if (n == -1)
        return QStringLiteral("00");
    const QString text = QString::number(n);
    return text.size() == 1 ? '0' + text : text;
}
} // namespace

QString SecToTime(qint64 seconds) {
    const qint64 minutes = seconds / 60 - (seconds / 3600) * 60;
    return twoDigits(minutes) + ':' + twoDigits(seconds % 60);
}

QString minutesSeconds(qint64 seconds) {
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QChar('0'))
        .arg(seconds % 60, 2, 10, QChar('0'));
}

} // namespace hoedeck::numbertext
