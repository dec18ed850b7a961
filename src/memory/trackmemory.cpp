#include "trackmemory.h"

#include "effects.h"
#include "eqpresets.h"
#include "numbertext.h"
#include "player.h"
#include "prompter.h"
#include "textstore.h"

#include <QFileInfo>
#include <algorithm>
#include <optional>

namespace hoedeck {

namespace {

std::optional<int> integerField(const QString& field) {
    bool ok = false;
    const int value = field.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QString keyOf(const QString& line) {
    const QStringList fields = TrackMemory::splitRecord(line);
    return fields.isEmpty() ? QString() : fields.first();
}

} // namespace

TrackMemory::TrackMemory(DataFolder folder, Prompter& prompter, Player& player, Effects& effects,
                         EqPresets& presets, AudioEngine& engine)
    : m_folder(std::move(folder)), m_prompter(prompter), m_player(player), m_effects(effects),
      m_presets(presets), m_engine(engine) {}

TrackMemory::~TrackMemory() {
    m_engine.streamFree(m_chaching);
}

QStringList TrackMemory::splitRecord(const QString& line) {
    if (line.isEmpty())
        return {};
    const QStringView body = line.endsWith('|') ? QStringView(line).chopped(1) : QStringView(line);
    // The settings are the last fields, so the line is cut from its end: a damaged line made of
    // millions of "|" costs one pass, not a list of millions of empty fields.
    qsizetype cut = body.size();
    int found = 0;
    while (found < kSettingFields && cut > 0) {
        cut = body.lastIndexOf('|', cut - 1);
        if (cut < 0)
            break;
        ++found;
    }
    QStringList fields;
    if (found < kSettingFields) {
        for (const QStringView field : body.split('|'))
            fields << field.toString();
        return fields;
    }
    fields << body.left(cut).toString();
    for (const QStringView field : body.sliced(cut + 1).split('|'))
        fields << field.toString();
    return fields;
}

void TrackMemory::restore() {
    check_for_golden_memorized_trackmarks();
    if (!m_player.golden)
        check_for_memorized_trackmarks();
}

void TrackMemory::check_for_golden_memorized_trackmarks() {
    lookUp(kGoldenFile, true);
}

void TrackMemory::check_for_memorized_trackmarks() {
    lookUp(kOrdinaryFile, false);
}

void TrackMemory::lookUp(const QString& fileName, bool golden) {
    if (golden)
        m_player.golden = false;
    const QString path = m_folder.ini(fileName);
    textstore::ensureFile(path, {});
    const QString key = m_player.current_song.toLower();
    bool found = false;
    for (const QString& line : textstore::readList(path)) {
        const QStringList fields = splitRecord(line);
        if (fields.isEmpty() || fields[0].toLower() != key)
            continue;
        found = true;
        if (golden)
            m_player.golden = true;
        // A damaged record ends the look-up where it breaks; what it gave so far stays.
        if (fields.size() < 2)
            return;
        m_player.eLoop_Start = fields[1];
        if (fields.size() < 3)
            return;
        m_player.eLoop_End = fields[2];
        std::array<int, 5> numbers{};
        for (int i = 0; i < 5; ++i) {
            const auto value = fields.size() > 3 + i ? integerField(fields[3 + i]) : std::nullopt;
            if (!value)
                return;
            numbers[size_t(i)] = *value;
            if (i == 0)
                m_effects.setTempo(*value);
            else if (i == 1)
                m_effects.setPitch(*value);
            else
                m_effects.setBar(i - 2, *value);
        }
        m_effects.setEqualizer(true);
        repairMarks(Repair::LookUp);
        m_presets.nameRememberedGains({numbers[2], numbers[3], numbers[4]});
    }
    if (!found)
        m_presets.use_default_EQ();
}

void TrackMemory::repairMarks(Repair wording) {
    m_player.eLoop_Start.replace(',', '.');
    m_player.eLoop_End.replace(',', '.');
    if (!numbertext::parse(m_player.eLoop_Start)) {
        m_prompter.message("There seems to be a problem with your Loop Start mark. I will set it "
                           "to 15 instead of " +
                           m_player.eLoop_Start);
        m_player.eLoop_Start = "15";
    }
    if (!numbertext::parse(m_player.eLoop_End)) {
        const QString value =
            numbertext::general(numbertext::parse(m_player.ltotal_time).value_or(0.0) - 15.0);
        m_prompter.message("There seems to be a problem with your End Loop mark. I will set it "
                           "to " +
                           value + (wording == Repair::Store ? " instead of  " : " instead of ") +
                           m_player.eLoop_End);
        m_player.eLoop_End = value;
    }
    m_player.publishLoopStart();
}

QString TrackMemory::record() const {
    const Effects& e = m_effects;
    return QStringList{m_player.current_song,
                       m_player.eLoop_Start,
                       m_player.eLoop_End,
                       QString::number(e.tbTempo),
                       QString::number(e.tbPitch),
                       QString::number(e.bars[0]),
                       QString::number(e.bars[1]),
                       QString::number(e.bars[2]),
                       e.chkEqualizer ? "-1" : "0",
                       QString::number(e.tbVolume),
                       now().toString("yyyyMMddHHmmss")}
        .join('|');
}

void TrackMemory::store(const QString& fileName, Repair wording) {
    if (m_player.current_song == Player::kNone) {
        m_prompter.message(kNoSong);
        return;
    }
    const QString path = m_folder.ini(fileName);
    textstore::ensureFile(path, {});
    QStringList lines = textstore::readList(path);
    const QString key = m_player.current_song;
    lines.removeIf(
        [&](const QString& line) { return keyOf(line).compare(key, Qt::CaseInsensitive) == 0; });
    repairMarks(wording);
    lines << record();
    textstore::sortIgnoringCase(lines);
    textstore::writeList(path, lines);
}

void TrackMemory::memorizeClick() {
    store(kOrdinaryFile, Repair::Store);
}

void TrackMemory::goldmem1Click() {
    if (m_player.current_song == Player::kNone) {
        m_prompter.message(kNoSong);
        return;
    }
    store(kGoldenFile, Repair::Store);
    m_engine.streamFree(m_chaching);
    m_chaching = 0;
    // Without the sound the record is still written; the ring is only a confirmation.
    const QString sound = m_folder.path("chaching.wav");
    if (QFileInfo::exists(sound)) {
        m_chaching = m_engine.streamCreateFile(sound, 0);
        m_engine.streamPlay(m_chaching, true);
    }
}

void TrackMemory::memorizeClick_for_automemorizer() {
    store(m_player.golden ? kGoldenFile : kOrdinaryFile, Repair::LookUp);
}

} // namespace hoedeck
