#pragma once

#include <cstdint>
#include <memory>

namespace hoedeck {

struct Stream;

// A change a caller makes to what the mixer renders. Callers queue commands under the engine's
// lock; the mixer takes the whole queue between two pieces of sound and applies it in order,
// so it never renders while a caller changes a stream and never waits for one.
struct Command {
    enum class Op : std::uint8_t {
        Add,         // the stream joins the mix
        Remove,      // it leaves; `payload` holds the stream until the mixer lets go
        Play,        // flag: from the start
        Stop,        // flag: and flush a tempo stream's queued sound
        Position,    // value: source frame
        Volume,      // a: 0..1
        Slide,       // a: target 0..1, i: milliseconds, flag: stop at the end
        Pan,         // i
        Rate,        // i: Hz of a plain stream's source
        Tempo,       // a: tempo %, i: rate Hz, b: pitch semitones
        TempoAttach, // payload: TempoRender
        Syncs,       // payload: SyncList
        Fx,          // payload: FxChain (filter states carried over by handle)
        FxBand,      // i: band handle, a: centre, b: bandwidth octaves, c: gain
        Eq,          // flag: on
        EqBand,      // i: band, a: centre, b: bandwidth octaves, c: gain
        Bpm,         // payload: BpmFeed or none
        StartAt,     // frame: the mixed frame a one-shot sound starts at
        Tap,         // payload: OutputTap; flag: add (else remove)
        Trim,        // a: level gain (linear), i: milliseconds to reach it
    };
    Op op = Op::Add;
    Stream* stream = nullptr;
    std::uint64_t seq = 0;
    double value = 0;
    float a = 0, b = 0, c = 0;
    int i = 0;
    bool flag = false;
    std::uint64_t frame = 0;
    std::shared_ptr<void> payload;
};

} // namespace hoedeck
