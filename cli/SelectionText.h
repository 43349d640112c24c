#pragma once

#include "Utf8.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace cli {

// A selection may be a whole page; a look-up answers its first characters.
inline constexpr std::size_t MaxSelectedCharacters = 20;

// What separates the words of a text rather than being one (spaces, line ends and the other
// control characters, the ideographic space ...): it has no code to look up.
constexpr bool isBlank(char32_t code) noexcept {
    if (code <= 0x20 || code == 0x7F) return true;
    return code >= 0xA0 && (code == 0x00A0 || code == 0x200B || code == 0x2028 || code == 0x2029 ||
                            code == 0x3000 || code == 0xFEFF);
}

// A blank, well formed: no character to look up in a text.
constexpr bool isBlankCharacter(const utf8::Char& c) noexcept {
    return c.valid && isBlank(c.code);
}

struct SelectedCharacters {
    std::string text; // the characters looked up, in order, nothing between them
    bool cut = false; // the selection held more
};

// The characters of a selection that are looked up: blanks, line ends and other control
// characters skipped, at most MaxSelectedCharacters, each malformed byte as U+FFFD.
SelectedCharacters selectedCharacters(std::string_view selection);

// `text` as well-formed UTF-8, which the session bus insists on: each malformed byte U+FFFD.
std::string wellFormed(std::string_view text);

} // namespace cli
