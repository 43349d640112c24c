#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cli {

// A selection may be a whole page; a look-up answers its first characters.
inline constexpr std::size_t MaxSelectedCharacters = 20;

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
