#pragma once

#include <array>
#include <string>
#include <string_view>

namespace dict {

// The radical of each Cangjie key, a to z, in UTF-8.
inline constexpr std::array<std::string_view, 26> KeyRadicals = {
    "日", "月", "金", "木", "水", "火", "土", "竹", "戈", "十", "大", "中", "一",
    "弓", "人", "心", "手", "口", "尸", "廿", "山", "女", "田", "難", "卜", "重"};

// The Quick (速成) form of a Cangjie code: its first and last key, a code of one or two keys
// as it is ("jnd" gives "jd"). Letters are taken as they stand.
std::string quickCode(std::string_view code);

// A UTF-8 table line with its codes given as Quick codes, each followed by its keys'
// radicals, and a Quick code that several codes share given once:
// "梨 hnd 竹弓木 xhnd 難竹弓木" gives "梨 hd 竹木 xd 難木". A line that holds no codes (see
// codesOfLine) stays as it is.
std::string quickLine(std::string_view line);

} // namespace dict
