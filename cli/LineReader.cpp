#include "LineReader.h"

#include "Utf8.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace cli {

namespace {

constexpr std::size_t ReadSize = 64 * 1024;

using utf8::ByteOrderMark;

} // namespace

bool LineReader::next(std::string& line) {
    for (;;) {
        const std::size_t lf = m_buffer.find('\n', m_begin + m_scanned);
        if (lf != m_buffer.npos || (m_atEnd && m_begin < m_buffer.size())) {
            const std::size_t end = lf != m_buffer.npos ? lf : m_buffer.size();
            // The last read may have brought both the rest of an overlong line and its end.
            if (end - m_begin > MaxLineBytes) return tooLong(line);
            line.assign(m_buffer, m_begin, end - m_begin);
            // A CR before the line's end, the last line's too, is part of a CR LF.
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (m_lineNumber == 0 && line.starts_with(ByteOrderMark))
                line.erase(0, ByteOrderMark.size());
            m_begin = lf != m_buffer.npos ? lf + 1 : end;
            m_scanned = 0;
            if (!std::exchange(m_midLine, false)) ++m_lineNumber;
            return true;
        }
        if (m_atEnd) return false;
        m_scanned = m_buffer.size() - m_begin;
        if (m_scanned > MaxLineBytes) return tooLong(line);
        m_atEnd = !fill();
    }
}

bool LineReader::tooLong(std::string& line) {
    const std::size_t number = m_lineNumber + (m_midLine ? 0 : 1);
    if (!m_inPieces)
        throw InputError("line " + std::to_string(number) + " of " + m_name + " is longer than " +
                         std::to_string(MaxLineBytes) + " bytes");
    const std::size_t cut = utf8::characterStart(m_buffer, m_begin + MaxLineBytes);
    line.assign(m_buffer, m_begin, cut - m_begin);
    if (number == 1 && !m_midLine && line.starts_with(ByteOrderMark))
        line.erase(0, ByteOrderMark.size());
    m_begin = cut;
    m_scanned = 0;
    m_lineNumber = number;
    m_midLine = true;
    return true;
}

// Reads more; false at the end of the input.
bool LineReader::fill() {
    m_buffer.erase(0, m_begin);
    m_begin = 0;
    m_beforeWait();
    const std::size_t old = m_buffer.size();
    m_buffer.resize(old + ReadSize);
    for (;;) {
        const ssize_t got = ::read(m_fd, m_buffer.data() + old, ReadSize);
        if (got < 0 && errno == EINTR) continue;
        // Whoever shares the input may have made it non-blocking: nothing there yet is a
        // wait, not an error.
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd input{m_fd, POLLIN, 0};
            if (::poll(&input, 1, -1) >= 0 || errno == EINTR) continue;
        }
        if (got < 0) {
            const int error = errno;
            m_buffer.resize(old);
            throw InputError(std::string("cannot read ") + m_name + ": " + std::strerror(error));
        }
        m_buffer.resize(old + static_cast<std::size_t>(got));
        return got > 0;
    }
}

} // namespace cli
