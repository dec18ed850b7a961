#pragma once

#include "audioengine.h"
#include "datafolder.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace hoedeck {

class Effects;
class EqPresets;
class Player;
class Prompter;

// What the caller last did to a song (loop marks, tempo, pitch, the three gains, equaliser
// and volume), one line per song keyed by its file name, so that the song plays the same way
// when it is opened again from any folder. The golden memory holds the settled versions: a
// golden record wins and the ordinary memory is then not read at all.
class TrackMemory {
public:
    static inline const QString kOrdinaryFile = QStringLiteral("memorize.txt");
    static inline const QString kGoldenFile = QStringLiteral("goldmem.txt");
    static inline const QString kNoSong = QStringLiteral("No song is currently selected!");

    TrackMemory(DataFolder folder, Prompter& prompter, Player& player, Effects& effects,
                EqPresets& presets, AudioEngine& engine);
    ~TrackMemory();

    // Opening a song: the golden memory, and the ordinary one when no golden record matched.
    void restore();
    void check_for_golden_memorized_trackmarks();
    void check_for_memorized_trackmarks();

    // After a loop-mark command, and the hidden "Memorize" button.
    void memorizeClick();
    // Control-Alt-G: the song's settings become its golden record, with a cash-register ring.
    void goldmem1Click();
    // The space key stopped playback: the record the song came from is brought up to date.
    void memorizeClick_for_automemorizer();

    // The settings after a song's name in a record: loop start and end, tempo, pitch, three
    // gains, equaliser, volume and time stamp.
    static constexpr int kSettingFields = 10;

    // A record line cut at every "|": a trailing "|" adds no empty field, an empty line has
    // no fields. A file name may itself hold "|", so the name is everything before the last
    // ten fields; a shorter, damaged line keeps its first field as the name.
    static QStringList splitRecord(const QString& line);

    // The clock of the time stamps; tests set their own.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

private:
    enum class Repair { LookUp, Store };
    void lookUp(const QString& fileName, bool golden);
    void repairMarks(Repair wording);
    void store(const QString& fileName, Repair wording);
    QString record() const;

    DataFolder m_folder;
    Prompter& m_prompter;
    Player& m_player;
    Effects& m_effects;
    EqPresets& m_presets;
    AudioEngine& m_engine;
    Handle m_chaching = 0;
};

} // namespace hoedeck
