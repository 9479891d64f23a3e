#pragma once
// What the kernel says about a running process, for tests that start the programs.
#include <sys/types.h>

#include <fstream>
#include <sstream>
#include <string>

namespace keymora::test {

// True when the process may write no core file at all (soft and hard limit 0).
inline bool coreDumpsOff(pid_t pid) {
    std::ifstream limits("/proc/" + std::to_string(pid) + "/limits");
    for (std::string line; std::getline(limits, line);) {
        if (line.rfind("Max core file size", 0) != 0) continue;
        std::istringstream fields(line.substr(18));
        std::string soft, hard;
        fields >> soft >> hard;
        return soft == "0" && hard == "0";
    }
    return false;
}

}  // namespace keymora::test
