// Writes the Cangjie 5 and Cangjie 3 code tables from the Cangjie database that Debian's
// libcangjie2-data ships:
//
//   zarvik-gentables <cangjie.db> <output folder>
//
// For each version two tables: cj5.m / cj3.m in GBK, the characters GBK can hold, and
// cj5-utf8.m / cj3-utf8.m in UTF-8, every character the data has. One line per character:
// the character, then for each of its codes in that version a blank, the code's letters, a
// blank and the code's key radicals, e.g. "字 jnd 十弓木". The 26 key characters come first,
// so that a search for any character still finds its own line first; the rest follow by
// frequency.

#include "CodeTable.h"
#include "FirstLineIndex.h"
#include "GbkCodec.h"
#include "Lookup.h"
#include "Quick.h"
#include "TableFiles.h"
#include "Utf8.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using dict::KeyRadicals;

// 難 (x) and 重 (z) are not typed as single keys; their lines follow the other 24.
constexpr std::array<char, 26> KeyCharacterOrder = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i',
                                                    'j', 'k', 'l', 'm', 'n', 'o', 'p', 'q', 'r',
                                                    's', 't', 'u', 'v', 'w', 'y', 'x', 'z'};

struct Character {
    std::string text; // UTF-8, as the database holds it
    std::vector<std::string> codes;
    long long frequency = 0;
};

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, SqliteCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, SqliteCloser>;

Database openDatabase(const std::string& path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Database db(raw);
    if (rc != SQLITE_OK)
        throw std::runtime_error("Cannot open the Cangjie database \"" + path +
                                 "\": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
    return db;
}

// The characters that have codes in `version`, in the database's order, each with its
// codes in the order the database lists them. A character's frequency is the highest of
// its codes' frequencies in that version: the database keeps it per code row, and the
// rows of one character normally agree.
std::vector<Character> readVersion(sqlite3* db, int version) {
    static constexpr const char* Query =
        "SELECT c.char_index, c.chchar, k.code, k.frequency FROM codes AS k "
        "JOIN chars AS c ON c.char_index = k.char_index "
        "WHERE k.version = ?1 ORDER BY c.char_index, k.rowid";
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, Query, -1, &raw, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("Unexpected Cangjie database layout: ") +
                                 sqlite3_errmsg(db));
    const Statement statement(raw);
    sqlite3_bind_int(raw, 1, version);

    std::vector<Character> characters;
    long long lastIndex = -1;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const long long index = sqlite3_column_int64(raw, 0);
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, 1));
        const auto* code = reinterpret_cast<const char*>(sqlite3_column_text(raw, 2));
        const long long frequency = sqlite3_column_int64(raw, 3);
        if (!text || !code) continue;
        if (index != lastIndex) {
            characters.push_back({text, {}, frequency});
            lastIndex = index;
        }
        Character& c = characters.back();
        c.codes.emplace_back(code);
        c.frequency = std::max(c.frequency, frequency);
    }
    if (rc != SQLITE_DONE)
        throw std::runtime_error(std::string("Cannot read the Cangjie database: ") +
                                 sqlite3_errmsg(db));
    return characters;
}

// The key characters first, in KeyCharacterOrder, then every other character by
// frequency, most frequent first, ties in the database's order.
void sortForLookup(std::vector<Character>& characters) {
    auto rank = [](const Character& c) -> int {
        for (std::size_t i = 0; i < KeyCharacterOrder.size(); ++i)
            if (c.text == KeyRadicals[static_cast<std::size_t>(KeyCharacterOrder[i] - 'a')])
                return static_cast<int>(i);
        return static_cast<int>(KeyCharacterOrder.size());
    };
    std::stable_sort(characters.begin(), characters.end(),
                     [&](const Character& a, const Character& b) {
                         const int ra = rank(a), rb = rank(b);
                         if (ra != rb) return ra < rb;
                         return a.frequency > b.frequency;
                     });
}

// "字 jnd 十弓木" in UTF-8, or nothing when a code holds something other than key letters.
std::optional<std::string> lineText(const Character& c) {
    std::string line = c.text;
    for (const std::string& code : c.codes) {
        std::string letters;
        std::string radicals;
        for (const char key : code) {
            const char lower =
                (key >= 'A' && key <= 'Z') ? static_cast<char>(key - 'A' + 'a') : key;
            if (lower < 'a' || lower > 'z') return std::nullopt;
            letters += lower;
            radicals += KeyRadicals[static_cast<std::size_t>(lower - 'a')];
        }
        line += ' ' + letters + ' ' + radicals;
    }
    return line;
}

