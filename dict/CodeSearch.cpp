#include "CodeSearch.h"

#include "ByteScan.h"
#include "Lookup.h"
#include "Quick.h"

#include <algorithm>
#include <string>

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

std::string inLowerCase(std::string_view code) {
    std::string lower(code);
    std::transform(lower.begin(), lower.end(), lower.begin(), lowered);
    return lower;
}

constexpr bool isQuick(CodeMatch match) noexcept {
    return match == CodeMatch::QuickExact || match == CodeMatch::QuickPrefix;
}

// Does the table's code `candidate` meet the searched code `wanted` (lower case letters)?
bool meets(std::string_view candidate, std::string_view wanted, CodeMatch match) {
    std::string quick; // at most two letters: no allocation
    if (isQuick(match)) {
        quick = quickCode(candidate);
        candidate = quick;
    }
    if (candidate.size() < wanted.size()) return false;
    if ((match == CodeMatch::Exact || match == CodeMatch::QuickExact) &&
        candidate.size() != wanted.size())
        return false;
    return std::equal(wanted.begin(), wanted.end(), candidate.begin(),
                      [](char w, char c) { return w == lowered(c); });
}

constexpr bool isBlank(char c) noexcept {
    return c == ' ' || c == '\t';
}

// Fills `codes` with the codes of `line` (see codesOfLine); false, and no codes, for a line
// of another form. One pass over the bytes, and one vector serves a whole table.
bool readCodes(std::string_view line, TextEncoding encoding, std::vector<std::string_view>& codes) {
    codes.clear();
    const std::size_t size = line.size();
    std::size_t pos = 0;
    for (std::size_t field = 0;; ++field) {
        while (pos < size && isBlank(line[pos]))
            ++pos;
        if (pos == size) return true;
        const std::size_t begin = pos;
        if (field == 0) {
            // One character; a blank cannot hide inside it, since no GBK trail byte and no
            // byte of a UTF-8 sequence is one.
            pos += charLength(encoding, line, pos);
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

std::vector<std::string_view> codesOfLine(std::string_view line, TextEncoding encoding) {
    std::vector<std::string_view> codes;
    readCodes(line, encoding, codes);
    return codes;
}

std::vector<std::size_t> findLinesByCode(const CodeTable& table, std::string_view code,
                                         CodeMatch match) {
    std::vector<std::size_t> found;
    if (!allLetters(code)) return found;
    const std::string wanted = inLowerCase(code);

    // Every code follows a blank, so only lines with a blank before the code's first letter
    // (which is also its Quick form's first letter) are read field by field: one cheap pass over
    // the text instead of parsing every line.
    const std::string_view text = table.text();
    const auto first = static_cast<unsigned char>(wanted[0]);
    std::vector<std::string_view> codes;
    for (std::size_t pos = bytescan::findCodeStart(text, 1, first); pos < text.size();) {
        const std::size_t index = table.lineAt(pos);
        if (index >= table.count()) break; // cannot happen: a letter lies inside a line
        const std::string_view line = table.line(static_cast<std::ptrdiff_t>(index));
        readCodes(line, table.encoding(), codes);
        if (std::any_of(codes.begin(), codes.end(),
                        [&](std::string_view c) { return meets(c, wanted, match); }))
            found.push_back(index);
        const auto lineEnd = static_cast<std::size_t>(line.data() + line.size() - text.data());
        pos = bytescan::findCodeStart(text, lineEnd + 1, first);
    }
    return found;
}

CodeIndex::CodeIndex(const CodeTable& table, bool quick) {
    std::vector<std::string_view> codes;
    for (std::size_t index = 0; index < table.count(); ++index) {
        readCodes(table.line(static_cast<std::ptrdiff_t>(index)), table.encoding(), codes);
        for (const std::string_view code : codes)
            m_codes.push_back({inLowerCase(quick ? quickCode(code) : std::string(code)), index});
    }
    std::sort(m_codes.begin(), m_codes.end());
}

std::vector<std::size_t> CodeIndex::findLines(std::string_view code, bool prefix) const {
    std::vector<std::size_t> found;
    if (!allLetters(code)) return found;
    const std::string wanted = inLowerCase(code);
    // The codes that start with the wanted one follow it in sorted order, itself first.
    for (auto entry = std::lower_bound(m_codes.begin(), m_codes.end(), Entry{wanted, 0});
         entry != m_codes.end() &&
         (prefix ? entry->code.starts_with(wanted) : entry->code == wanted);
         ++entry)
        found.push_back(entry->line);
    // A line meeting it with several codes counts once, and the lines come in table order.
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

} // namespace dict
