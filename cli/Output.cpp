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
    if (held(Kind::Line, text)) return;
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
    if (held(Kind::Write, text)) return;
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
    if (held(Kind::Note, text)) return;
    flush();
    std::string noted = m_errIsTerminal ? forTerminal(text) : std::string(text);
    noted += '\n';
    writeAll(m_errFd, noted);
}

bool Output::held(Kind kind, std::string_view text) {
    if (!m_keeping) return false;
    m_keptBytes += text.size() + 1;
    if (m_keptBytes > m_keepLimit) {
        m_overflowed = true;
        release();
        return false;
    }
    m_kept.push_back({kind, std::string(text)});
    return true;
}

std::string Output::kept() const {
    std::string text;
    for (const Kept& k : m_kept) {
        text += k.text;
        if (k.kind != Kind::Write) text += '\n';
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
        switch (k.kind) {
        case Kind::Line:
            line(k.text);
            break;
        case Kind::Write:
            write(k.text);
            break;
        case Kind::Note:
            note(k.text);
            break;
        }
    }
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
