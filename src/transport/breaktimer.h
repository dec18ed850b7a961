#pragma once

#include "datafolder.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace hoedeck {

class AudioEngine;
class Player;
class Prompter;
class Transport;

// The break timer: every song opened starts a countdown of the chosen minutes; once it runs
// out the countdown shows the overtime, and an alarm sounds once if the caller is still in the
// patter. The minutes, the alarm sound and whether it sounds live in ini/timer.txt, the alarm's
// volume in ini/times_up.txt.
class BreakTimer {
public:
    static inline const QString kTimerFile = QStringLiteral("timer.txt");
    static inline const QString kTimesUpFile = QStringLiteral("times_up.txt");
    static constexpr int kDefaultMinutes = 11;
    static constexpr int kMenuMinutes = 15; // the menu offers 1 to 15
    static constexpr int kDefaultVolume = 50;
    // A timer.txt brought from an older installation names the alarm of another system; it
    // means the alarm shipped in the data folder.
    static inline const QString kForeignDefaultAlarm =
        QStringLiteral("c:\\windows\\media\\battlow.wav");
    // The default alarm, stored relative to the data folder so that it survives the folder
    // being moved; a path the caller chose is stored as chosen.
    static inline const QString kShippedAlarm = QStringLiteral("media/battlow.wav");

    // Milliseconds on a clock that only moves forward: a countdown must not jump when the
    // time of day is set.
    using Clock = std::function<qint64()>;
    static qint64 steadyMs();

    BreakTimer(DataFolder folder, AudioEngine& engine, Player& player, Prompter& prompter,
               Clock clock = &BreakTimer::steadyMs);

    // The menu's state: the checked minutes item (0 when none), the sound switch, the caption.
    int checkedMinutes() const { return m_checkedMinutes; }
    bool soundOn() const { return m_soundOn; }
    QString caption() const { return m_soundOn ? "Timer: ON" : "Timer: OFF"; }
    QString alarmPath() const { return m_alarmPath; }

    // Start-up: timer.txt is made with its defaults when missing, then read into the menu.
    void load_timer();
    // The menu's commands. Each writes timer.txt at once; StoreError when it cannot.
    void chooseMinutes(int minutes);
    void setSound(bool on);
    // Asks for an alarm sound; nothing changes when none is chosen.
    void select();

    // Starts the countdown again from the minutes in timer.txt: every song opened, and F1.
    // Never fails: a damaged or unreadable file is said once and the minutes in the menu used.
    void set_clock_back();

    struct Countdown {
        bool started = false; // before the first song the label is empty
        bool overtime = false;
        QString text; // "n:ss": the time left, or the overtime once it has run out
    };
    // Every progress tick: the countdown's text, and the alarm once the time is up.
    Countdown countdown();

    // "n:ss" of a number of whole seconds: minutes without a leading zero, not wrapped at the
    // hour.
    static QString minutesText(qint64 seconds);

    // Song opening and F1 restart the countdown.
    void plugInto(Player& player, Transport& transport);

private:
    QString timerPath() const { return m_folder.ini(kTimerFile); }
    // The file's lines with at least `count` lines: minutes, alarm path, on/off.
    QStringList paddedLines(int count);
    void soundAlarm();
    int alarmVolume();
    // Line 1 of an ini file as a whole number from 0 to max; when it is not one (or the file
    // cannot be read) that is said once, with what `instead` (holding %1) does with fallback.
    int firstNumber(const QString& file, int max, int fallback, const QString& meaning,
                    const QString& instead);
    // The file an alarm path stands for.
    QString playablePath(const QString& stored) const;
    // A message said once a session: the tick and every song open would repeat it.
    void sayOnce(const QString& text);

    DataFolder m_folder;
    AudioEngine& m_engine;
    Player& m_player;
    Prompter& m_prompter;
    Clock m_clock;
    int m_checkedMinutes = kDefaultMinutes;
    int m_minutes = kDefaultMinutes; // what the last good read said
    bool m_soundOn = true;
    QString m_alarmPath;
    std::optional<qint64> m_endMs;
    QSet<QString> m_said;
};

} // namespace hoedeck
