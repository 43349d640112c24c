#pragma once

namespace dict {

// The code tables' file names, as the generator writes them and the programs look for them:
// for each Cangjie version, the table of the characters GBK can hold, in GBK, which the
// window reads at start-up, and the table of every character the data has, in UTF-8.
inline constexpr const char* Cj5FileName = "cj5.m";
inline constexpr const char* Cj3FileName = "cj3.m";
inline constexpr const char* Cj5Utf8FileName = "cj5-utf8.m";
inline constexpr const char* Cj3Utf8FileName = "cj3-utf8.m";

} // namespace dict
