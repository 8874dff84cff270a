#include <gtest/gtest.h>

#include "platform/platform.h"

TEST(Win32Platform, Placeholder) { SUCCEED(); }
