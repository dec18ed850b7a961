#include "versiontext.h"

#include <QStringList>

#ifndef HOEDECK_VERSION
#error "HOEDECK_VERSION must name the program's version"
#endif

namespace hoedeck {

namespace {
constexpr int kMaxNumbers = 8;
constexpr int kMaxDigits = 9;
} // namespace

std::optional<VersionNumber> VersionNumber::parse(const QString& text) {
    const QStringList parts = text.split('.');
    if (parts.size() > kMaxNumbers)
        return std::nullopt;
    VersionNumber version;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > kMaxDigits)
            return std::nullopt;
        quint32 value = 0;
        for (const QChar c : part) {
            // Only ASCII digits: toUInt() would take other scripts' digits and a sign.
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + quint32(c.unicode() - '0');
        }
        version.m_numbers << value;
    }
    return version;
}

int VersionNumber::compare(const VersionNumber& other) const {
    const qsizetype count = std::max(m_numbers.size(), other.m_numbers.size());
    for (qsizetype i = 0; i < count; ++i) {
        const quint32 mine = m_numbers.value(i);
        const quint32 theirs = other.m_numbers.value(i);
        if (mine != theirs)
            return mine < theirs ? -1 : 1;
    }
    return 0;
}

QString VersionNumber::text() const {
    QStringList parts;
    for (const quint32 number : m_numbers)
        parts << QString::number(number);
    return parts.join('.');
}

QString programVersion() {
    QStringList parts = QStringLiteral(HOEDECK_VERSION).split('.');
    while (parts.size() < 4)
        parts << QStringLiteral("0");
    return parts.join('.');
}

} // namespace hoedeck
