#pragma once

namespace dict {

// What a look-up says instead of a line, in the window and in the terminal alike: no line of
// the table holds the text, or the text has a character that GBK cannot hold, so that no
// GBK table can hold it either.
inline constexpr const char* NotFoundText = "未找到";
inline constexpr const char* NotInGbkText = "不在GBK字符集中";

} // namespace dict
