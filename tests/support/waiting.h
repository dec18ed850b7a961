#pragma once

// Waits for something the event loop brings about. Qt's own QTRY macros return silently from
// a gtest body when they time out, so tests use this and assert on its result.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <functional>

namespace hoedeck::testing {

inline bool waitUntil(const std::function<bool()>& done, int milliseconds = 5000) {
    QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

} // namespace hoedeck::testing
