#include "Lookup.h"

#include <cstring>

namespace dict {

std::optional<std::size_t> findFirstLine(const CodeTable& table, std::string_view needle) {
    // Lines hold no terminator or NUL, so a needle with one of them is in none.
    if (needle.empty() || needle.find_first_of(std::string_view("\0\n\r", 3)) != needle.npos)
        return std::nullopt;

    // One pass over the whole text rather than a search per line: a hit cannot span two
    // lines (the needle holds no terminator), so its line is found from its offset.
    const std::string_view text = table.text();
    const char* const base = text.data();

    // Where the character walk of the current line stands: always on a boundary, and only
    // ever moving forward, so a line full of false hits is still walked once.
    std::size_t walkLine = table.count();
    std::size_t walkPos = 0;

    std::size_t from = 0;
    while (from + needle.size() <= text.size()) {
        const void* found = ::memmem(base + from, text.size() - from, needle.data(), needle.size());
        if (!found) break;
        const auto hit = static_cast<std::size_t>(static_cast<const char*>(found) - base);

        const std::size_t index = table.lineAt(hit);
        if (index == table.count()) { // cannot happen: the needle holds no terminator
            from = hit + 1;
            continue;
        }
        if (index != walkLine) {
            walkLine = index;
            walkPos = table.lineBegin(index);
        }
        const std::string_view line = text.substr(0, table.lineEnd(index));
        while (walkPos < hit)
            walkPos += gbkCharLength(line, walkPos);
        if (walkPos == hit) return index;

        // The hit starts on the trail byte of a character: look further on.
        from = hit + 1;
    }
    return std::nullopt;
}

} // namespace dict
