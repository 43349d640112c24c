// Splitting and look-up on arbitrary bytes, checked against plain reference versions at
// every instruction set level the processor runs:
//   byte 0        needle length (mod 24)
//   bytes 1..k    the needle
//   the rest      a table file's bytes
// The table bytes are also written to a file and loaded from there, so that opening and
// reading are fuzzed too: the file gives the same lines as the bytes. The look-up runs on
// the bytes read as GBK and as UTF-8, and the index of each character's first line must
// answer as the scan does.

#include "ByteScan.h"
#include "CodeSearch.h"
#include "CodeTable.h"
#include "FirstLineIndex.h"
#include "Lookup.h"
#include "Utf8.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what) {
    if (!ok) fail(what);
}

bool isTerminator(char c) {
    return c == '\n' || c == '\r' || c == '\0';
}

// Lines as a file's are split, written the plain way.
std::vector<std::string_view> referenceSplit(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < bytes.size() && bytes[pos] != '\0') {
        const std::size_t begin = pos;
        while (pos < bytes.size() && !isTerminator(bytes[pos]))
            ++pos;
        lines.push_back(bytes.substr(begin, pos - begin));
        if (pos < bytes.size() && bytes[pos] == '\r') ++pos;
        if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
    }
    return lines;
}

// Does `needle` start at a character boundary of `line`? Boundaries walked from scratch.
bool containsAtBoundary(std::string_view line, std::string_view needle,
                        dict::TextEncoding encoding) {
    std::size_t pos = 0;
    while (pos < line.size()) {
        if (line.substr(pos).starts_with(needle)) return true;
        std::size_t length = 1;
        if (encoding == dict::TextEncoding::Utf8) {
            length = utf8::charAt(line, pos).length;
        } else if (const auto lead = static_cast<unsigned char>(line[pos]);
                   lead >= 0x81 && lead <= 0xFE && pos + 1 < line.size()) {
            const auto trail = static_cast<unsigned char>(line[pos + 1]);
            if ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFE)) length = 2;
        }
        pos += length;
    }
    return false;
}

// The first line that holds `needle` at a character boundary, the plain way.
std::optional<std::size_t> firstLineHolding(const std::vector<std::string_view>& lines,
                                            std::string_view needle, dict::TextEncoding encoding) {
    if (!needle.empty())
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (containsAtBoundary(lines[i], needle, encoding)) return i;
    return std::nullopt;
}

// The file each input's table is written to, in a folder of its own for this run.
const std::string& tablePath() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_dict.XXXXXX";
        if (!::mkdtemp(dir.data())) fail("cannot make a folder for the table file");
        const std::string file = dir + "/cj5.m";
        // Gone again when the run ends, however many inputs it had.
        static const std::string cleanUp[] = {file, dir};
        std::atexit([] {
            ::unlink(cleanUp[0].c_str());
            ::rmdir(cleanUp[1].c_str());
        });
        return file;
    }();
    return path;
}

void writeTableFile(std::string_view bytes) {
    const int fd = ::open(tablePath().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) fail("cannot write the table file");
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) fail("cannot write the table file");
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

// What every level must answer, worked out once the plain way.
struct Expected {
    std::vector<std::string_view> lines;
    // Searches in the text: the needle from every offset of the first and last 70 bytes,
    // and every needle that ends the text, where a wide load would overreach.
    struct Search {
        std::string_view needle;
        std::size_t from;
        std::size_t found;
    };
    std::vector<Search> searches;
    // Look-ups: the needle, and every needle that ends the last line; the first line that
    // holds it read as GBK and read as UTF-8.
    struct Lookup {
        std::string_view needle;
        std::optional<std::size_t> first[2];
    };
    std::vector<Lookup> lookups;
    std::vector<std::size_t> byCode[2]; // lines by code: exact, prefix
};

