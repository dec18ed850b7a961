#pragma once

namespace hoedeck {

// The audio engine's error codes, shown to the caller in the error boxes beside the message.
// The numbers follow the long-established codes of desktop audio libraries, so that a caller
// who reports "error code 2" is understood.
enum class AudioError : int {
    Ok = 0,
    Memory = 1,     // out of memory
    FileOpen = 2,   // the file could not be opened
    Driver = 3,     // no usable device driver
    Handle = 5,     // not a valid handle
    Format = 6,     // unsupported sample format
    Position = 7,   // invalid position
    Init = 8,       // the engine or device is not initialised
    Start = 9,      // the output could not be started
    Already = 14,   // already initialised, or already running
    NoChannel = 18, // no free channel
    IllegalType = 19,
    IllegalParam = 20,
    Device = 23,     // illegal device number
    NoPlay = 24,     // not playing
    Frequency = 25,  // illegal sample rate
    NotFile = 27,    // the stream is not a file stream
    NoHardware = 29, // no such device on this machine
    Empty = 31,      // the file holds no sound
    Create = 33,     // a stream could not be created
    NoEffect = 34,   // the effect is not available
    NotAvailable = 37,
    Decode = 38,   // the operation is not allowed on a decoding stream / decoding failed
    FileForm = 41, // unsupported or damaged file format
    Unknown = -1,
};

inline int code(AudioError e) {
    return static_cast<int>(e);
}

} // namespace hoedeck
