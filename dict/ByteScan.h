#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The byte-parallel passes over a table's text: cutting it into lines, finding a needle and
// finding where a code starts. Each is written once, over registers of 16 to 64 bytes, and
// runs with the widest instructions the processor and the system offer: on x86-64 AVX-512
// or AVX2 where they are, SSE2 everywhere else; plain bytes on other processors.
namespace dict::bytescan {

enum class Level {
    Portable, // plain C++, sixteen bytes at a time
    Sse2,
    Avx2,   // with the bit counting and bit clearing instructions that came with it
    Avx512, // with its byte and word instructions (BW)
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

// How many 64-bit masks markLineEnds() may write for `size` bytes of data: one a block of 64
// bytes, the last block counted even when it is empty.
constexpr std::size_t lineEndBlocks(std::size_t size) noexcept {
    return size / 64 + 1;
}

// Marks the line ends of data[0..size): masks[k] gets bit b set when byte 64 * k + b ends a
// line, and ranks[k] how many line ends the blocks before block k hold; returns where the
// text ends. data[size] must be a NUL: the text ends at the first NUL, and the masks and
// ranks stop with its block (ranks[k + 1] then counts every line end). masks needs room for
// lineEndBlocks(size) entries, ranks for one more. Every CR and LF ends a line, except an LF
// right after a CR: the pair is one end.
std::size_t markLineEnds(const char* data, std::size_t size, std::uint64_t* masks,
                         std::uint32_t* ranks) noexcept;

} // namespace dict::bytescan
