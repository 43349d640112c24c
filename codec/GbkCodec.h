#pragma once

#include <optional>
#include <string>
#include <string_view>

// The crossing between UTF-8 text and the GBK bytes of the code tables.
namespace gbk {

// The GBK bytes of UTF-8 `text`, or nothing when any character of it has no GBK form (or
// the text is not valid UTF-8): a substitute byte would make a query find some other
// character's line.
std::optional<std::string> encode(std::string_view text);

// The UTF-8 text of GBK `bytes`; every byte that does not start a valid character, and a
// character cut off at the end, becomes U+FFFD. Never fails.
std::string decode(std::string_view bytes);

// True when UTF-8 `text` encodes to GBK and decodes back to exactly the same text, so that
// what a table line shows is what was put into it.
bool roundTrips(std::string_view text);

} // namespace gbk

namespace codec {

// The UTF-8 form of `text` in `encoding` (any the C library's iconv knows, such as a
// locale's), or nothing when it is not text in that encoding.
std::optional<std::string> toUtf8(std::string_view text, const char* encoding);

} // namespace codec
