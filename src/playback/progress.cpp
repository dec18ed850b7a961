#include "progress.h"

#include <algorithm>
#include <cmath>

namespace hoedeck::progress {

QString which_sequence_is_playing(double p, double length) {
    if (p > 0.966 * length)
        return "Singer: Tag";
    if (p > 0.833 * length)
        return "Singer: Closer";
    if (p > 0.7 * length)
        return "Singer: Figure 4";
    if (p > 0.566 * length)
        return "Singer: Figure 3";
    if (p > 0.433 * length)
        return "Singer: Middle Break";
    if (p > 0.3 * length)
        return "Singer: Figure 2";
    if (p > 0.1666 * length)
        return "Singer: Figure 1";
    if (p > 0.033 * length)
        return "Singer: Opener";
    return "Singer: Intro";
}

const QStringList& sequenceCaptions() {
    static const QStringList captions{"intro",      "opener", "1st figure",
                                      "2nd figure", "middle", "3rd figure",
                                      "4th figure", "closer", "tag"};
    return captions;
}

StripWidths stripWidths(int width) {
    StripWidths widths;
    widths.intro = width / 32;
    widths.middle = (width - 2 * widths.intro) / 7;
    widths.tag = widths.intro + 2;
    return widths;
}

LoopMarkers loopMarkers(int width, double loopStart, double loopEnd, double length) {
    LoopMarkers markers;
    if (length <= 0)
        return markers;
    const auto part = [&](double seconds) { return int(std::trunc(width * seconds / length)); };
    markers.beginLoop = std::clamp(part(loopStart), 0, width);
    markers.patterProgress = std::clamp(width - part(loopEnd), 0, width);
    return markers;
}

int meterLevel(std::uint32_t singer, std::uint32_t copyA, std::uint32_t copyB) {
    const auto asSigned = [](std::uint32_t v) { return static_cast<std::int32_t>(v); };
    const std::int32_t largest = std::max({asSigned(singer), asSigned(copyA), asSigned(copyB)});
    return int(static_cast<std::uint32_t>(largest) & 0xFFFF);
}

int percentPlayed(double position, double length) {
    if (length <= 0 || position <= 0)
        return 0;
    return std::clamp(int(std::trunc(position / length * 100)), 0, 100);
}

} // namespace hoedeck::progress
