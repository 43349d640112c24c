#pragma once

#include "CodeTable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace dict {

// Each character's first line in a table: what findFirstLine answers for a text of one
// character, found by one pass over the whole table rather than a scan per question. Worth
// its building once many characters are asked one at a time (a whole text, say).
class FirstLineIndex {
public:
    // Reads every character of every line of `table`, which must outlive the index.
    explicit FirstLineIndex(const CodeTable& table);

    // What findFirstLine(table, text) answers: at once for one whole character, by a scan
    // of the table for any other text.
    std::optional<std::size_t> findFirstLine(std::string_view text) const;

private:
    static constexpr std::size_t PageSize = 256;

    const CodeTable* m_table;
    // By character, one more than the index of its first line; 0 for a character in none.
    // In pages of PageSize characters, each made when the table first holds one of them: a
    // table's characters lie in a few hundred of the thousands of pages Unicode has.
    std::vector<std::unique_ptr<std::uint32_t[]>> m_pages;
};

} // namespace dict
