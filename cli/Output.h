#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace cli {

// Standard output that cannot be written to (a full disk, a reader gone).
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The program's answers on standard output and its notes on standard error. Answers are
// gathered in a buffer and written a buffer-full at a time; the first write that fails
// throws OutputError, also where SIGPIPE is ignored and a gone reader is only an error code.
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

private:
    void append(std::string_view text);

    int m_outFd;
    int m_errFd;
    bool m_outIsTerminal;
    std::string m_buffer;
};

} // namespace cli
