#pragma once

#include "CodeTable.h"
#include "Utf8.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace dict {

// The number of bytes of the GBK character that starts at `pos` of `text`: 2 for a lead
// byte 0x81-0xFE followed by a trail byte 0x40-0x7E or 0x80-0xFE, otherwise 1, so that
// malformed bytes never hide the text behind them.
constexpr std::size_t gbkCharLength(std::string_view text, std::size_t pos) noexcept {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x81 || lead == 0xFF || pos + 1 >= text.size()) return 1;
    const auto trail = static_cast<unsigned char>(text[pos + 1]);
    return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFE) ? 2 : 1;
}

// The number of bytes of the character that starts at `pos` of `text` in `encoding`. In
// UTF-8, a byte that starts no well-formed character is one of its own.
constexpr std::size_t charLength(TextEncoding encoding, std::string_view text,
                                 std::size_t pos) noexcept {
    return encoding == TextEncoding::Gbk ? gbkCharLength(text, pos)
                                         : utf8::charAt(text, pos).length;
}

// The index of the first line of `table` that contains `needle` byte for byte, starting at
// a character boundary of that line (in the table's encoding). No index for an empty needle, an
// empty table or when no line holds it.
std::optional<std::size_t> findFirstLine(const CodeTable& table, std::string_view needle);

} // namespace dict
