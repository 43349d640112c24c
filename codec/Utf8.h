#pragma once

#include <cstddef>
#include <string_view>

namespace utf8 {

// What editors may put before UTF-8 text to say that it is UTF-8; it is no part of the text.
inline constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// One character of UTF-8 text: its code point and its length in bytes. A byte that starts
// no well-formed sequence (overlong, surrogate, beyond U+10FFFF, cut off) counts as one
// character of its own that is not valid, so malformed bytes never hide the text behind them.
struct Char {
    char32_t code = 0;
    std::size_t length = 1;
    bool valid = false;
};

// The character that starts at byte `pos` of `text` (pos < text.size()).
constexpr Char charAt(std::string_view text, std::size_t pos) noexcept {
    const auto byte = [&](std::size_t i) -> unsigned {
        return pos + i < text.size() ? static_cast<unsigned char>(text[pos + i]) : 0;
    };
    const unsigned lead = byte(0);
    if (lead < 0x80) return {static_cast<char32_t>(lead), 1, true};
    std::size_t length = 0;
    char32_t code = 0;
    // The range the second byte must lie in: it rules out overlong forms, surrogates and
    // code points past U+10FFFF.
    unsigned low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned next = byte(i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return {};
        code = (code << 6) | (next & 0x3F);
    }
    return {code, length, true};
}

// Whether `accept` takes every character of `text`, each malformed byte one of its own.
template <class Accept> constexpr bool allCharacters(std::string_view text, Accept accept) {
    for (std::size_t pos = 0; pos < text.size();) {
        const Char c = charAt(text, pos);
        if (!accept(c)) return false;
        pos += c.length;
    }
    return true;
}

// Whether every byte of `text` belongs to a well-formed character.
constexpr bool isWellFormed(std::string_view text) noexcept {
    return allCharacters(text, [](const Char& c) { return c.valid; });
}

// Where to cut `text` at byte `pos` (< text.size()) without splitting a character: back at
// the start of the one that byte continues, at most three bytes back.
constexpr std::size_t characterStart(std::string_view text, std::size_t pos) noexcept {
    for (int back = 0;
         back < 3 && pos > 0 && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80; ++back)
        --pos;
    return pos;
}

} // namespace utf8
