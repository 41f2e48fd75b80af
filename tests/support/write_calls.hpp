// The write calls a thread has made, as the kernel counts them
// (/proc/thread-self/io), so that a test measures a layer's writes from
// outside it.
#pragma once

#include <fstream>
#include <string>

namespace novemra::testing {

inline long writeCallsOfThisThread() {
    std::ifstream in("/proc/thread-self/io");
    std::string key;
    long value = 0;
    while (in >> key >> value) {
        if (key == "syscw:") {
            return value;
        }
    }
    return -1;
}

}  // namespace novemra::testing
