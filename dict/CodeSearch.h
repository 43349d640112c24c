#pragma once

#include "CodeTable.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dict {

// How a searched code has to meet one of a line's codes.
enum class CodeMatch {
    Exact,       // the line's code is the searched code
    Prefix,      // the line's code starts with the searched code
    QuickExact,  // the line's code in its Quick form (quickCode) is the searched code
    QuickPrefix, // the line's code in its Quick form starts with the searched code
};

// The codes of one table line, read as the tables are written: the character, then for each
// of its codes a blank, the code in letters, a blank and the code's key radicals
// ("字 jnd 十弓木" holds the code "jnd"). Runs of blanks and tabs count as one blank. A line
// of any other form (no single character first, a code with something other than letters)
// holds no codes. The codes are views into `line`, whose character is read in `encoding`.
std::vector<std::string_view> codesOfLine(std::string_view line,
                                          TextEncoding encoding = TextEncoding::Gbk);

// The indexes of the lines of `table` with a code that meets `code`, in table order. Letters
// compare without regard to case; an empty code, or one with anything but the letters a to
// z, meets none.
std::vector<std::size_t> findLinesByCode(const CodeTable& table, std::string_view code,
                                         CodeMatch match);

// Every code of every line of a table, sorted: what findLinesByCode answers, found by a
// binary search rather than a pass over the whole table. Worth its building once many codes
// are asked (a list of them on standard input, say).
class CodeIndex {
public:
    // Reads the codes of every line of `table` (which need not outlive the index), in their
    // Quick form when `quick`.
    CodeIndex(const CodeTable& table, bool quick);

    // What findLinesByCode answers for `code` matched exactly or as a prefix, as Quick codes
    // in a Quick index.
    std::vector<std::size_t> findLines(std::string_view code, bool prefix) const;

private:
    struct Entry {
        std::string code; // in lower case
        std::size_t line;
        friend auto operator<=>(const Entry&, const Entry&) = default;
    };
    std::vector<Entry> m_codes;
};

} // namespace dict
