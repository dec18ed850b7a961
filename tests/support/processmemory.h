#pragma once

#include <fstream>
#include <string>

namespace hoedeck::testing {

// A line of /proc/self/status in megabytes; -1 where the system does not tell.
inline double statusMb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stod(line.substr(field.size() + 1)) / 1024.0;
    return -1;
}

// The memory this process holds now (resident set), in megabytes.
inline double rssMb() {
    return statusMb("VmRSS");
}

// The most it has held at any moment.
inline double peakRssMb() {
    return statusMb("VmHWM");
}

} // namespace hoedeck::testing
