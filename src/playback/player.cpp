#include "player.h"

#include "musicfolders.h"
#include "numbertext.h"
#include "progress.h"
#include "prompter.h"
#include "songtags.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>

namespace hoedeck {

Player::Player(AudioEngine& engine, MusicFolders& folders, Prompter& prompter, QObject* parent)
    : QObject(parent), m_engine(engine), m_folders(folders), m_prompter(prompter) {}

double Player::loopStart() const {
    return numbertext::parse(eLoop_Start).value_or(1.0);
}

double Player::loopEnd() const {
    return numbertext::parse(eLoop_End).value_or(300.0);
}

void Player::publishLoopStart() {
    m_loopStartCopy.store(float(loopStart()));
}

QString Player::Name_mp3file(Sender sender, const QString& item) {
    QString path = currentSongPath;
    switch (sender) {
    case Sender::FileListBox1:
    case Sender::LyricsFileList:
        if (item.isEmpty())
            return currentSongPath;
        path = item;
        current_song = QFileInfo(item).fileName();
        break;
    case Sender::lbFavorite_Singers:
    case Sender::lbFavorite_Patter:
        if (item.isEmpty())
            return currentSongPath;
        path = m_folders.browserFolder() + item;
        current_song = item;
        (sender == Sender::lbFavorite_Singers ? lbCuedSinger : lbCuedPatter) = item;
        break;
    case Sender::ControlSpaceKey:
        path = current_song = lbCuedSinger;
        break;
    case Sender::spacekey1:
        path = current_song = lbCuedPatter;
        break;
    case Sender::Other:
        if (current_song == kNone) {
            const bool patter = lbCuedPatter != kNone, singer = lbCuedSinger != kNone;
            if (patter != singer)
                current_song = patter ? lbCuedPatter : lbCuedSinger;
            return currentSongPath;
        }
        // The song to open is the current one; a path left from another song does not count.
        if (QFileInfo(path).fileName() != current_song)
            path = current_song;
        break;
    }
    // A bare name is looked for in the browser's folder first.
    if (path != kNone && QFileInfo(path).isRelative())
        path = m_folders.browserFolder() + path;
    const QFileInfo wanted(path);
    path = path == kNone ? QString() : MusicFolders::fileIn(wanted.path(), wanted.fileName());
    if (path.isEmpty()) {
        path = m_folders.locateInFavorites(current_song);
        if (!path.isEmpty()) {
            m_folders.setBrowserFolder(QFileInfo(path).path());
        } else {
            // Something of that name that is not a file (a folder, a device) is no song either,
            // but saying it does not exist would send the caller looking in the wrong place.
            const bool notAFile = wanted.exists() && !wanted.isFile();
            m_prompter.message(notAFile ? "MP3 File: " + current_song + " is not a file!"
                                        : "MP3 File: " + current_song +
                                              " does not exist in any of your favorite folders!");
            path = kNone;
        }
    }
    // A list line in other case than its file: the song is the file found, and the cued
    // label that named it follows, so that the slot is decided and the play marked as ever.
    const QString found = QFileInfo(path).fileName();
    if (path != kNone && found != current_song &&
        found.compare(current_song, Qt::CaseInsensitive) == 0) {
        for (QString* cued : {&lbCuedPatter, &lbCuedSinger})
            if (*cued == current_song)
                *cued = found;
        current_song = found;
    }
    currentSongPath = path;
    return path;
}

void Player::resume() {
    // A fade leaves the stream it stopped at silence; a resume plays at the volume slider's level.
    if (patterMode) {
        const int channel = activeChannel;
        const Handle copy = channel == 1 ? streams.copyA : channel == 2 ? streams.copyB : 0;
        if (!copy)
            return;
        run(hooks.applyVolume);
        m_engine.streamPlay(copy, false);
        playing = true;
    } else if (streams.singerTempo) {
        activeChannel = 0;
        run(hooks.applyVolume);
        m_engine.streamPlay(m_engine.tempoGetResampledHandle(streams.singerTempo), false);
        playing = true;
    }
    emit stateChanged();
}

void Player::fadeOut(int milliseconds) {
    const Handle singerOut =
        streams.singerTempo ? m_engine.tempoGetResampledHandle(streams.singerTempo) : 0;
    for (const Handle h : {singerOut, streams.copyA, streams.copyB})
        if (h)
            m_engine.channelSlideAttributes(h, AudioEngine::kRateUnchanged,
                                            AudioEngine::kVolumeSlideToStop,
                                            AudioEngine::kPanUnchanged, milliseconds);
}

void Player::releaseSongFile() {
    for (Handle* stream : {&streams.bpmStream, &streams.singerTempo}) {
        m_engine.streamFree(*stream);
        *stream = 0;
    }
}

void Player::stopEverything() {
    m_engine.channelStop(streams.copyA);
    m_engine.channelStop(streams.copyB);
    m_engine.tempoStopAndFlush(streams.singerTempo);
    m_engine.tempoStopAndFlush(streams.patterReference);
    playing = false;
    emit stateChanged();
}

QString Player::totalTimeText() const {
    const Handle h = activeChannel == 0 ? streams.singerTempo : streams.copyA;
    if (!h)
        return QString();
    return numbertext::format(m_engine.channelBytes2Seconds(h, m_engine.streamGetLength(h)),
                              "###.##");
}

double Player::activeLength() const {
    const Handle h = activeChannel == 0 ? streams.singerTempo : streams.copyA;
    return h ? m_engine.channelBytes2Seconds(h, m_engine.streamGetLength(h)) : 0.0;
}

double Player::position() const {
    if (!patterMode && activeChannel == 0)
        return streams.singerTempo
                   ? m_engine.channelBytes2Seconds(streams.singerTempo,
                                                   m_engine.channelGetPosition(streams.singerTempo))
                   : 0.0;
    const int channel = activeChannel;
    const Handle copy = channel == 1 ? streams.copyA : channel == 2 ? streams.copyB : 0;
    if (!copy)
        return 0.0;
    const double seconds = m_engine.channelBytes2Seconds(copy, m_engine.channelGetPosition(copy));
    return seconds > 0 ? seconds : 0.0;
}

bool Player::buildPatter(const QString& path) {
    for (Handle* h : {&streams.copyA, &streams.copyB, &streams.patterReference}) {
        m_engine.streamFree(*h);
        *h = 0;
    }
    m_syncA = m_syncB = 0;
    streams.copyA = m_engine.streamCreateFile(path, AudioEngine::kFlagFx);
    streams.copyB = m_engine.streamCreateFile(path, AudioEngine::kFlagFx);
    streams.patterReference = m_engine.streamCreateFile(path, AudioEngine::kFlagDecode);
    AudioEngine::Attributes attributes;
    if (streams.copyA && m_engine.channelGetAttributes(streams.copyA, attributes))
        nativeSampleRate = attributes.rate;
    if (!streams.copyA || !streams.copyB || !streams.patterReference ||
        !m_engine.tempoCreate(streams.patterReference)) {
        reportUnplayable("Couldn't create a resampled stream2!", path);
        m_engine.streamFree(streams.patterReference);
        streams.patterReference = 0;
        return false;
    }
    activeChannel = 1;
    hsPositionMax = int(std::lround(
        m_engine.channelBytes2Seconds(streams.copyA, m_engine.streamGetLength(streams.copyA))));
    return true;
}

bool Player::buildSinger(const QString& path) {
    m_engine.streamFree(streams.singerTempo);
    streams.singerTempo = m_engine.streamCreateFile(path, AudioEngine::kFlagDecode);
    AudioEngine::Attributes attributes;
    if (streams.singerTempo && m_engine.channelGetAttributes(streams.singerTempo, attributes))
        nativeSampleRate = attributes.rate;
    if (!streams.singerTempo || !m_engine.tempoCreate(streams.singerTempo)) {
        reportUnplayable("Couldn't create a resampled stream!", path);
        m_engine.streamFree(streams.singerTempo);
        streams.singerTempo = 0;
        return false;
    }
    run(hooks.attachSingerEqualizer);
    activeChannel = 0;
    hsPositionMax = int(std::lround(m_engine.channelBytes2Seconds(
        streams.singerTempo, m_engine.streamGetLength(streams.singerTempo))));
    return true;
}

void Player::reportUnplayable(const QString& message, const QString& path) {
    // The box keeps its codes for a report, and says which file and why in words.
    const AudioError error = m_engine.errorGetCode();
    const QString what =
        QStringLiteral("%1\n\"%2\": %3")
            .arg(message, QFileInfo(path).fileName(), AudioEngine::reasonText(error, path));
    emit audioError(AudioEngine::errorText(what, int(error), int(error)));
}

void Player::defaultLoopMarks() {
    const QString total = totalTimeText();
    const double length = numbertext::parse(total).value_or(0.0);
    // From 15 s after the start to 15 s before the end; a patter too short for that (under
    // 30 s) would never reach its loop end and stop: it loops whole.
    const bool fits = length - 15.0 > 15.0;
    const QString defaultStart = fits ? QStringLiteral("15") : QStringLiteral("0");
    const QString defaultEnd = fits ? numbertext::general(length - 15.0) : total;
    if (eLoop_Start == defaultStart && eLoop_End == defaultEnd)
        hardLoop = true;
    // Nothing was remembered: the default marks, with a cut at the seam.
    if (eLoop_Start == kDefaultLoopStart && eLoop_End == kDefaultLoopEnd) {
        eLoop_Start = defaultStart;
        eLoop_End = defaultEnd;
        hardLoop = true;
    }
    showLoopEnd();
}

void Player::showLoopEnd() {
    label3Golden = golden;
    Label3 = (golden ? "Golden Loop at: " : "Loop at: ") +
             numbertext::SecToTime(qint64(std::trunc(loopEnd())));
}

void Player::loopMarksChanged() {
    // The status line and the strip's markers show the marks in force, not those of the open.
    if (patterMode && !playToEnd)
        showLoopEnd();
    emit stateChanged();
}

void Player::btnOpenClick(Sender sender, const QString& item) {
    // 1. Silence, and a fresh start for the per-song modes.
    alarmSounded = false;
    run(hooks.restartBreakTimer);
    m_engine.tempoStopAndFlush(streams.singerTempo);
    m_engine.tempoStopAndFlush(streams.patterReference);
    m_engine.channelStop(streams.copyA);
    m_engine.channelStop(streams.copyB);
    m_engine.channelStop(streams.alarm);
    playing = false;
    Label3.clear();
    label3Golden = false;
    playToEnd = false;
    hardLoop = false;

    // 2-3. The file.
    const QString path = Name_mp3file(sender, item);
    if (path == kNone) {
        emit stateChanged();
        return;
    }
    current_song = QFileInfo(path).fileName();

    // 4. The slot.
    const bool cuedAsPatter = lbCuedPatter == current_song;
    const bool cuedAsSinger = lbCuedSinger == current_song;
    if (cuedAsPatter)
        patterMode = true;
    if (cuedAsSinger)
        patterMode = false;
    if (sender == Sender::FileListBox1)
        patterMode = false;
    if (cuedAsPatter && cuedAsSinger)
        patterMode = m_prompter.question("You have the same record for the Cued Singer and the "
                                         "Cued Patter. Are you using it as a Patter?");

    // 5. The slot's streams.
    if (!(patterMode ? buildPatter(path) : buildSinger(path))) {
        emit stateChanged();
        return;
    }
    // The length of this song, not the last one's: a bad remembered loop end is repaired
    // from it before the first tick.
    ltotal_time = totalTimeText();
    run(hooks.levelSong);
    run(hooks.applyVolume);

    // 9-11. Defaults, then what the song remembers.
    eLoop_Start = kDefaultLoopStart;
    eLoop_End = kDefaultLoopEnd;
    golden = false;
    run(hooks.resetEffects);
    run(hooks.restoreTrackMemory);
    run(hooks.applyVolume);
    if (!numbertext::parse(eLoop_End))
        eLoop_End = kDefaultLoopEnd;

    // 12. Loop marks and the status line.
    if (patterMode) {
        defaultLoopMarks();
    } else {
        eLoop_Start = kDefaultLoopStart;
        eLoop_End = kDefaultLoopEnd;
        Label3.clear();
    }
    publishLoopStart();

    // 13-14. Play.
    progressTimerEnabled = true;
    if (patterMode) {
        run(hooks.attachPatterEffects);
        m_engine.streamPlay(streams.copyA, false);
        activeChannel = 1;
        playing = true;
        run(hooks.applyVolume);
        run(hooks.applyPatterBandGains);
        installLoopSyncs();
    } else {
        m_engine.streamPlay(m_engine.tempoGetResampledHandle(streams.singerTempo), false);
        playing = true;
        activeChannel = 0;
    }
    run(hooks.detectBpm);

    // 15-16.
    run(hooks.showFileInfo);
    if (hooks.markPlayed &&
        (sender == Sender::lbFavorite_Patter || sender == Sender::lbFavorite_Singers ||
         sender == Sender::spacekey1 || sender == Sender::ControlSpaceKey))
        hooks.markPlayed(sender);
    run(hooks.logPlay);
    if (patterMode)
        run(hooks.patterOpened);
    emit stateChanged();
}

void Player::installLoopSyncs() {
    if (!numbertext::parse(eLoop_End))
        eLoop_End = kDefaultLoopEnd;
    const auto end = float(loopEnd());
    if (m_syncA)
        m_engine.channelRemoveSync(streams.copyA, m_syncA);
    if (m_syncB)
        m_engine.channelRemoveSync(streams.copyB, m_syncB);
    const Handle a = streams.copyA, b = streams.copyB;
    m_syncA = m_engine.channelSetSync(a, m_engine.channelSeconds2Bytes(a, end),
                                      [this, a, b](Handle, Handle) { switchCopies(a, b, 2); });
    m_syncB = m_engine.channelSetSync(b, m_engine.channelSeconds2Bytes(b, end),
                                      [this, a, b](Handle, Handle) { switchCopies(b, a, 1); });
}

// Runs on the mixer thread at the frame where the playing copy reaches the loop end: the other
// copy takes over from the loop start while the first fades out past the end, never cut. The
// engine brings a copy that starts in the middle of its sound in from silence over a few
// milliseconds, and turns every volume change into a short ramp, so the seam has no step in
// it; the copy that fades out stops once it is silent instead of playing on unheard.
void Player::switchCopies(Handle source, Handle target, int targetChannel) {
    if (!playToEnd.load()) {
        const float start = m_loopStartCopy.load();
        m_engine.channelSetPosition(target, m_engine.channelSeconds2Bytes(target, start));
        constexpr int pan = AudioEngine::kPanUnchanged, rate = AudioEngine::kRateUnchanged;
        constexpr int stop = AudioEngine::kVolumeSlideToStop;
        AudioEngine::Slide fade;
        if (m_engine.channelGetSlide(source, fade) && fade.stops) {
            // The caller is fading the music out. Bringing the other copy up to full volume
            // would undo the fade: the seam crosses over at the level the fade has reached,
            // in the usual proportion, and both copies go on to silence with the fade.
            AudioEngine::Attributes now;
            m_engine.channelGetAttributes(source, now);
            for (const Handle copy : {source, target}) {
                m_engine.channelSetAttributes(copy, rate, int(now.volume / 1.5), pan);
                m_engine.channelSlideAttributes(copy, rate, stop, pan, fade.remainingMs);
            }
        } else if (hardLoop.load()) {
            m_engine.channelSetAttributes(target, rate, volume.load(), pan);
            m_engine.channelSlideAttributes(source, rate, stop, pan, kCutMs);
        } else {
            const int v = volume.load();
            m_engine.channelSetAttributes(source, rate, int(v / 1.5), pan);
            m_engine.channelSetAttributes(target, rate, int(v / 1.5), pan);
            m_engine.channelSlideAttributes(target, rate, v, pan, 2000);
            m_engine.channelSlideAttributes(source, rate, stop, pan, 4000);
        }
        m_engine.streamPlay(target, false);
        activeChannel = targetChannel;
        playing = true;
    }
    run(hooks.applyPatterBandGains);
}

} // namespace hoedeck