Expected expect(std::string_view bytes, std::string_view needle) {
    Expected e;
    e.lines = referenceSplit(bytes);

    const auto search = [&](std::string_view n, std::size_t from) {
        e.searches.push_back({n, from, n.empty() ? std::string_view::npos : bytes.find(n, from)});
    };
    for (std::size_t from = 0; from <= bytes.size(); ++from) {
        if (from == 70 && bytes.size() > 140) from = bytes.size() - 70;
        search(needle, from);
    }
    for (std::size_t length = 1; length <= std::min<std::size_t>(bytes.size(), 20); ++length)
        search(bytes.substr(bytes.size() - length), 0);

    // Read as UTF-8, a byte-order mark at the start is no part of the text.
    std::string_view asUtf8 = bytes;
    if (asUtf8.starts_with(utf8::ByteOrderMark)) asUtf8.remove_prefix(utf8::ByteOrderMark.size());
    const std::vector<std::string_view> utf8Lines = referenceSplit(asUtf8);
    const auto lookup = [&](std::string_view n) {
        e.lookups.push_back({n,
                             {firstLineHolding(e.lines, n, dict::TextEncoding::Gbk),
                              firstLineHolding(utf8Lines, n, dict::TextEncoding::Utf8)}});
    };
    lookup(needle);
    if (!e.lines.empty()) {
        const std::string_view last = e.lines.back();
        for (std::size_t length = 1; length <= std::min<std::size_t>(last.size(), 12); ++length)
            lookup(last.substr(last.size() - length));
    }

    // By code: exactly the lines with a code that meets the needle, in table order.
    const auto lower = [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    for (const dict::CodeMatch match : {dict::CodeMatch::Exact, dict::CodeMatch::Prefix}) {
        const auto meets = [&](std::string_view code) {
            if (code.size() < needle.size()) return false;
            if (match == dict::CodeMatch::Exact && code.size() != needle.size()) return false;
            return std::equal(needle.begin(), needle.end(), code.begin(),
                              [&](char n, char c) { return lower(n) == lower(c); });
        };
        std::vector<std::size_t>& lines = e.byCode[match == dict::CodeMatch::Prefix];
        if (!needle.empty())
            for (std::size_t i = 0; i < e.lines.size(); ++i) {
                const auto codes = dict::codesOfLine(e.lines[i]);
                if (std::any_of(codes.begin(), codes.end(), meets)) lines.push_back(i);
            }
    }
    return e;
}

void checkAtCurrentLevel(std::string_view bytes, std::string_view needle, const Expected& e) {
    // The byte search on a copy of exactly the text's size, so that a read past its end is
    // caught. The needles are views into the input; they stay valid.
    {
        const auto copy = std::make_unique<char[]>(bytes.size() + 1);
        std::copy(bytes.begin(), bytes.end(), copy.get());
        const std::string_view text(copy.get(), bytes.size());
        for (const Expected::Search& s : e.searches)
            check(dict::bytescan::find(text, s.from, s.needle) == s.found, "byte search");
    }

    dict::CodeTable table;
    table.assign(bytes);

    // Splitting: the same lines as the plain version, in file order, each a view into the
    // table's one text at the offsets it reports, none holding a terminator or NUL.
    check(table.count() == e.lines.size(), "line count");
    const std::string_view text = table.text();
    std::size_t previousEnd = 0;
    for (std::size_t i = 0; i < table.count(); ++i) {
        const std::string_view line = table.line(static_cast<std::ptrdiff_t>(i));
        check(line == e.lines[i], "line bytes");
        for (const char c : line)
            check(!isTerminator(c), "terminator inside a line");
        check(table.lineBegin(i) >= previousEnd, "file order");
        check(i == 0 || table.lineBegin(i) > previousEnd, "lines separated by a terminator");
        check(table.lineEnd(i) - table.lineBegin(i) == line.size(), "offsets span the line");
        check(table.lineEnd(i) <= text.size(), "line inside the text");
        check(line.data() == text.data() + table.lineBegin(i), "line is a view of the text");
        check(text.substr(table.lineBegin(i), line.size()) ==
                  bytes.substr(table.lineBegin(i), line.size()),
              "text holds the file's bytes at the line's offset");
        previousEnd = table.lineEnd(i);
    }
    check(text.size() == previousEnd, "text ends with the last line");
    // Every offset lies in the line the plain split puts it in, or in none.
    std::vector<std::size_t> owner(text.size() + 2, e.lines.size());
    for (std::size_t i = 0; i < e.lines.size(); ++i)
        std::fill_n(owner.begin() + (e.lines[i].data() - bytes.data()), e.lines[i].size(), i);
    for (std::size_t pos = 0; pos < owner.size(); ++pos)
        check(table.lineAt(pos) == owner[pos], "line at an offset");
    try {
        (void)table.line(static_cast<std::ptrdiff_t>(table.count()));
        fail("index past the end accepted");
    } catch (const dict::TableError&) {
    }

    // Look-up: the first line that holds the needle at a character boundary, and no other;
    // the index answers as the scan does, for the needles and for the characters at the
    // start and the end of the text.
    for (const dict::TextEncoding encoding : {dict::TextEncoding::Gbk, dict::TextEncoding::Utf8}) {
        dict::CodeTable read(encoding);
        read.assign(bytes);
        const dict::FirstLineIndex index(read);
        for (const Expected::Lookup& l : e.lookups) {
            const auto first = l.first[encoding == dict::TextEncoding::Utf8];
            check(dict::findFirstLine(read, l.needle) == first, "first line holding the needle");
            check(index.findFirstLine(l.needle) == first, "index: first line holding the needle");
        }
        const std::string_view all = read.text();
        for (std::size_t pos = 0; pos < all.size();) {
            if (pos == 64 && all.size() > 128) pos = all.size() - 64;
            const std::size_t length = dict::charLength(encoding, all, pos);
            const std::string_view character = all.substr(pos, length);
            check(index.findFirstLine(character) == dict::findFirstLine(read, character),
                  "index: first line holding a character of the text");
            pos += length;
        }
    }

    check(dict::findLinesByCode(table, needle, dict::CodeMatch::Exact) == e.byCode[0],
          "lines found by exact code");
    check(dict::findLinesByCode(table, needle, dict::CodeMatch::Prefix) == e.byCode[1],
          "lines found by code prefix");
    using dict::CodeMatch;
    for (const bool quick : {false, true}) {
        const dict::CodeIndex index(table, quick);
        for (const bool prefix : {false, true}) {
            const CodeMatch match = quick
                                        ? (prefix ? CodeMatch::QuickPrefix : CodeMatch::QuickExact)
                                        : (prefix ? CodeMatch::Prefix : CodeMatch::Exact);
            check(index.findLines(needle, prefix) == dict::findLinesByCode(table, needle, match),
                  "the code index answering as the scan");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t needleLength = std::min<std::size_t>(data[0] % 24, size - 1);
    const std::string_view needle = input.substr(1, needleLength);
    const std::string_view bytes = input.substr(1 + needleLength);

    const Expected expected = expect(bytes, needle);
    using dict::bytescan::Level;
    const Level widest = dict::bytescan::supportedLevel();
    for (Level level = Level::Portable; level <= widest;
         level = static_cast<Level>(static_cast<int>(level) + 1)) {
        dict::bytescan::restrictLevel(level);
        check(dict::bytescan::activeLevel() == level, "the level asked for runs");
        checkAtCurrentLevel(bytes, needle, expected);
    }
    // The same bytes as a file: the same lines, the same look-up.
    writeTableFile(bytes);
    dict::CodeTable loaded;
    loaded.assign("left over from before");
    loaded.load(tablePath());
    check(loaded.count() == expected.lines.size(), "file: line count");
    for (std::size_t i = 0; i < loaded.count(); ++i)
        check(loaded.line(static_cast<std::ptrdiff_t>(i)) == expected.lines[i], "file: line bytes");
    check(dict::findFirstLine(loaded, needle) == expected.lookups.front().first[0],
          "file: first line holding the needle");
    return 0;
}
