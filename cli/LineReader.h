#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>

namespace cli {

// Input that cannot be read, or a line too long to be a query.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a file descriptor a line at a time. A line ends at LF, a CR before the LF is dropped,
// and a last line without a terminator is a line (a CR at its end is dropped too, as is a
// byte-order mark at the start of the first). `beforeWait` runs before every read that
// may wait (the caller flushes its answers there), so that a program on the other end of
// two pipes gets each answer before it has to send the next question.
class LineReader {
public:
    // Longer lines are refused rather than held: no query is that long. A text read a
    // character at a time may be one line of any length: `inPieces` hands such a line out
    // in pieces of at most this many bytes, each cut before a UTF-8 character.
    static constexpr std::size_t MaxLineBytes = 1024 * 1024;

    LineReader(int fd, const char* name, std::function<void()> beforeWait, bool inPieces = false)
        : m_fd(fd), m_name(name), m_beforeWait(std::move(beforeWait)), m_inPieces(inPieces) {}

    // The next line, or false at the end of the input.
    bool next(std::string& line);
    // The number of the line next() gave last, from 1.
    std::size_t lineNumber() const noexcept { return m_lineNumber; }

private:
    bool fill();
    // The line that starts at m_begin, too long to be a query: its first piece, or an error.
    bool tooLong(std::string& line);

    int m_fd;
    const char* m_name;
    std::function<void()> m_beforeWait;
    std::string m_buffer;
    std::size_t m_begin = 0;   // where the next line starts in m_buffer
    std::size_t m_scanned = 0; // bytes from m_begin on already known to hold no LF
    std::size_t m_lineNumber = 0;
    bool m_atEnd = false;
    bool m_inPieces;
    bool m_midLine = false; // the line m_lineNumber goes on at m_begin
};

} // namespace cli
