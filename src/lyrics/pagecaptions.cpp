#include "pagecaptions.h"

namespace hoedeck {

QString pageCaption(int position, const QString& fileName) {
    return QStringLiteral("(%1) %2").arg(position).arg(fileName);
}

QStringList renumberedCaptions(const QStringList& captions) {
    QStringList renumbered;
    renumbered.reserve(captions.size());
    for (qsizetype i = 0; i < captions.size(); ++i) {
        const QString& caption = captions[i];
        const qsizetype close = caption.indexOf(QLatin1String(") "));
        const QString name = close < 0 ? caption : caption.mid(close + 2);
        renumbered << pageCaption(int(i + 1), name);
    }
    return renumbered;
}

} // namespace hoedeck
