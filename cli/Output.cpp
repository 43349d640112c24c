#include "Output.h"

#include <cerrno>
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
    : m_outFd(outFd), m_errFd(errFd), m_outIsTerminal(::isatty(outFd) == 1) {
    m_buffer.reserve(BufferSize);
}

void Output::append(std::string_view text) {
    if (m_buffer.size() + text.size() > BufferSize) flush();
    m_buffer += text;
}

void Output::line(std::string_view text) {
    if (held(false, text) && held(false, "\n")) return;
    append(text);
    append("\n");
    // Someone reads a terminal as the lines come.
    if (m_outIsTerminal) flush();
}

void Output::write(std::string_view text) {
    if (held(false, text)) return;
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
    if (held(true, text)) return;
    flush();
    std::string noted(text);
    noted += '\n';
    writeAll(m_errFd, noted);
}

} // namespace cli

namespace cli {

bool Output::held(bool isNote, std::string_view text) {
    if (!m_keeping) return false;
    if (isNote || m_kept.empty() || m_kept.back().isNote)
        m_kept.push_back({isNote, std::string(text)});
    else
        m_kept.back().text += text;
    return true;
}

std::string Output::kept() const {
    std::string text;
    for (const Kept& k : m_kept) {
        text += k.text;
        if (k.isNote) text += '\n';
    }
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

void Output::release() {
    m_keeping = false;
    // Taken out first: a write that fails leaves nothing to write a second time.
    const std::vector<Kept> kept = std::move(m_kept);
    m_kept.clear();
    for (const Kept& k : kept) {
        if (k.isNote)
            note(k.text);
        else
            write(k.text);
    }
}

} // namespace cli
