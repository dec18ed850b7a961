#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace hoedeck {

// A release number: numbers separated by dots, "1.4.0.22".
class VersionNumber {
public:
    // Nothing unless the text is one to eight numbers of at most nine digits each, separated
    // by single dots, without signs or spaces.
    static std::optional<VersionNumber> parse(const QString& text);

    // Compared number by number, a missing number counting as 0: 1.4.0.100 is newer than
    // 1.4.0.22, and 1.4 is the same release as 1.4.0.0.
    int compare(const VersionNumber& other) const;
    bool operator<(const VersionNumber& other) const { return compare(other) < 0; }
    bool operator==(const VersionNumber& other) const { return compare(other) == 0; }

    QString text() const;
    const QList<quint32>& numbers() const { return m_numbers; }

private:
    QList<quint32> m_numbers;
};

// This program's version, four numbers ("0.1.0.0").
QString programVersion();

} // namespace hoedeck
