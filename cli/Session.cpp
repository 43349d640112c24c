#include "Session.h"

#include "Answers.h"
#include "CodeSearch.h"
#include "GbkCodec.h"
#include "Lookup.h"
#include "Quick.h"
#include "SelectionText.h"
#include "Tables.h"
#include "Utf8.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace cli {

namespace {

constexpr std::size_t CodePoints = 0x110000;

// What is kept of one character's answer at most.
constexpr std::size_t MaxRememberedBytes = 4096;

} // namespace

void Session::Free::operator()(std::uint64_t* slots) const noexcept {
    std::free(slots);
}

Session::Session(const Options& options, Output& out) : m_options(options), m_out(out) {
    const std::filesystem::path folder = tablesFolder(options);
    // Only the tables asked for are read, each once, Cangjie 5 first.
    if (options.tables != TableChoice::Cj3) m_tables.emplace_back(loadTable(folder, Version::Cj5));
    if (options.tables != TableChoice::Cj5) m_tables.emplace_back(loadTable(folder, Version::Cj3));
}

void Session::answer(std::string_view query) {
    switch (m_options.direction) {
    case Direction::Text:
        if (m_options.each)
            lookUpEach(query);
        else
            lookUpText(query);
        break;
    case Direction::Code:
        lookUpCode(query, false);
        break;
    case Direction::CodePrefix:
        lookUpCode(query, true);
        break;
    }
}

void Session::lookUpText(std::string_view text) {
    // Bytes that are no UTF-8 are the text of no line, though they may begin a character of
    // one (a lead byte alone would find the first line with such a character).
    if (!utf8::isWellFormed(text)) return miss(dict::NotFoundText, text);
    bool outsideGbk = false;
    for (Table& table : m_tables) {
        const auto needle = needleFor(table, text);
        if (!needle) {
            outsideGbk = true;
        } else if (const auto index = firstLine(table, *needle)) {
            m_out.line(shownLine(table, *index));
        } else {
            miss(dict::NotFoundText, text);
        }
    }
    // Said once, however many GBK tables cannot hold the text.
    if (outsideGbk) miss(dict::NotInGbkText, text);
}

void Session::lookUpEach(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        if (m_printedAt) {
            pos = printKept(text, pos);
            if (pos == text.size()) break;
        }
        const utf8::Char c = utf8::charAt(text, pos);
        const std::string_view character = text.substr(pos, c.length);
        pos += c.length;
        if (isBlankCharacter(c)) continue;
        if (m_printedAt && c.valid)
            lookUpCharacter(c.code, character);
        else
            lookUpText(character);
    }
}

std::size_t Session::printKept(std::string_view text, std::size_t pos) {
    // Sixteen characters at a time: the places of their answers are asked of memory
    // together, then their answers, so that the waits for memory overlap rather than come
    // one after another (the kept answers are far larger than the processor's caches).
    constexpr std::size_t Batch = 16;
    while (pos < text.size()) {
        utf8::Char batch[Batch];
        std::size_t count = 0;
        for (std::size_t p = pos; count < Batch && p < text.size(); ++count) {
            batch[count] = utf8::charAt(text, p);
            if (!batch[count].valid) break;
            __builtin_prefetch(&m_printedAt[batch[count].code]);
            p += batch[count].length;
        }
        std::uint64_t at[Batch];
        std::size_t kept = 0;
        for (; kept < count; ++kept) {
            if (isBlankCharacter(batch[kept])) continue;
            at[kept] = m_printedAt[batch[kept].code];
            if (at[kept] == 0) break;
            __builtin_prefetch(m_printed.data() + (at[kept] >> 32));
        }
        for (std::size_t i = 0; i < kept; ++i) {
            pos += batch[i].length;
            if (!isBlankCharacter(batch[i]))
                m_out.write(std::string_view(m_printed).substr(at[i] >> 32, at[i] & 0xFFFFFFFF));
        }
        // A character not answered yet, bytes that are none, or the end.
        if (kept < Batch) return pos;
    }
    return pos;
}

void Session::lookUpCharacter(char32_t code, std::string_view character) {
    std::uint64_t& at = m_printedAt[code];
    if (at == 0) {
        std::string printed;
        for (Table& table : m_tables) {
            const auto needle = needleFor(table, character);
            const auto index = needle ? firstLine(table, *needle) : std::nullopt;
            // A character that some table does not answer is noted each time it comes.
            if (!index) return lookUpText(character);
            printed += shownLine(table, *index);
            printed += '\n';
        }
        // Real lines are short; a table of huge lines is printed afresh rather than held.
        if (printed.size() > MaxRememberedBytes ||
            m_printed.size() + printed.size() > dict::CodeTable::MaxBytes)
            return m_out.write(printed);
        at = std::uint64_t{m_printed.size()} << 32 | printed.size();
        m_printed += printed;
    }
    m_out.write(std::string_view(m_printed).substr(at >> 32, at & 0xFFFFFFFF));
}

void Session::lookUpCode(std::string_view code, bool prefix) {
    using dict::CodeMatch;
    const CodeMatch match = m_options.quick
                                ? (prefix ? CodeMatch::QuickPrefix : CodeMatch::QuickExact)
                                : (prefix ? CodeMatch::Prefix : CodeMatch::Exact);
    for (Table& table : m_tables) {
        if (!table.codes && std::exchange(table.codeScanned, true))
            table.codes.emplace(table.lines, m_options.quick);
        const std::vector<std::size_t> lines =
            table.codes ? table.codes->findLines(code, prefix)
                        : dict::findLinesByCode(table.lines, code, match);
        if (lines.empty()) miss(dict::NotFoundText, code);
        for (const std::size_t index : lines)
            m_out.line(shownLine(table, index));
    }
}

std::optional<std::string_view> Session::needleFor(const Table& table, std::string_view text) {
    if (table.lines.encoding() == dict::TextEncoding::Utf8) return text;
    auto bytes = gbk::encode(text);
    if (!bytes) return std::nullopt;
    m_needle = std::move(*bytes);
    return m_needle;
}

std::optional<std::size_t> Session::firstLine(Table& table, std::string_view needle) {
    if (table.index) return table.index->findFirstLine(needle);
    const auto found = dict::findFirstLine(table.lines, needle);
    const std::size_t size = table.lines.text().size();
    // A scan stops at its line: it read up to there, or everything when it found none.
    table.scanned += found ? table.lines.lineEnd(*found) : size;
    if (table.scanned >= size) {
        table.index.emplace(table.lines);
        if (std::all_of(m_tables.begin(), m_tables.end(),
                        [](const Table& t) { return t.index.has_value(); })) {
            m_printedAt.reset(
                static_cast<std::uint64_t*>(std::calloc(CodePoints, sizeof(std::uint64_t))));
            if (!m_printedAt) throw std::bad_alloc();
        }
    }
    return found;
}

std::string_view Session::shownLine(const Table& table, std::size_t index) {
    const std::string_view line = table.lines.line(static_cast<std::ptrdiff_t>(index));
    const bool gbk = table.lines.encoding() == dict::TextEncoding::Gbk;
    if (!gbk && !m_options.quick) return line;
    m_shown = gbk ? gbk::decode(line) : std::string(line);
    if (m_options.quick) m_shown = dict::quickLine(m_shown);
    return m_shown;
}

void Session::miss(const char* what, std::string_view query) {
    m_missed = true;
    m_out.note(std::string(what) + ": " + std::string(query));
}

} // namespace cli
