#pragma once

#include "CodeSearch.h"
#include "CodeTable.h"
#include "FirstLineIndex.h"
#include "Options.h"
#include "Output.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cli {

enum ExitStatus : int { Found = 0, SomeNotFound = 1, Trouble = 2 };

// One run's tables and its answers: each query's lines go to the output, what is not found
// is noted there.
class Session {
public:
    // Reads the tables the options ask for; throws dict::TableError when one cannot be read.
    Session(const Options& options, Output& out);

    void answer(std::string_view query);

    ExitStatus status() const { return m_missed ? SomeNotFound : Found; }

private:
    struct Table {
        explicit Table(dict::CodeTable t) : lines(std::move(t)) {}

        dict::CodeTable lines;
        // Built once the scans have read as much as the whole table: one query alone stays
        // a scan, a whole text is answered character by character from the index.
        std::optional<dict::FirstLineIndex> index;
        std::size_t scanned = 0;
        // Built for a second code: each scan for one reads the whole table.
        std::optional<dict::CodeIndex> codes;
        bool codeScanned = false;
    };

    struct Free {
        void operator()(std::uint64_t* slots) const noexcept;
    };

    void lookUpText(std::string_view text);
    void lookUpEach(std::string_view text);
    // Prints the kept answers of the characters of `text` from `pos` on, up to the first
    // that has none (or is no valid character); returns where that one starts, or the end.
    std::size_t printKept(std::string_view text, std::size_t pos);
    void lookUpCharacter(char32_t code, std::string_view character);
    void lookUpCode(std::string_view code, bool prefix);

    // `text` in the encoding of `table`'s lines; nothing when GBK cannot hold it.
    std::optional<std::string_view> needleFor(const Table& table, std::string_view text);
    std::optional<std::size_t> firstLine(Table& table, std::string_view needle);
    // Line `index` of `table` as printed: in UTF-8, with Quick codes when asked for.
    std::string_view shownLine(const Table& table, std::size_t index);
    void miss(const char* what, std::string_view query);

    const Options& m_options;
    Output& m_out;
    std::vector<Table> m_tables;
    // Once every table has its index, what was printed for each character found in all of
    // them, made once: printing the lines again costs less than finding, decoding and
    // cutting them. By code point, the place in `m_printed` and the length; 0 for a
    // character not printed yet.
    std::unique_ptr<std::uint64_t[], Free> m_printedAt;
    std::string m_printed;
    std::string m_needle;
    std::string m_shown;
    bool m_missed = false;
};

} // namespace cli
