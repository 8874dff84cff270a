#include <gtest/gtest.h>

#include "platform/platform.h"

TEST(PosixPlatform, Placeholder) { SUCCEED(); }
