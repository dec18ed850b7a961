#include "breaktimer.h"

#include "audioengine.h"
#include "player.h"
#include "prompter.h"
#include "textstore.h"
#include "transport.h"

#include <QFileInfo>
#include <chrono>
#include <cstdlib>

namespace hoedeck {

namespace {
const QString kOn = QStringLiteral("on");
const QString kOff = QStringLiteral("off");
// A day: more is damage, not a break.
constexpr int kMaxMinutes = 24 * 60;

std::optional<int> wholeNumber(const QString& text, int min, int max) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}
} // namespace

qint64 BreakTimer::steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

BreakTimer::BreakTimer(DataFolder folder, AudioEngine& engine, Player& player, Prompter& prompter,
                       Clock clock)
    : m_folder(std::move(folder)), m_engine(engine), m_player(player), m_prompter(prompter),
      m_clock(std::move(clock)), m_alarmPath(kShippedAlarm) {}

void BreakTimer::load_timer() {
    textstore::ensureFile(timerPath(), {QString::number(kDefaultMinutes), kShippedAlarm, kOn});
    textstore::ensureFile(m_folder.ini(kTimesUpFile), {QString::number(kDefaultVolume)});
    const QStringList lines = textstore::readSettings(timerPath());
    // Only an item's own number checks it: " 5" or "05" checks none.
    m_checkedMinutes = 0;
    for (int n = 1; n <= kMenuMinutes; ++n)
        if (lines.value(0) == QString::number(n))
            m_checkedMinutes = n;
    if (const auto minutes = wholeNumber(lines.value(0), 0, kMaxMinutes))
        m_minutes = *minutes;
    m_alarmPath = lines.size() >= 2 ? lines[1] : kShippedAlarm;
    if (lines.size() > 2)
        m_soundOn = lines[2] == kOn;
}

QStringList BreakTimer::paddedLines(int count) {
    QStringList lines = textstore::readSettings(timerPath());
    // A file cut short (edited by hand, or a single line written by choosing minutes) gets
    // the lines it lacks, so each command changes only its own line.
    const QStringList fill{QString::number(m_minutes), kShippedAlarm, m_soundOn ? kOn : kOff};
    while (lines.size() < count)
        lines << fill[lines.size()];
    return lines;
}

void BreakTimer::chooseMinutes(int minutes) {
    m_checkedMinutes = minutes;
    m_minutes = minutes;
    textstore::ensureFile(timerPath(), {Player::kNone});
    QStringList lines = paddedLines(1);
    lines[0] = QString::number(minutes);
    textstore::writeList(timerPath(), lines);
}

void BreakTimer::setSound(bool on) {
    m_soundOn = on;
    if (!QFileInfo::exists(timerPath()))
        return;
    QStringList lines = paddedLines(3);
    lines[2] = on ? kOn : kOff;
    textstore::writeList(timerPath(), lines);
}

void BreakTimer::select() {
    const QString folder = QFileInfo(playablePath(m_alarmPath)).absolutePath();
    const auto chosen = m_prompter.openFile(
        "Alarm sound", QFileInfo::exists(folder) ? folder : m_folder.path("media"),
        "media|*.wav;*.mp3");
    if (!chosen)
        return;
    m_alarmPath = *chosen;
    if (!QFileInfo::exists(timerPath()))
        return;
    QStringList lines = paddedLines(3);
    lines[1] = m_alarmPath;
    textstore::writeList(timerPath(), lines);
}

void BreakTimer::set_clock_back() {
    if (QFileInfo::exists(timerPath()))
        m_minutes = firstNumber(kTimerFile, kMaxMinutes, m_minutes, "a whole number of minutes",
                                QStringLiteral("the break timer counts down %1 minutes"));
    m_endMs = m_clock() + qint64(m_minutes) * 60'000;
}

int BreakTimer::firstNumber(const QString& file, int max, int fallback, const QString& meaning,
                            const QString& instead) {
    const QString consequence = instead.arg(fallback);
    try {
        const QString line = textstore::readSettings(m_folder.ini(file)).value(0);
        if (const auto number = wholeNumber(line, 0, max))
            return *number;
        sayOnce(
            QStringLiteral("Line 1 of %1 (\"%2\") is not %3 from 0 to %4; %5.")
                .arg(file, textstore::excerpt(line), meaning, QString::number(max), consequence));
    } catch (const StoreError& error) {
        sayOnce(error.message() + ". " + consequence[0].toUpper() + consequence.mid(1) + ".");
    }
    return fallback;
}

BreakTimer::Countdown BreakTimer::countdown() {
    Countdown shown;
    if (!m_endMs)
        return shown;
    shown.started = true;
    const qint64 remainingMs = *m_endMs - m_clock();
    if (remainingMs <= 0) {
        shown.overtime = true;
        if (!m_player.alarmSounded)
            soundAlarm();
    }
    // Whole seconds toward zero: 11:00 at the start, 0:00 at the end, then 0:01 over.
    shown.text = minutesText(std::abs(remainingMs) / 1000);
    return shown;
}

QString BreakTimer::minutesText(qint64 seconds) {
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}

void BreakTimer::soundAlarm() {
    // Set first: a message below must not be repeated by the ticks that run behind it.
    m_player.alarmSounded = true;
    Handle& alarm = m_player.streams.alarm;
    m_engine.streamFree(alarm);
    alarm = 0;
    const int volume = alarmVolume();
    // Only in the patter: a singing call over time is ended by its own music.
    if (m_player.current_song != m_player.lbCuedPatter || !m_soundOn)
        return;
    const QString path = playablePath(m_alarmPath);
    // A device or a pipe named by a hand-edited file would be read without end.
    if (QFileInfo(path).isFile())
        alarm = m_engine.streamCreateFile(path, 0);
    if (!alarm) {
        sayOnce(QStringLiteral("The break timer's alarm \"%1\" cannot be played: %2.")
                    .arg(textstore::excerpt(path),
                         AudioEngine::reasonText(m_engine.errorGetCode(), path)));
        return;
    }
    m_engine.channelSetAttributes(alarm, AudioEngine::kRateOriginal, volume,
                                  AudioEngine::kPanUnchanged);
    m_engine.streamPlay(alarm, true);
}

int BreakTimer::alarmVolume() {
    try {
        // Made at start-up; made again if it was deleted since.
        textstore::ensureFile(m_folder.ini(kTimesUpFile), {QString::number(kDefaultVolume)});
    } catch (const StoreError& error) {
        sayOnce(error.message() + ".");
    }
    return firstNumber(kTimesUpFile, 100, kDefaultVolume, "an alarm volume",
                       QStringLiteral("the alarm sounds at volume %1"));
}

QString BreakTimer::playablePath(const QString& stored) const {
    if (stored.compare(kForeignDefaultAlarm, Qt::CaseInsensitive) == 0)
        return m_folder.path(kShippedAlarm);
    return QFileInfo(stored).isRelative() ? m_folder.path(stored) : stored;
}

void BreakTimer::sayOnce(const QString& text) {
    if (m_said.contains(text))
        return;
    m_said.insert(text);
    m_prompter.message(text, "Hoedeck", Prompter::Icon::Warning);
}

void BreakTimer::plugInto(Player& player, Transport& transport) {
    player.hooks.restartBreakTimer = [this] { set_clock_back(); };
    transport.hooks.restartBreakTimer = [this] { set_clock_back(); };
}

} // namespace hoedeck
