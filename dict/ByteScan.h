#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The byte-parallel passes over a table's text: cutting it into lines, finding a needle and
// finding where a code starts. Each is written once, over registers of 16 to 64 bytes, and
// runs with the widest instructions the processor and the system offer: on x86-64 AVX-512
// (with its byte compression) or AVX2 where they are, SSE2 everywhere else; plain bytes on
// other processors.
namespace dict::bytescan {

enum class Level {
    Portable, // plain C++, sixteen bytes at a time
    Sse2,
    Avx2,   // with the bit counting and bit clearing instructions that came with it
    Avx512, // byte and word instructions and byte compression (BW, VBMI2)
};

// The widest level this processor runs, found once.
Level supportedLevel() noexcept;
// The level the passes use: the supported one, unless restrictLevel() lowered it.
Level activeLevel() noexcept;
// Runs the passes at `level` at most from now on, so that tests and the fuzzer check the
// narrower ones on a wide processor too. Not meant to be called while a pass runs.
void restrictLevel(Level level) noexcept;

// The first offset at or after `from` where `needle` occurs in `text`; npos when it does not
// or when the needle is empty.
std::size_t find(std::string_view text, std::size_t from, std::string_view needle) noexcept;

// The first offset at or after `from` (and at least 1) where a blank or a tab is followed by
// the lower-case letter `letter` in either case; npos when there is none.
std::size_t findCodeStart(std::string_view text, std::size_t from, unsigned char letter) noexcept;

// Where a pass over a text's line ends stands between calls.
struct LineEndScan {
    std::size_t pos = 0;     // the next byte to look at, a multiple of 64
    bool afterCr = false;    // the byte before `pos` is a CR
    bool done = false;       // the text's end was reached
    std::size_t textEnd = 0; // once done: the offset of the first NUL
};

// The room collectLineEnds() needs at `out` to go on.
inline constexpr std::size_t LineEndsPerStep = 64;

// Writes the offsets of the line ends of data[0..size) from `scan.pos` on to `out`, in
// rising order, until the text ends or fewer than LineEndsPerStep entries are left before
// `limit`; returns the new end of the output. data[size] must be a NUL: the text ends at the
// first NUL. Every CR and LF ends a line, except an LF right after a CR: the pair is one end.
std::uint32_t* collectLineEnds(const char* data, std::size_t size, LineEndScan& scan,
                               std::uint32_t* out, const std::uint32_t* limit) noexcept;

} // namespace dict::bytescan
