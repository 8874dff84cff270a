#include "base/fp_env.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qbx {
namespace {

#ifdef QBX_FP_STATE_BY_INSTRUCTIONS
using namespace fp_detail;

// A host that unmasked division by zero in both units, rounds upward and has the inexact flag
// raised: inside the shield nothing traps and no flag is set; after it the host's state is
// exactly back, without the flag our code raised.
TEST(FpEnvTest, TheShieldMasksTrapsAndGivesTheCallersStateBack) {
    const std::uint16_t x87Before = readX87Control();
    const std::uint32_t mxcsrBefore = readMxcsr();
    const auto callerX87 = static_cast<std::uint16_t>((x87Before & ~0x0C04u) | 0x0800u);
    const std::uint32_t callerMxcsr = (mxcsrBefore & ~0x623Fu) | 0x4000u | 0x0020u;
    writeX87Control(callerX87);
    writeMxcsr(callerMxcsr);
    bool quotientInfinite = false;
    std::uint32_t shieldedMxcsr = 0;
    std::uint16_t shieldedX87 = 0;
    std::uint32_t nearestMxcsr = 0;
    std::uint16_t nearestX87 = 0;
    std::uint32_t afterNearestMxcsr = 0;
    {
        FpuShield shield;
        shieldedMxcsr = readMxcsr();
        shieldedX87 = readX87Control();
        volatile double zero = 0.0;
        const volatile double quotient = 1.0 / zero;
        quotientInfinite = std::isinf(quotient);
        {
            RoundToNearest nearest;
            nearestMxcsr = readMxcsr();
            nearestX87 = readX87Control();
        }
        afterNearestMxcsr = readMxcsr();
    }
    const std::uint16_t x87After = readX87Control();
    const std::uint32_t mxcsrAfter = readMxcsr();
    writeX87Control(x87Before);
    writeMxcsr(mxcsrBefore);

    EXPECT_TRUE(quotientInfinite);
    EXPECT_EQ(shieldedMxcsr & 0x1F80u, 0x1F80u);  // every trap masked
    EXPECT_EQ(shieldedMxcsr & 0x003Fu, 0u);       // no flag
    EXPECT_EQ(shieldedX87 & 0x003Fu, 0x003Fu);
    EXPECT_EQ(nearestMxcsr & 0x6000u, 0u);
    EXPECT_EQ(nearestX87 & 0x0C00u, 0u);
    EXPECT_EQ(afterNearestMxcsr & 0x6000u, 0x4000u);  // upward again once the score is done
    EXPECT_EQ(x87After, callerX87);
    EXPECT_EQ(mxcsrAfter, callerMxcsr);
}
#endif

}  // namespace
}  // namespace qbx
