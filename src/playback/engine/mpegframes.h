#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace hoedeck {

// What the frame headers of an MPEG audio file (MP3, MP2) tell without decoding anything.
struct MpegFrames {
    std::int64_t frames = 0; // audio frames, a leading info frame not counted
    int samplesPerFrame = 0;
    int sampleRate = 0;
    bool infoFrame = false;         // a Xing, Info or VBRI frame leads the audio
    std::int64_t statedFrames = -1; // the audio frames the info frame counts, -1 if it does not
    bool encoderDelays = false;     // the info frame carries the encoder's delay and padding
    int encoderDelay = 0;
    int padding = 0;
};

// Walks a file's frames from header to header, reading each byte once and decoding nothing:
// a few milliseconds for a six-minute song. Nothing where the file is not one clean run of
// frames of one kind (junk between frames, a cut last frame, free-format bitrates, tags other
// than ID3): FFmpeg's own packet count is the answer there.
std::optional<MpegFrames> walkMpegFrames(const QString& path);
std::optional<MpegFrames> walkMpegImage(const QByteArray& image);

} // namespace hoedeck
