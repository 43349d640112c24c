#include "CodeSearch.h"

#include "Lookup.h"

#include <algorithm>
#include <bit>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dict {

namespace {

constexpr char lowered(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool isLetter(char c) noexcept {
    return lowered(c) >= 'a' && lowered(c) <= 'z';
}

bool allLetters(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), isLetter);
}

// Does the table's code `candidate` meet the searched code `wanted` (lower case letters)?
bool meets(std::string_view candidate, std::string_view wanted, CodeMatch match) {
    if (candidate.size() < wanted.size()) return false;
    if (match == CodeMatch::Exact && candidate.size() != wanted.size()) return false;
    return std::equal(wanted.begin(), wanted.end(), candidate.begin(),
                      [](char w, char c) { return w == lowered(c); });
}

constexpr bool isBlank(char c) noexcept {
    return c == ' ' || c == '\t';
}

// The first offset from `from` on (at least 1) where a blank or tab is followed by the
// lower-case letter `first` in either case, or text.size(). Setting bit 5 lowers a letter
// and turns no other byte into a lower-case letter.
std::size_t nextCodeStart(std::string_view text, std::size_t from, unsigned char first) {
    std::size_t pos = std::max<std::size_t>(from, 1);
#if defined(__SSE2__)
    // Sixteen bytes at a time: a table has a blank every few bytes, too many for memchr.
    const __m128i caseBit = _mm_set1_epi8(0x20);
    const __m128i letter = _mm_set1_epi8(static_cast<char>(first));
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    for (; pos + 16 <= text.size(); pos += 16) {
        const char* bytes = text.data() + pos;
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes - 1));
        const __m128i hits =
            _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(here, caseBit), letter),
                          _mm_or_si128(_mm_cmpeq_epi8(before, blank), _mm_cmpeq_epi8(before, tab)));
        if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits)))
            return pos + static_cast<std::size_t>(std::countr_zero(mask));
    }
#endif
    for (; pos < text.size(); ++pos)
        if ((static_cast<unsigned char>(text[pos]) | 0x20) == first && isBlank(text[pos - 1]))
            return pos;
    return text.size();
}

// Fills `codes` with the codes of `line` (see codesOfLine); false, and no codes, for a line
// of another form. One pass over the bytes, and one vector serves a whole table.
bool readCodes(std::string_view line, std::vector<std::string_view>& codes) {
    codes.clear();
    const std::size_t size = line.size();
    std::size_t pos = 0;
    for (std::size_t field = 0;; ++field) {
        while (pos < size && isBlank(line[pos]))
            ++pos;
        if (pos == size) return true;
        const std::size_t begin = pos;
        if (field == 0) {
            // One character; a blank cannot hide inside it, since no GBK trail byte is one.
            pos += gbkCharLength(line, pos);
        } else if (field % 2 == 1) {
            while (pos < size && isLetter(line[pos]))
                ++pos;
            if (pos > begin) codes.push_back(line.substr(begin, pos - begin));
        } else {
            while (pos < size && !isBlank(line[pos]))
                ++pos;
        }
        if (pos == begin || (pos < size && !isBlank(line[pos]))) {
            codes.clear();
            return false;
        }
    }
}

} // namespace

std::vector<std::string_view> codesOfLine(std::string_view line) {
    std::vector<std::string_view> codes;
    readCodes(line, codes);
    return codes;
}

std::vector<std::size_t> findLinesByCode(const CodeTable& table, std::string_view code,
                                         CodeMatch match) {
    std::vector<std::size_t> found;
    if (!allLetters(code)) return found;
    std::string wanted(code);
    std::transform(wanted.begin(), wanted.end(), wanted.begin(), lowered);

    // Every code follows a blank, so only lines with a blank before the code's first letter
    // are read field by field: one cheap pass over the text instead of parsing every line.
    const std::string_view text = table.text();
    const auto first = static_cast<unsigned char>(wanted[0]);
    std::vector<std::string_view> codes;
    for (std::size_t pos = nextCodeStart(text, 1, first); pos < text.size();) {
        const std::size_t index = table.lineAt(pos);
        if (index >= table.count()) break; // cannot happen: a letter lies inside a line
        readCodes(table.line(static_cast<std::ptrdiff_t>(index)), codes);
        if (std::any_of(codes.begin(), codes.end(),
                        [&](std::string_view c) { return meets(c, wanted, match); }))
            found.push_back(index);
        pos = nextCodeStart(text, table.lineEnd(index) + 1, first);
    }
    return found;
}

} // namespace dict
