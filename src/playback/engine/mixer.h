#pragma once

#include "enginecore.h"
#include "stream.h"

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

namespace hoedeck {

class BpmFeed;
class OutputTap;

// Renders the streams into the mixed output, block by block. It owns the render side of every
// stream: callers change it only through the command queue, which it takes without waiting
// (a caller holding the lock just means the changes come one block later), except right after
// a position sync, whose changes must sound from the very next frame.
//
// A block is split at every position sync and at every timed start of a one-shot sound, so
// what a sync procedure starts sounds from that very frame. Sync procedures run between the
// pieces, outside the lock. Nothing here allocates, frees, logs or touches a file.
class Mixer {
public:
    static constexpr std::size_t kMaxStreams = 1024;
    static constexpr std::size_t kMaxTaps = 8;
    static constexpr std::size_t kMaxPiece = 1024; // frames rendered in one go
    static constexpr int kCrossfadeFrames = 441;   // 10 ms: a new key or rate comes in

    explicit Mixer(EngineCore& core);

    // Mixes `frames` stereo frames into `out`.
    void mix(float* out, std::size_t frames);
    // Forgets every stream and tap; only while nothing mixes.
    void reset();
    // Whether the calling thread is inside mix(), that is the mixer or a sync procedure.
    static bool mixing();

private:
    struct Fired {
        SyncEntry* sync;
        Handle stream;
    };

    bool apply(bool wait);
    bool applyOne(Command& command);
    void retire(std::shared_ptr<void> item);
    std::size_t nextEvent(std::size_t limit) const;
    void renderPiece(float* out, std::size_t frames);
    std::size_t renderPlain(Stream& s, std::size_t frames);
    std::size_t renderTempo(Stream& s, std::size_t frames);
    std::size_t pullTempo(const Stream& s, TempoRender& t, float* out, std::size_t frames,
                          BpmFeed* bpm, bool& ended);
    void fireSyncs(const Stream& s, double from, double to);
    void publish(Stream& s);

    EngineCore& m_core;
    std::vector<Stream*> m_streams;
    std::vector<Fired> m_fired;
    std::array<std::shared_ptr<OutputTap>, kMaxTaps> m_taps;
    std::uint64_t m_mixed = 0;
    std::vector<float> m_voice, m_outgoing, m_source;
};

} // namespace hoedeck
