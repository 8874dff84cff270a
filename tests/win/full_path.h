// The full path of a file beside the test program, as a command line for another program needs it.
#pragma once

#include <windows.h>

#include <string>

namespace qbx::test {

inline std::string fullPath(const char* relative) {
    char buffer[MAX_PATH * 2] = {};
    const DWORD length = GetFullPathNameA(relative, sizeof buffer, buffer, nullptr);
    return std::string(buffer, length);
}

}  // namespace qbx::test
