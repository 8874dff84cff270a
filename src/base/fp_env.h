// Floating-point arithmetic in the one mode our results are defined in: round to nearest, and
// on x87 a 53-bit significand. The host may leave any rounding mode and precision set on its
// thread; a score or a threshold must not move with them.
#pragma once

#include <cfenv>
#include <cstdint>

namespace qbx {

class RoundToNearest {
public:
    RoundToNearest() noexcept : savedRounding_(std::fegetround()) {
        if (savedRounding_ != FE_TONEAREST) std::fesetround(FE_TONEAREST);
#if defined(__i386__) && (defined(__GNUC__) || defined(__clang__))
        // Precision control (bits 8-9) to double: x87 rounds every result to 53 bits as SSE does.
        __asm__ __volatile__("fnstcw %0" : "=m"(savedControl_));
        const std::uint16_t control =
            static_cast<std::uint16_t>((savedControl_ & ~std::uint16_t{0x0300}) | 0x0200);
        __asm__ __volatile__("fldcw %0" : : "m"(control));
#endif
    }
    ~RoundToNearest() {
#if defined(__i386__) && (defined(__GNUC__) || defined(__clang__))
        __asm__ __volatile__("fldcw %0" : : "m"(savedControl_));
#endif
        if (savedRounding_ != FE_TONEAREST && savedRounding_ >= 0) std::fesetround(savedRounding_);
    }
    RoundToNearest(const RoundToNearest&) = delete;
    RoundToNearest& operator=(const RoundToNearest&) = delete;

private:
    int savedRounding_;
#if defined(__i386__) && (defined(__GNUC__) || defined(__clang__))
    std::uint16_t savedControl_ = 0;
#endif
};

}  // namespace qbx
