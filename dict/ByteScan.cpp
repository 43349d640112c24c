#include "ByteScan.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>

#if defined(__x86_64__) && defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
#define ZARVIK_BYTESCAN_X86 1
#include <immintrin.h>
#endif

namespace dict::bytescan {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Does the needle that starts at `at` in the text match past its first and last bytes,
// which the caller has compared already?
inline bool middleMatches(const char* at, const char* needle, std::size_t length) {
    return length <= 2 || std::memcmp(at + 1, needle + 1, length - 2) == 0;
}

inline bool isCodeStart(const char* text, std::size_t pos, unsigned char letter) {
    return (static_cast<unsigned char>(text[pos]) | 0x20) == letter &&
           (text[pos - 1] == ' ' || text[pos - 1] == '\t');
}

// How many bits of `mask` are set. `Native`: the processor has its own bit count, else
// std::popcount would be a library call.
template <bool Native> [[gnu::always_inline]] inline std::uint32_t bitCount(std::uint64_t mask) {
    if constexpr (Native) {
        return static_cast<std::uint32_t>(std::popcount(mask));
    } else {
        std::uint64_t bits = mask - ((mask >> 1) & 0x5555555555555555u);
        bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
        bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
        return static_cast<std::uint32_t>((bits * 0x0101010101010101u) >> 56);
    }
}

// Plain C++ over sixteen bytes: the passes for any processor, and what the vector registers
// below stand in for.
namespace portable {

struct Bytes {
    static constexpr std::size_t Width = 16;
    unsigned char b[Width];
};
using Lanes = Bytes;

inline Bytes load(const char* bytes) {
    Bytes r;
    std::memcpy(r.b, bytes, Bytes::Width);
    return r;
}
inline Bytes splat(char c) {
    Bytes r;
    std::memset(r.b, c, Bytes::Width);
    return r;
}
// Each byte 0xFF where the two are equal, else 0, as the vector comparisons give it.
inline Lanes operator==(const Bytes& x, const Bytes& y) {
    Bytes r;
    for (std::size_t i = 0; i < Bytes::Width; ++i)
        r.b[i] = x.b[i] == y.b[i] ? 0xFF : 0;
    return r;
}
inline Bytes operator&(const Bytes& x, const Bytes& y) {
    Bytes r;
    for (std::size_t i = 0; i < Bytes::Width; ++i)
        r.b[i] = x.b[i] & y.b[i];
    return r;
}
inline Bytes operator|(const Bytes& x, const Bytes& y) {
    Bytes r;
    for (std::size_t i = 0; i < Bytes::Width; ++i)
        r.b[i] = x.b[i] | y.b[i];
    return r;
}
inline Bytes operator^(const Bytes& x, const Bytes& y) {
    Bytes r;
    for (std::size_t i = 0; i < Bytes::Width; ++i)
        r.b[i] = x.b[i] ^ y.b[i];
    return r;
}
inline Bytes minOf(const Bytes& x, const Bytes& y) {
    Bytes r;
    for (std::size_t i = 0; i < Bytes::Width; ++i)
        r.b[i] = std::min(x.b[i], y.b[i]);
    return r;
}
// The top bit of every byte, byte i at bit i.
inline std::uint64_t bitsOf(const Lanes& x) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < Bytes::Width; ++i)
        bits |= static_cast<std::uint64_t>(x.b[i] >> 7) << i;
    return bits;
}
inline std::uint32_t countBits(std::uint64_t mask) {
    return bitCount<false>(mask);
}

#include "ByteScanKernels.inc"

} // namespace portable

#if defined(ZARVIK_BYTESCAN_X86)

