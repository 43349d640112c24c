#include "Quick.h"

#include "CodeSearch.h"
#include "Lookup.h"

#include <algorithm>
#include <vector>

namespace dict {

std::string quickCode(std::string_view code) {
    if (code.size() <= 2) return std::string(code);
    return {code.front(), code.back()};
}

std::string quickLine(std::string_view line) {
    const std::vector<std::string_view> codes = codesOfLine(line, TextEncoding::Utf8);
    if (codes.empty()) return std::string(line);
    // The character is the first field; codesOfLine has found the line to have that form.
    const std::size_t begin = line.find_first_not_of(" \t");
    std::string quick(line.substr(begin, charLength(TextEncoding::Utf8, line, begin)));
    std::vector<std::string> seen;
    for (const std::string_view code : codes) {
        std::string keys = quickCode(code);
        for (char& key : keys)
            key = static_cast<char>(key | 0x20); // codes are letters: this lowers them
        if (std::find(seen.begin(), seen.end(), keys) != seen.end()) continue;
        quick += ' ';
        quick += keys;
        quick += ' ';
        for (const char key : keys)
            quick += KeyRadicals[static_cast<std::size_t>(key - 'a')];
        seen.push_back(std::move(keys));
    }
    return quick;
}

} // namespace dict
