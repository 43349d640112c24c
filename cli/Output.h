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
// For a notification, both are kept in order instead, until released.
class Output {
public:
    Output(int outFd, int errFd);
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // `text` and a line end.
    void line(std::string_view text);
    // `text` as it stands.
    void write(std::string_view text);
    // Writes what the buffer holds.
    void flush();
    // A line on standard error, after the answers so far, so that both reach a shared
    // terminal or pipe in the order of the queries. Failing to write it is not an error.
    void note(std::string_view text);

    // From now on answers and notes are kept, not written.
    void keep() { m_keeping = true; }
    // What was kept, a line each, in order.
    std::string kept() const;
    // Writes what was kept where it would have gone, and writes from then on.
    void release();

private:
    void append(std::string_view text);
    // Keeps `text` (`isNote`: a line of a note, else answers as written); false when not
    // keeping.
    bool held(bool isNote, std::string_view text);

    struct Kept {
        bool isNote;
        std::string text;
    };

    int m_outFd;
    int m_errFd;
    bool m_outIsTerminal;
    std::string m_buffer;
    bool m_keeping = false;
    std::vector<Kept> m_kept;
};

} // namespace cli
