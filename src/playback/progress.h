#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace hoedeck::progress {

// Where a singing call stands in its structure: an intro and a tag of 1/30 of the song each,
// and seven equal sequences between them (opener, two figures, middle break, two figures,
// closer). p and length in seconds of the song's own time line.
QString which_sequence_is_playing(double position, double length);

// The captions of the nine structure panels of the progress strip, left to right.
const QStringList& sequenceCaptions();

// Widths of the progress strip's panels for a strip `width` pixels wide.
struct StripWidths {
    int intro = 0;  // also the base of the tag
    int middle = 0; // each of the seven sequences
    int tag = 0;
};
StripWidths stripWidths(int width);

// The patter markers: the part before the loop start and the part after the loop end.
struct LoopMarkers {
    int beginLoop = 0;      // trunc(W × start / L)
    int patterProgress = 0; // W − trunc(W × end / L)
};
LoopMarkers loopMarkers(int width, double loopStart, double loopEnd, double length);

// The level meter's value from the levels of the three streams that may sound: the largest
// of the packed values compared as signed numbers, and of it the left channel (0..128).
int meterLevel(std::uint32_t singer, std::uint32_t copyA, std::uint32_t copyB);

// The percentage played, for the progress bars.
int percentPlayed(double position, double length);

} // namespace hoedeck::progress
