#pragma once

#include "CodeTable.h"

#include <optional>
#include <string>
#include <string_view>

namespace dict {

// What a look-up in a LazyTable found.
struct LazyAnswer {
    enum class Kind {
        Line,     // `line` is the first line that holds the text
        NotFound, // no line holds it
        NoTable,  // there is no file at the table's path
        Broken,   // the file is there but cannot be read: `message` says why
    };
    Kind kind = Kind::NotFound;
    std::string_view line; // a view into the table, valid while the LazyTable lives
    std::string message;
};

// A table read at the first look-up that needs it rather than at start-up: the tables of
// every character are several times the size of the GBK ones, and only text GBK cannot hold
// asks them. Once read, it stays; a file that is missing or cannot be read is looked for
// again at the next look-up.
class LazyTable {
public:
    LazyTable(std::string path, TextEncoding encoding)
        : m_path(std::move(path)), m_encoding(encoding) {}

    // The first line that holds `needle` (see findFirstLine), reading the table first if it
    // has not been read yet.
    LazyAnswer findFirstLine(std::string_view needle);

    bool isLoaded() const noexcept { return m_table.has_value(); }

private:
    std::string m_path;
    TextEncoding m_encoding;
    std::optional<CodeTable> m_table;
};

} // namespace dict
