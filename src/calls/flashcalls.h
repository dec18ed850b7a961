#pragma once

#include "callerlab.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <cstdint>

namespace hoedeck::calls {

// Flash calls: a call drawn at random from the chosen level or levels, shown in large white
// letters. The files live in the callerlab folder: list.txt holds every call of the chosen
// levels, list_temp.txt those not yet flashed in this cycle (in list order, so the cycle's
// state survives a restart), list_temp.html the page of the last call.
class FlashCalls {
public:
    explicit FlashCalls(DataFolder folder);

    QString listPath() const { return m_callerlab.folder() + "/list.txt"; }
    QString poolPath() const { return m_callerlab.folder() + "/list_temp.txt"; }
    QString pagePath() const { return m_callerlab.folder() + "/list_temp.html"; }
    const Callerlab& callerlab() const { return m_callerlab; }

    // Draws a call from the pool (refilled from the list when missing or used up), writes the
    // pool and the page, and gives the call. `utcNow` seeds the draw. Throws StoreError, with a
    // message saying what to do, when there is no list or it holds no calls.
    QString pick(const QTime& utcNow = QDateTime::currentDateTimeUtc().time());
    // "Choose Level": the list of line `line` (1 to 9) of callerlab.ini becomes the flash list
    // and a new cycle begins. Throws StoreError naming a level list that does not exist.
    void chooseLevel(int line);
    // The multi-level chooser: the fixed level lists of the chosen levels (indexes into
    // flashLevels()), one after the other, become the flash list and the pool.
    void chooseLevels(const QList<int>& levels);

    // The page of one call: white on teal, the call as its line reads.
    static QString flashPage(const QString& call);
    // The clock's seed: milliseconds of the day.
    static std::uint32_t seedFor(const QTime& time);
    // One step of the generator and an index from 0 to range - 1 (0 for a range of 0).
    static int draw(std::uint32_t& seed, int range);

    // The intervals of the flash timer: "2.5" ... "60" seconds, in ini/flash_timer.txt.
    static const QStringList& intervals();
    static int intervalMs(const QString& caption); // 0 for a caption not in the list
    // The caption to mark at start: the file's first line when it is one of the intervals,
    // empty when it is not; a missing file is written with "10".
    QString restoreInterval() const;
    void storeInterval(const QString& caption) const;

private:
    DataFolder m_folder;
    Callerlab m_callerlab;
};

} // namespace hoedeck::calls
