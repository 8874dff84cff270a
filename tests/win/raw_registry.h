// A registry value of any type stored straight through the system's calls, bypassing the code
// under test (Windows tests only).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace qbx::test {

inline void setRawRegistryValue(const std::string& keyPath, const char* name, DWORD type,
                                const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

}  // namespace qbx::test
