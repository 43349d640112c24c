// Splitting and look-up on arbitrary bytes, checked against plain reference versions:
//   byte 0        needle length (mod 8)
//   bytes 1..k    the needle
//   the rest      a table file's bytes

#include "CodeSearch.h"
#include "CodeTable.h"
#include "Lookup.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what) {
    if (!ok) fail(what);
}

bool isTerminator(char c) {
    return c == '\n' || c == '\r' || c == '\0';
}

// Lines as a file's are split, written the plain way.
std::vector<std::string_view> referenceSplit(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < bytes.size() && bytes[pos] != '\0') {
        const std::size_t begin = pos;
        while (pos < bytes.size() && !isTerminator(bytes[pos]))
            ++pos;
        lines.push_back(bytes.substr(begin, pos - begin));
        if (pos < bytes.size() && bytes[pos] == '\r') ++pos;
        if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
    }
    return lines;
}

// Does `needle` start at a character boundary of `line`? Boundaries walked from scratch.
bool containsAtBoundary(std::string_view line, std::string_view needle) {
    std::size_t pos = 0;
    while (pos < line.size()) {
        if (line.substr(pos).starts_with(needle)) return true;
        const auto lead = static_cast<unsigned char>(line[pos]);
        std::size_t length = 1;
        if (lead >= 0x81 && lead <= 0xFE && pos + 1 < line.size()) {
            const auto trail = static_cast<unsigned char>(line[pos + 1]);
            if ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFE)) length = 2;
        }
        pos += length;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t needleLength = std::min<std::size_t>(data[0] % 8, size - 1);
    const std::string_view needle = input.substr(1, needleLength);
    const std::string_view bytes = input.substr(1 + needleLength);

    dict::CodeTable table;
    table.assign(bytes);

    // Splitting: the same lines as the plain version, in file order, each a view into the
    // table's one text at the offsets it reports, none holding a terminator or NUL.
    const std::vector<std::string_view> expected = referenceSplit(bytes);
    check(table.count() == expected.size(), "line count");
    const std::string_view text = table.text();
    std::size_t previousEnd = 0;
    for (std::size_t i = 0; i < table.count(); ++i) {
        const std::string_view line = table.line(static_cast<std::ptrdiff_t>(i));
        check(line == expected[i], "line bytes");
        for (const char c : line)
            check(!isTerminator(c), "terminator inside a line");
        check(table.lineBegin(i) >= previousEnd, "file order");
        check(i == 0 || table.lineBegin(i) > previousEnd, "lines separated by a terminator");
        check(table.lineEnd(i) - table.lineBegin(i) == line.size(), "offsets span the line");
        check(table.lineEnd(i) <= text.size(), "line inside the text");
        check(line.data() == text.data() + table.lineBegin(i), "line is a view of the text");
        check(text.substr(table.lineBegin(i), line.size()) ==
                  bytes.substr(table.lineBegin(i), line.size()),
              "text holds the file's bytes at the line's offset");
        previousEnd = table.lineEnd(i);
    }
    check(text.size() == previousEnd, "text ends with the last line");
    try {
        (void)table.line(static_cast<std::ptrdiff_t>(table.count()));
        fail("index past the end accepted");
    } catch (const dict::TableError&) {
    }

    // Look-up: the first line that holds the needle at a character boundary, and no other.
    std::optional<std::size_t> first;
    if (!needle.empty())
        for (std::size_t i = 0; i < expected.size() && !first; ++i)
            if (containsAtBoundary(expected[i], needle)) first = i;
    check(dict::findFirstLine(table, needle) == first, "first line holding the needle");

    // By code: exactly the lines with a code that meets the needle, in table order.
    const auto lower = [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    for (const dict::CodeMatch match : {dict::CodeMatch::Exact, dict::CodeMatch::Prefix}) {
        const auto meets = [&](std::string_view code) {
            if (code.size() < needle.size()) return false;
            if (match == dict::CodeMatch::Exact && code.size() != needle.size()) return false;
            return std::equal(needle.begin(), needle.end(), code.begin(),
                              [&](char n, char c) { return lower(n) == lower(c); });
        };
        std::vector<std::size_t> lines;
        if (!needle.empty())
            for (std::size_t i = 0; i < expected.size(); ++i) {
                const auto codes = dict::codesOfLine(expected[i]);
                if (std::any_of(codes.begin(), codes.end(), meets)) lines.push_back(i);
            }
        check(dict::findLinesByCode(table, needle, match) == lines, "lines found by code");
    }
    return 0;
}
