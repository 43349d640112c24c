#include "FirstLineIndex.h"

#include "Lookup.h"

namespace dict {

namespace {

// A number for each character: the byte, or the two bytes as one number, of GBK; the code
// point of UTF-8.
constexpr std::size_t GbkKeys = 0x10000;
constexpr std::size_t Utf8Keys = 0x110000;

std::size_t keyCount(TextEncoding encoding) {
    return encoding == TextEncoding::Gbk ? GbkKeys : Utf8Keys;
}

struct Character {
    std::size_t length;
    // Whether the index answers for it: a needle that is the start of a longer character
    // (a GBK lead byte alone, a UTF-8 sequence cut short) is found by a scan at the start
    // of every such character, which the index does not know as its own.
    bool whole;
    std::size_t key;
};

// The character at `pos` of `text` (pos < text.size()), read as findFirstLine reads it.
Character characterAt(TextEncoding encoding, std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    if (encoding == TextEncoding::Gbk) {
        const std::size_t length = gbkCharLength(text, pos);
        if (length == 2) return {2, true, std::size_t{byte(0)} << 8 | byte(1)};
        return {1, byte(0) < 0x81 || byte(0) == 0xFF, byte(0)};
    }
    const utf8::Char c = utf8::charAt(text, pos);
    return {c.length, c.valid, c.code};
}

} // namespace

FirstLineIndex::FirstLineIndex(const CodeTable& table)
    : m_table(&table), m_pages(keyCount(table.encoding()) / PageSize) {
    // Lines hold no CR, LF or NUL, and no character runs over a terminator (no GBK trail
    // byte and no UTF-8 continuation byte is one), so the text is walked in one go: each
    // terminator starts the next line, a CR LF pair counting as one. A table holds at most
    // MaxBytes lines, so their numbers fit.
    const std::string_view text = table.text();
    std::uint32_t line = 1;
    for (std::size_t pos = 0; pos < text.size();) {
        const char c = text[pos];
        if (c == '\r' || c == '\n') {
            ++line;
            pos += c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
            continue;
        }
        const Character character = characterAt(table.encoding(), text, pos);
        pos += character.length;
        if (!character.whole) continue;
        auto& page = m_pages[character.key / PageSize];
        if (!page) page = std::make_unique<std::uint32_t[]>(PageSize);
        std::uint32_t& slot = page[character.key % PageSize];
        if (slot == 0) slot = line;
    }
}

std::optional<std::size_t> FirstLineIndex::findFirstLine(std::string_view text) const {
    if (text.empty()) return std::nullopt;
    const Character character = characterAt(m_table->encoding(), text, 0);
    if (!character.whole || character.length != text.size())
        return dict::findFirstLine(*m_table, text);
    const auto& page = m_pages[character.key / PageSize];
    const std::uint32_t slot = page ? page[character.key % PageSize] : 0;
    if (slot == 0) return std::nullopt;
    return slot - 1;
}

} // namespace dict
