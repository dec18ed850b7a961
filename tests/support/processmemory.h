#pragma once

#include <fstream>
#include <string>

namespace hoedeck::testing {

// The memory this process holds now (resident set), in megabytes; -1 where the system does not
// tell.
inline double rssMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return -1;
}

} // namespace hoedeck::testing
