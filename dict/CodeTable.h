#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dict {

// Every failure of loading or addressing a table; what() is the text the user sees.
class TableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How a table's text is encoded: the window's GBK tables, or the UTF-8 tables that hold
// every character the data has. The split into lines is the same for both; where a
// character starts, which the look-ups ask, is not.
enum class TextEncoding { Gbk, Utf8 };

// An ordered list of byte-string lines read from one table file. The file's bytes are
// kept once, in one buffer; a line is a view into it, addressed by a zero-based index.
class CodeTable {
public:
    explicit CodeTable(TextEncoding encoding = TextEncoding::Gbk) noexcept : m_encoding(encoding) {}
    CodeTable(CodeTable&&) noexcept = default;
    CodeTable& operator=(CodeTable&&) noexcept = default;
    CodeTable(const CodeTable&) = delete;
    CodeTable& operator=(const CodeTable&) = delete;

    // Replaces the content with the lines of the file at `path` (relative paths are taken
    // from the working directory). Only a regular file of at most MaxBytes is read: a pipe,
    // a device or a larger file fails at once with the open error, before any byte is read.
    // On failure the previous content stays.
    void load(const std::string& path);

    // Throws the read error for the table's file `path` when it is empty or holds a NUL,
    // which ends the text: the lines after it would be missing without a word, and queries
    // would wrongly find nothing. The window's start-up tables keep reading up to a NUL.
    void requireText(const std::string& path) const;

    // Replaces the content with the lines of `bytes`, split as a file's are. (Of UTF-8 text,
    // load() and assign() drop a byte-order mark at the start.)
    void assign(std::string_view bytes);

    // The largest table file (and byte string) that is loaded: 64 MiB. A real table is
    // under 1 MiB; anything far larger is not a table, and refusing it before reading keeps
    // a wrong file from holding gigabytes of memory.
    static constexpr std::size_t MaxBytes = std::size_t{64} << 20;

    TextEncoding encoding() const noexcept { return m_encoding; }
    std::size_t count() const noexcept { return m_count; }
    bool empty() const noexcept { return m_count == 0; }

    // Where the data's first NUL byte lies, which ended the text there; the data's size
    // when it holds none.
    std::size_t textEnd() const noexcept { return m_textEnd; }
    std::size_t dataSize() const noexcept { return m_size; }

    // Throws TableError "List index out of bounds (i)" outside 0..count()-1.
    std::string_view line(std::ptrdiff_t index) const;

    // The text the lines were cut from: from the first line's start to the last line's end
    // (empty for an empty table). Line i is text().substr(lineBegin(i), lineEnd(i) - ...).
    std::string_view text() const noexcept { return {m_buffer.get(), m_textSize}; }
    std::size_t lineBegin(std::size_t index) const noexcept {
        return index == 0 ? 0 : afterTerminator(lineEnd(index - 1));
    }
    // Finding the index-th line end takes a binary search over the blocks' counts.
    std::size_t lineEnd(std::size_t index) const noexcept;

    // The index of the line whose bytes cover text offset `pos`; count() when none does
    // (the offset lies on a terminator or past the text). Takes constant time.
    std::size_t lineAt(std::size_t pos) const noexcept;

    // The text's buffer starts on a 64-byte boundary: the scans' 64-byte blocks then lie
    // whole in cache lines, and the reads that fill it copy to aligned lines.
    struct BufferDelete {
        void operator()(char* buffer) const noexcept;
    };
    using Buffer = std::unique_ptr<char[], BufferDelete>;

private:
    // The next line begins right after a terminator, a CR LF pair counting as one.
    std::size_t afterTerminator(std::size_t end) const noexcept {
        const char* data = m_buffer.get();
        return end + 1 + (data[end] == '\r' && end + 1 < m_textEnd && data[end + 1] == '\n');
    }

    // The masks in use: up to the block that holds the text's end.
    std::size_t blocks() const noexcept { return m_textEnd / 64 + 1; }

    // Takes `size` bytes of data in a buffer one byte larger.
    void adopt(Buffer buffer, std::size_t size);

    TextEncoding m_encoding;
    Buffer m_buffer;
    std::size_t m_size = 0;     // the data's bytes, those after a NUL included
    std::size_t m_textEnd = 0;  // the first NUL, or the buffer's size
    std::size_t m_textSize = 0; // where the last line ends
    // Where the lines end, as a bit a byte of the text (the offset of each terminator) in
    // 64-bit masks, with the count of line ends before each mask: loading writes one word a
    // block instead of one a line, and a line is found from either side by counting bits.
    // 32-bit counts suffice: a table holds at most MaxBytes line ends.
    std::unique_ptr<std::uint64_t[]> m_endMasks;
    std::unique_ptr<std::uint32_t[]> m_endRanks;
    std::size_t m_terminated = 0; // lines ending with a terminator; a last line may not
    std::size_t m_count = 0;
};

} // namespace dict
