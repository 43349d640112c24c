#pragma once

#include "CodeTable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

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
    struct Free {
        void operator()(std::uint32_t* slots) const noexcept;
    };

    const CodeTable* m_table;
    // By character, one more than the index of its first line; 0 for a character in none.
    // A slot for every character the encoding has, most of them never touched: the memory
    // is zeroed by the system page by page as it is first written.
    std::unique_ptr<std::uint32_t[], Free> m_firstLine;
};

} // namespace dict
