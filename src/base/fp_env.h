// The floating-point state our code runs in, whatever the host leaves on its thread.
//
// FpuShield: every trap masked and the flags cleared for the scope, the caller's whole state
// (control words, flags) given back after it. RoundToNearest: round to nearest, and on x87 a
// 53-bit significand, for the results that are defined in that mode (a score, a threshold).
//
// On x86 the state is saved and set with the processor's own instructions. The C runtime's
// fenv functions of the Windows toolchain ask the processor whether it has SSE on every call,
// and in a virtual machine that question is a trip to the hypervisor: a few of those per
// message cost more than rating the message.
#pragma once

#include <cfenv>
#include <cstdint>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define QBX_FP_STATE_BY_INSTRUCTIONS 1
#endif

namespace qbx {

#ifdef QBX_FP_STATE_BY_INSTRUCTIONS
namespace fp_detail {

constexpr std::uint32_t kMxcsrMasks = 0x1F80;     // the six exception masks
constexpr std::uint32_t kMxcsrFlags = 0x003F;     // the six exception flags
constexpr std::uint32_t kMxcsrRounding = 0x6000;  // rounding control
constexpr std::uint16_t kX87Rounding = 0x0C00;
constexpr std::uint16_t kX87Precision = 0x0300;
constexpr std::uint16_t kX87Double = 0x0200;

inline bool hasSse() noexcept {
#ifdef __x86_64__
    return true;
#else
    __builtin_cpu_init();  // fills the processor table once; later calls return at once
    return __builtin_cpu_supports("sse");
#endif
}

inline std::uint32_t readMxcsr() noexcept {
    std::uint32_t value = 0;
    __asm__ __volatile__("stmxcsr %0" : "=m"(value) : : "memory");
    return value;
}
inline void writeMxcsr(std::uint32_t value) noexcept {
    __asm__ __volatile__("ldmxcsr %0" : : "m"(value) : "memory");
}
inline std::uint16_t readX87Control() noexcept {
    std::uint16_t value = 0;
    __asm__ __volatile__("fnstcw %0" : "=m"(value) : : "memory");
    return value;
}
inline void writeX87Control(std::uint16_t value) noexcept {
    __asm__ __volatile__("fldcw %0" : : "m"(value) : "memory");
}

}  // namespace fp_detail

class FpuShield {
public:
    FpuShield() noexcept {
        // Storing the x87 environment also masks its exceptions; its flags are cleared apart.
        __asm__ __volatile__("fnstenv %0\n\tfnclex" : "=m"(x87_) : : "memory");
        if (fp_detail::hasSse()) {
            mxcsr_ = fp_detail::readMxcsr();
            fp_detail::writeMxcsr((mxcsr_ | fp_detail::kMxcsrMasks) & ~fp_detail::kMxcsrFlags);
        }
    }
    ~FpuShield() {
        __asm__ __volatile__("fldenv %0" : : "m"(x87_) : "memory");
        if (fp_detail::hasSse()) fp_detail::writeMxcsr(mxcsr_);
    }
    FpuShield(const FpuShield&) = delete;
    FpuShield& operator=(const FpuShield&) = delete;

private:
    struct X87Environment {
        unsigned char bytes[28];  // the protected-mode layout fnstenv writes
    } x87_{};
    std::uint32_t mxcsr_ = 0;
};

class RoundToNearest {
public:
    RoundToNearest() noexcept : x87_(fp_detail::readX87Control()) {
        std::uint16_t control = x87_ & ~fp_detail::kX87Rounding;
#ifdef __i386__
        // x87 rounds every result to 53 bits, as SSE does.
        control = (control & ~fp_detail::kX87Precision) | fp_detail::kX87Double;
#endif
        if (control != x87_) fp_detail::writeX87Control(control);
        if (fp_detail::hasSse()) {
            mxcsr_ = fp_detail::readMxcsr();
            if (mxcsr_ & fp_detail::kMxcsrRounding)
                fp_detail::writeMxcsr(mxcsr_ & ~fp_detail::kMxcsrRounding);
        }
    }
    ~RoundToNearest() {
        fp_detail::writeX87Control(x87_);
        if (fp_detail::hasSse()) fp_detail::writeMxcsr(mxcsr_);
    }
    RoundToNearest(const RoundToNearest&) = delete;
    RoundToNearest& operator=(const RoundToNearest&) = delete;

private:
    std::uint16_t x87_;
    std::uint32_t mxcsr_ = 0;
};

#else  // other processors and compilers: the C runtime's functions

class FpuShield {
public:
    FpuShield() noexcept { saved_ = std::feholdexcept(&env_) == 0; }
    ~FpuShield() {
        if (saved_) std::fesetenv(&env_);
    }
    FpuShield(const FpuShield&) = delete;
    FpuShield& operator=(const FpuShield&) = delete;

private:
    std::fenv_t env_{};
    bool saved_ = false;
};

class RoundToNearest {
public:
    RoundToNearest() noexcept : savedRounding_(std::fegetround()) {
        if (savedRounding_ != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    }
    ~RoundToNearest() {
        if (savedRounding_ != FE_TONEAREST && savedRounding_ >= 0) std::fesetround(savedRounding_);
    }
    RoundToNearest(const RoundToNearest&) = delete;
    RoundToNearest& operator=(const RoundToNearest&) = delete;

private:
    int savedRounding_;
};

#endif

}  // namespace qbx
