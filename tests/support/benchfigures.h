#pragma once

#include <algorithm>
#include <vector>

namespace hoedeck::testing {

// The middle of a benchmark's repeated timings: one slow run (a page fault, another process)
// does not move it.
inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace hoedeck::testing
