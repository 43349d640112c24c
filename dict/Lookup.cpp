#include "Lookup.h"

#include "ByteScan.h"

namespace dict {

std::optional<std::size_t> findFirstLine(const CodeTable& table, std::string_view needle) {
    // Lines hold no terminator or NUL, so a needle with one of them is in none.
    if (needle.empty() || needle.find_first_of(std::string_view("\0\n\r", 3)) != needle.npos)
        return std::nullopt;

    // One pass over the whole text rather than a search per line: a hit cannot span two
    // lines (the needle holds no terminator), so its line is found from its offset.
    const std::string_view text = table.text();

    // Where the character walk of the current line stands: always on a boundary, and only
    // ever moving forward, so a line full of false hits is still walked once.
    std::size_t walkLine = table.count();
    std::size_t walkPos = 0;
    std::size_t walkEnd = 0; // where the current line ends

    for (std::size_t hit = bytescan::find(text, 0, needle); hit != text.npos;
         hit = bytescan::find(text, hit + 1, needle)) {
        // Hits come in rising order: one in the line of the last needs no search for it.
        if (walkLine == table.count() || hit >= walkEnd) {
            walkLine = table.lineAt(hit);
            if (walkLine == table.count()) continue; // cannot happen: no terminator in a hit
            walkPos = table.lineBegin(walkLine);
            walkEnd = table.lineEnd(walkLine);
        }
        const std::string_view line = text.substr(0, walkEnd);
        while (walkPos < hit)
            walkPos += charLength(table.encoding(), line, walkPos);
        if (walkPos == hit) return walkLine;
        // The hit starts on the trail byte of a character: look further on.
    }
    return std::nullopt;
}

} // namespace dict
