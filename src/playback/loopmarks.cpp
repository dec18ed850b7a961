#include "loopmarks.h"

#include "audioengine.h"
#include "numbertext.h"
#include "player.h"

#include <algorithm>
#include <cmath>

namespace hoedeck {

namespace {
// Marks are single-precision seconds shown with up to four decimals.
QString markText(double seconds) {
    return numbertext::format(float(seconds), "###.####");
}
} // namespace

LoopMarks::LoopMarks(AudioEngine& engine, Player& player) : m_engine(engine), m_player(player) {}

bool LoopMarks::acceptsKey(char c) {
    return (c >= '0' && c <= '9') || c == '.';
}

int LoopMarks::activeCopy() const {
    const int channel = m_player.activeChannel;
    return channel == 1 || channel == 2 ? channel : 0;
}

double LoopMarks::copyPosition(int channel) const {
    const Handle copy = channel == 1 ? m_player.streams.copyA : m_player.streams.copyB;
    return m_engine.channelBytes2Seconds(copy, m_engine.channelGetPosition(copy));
}

void LoopMarks::setCopyPosition(int channel, double seconds) {
    Handle h = 0;
    if (channel == 1)
        h = m_player.streams.copyA;
    else if (channel == 2)
        h = m_player.streams.copyB;
    if (channel == 0) {
        // The singer's source: a playing singer goes on from there, a stopped one stays
        // stopped (its tempo buffers are emptied either way, so nothing old is heard).
        if (m_player.patterMode)
            return;
        h = m_player.streams.singerTempo;
    }
    m_engine.channelSetPosition(h, m_engine.channelSeconds2Bytes(h, float(std::max(0.0, seconds))));
}

void LoopMarks::normaliseMarks() {
    m_player.eLoop_Start.replace(',', '.');
    m_player.eLoop_End.replace(',', '.');
    if (!numbertext::parse(m_player.eLoop_Start))
        m_player.eLoop_Start = Player::kDefaultLoopStart;
    if (!numbertext::parse(m_player.eLoop_End))
        m_player.eLoop_End = Player::kDefaultLoopEnd;
    m_player.publishLoopStart();
}

void LoopMarks::store() {
    if (storeTrackMemory)
        storeTrackMemory();
    m_player.loopMarksChanged();
}

// So the caller hears the new seam three seconds later.
void LoopMarks::preview() {
    setCopyPosition(activeCopy(), m_player.loopEnd() - 3);
}

void LoopMarks::bStart_Mark() {
    normaliseMarks();
    m_player.eLoop_Start = markText(copyPosition(m_player.activeChannel == 1 ? 1 : 2));
    normaliseMarks();
    m_player.installLoopSyncs();
    store();
}

void LoopMarks::bEnd_Mark() {
    normaliseMarks();
    const int channel = m_player.activeChannel == 1 ? 1 : 2;
    const double at = copyPosition(channel);
    m_player.eLoop_End = markText(at);
    setCopyPosition(channel, at - 3);
    normaliseMarks();
    store();
    m_player.installLoopSyncs();
}

void LoopMarks::nudgeStart(double seconds) {
    normaliseMarks();
    m_player.eLoop_Start = markText(float(m_player.loopStart()) + float(seconds));
    normaliseMarks();
    store();
    m_player.installLoopSyncs();
    preview();
}

void LoopMarks::nudgeEnd(double seconds) {
    normaliseMarks();
    m_player.eLoop_End = markText(float(m_player.loopEnd()) + float(seconds));
    normaliseMarks();
    store();
    m_player.installLoopSyncs();
    preview();
}

void LoopMarks::nudgeBoth(double startSeconds, double endSeconds) {
    normaliseMarks();
    m_player.eLoop_Start = markText(float(m_player.loopStart()) + float(startSeconds));
    m_player.eLoop_End = markText(float(m_player.loopEnd()) + float(endSeconds));
    normaliseMarks();
    store();
    m_player.installLoopSyncs();
    preview();
}

void LoopMarks::Reset_Loop_Start() {
    m_player.eLoop_Start = Player::kDefaultLoopStart;
    normaliseMarks();
    m_player.installLoopSyncs();
    store();
}

void LoopMarks::bGoto_End() {
    m_player.eLoop_End = Player::kDefaultLoopEnd;
    normaliseMarks();
    m_player.installLoopSyncs();
    store();
}

void LoopMarks::forward15() {
    const int copy = activeCopy();
    if (copy == 0) {
        if (!m_player.patterMode)
            setCopyPosition(0, m_player.position() + 15);
        return;
    }
    const double target = copyPosition(copy) + 15;
    if (m_player.loopEnd() < target)
        m_player.playToEnd = true; // the seam would never be reached
    setCopyPosition(copy, target);
    m_player.loopMarksChanged();
}

void LoopMarks::back15() {
    const int copy = activeCopy();
    if (copy == 0) {
        if (!m_player.patterMode)
            setCopyPosition(0, m_player.position() - 15);
        return;
    }
    const double target = copyPosition(copy) - 15;
    setCopyPosition(copy, target);
    normaliseMarks();
    if (target < m_player.loopEnd())
        playToEndOff();
}

void LoopMarks::moveAllTo(double seconds) {
    const auto at = float(std::max(0.0, seconds));
    for (const Handle h :
         {m_player.streams.singerTempo, m_player.streams.copyA, m_player.streams.copyB})
        m_engine.channelSetPosition(h, m_engine.channelSeconds2Bytes(h, at));
}

void LoopMarks::goBegin15() {
    setCopyPosition(activeCopy(), 15);
}

void LoopMarks::goEnd15() {
    const int copy = activeCopy();
    if (copy == 0) {
        // The one position command that starts a singer: the caller wants to hear its end.
        const Handle h = m_player.streams.singerTempo;
        if (m_player.patterMode || !h)
            return;
        m_engine.tempoStopAndFlush(h);
        setCopyPosition(0, m_engine.channelBytes2Seconds(h, m_engine.streamGetLength(h)) - 15);
        m_engine.streamPlay(m_engine.tempoGetResampledHandle(h), false);
        m_player.playing = true;
        m_player.loopMarksChanged();
        return;
    }
    normaliseMarks();
    const Handle h = copy == 1 ? m_player.streams.copyA : m_player.streams.copyB;
    const double target = m_engine.channelBytes2Seconds(h, m_engine.streamGetLength(h)) - 15;
    setCopyPosition(copy, target);
    if (target > m_player.loopEnd())
        m_player.playToEnd = true;
    m_player.loopMarksChanged();
}

void LoopMarks::btnTest_Loop() {
    const auto end = numbertext::parse(m_player.eLoop_End);
    if (!end)
        return; // a loop end that is not a number: the command changes nothing
    const double target = *end - 5;
    const int copy = activeCopy();
    if (copy == 0) {
        if (!m_player.patterMode)
            setCopyPosition(0, target);
        return;
    }
    normaliseMarks();
    setCopyPosition(copy, target);
    if (copyPosition(copy) < m_player.loopEnd())
        playToEndOff();
}

void LoopMarks::playToEndOn() {
    m_player.playToEnd = true;
    m_player.loopMarksChanged();
}

void LoopMarks::playToEndOff() {
    m_player.playToEnd = false;
    normaliseMarks();
    m_player.loopMarksChanged();
    const int copy = activeCopy();
    if (copy != 0 && copyPosition(copy) > m_player.loopEnd())
        setCopyPosition(copy, m_player.loopStart());
}

void LoopMarks::togglePlayToEnd() {
    if (m_player.playToEnd)
        playToEndOff();
    else
        playToEndOn();
}

void LoopMarks::positionBarReleased(int seconds) {
    const Handle h = m_player.streams.singerTempo;
    if (!h || !m_engine.channelIsActive(m_engine.tempoGetResampledHandle(h)))
        return;
    m_engine.tempoStopAndFlush(h);
    m_engine.channelSetPosition(h, m_engine.channelSeconds2Bytes(h, float(seconds)));
    m_engine.streamPlay(m_engine.tempoGetResampledHandle(h), false);
    m_player.playing = true;
    m_player.activeChannel = 0;
    m_player.UpdatePositionLabel(seconds);
}

} // namespace hoedeck
