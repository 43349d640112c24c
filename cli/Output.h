#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Standard output that cannot be written to (a full disk, a reader gone).
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The program's answers on standard output and its notes on standard error. Answers are
// gathered in a buffer and written a buffer-full at a time; the first write that fails
// throws OutputError, also where SIGPIPE is ignored and a gone reader is only an error code.
// What goes to a terminal is shown safely (see forTerminal). For a notification, all of it
// is kept in order instead, until released.
class Output {
public:
    Output(int outFd, int errFd);
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // `text` and a line end.
    void line(std::string_view text);
    // `text` as it stands, also on a terminal: the program's own words.
    void write(std::string_view text);
    // Writes what the buffer holds.
    void flush();
    // A line on standard error, after the answers so far, so that both reach a shared
    // terminal or pipe in the order of the queries. Failing to write it is not an error.
    void note(std::string_view text);

    // From now on answers and notes are kept, not written: up to `limit` bytes, beyond which
    // what was kept is written after all and keeping ends.
    void keep(std::size_t limit) {
        m_keeping = true;
        m_keepLimit = limit;
    }
    // Whether keeping ended because there was more than its limit.
    bool keepingOverflowed() const { return m_overflowed; }
    // What was kept, a line each, in order.
    std::string kept() const;
    // Writes what was kept as it would have been written, and writes from then on.
    void release();

private:
    enum class Kind { Line, Write, Note };
    struct Kept {
        Kind kind;
        std::string text;
    };

    void append(std::string_view text);
    // Keeps `text`, to be written as `kind`; false when not keeping.
    bool held(Kind kind, std::string_view text);

    int m_outFd;
    int m_errFd;
    bool m_outIsTerminal;
    bool m_errIsTerminal;
    std::string m_buffer;
    bool m_keeping = false;
    bool m_overflowed = false;
    std::size_t m_keepLimit = 0;
    std::size_t m_keptBytes = 0;
    std::vector<Kept> m_kept;
};

// `text` with its control characters (a tab excepted), DEL, the C1 controls and the bytes
// that start no UTF-8 character written as \xHH or \u0080 to \u009F: a line of a table or a
// query shown on a terminal cannot move its cursor, change its colours or retitle it.
std::string forTerminal(std::string_view text);

} // namespace cli
