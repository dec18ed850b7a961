#pragma once

#include "datafolder.h"

#include <QDateTime>
#include <QStringList>
#include <functional>
#include <optional>

namespace hoedeck {

// Every song opened, with its date and time, in ini/log.txt; never trimmed. A played singing
// call the caller unmarks is logged as a cancellation.
class SongLog {
public:
    explicit SongLog(DataFolder folder);

    void build_log(const QString& song);
    void cancel(const QString& song);
    // The song's openings and cancellations, newest first, headed by song + " log:"; nothing
    // when there is no log yet.
    std::optional<QStringList> read(const QString& song) const;

    // The clock and its text; tests set their own.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    static QString stamp(const QDateTime& when);

private:
    void append(const QString& line);

    DataFolder m_folder;
    bool m_utf8Checked = false;
};

} // namespace hoedeck