namespace hoedeck {

QStringList Player::fileInfo(const QString& path, bool withSize) const {
    const Handle h = m_engine.streamCreateFile(path, AudioEngine::kFlagDecode);
    if (!h)
        return {};
    const bool mono = m_engine.channelGetFlags(h) & AudioEngine::kChannelFlagMono;
    const bool eightBit = m_engine.channelGetFlags(h) & AudioEngine::kChannelFlag8Bit;
    AudioEngine::Attributes attributes;
    m_engine.channelGetAttributes(h, attributes);
    m_engine.streamFree(h);
    QStringList lines{mono ? "Mono" : "Stereo",
                      QStringLiteral("Bits per Sample: %1").arg(eightBit ? 8 : 16),
                      QStringLiteral("Freq.: %1").arg(attributes.rate),
                      QStringLiteral("Avg. Bytes/Sec.: %1").arg(attributes.rate * (mono ? 2 : 4))};
    if (withSize)
        lines << QStringLiteral("Filesize: %1 KB").arg(QFileInfo(path).size() / 1024);
    lines += readSongTags(path).lines();
    if (hooks.moreFileInfo)
        lines += hooks.moreFileInfo(path);
    return lines;
}

void Player::UpdatePositionLabel(int positionBarValue) {
    if (current_song == kNone)
        return;
    const double length = activeLength();
    if (activeChannel != 0) {
        ltotal_time = numbertext::format(length, "###.##");
        Label2 = numbertext::minutesSeconds(hsPositionMax);
        return;
    }
    ltotal_time = numbertext::format(length, "###.##");
    const auto adjusted = qint64(
        std::trunc(m_engine.tempoGetApproxSeconds(streams.singerTempo, float(hsPositionMax))));
    Label2 = numbertext::minutesSeconds(hsPositionMax) + "(" +
             numbertext::minutesSeconds(adjusted) + ")";
    const auto target = qint64(
        std::trunc(m_engine.tempoGetApproxSeconds(streams.singerTempo, float(positionBarValue))));
    lblPosition = "Go to position: " + numbertext::minutesSeconds(target) + " / " +
                  numbertext::minutesSeconds(adjusted);
}

TickDisplay Player::tick(bool playlistChecked) {
    TickDisplay display;
    const Handle singerOut =
        streams.singerTempo ? m_engine.tempoGetResampledHandle(streams.singerTempo) : 0;
    // 1. The end of playback.
    const auto active = [&](Handle h) { return h && m_engine.channelIsActive(h); };
    if (!active(singerOut) && !active(streams.copyA) && !active(streams.copyB)) {
        playing = false;
        display.advancePlaylist = playlistChecked;
    }
    run(hooks.tickExtras);

    // 6. The meter: a value above its range leaves it as it is.
    const auto level = [&](Handle h) { return h ? m_engine.channelGetLevel(h) : 0u; };
    const int meter =
        progress::meterLevel(level(singerOut), level(streams.copyA), level(streams.copyB));
    if (meter >= 0 && meter <= 128)
        display.meter = meter;

    // 7-8. Position; empty marks take their defaults.
    const double pos = position();
    if (eLoop_Start.isEmpty())
        eLoop_Start = kDefaultLoopStart;
    if (eLoop_End.isEmpty())
        eLoop_End = kDefaultLoopEnd;

    // 9. Where a singing call stands.
    if (!patterMode && streams.singerTempo) {
        const double length = m_engine.channelBytes2Seconds(
            streams.singerTempo, m_engine.streamGetLength(streams.singerTempo));
        Label3 = progress::which_sequence_is_playing(pos, length);
        label3Golden = false;
    }
    // 10.
    if (pos > 0) {
        display.position_counter = numbertext::format(pos, "#0.0000");
        display.Label1 = numbertext::SecToTime(qint64(std::trunc(pos))) + "   of   " + Label2;
    }
    // 12. Playing to the end: measured on the singer slot's stream; a patter with no singer
    // opened before it is playing to its end all the same.
    if (playToEnd) {
        bool lastSequence = false;
        if (streams.singerTempo) {
            const double singerPos = m_engine.channelBytes2Seconds(
                streams.singerTempo, m_engine.channelGetPosition(streams.singerTempo));
            const double singerLength = m_engine.channelBytes2Seconds(
                streams.singerTempo, m_engine.streamGetLength(streams.singerTempo));
            lastSequence = singerPos > 0.8 * singerLength;
        }
        Label3 = lastSequence ? "last sequence" : "Playing to end";
        label3Golden = false;
    }
    // 14-15. Progress.
    if (pos > 0)
        display.percent = progress::percentPlayed(pos, activeLength());
    return display;
}

} // namespace hoedeck