// The registers of SSE2 and AVX2 differ only in their width and in the names of their
// intrinsics: `V` is the register type, `P` the intrinsics' prefix (_mm, _mm256), `S` the
// suffix of the whole-register operations (si128, si256); `NativePopcount` as in bitCount.
#define ZARVIK_BYTESCAN_REGISTER(V, P, S, NativePopcount)                                          \
    struct Bytes {                                                                                 \
        static constexpr std::size_t Width = sizeof(V);                                            \
        V v;                                                                                       \
    };                                                                                             \
    using Lanes = Bytes;                                                                           \
    inline Bytes load(const char* bytes) {                                                         \
        return {P##_loadu_##S(reinterpret_cast<const V*>(bytes))};                                 \
    }                                                                                              \
    inline Bytes splat(char c) {                                                                   \
        return {P##_set1_epi8(c)};                                                                 \
    }                                                                                              \
    inline Lanes operator==(Bytes x, Bytes y) {                                                    \
        return {P##_cmpeq_epi8(x.v, y.v)};                                                         \
    }                                                                                              \
    inline Bytes operator&(Bytes x, Bytes y) {                                                     \
        return {P##_and_##S(x.v, y.v)};                                                            \
    }                                                                                              \
    inline Bytes operator|(Bytes x, Bytes y) {                                                     \
        return {P##_or_##S(x.v, y.v)};                                                             \
    }                                                                                              \
    inline Bytes operator^(Bytes x, Bytes y) {                                                     \
        return {P##_xor_##S(x.v, y.v)};                                                            \
    }                                                                                              \
    inline Bytes minOf(Bytes x, Bytes y) {                                                         \
        return {P##_min_epu8(x.v, y.v)};                                                           \
    }                                                                                              \
    inline std::uint64_t bitsOf(Lanes x) {                                                         \
        return static_cast<std::uint32_t>(P##_movemask_epi8(x.v));                                 \
    }                                                                                              \
    inline std::uint32_t countBits(std::uint64_t mask) {                                           \
        return bitCount<NativePopcount>(mask);                                                     \
    }

namespace sse2 {

ZARVIK_BYTESCAN_REGISTER(__m128i, _mm, si128, false)

#include "ByteScanKernels.inc"

} // namespace sse2

// Everything up to the end of each region is compiled for its instruction set. Only the
// functions defined there get the instructions: whatever is shared with the other levels
// (the standard library's inline functions included) keeps the base set, so nothing built
// for AVX2 can reach a processor without it.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,bmi,popcnt"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,bmi,popcnt")
#endif

namespace avx2 {

ZARVIK_BYTESCAN_REGISTER(__m256i, _mm256, si256, true)

#include "ByteScanKernels.inc"

} // namespace avx2

#if defined(__clang__)
#pragma clang attribute pop
#pragma clang attribute push(__attribute__((target("avx512f,avx512bw,bmi,popcnt"))),               \
                             apply_to = function)
#else
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,bmi,popcnt")
#endif

// Sixty-four bytes a register, and comparisons straight into mask registers.
namespace avx512 {

struct Bytes {
    static constexpr std::size_t Width = 64;
    __m512i v;
};
struct Lanes {
    __mmask64 k;
};

inline Bytes load(const char* bytes) {
    return {_mm512_loadu_si512(bytes)};
}
inline Bytes splat(char c) {
    return {_mm512_set1_epi8(c)};
}
inline Lanes operator==(Bytes x, Bytes y) {
    return {_mm512_cmpeq_epi8_mask(x.v, y.v)};
}
inline Lanes operator&(Lanes x, Lanes y) {
    return {x.k & y.k};
}
inline Lanes operator|(Lanes x, Lanes y) {
    return {x.k | y.k};
}
inline Bytes operator&(Bytes x, Bytes y) {
    return {_mm512_and_si512(x.v, y.v)};
}
inline Bytes operator|(Bytes x, Bytes y) {
    return {_mm512_or_si512(x.v, y.v)};
}
inline Bytes operator^(Bytes x, Bytes y) {
    return {_mm512_xor_si512(x.v, y.v)};
}
inline Bytes minOf(Bytes x, Bytes y) {
    return {_mm512_min_epu8(x.v, y.v)};
}
inline std::uint64_t bitsOf(Lanes x) {
    return x.k;
}

inline std::uint32_t countBits(std::uint64_t mask) {
    return bitCount<true>(mask);
}

#include "ByteScanKernels.inc"

} // namespace avx512

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif // ZARVIK_BYTESCAN_X86

struct Kernels {
    decltype(&portable::find) find;
    decltype(&portable::findCodeStart) findCodeStart;
    decltype(&portable::markLineEnds) markLineEnds;
};

constexpr Kernels portableKernels{portable::find, portable::findCodeStart, portable::markLineEnds};
#if defined(ZARVIK_BYTESCAN_X86)
constexpr Kernels sse2Kernels{sse2::find, sse2::findCodeStart, sse2::markLineEnds};
constexpr Kernels avx2Kernels{avx2::find, avx2::findCodeStart, avx2::markLineEnds};
// A 64-byte load at an offset not a multiple of 64 always spans two cache lines: the
// searches, whose second load lies a needle's length on, run faster on 32 bytes.
constexpr Kernels avx512Kernels{avx2::find, avx2::findCodeStart, avx512::markLineEnds};
#endif

Level detectLevel() noexcept {
#if defined(ZARVIK_BYTESCAN_X86)
    __builtin_cpu_init(); // a table may be loaded before the library's own set-up ran
    // The checks include the system's support: the wider registers must be saved on a switch.
    const bool bits = __builtin_cpu_supports("bmi") && __builtin_cpu_supports("popcnt");
    if (bits && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        return Level::Avx512;
    if (bits && __builtin_cpu_supports("avx2")) return Level::Avx2;
    return Level::Sse2;
#else
    return Level::Portable;
#endif
}

std::atomic<Level>& activeSlot() noexcept {
    static std::atomic<Level> level{supportedLevel()};
    return level;
}

const Kernels& kernels() noexcept {
    switch (activeSlot().load(std::memory_order_relaxed)) {
#if defined(ZARVIK_BYTESCAN_X86)
    case Level::Avx512:
        return avx512Kernels;
    case Level::Avx2:
        return avx2Kernels;
    case Level::Sse2:
        return sse2Kernels;
#endif
    default:
        return portableKernels;
    }
}

} // namespace

Level supportedLevel() noexcept {
    static const Level level = detectLevel();
    return level;
}

Level activeLevel() noexcept {
    return activeSlot().load(std::memory_order_relaxed);
}

void restrictLevel(Level level) noexcept {
    activeSlot().store(std::min(level, supportedLevel()), std::memory_order_relaxed);
}

std::size_t find(std::string_view text, std::size_t from, std::string_view needle) noexcept {
    if (needle.empty() || from > text.size() || text.size() - from < needle.size()) return npos;
    return kernels().find(text.data(), text.size(), from, needle.data(), needle.size());
}

std::size_t findCodeStart(std::string_view text, std::size_t from, unsigned char letter) noexcept {
    if (from >= text.size()) return npos;
    return kernels().findCodeStart(text.data(), text.size(), from, letter);
}

std::size_t markLineEnds(const char* data, std::size_t size, std::uint64_t* masks,
                         std::uint32_t* ranks) noexcept {
    return kernels().markLineEnds(data, size, masks, ranks);
}

} // namespace dict::bytescan
