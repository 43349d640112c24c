#include "Output.h"

#include "Utf8.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace cli {

namespace {

// Large enough that a whole text answered at once costs few system calls.
constexpr std::size_t BufferSize = 256 * 1024;

// Writes all of `text` to `fd`, waiting where the descriptor is non-blocking and full;
// false, with errno set, at the first write that fails.
bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t done = ::write(fd, text.data(), text.size());
        if (done >= 0) {
            text.remove_prefix(static_cast<std::size_t>(done));
            continue;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            pollfd ready{fd, POLLOUT, 0};
            if (::poll(&ready, 1, -1) >= 0 || errno == EINTR) continue;
        }
        return false;
    }
    return true;
}

} // namespace

Output::Output(int outFd, int errFd)
    : m_outFd(outFd), m_errFd(errFd), m_outIsTerminal(::isatty(outFd) == 1),
      m_errIsTerminal(::isatty(errFd) == 1) {
    m_buffer.reserve(BufferSize);
}

void Output::append(std::string_view text) {
    if (m_buffer.size() + text.size() > BufferSize) flush();
    m_buffer += text;
}

void Output::line(std::string_view text) {
    if (m_outIsTerminal) {
        append(forTerminal(text));
        append("\n");
        // Someone reads a terminal as the lines come.
        flush();
        return;
    }
    append(text);
    append("\n");
}

void Output::write(std::string_view text) {
    append(text);
}

void Output::flush() {
    if (m_buffer.empty()) return;
    const bool written = writeAll(m_outFd, m_buffer);
    const int error = errno;
    // What could not be written is dropped: it cannot be written later either.
    m_buffer.clear();
    if (!written) throw OutputError(std::string("write error: ") + std::strerror(error));
}

void Output::note(std::string_view text) {
    flush();
    std::string noted = m_errIsTerminal ? forTerminal(text) : std::string(text);
    noted += '\n';
    writeAll(m_errFd, noted);
}

std::string forTerminal(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const utf8::Char c = utf8::charAt(text, pos);
        char escape[8] = {};
        if (!c.valid || (c.code < 0x20 && c.code != '\t') || c.code == 0x7F)
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(text[pos]));
        else if (c.code >= 0x80 && c.code <= 0x9F)
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c.code));
        if (escape[0] != '\0')
            shown += escape;
        else
            shown += text.substr(pos, c.length);
        pos += c.length;
    }
    return shown;
}

} // namespace cli
