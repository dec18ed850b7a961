#pragma once

// Where one sound lines up with another: a decoded song against the source it was encoded from.

#include <cmath>
#include <cstddef>
#include <vector>

namespace hoedeck::testing {

struct Match {
    long lag = 0;
    double correlation = 0;
};

// Where `decoded` lines up best with `source` (left channels of stereo), searched over
// ±maxLag frames around a window, with the normalised correlation at that lag.
inline Match bestMatch(const std::vector<float>& source, const std::vector<float>& decoded,
                       std::size_t from, std::size_t length, long maxLag) {
    Match best;
    double bestDot = -1e300;
    for (long lag = -maxLag; lag <= maxLag; ++lag) {
        double dot = 0, ss = 0, dd = 0;
        for (std::size_t i = from; i < from + length; ++i) {
            const long j = long(i) + lag;
            if (j < 0 || std::size_t(j) * 2 >= decoded.size())
                continue;
            const double s = source[i * 2], d = decoded[std::size_t(j) * 2];
            dot += s * d;
            ss += s * s;
            dd += d * d;
        }
        if (dot > bestDot) {
            bestDot = dot;
            best = {lag, ss > 0 && dd > 0 ? dot / std::sqrt(ss * dd) : 0.0};
        }
    }
    return best;
}

} // namespace hoedeck::testing