// The private-use areas: the one in the Basic Multilingual Plane, and planes 15 and 16.
bool isPrivateUse(char32_t c) {
    return (c >= 0xE000 && c <= 0xF8FF) || (c >= 0xF0000 && c <= 0xFFFFD) ||
           (c >= 0x100000 && c <= 0x10FFFD);
}

bool holdsPrivateUse(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const utf8::Char c = utf8::charAt(text, pos);
        if (c.valid && isPrivateUse(c.code)) return true;
        pos += c.length;
    }
    return false;
}

struct Table {
    std::string bytes;
    std::vector<std::string> characters; // each line's character, in the table's encoding
};

// The table of `characters` in `encoding`: in GBK only the characters that come back from
// it unchanged. Never a private-use code point, in either: it would show a glyph of no
// meaning (the data's are stand-ins GB18030 once used, whose codes other characters carry).
Table buildTable(std::vector<Character> characters, dict::TextEncoding encoding) {
    sortForLookup(characters);
    const bool gbk = encoding == dict::TextEncoding::Gbk;
    Table table;
    for (const Character& c : characters) {
        if (c.codes.empty() || holdsPrivateUse(c.text) || (gbk && !gbk::roundTrips(c.text)))
            continue;
        const auto text = lineText(c);
        if (!text) continue;
        const auto line = gbk ? gbk::encode(*text) : text;
        if (!line) continue;
        table.bytes += *line;
        table.bytes += '\n';
        table.characters.push_back(gbk ? *gbk::encode(c.text) : c.text);
    }
    return table;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    // Written aside and renamed, so the build never leaves half a table behind.
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) throw std::runtime_error("Cannot write \"" + temporary.string() + "\"");
    }
    std::filesystem::rename(temporary, path);
}

// Every character's first line, by the program's own look-up of the written file, must be
// its own; otherwise a query would show some other character's line.
void verifyOwnLines(const std::filesystem::path& path, const Table& expected,
                    dict::TextEncoding encoding) {
    dict::CodeTable table(encoding);
    table.load(path.string());
    if (table.count() != expected.characters.size())
        throw std::runtime_error(path.string() + ": " + std::to_string(table.count()) +
                                 " lines read back, " + std::to_string(expected.characters.size()) +
                                 " written");
    // The index answers as a scan per character would, in one pass rather than in time
    // growing with the square of the table's size.
    const dict::FirstLineIndex index(table);
    for (std::size_t i = 0; i < expected.characters.size(); ++i) {
        const auto found = index.findFirstLine(expected.characters[i]);
        if (found != i)
            throw std::runtime_error(path.string() + ": the character of line " +
                                     std::to_string(i + 1) + " (\"" +
                                     std::string(table.line(static_cast<std::ptrdiff_t>(i))) +
                                     "\") is found first in line " +
                                     (found ? std::to_string(*found + 1) : std::string("none")));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <cangjie.db> <output folder>\n", argv[0]);
        return 2;
    }
    try {
        const Database db = openDatabase(argv[1]);
        const std::filesystem::path folder = argv[2];
        std::filesystem::create_directories(folder);
        struct Output {
            const char* name;
            dict::TextEncoding encoding;
        };
        struct Version {
            int number;
            Output gbk;
            Output utf8;
        };
        for (const Version& version :
             {Version{5,
                      {dict::Cj5FileName, dict::TextEncoding::Gbk},
                      {dict::Cj5Utf8FileName, dict::TextEncoding::Utf8}},
              Version{3,
                      {dict::Cj3FileName, dict::TextEncoding::Gbk},
                      {dict::Cj3Utf8FileName, dict::TextEncoding::Utf8}}}) {
            const std::vector<Character> characters = readVersion(db.get(), version.number);
            for (const Output& out : {version.gbk, version.utf8}) {
                const Table table = buildTable(characters, out.encoding);
                if (table.characters.empty())
                    throw std::runtime_error("The Cangjie database has no codes of version " +
                                             std::to_string(version.number));
                const auto path = folder / out.name;
                writeFile(path, table.bytes);
                verifyOwnLines(path, table, out.encoding);
                std::printf("%s: %zu lines\n", path.c_str(), table.characters.size());
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zarvik-gentables: %s\n", e.what());
        return 1;
    }
    return 0;
}
