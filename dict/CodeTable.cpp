#include "CodeTable.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dict {

namespace {

// strerror_r comes in a GNU flavour (returns the text) and an XSI one (fills the buffer);
// these overloads accept whichever the C library declares.
[[maybe_unused]] const char* pickErrorText(const char* text, const char*) {
    return text;
}
[[maybe_unused]] const char* pickErrorText(int failed, const char* buffer) {
    return failed == 0 ? buffer : "Unknown error";
}

// The system's text for an error code, without the trailing control characters, blanks
// and periods some systems end it with.
std::string systemErrorText(int code) {
    char buffer[256] = {};
    std::string text = pickErrorText(strerror_r(code, buffer, sizeof buffer), buffer);
    while (!text.empty()) {
        const auto last = static_cast<unsigned char>(text.back());
        if (last > ' ' && last != '.') break;
        text.pop_back();
    }
    return text;
}

// The name a message shows: the working directory joined with a relative name, "." and
// ".." steps resolved, so the user sees where the program looked.
std::string fullPath(const std::string& path) {
    try {
        return std::filesystem::absolute(path).lexically_normal().string();
    } catch (const std::exception&) {
        return path; // no working directory to join with: the name is the best we have
    }
}

std::string fileMessage(const char* what, const std::string& path, const std::string& reason) {
    return std::string(what) + " \"" + fullPath(path) + "\". " + reason;
}

[[noreturn]] void throwOpenError(const std::string& path, int code) {
    throw TableError(fileMessage("Cannot open file", path, systemErrorText(code)));
}

[[noreturn]] void throwReadError(const std::string& path, const std::string& reason) {
    throw TableError(fileMessage("Cannot read file", path, reason));
}

// Closes the descriptor on every path out of load().
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const noexcept { return m_fd; }

private:
    int m_fd;
};

std::unique_ptr<char[]> allocate(std::size_t size) {
    // The contents are read over at once: no need to zero them first.
    return std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(size, 1));
}

std::string tooLargeText(std::uint64_t size) {
    return "The file is too large to load (" + std::to_string(size) + " bytes)";
}

// The offsets of line ends, collected into a growing array of 32-bit offsets.
class LineEnds {
public:
    explicit LineEnds(std::size_t size)
        : m_capacity(size / 16 + 64),
          m_ends(std::make_unique_for_overwrite<std::uint32_t[]>(m_capacity)) {}

    void push(std::size_t end) {
        if (m_count == m_capacity) grow();
        m_ends[m_count++] = static_cast<std::uint32_t>(end);
    }
    std::size_t count() const noexcept { return m_count; }
    std::uint32_t last() const noexcept { return m_ends[m_count - 1]; }
    std::unique_ptr<std::uint32_t[]> release() noexcept { return std::move(m_ends); }

private:
    void grow() {
        const std::size_t larger = m_capacity * 2;
        auto grown = std::make_unique_for_overwrite<std::uint32_t[]>(larger);
        std::memcpy(grown.get(), m_ends.get(), m_count * sizeof(std::uint32_t));
        m_ends = std::move(grown);
        m_capacity = larger;
    }

    std::size_t m_capacity;
    std::size_t m_count = 0;
    std::unique_ptr<std::uint32_t[]> m_ends;
};

// Every CR and LF of data[0..size) ends a line, except an LF right after a CR: the pair is
// one end.
std::size_t scanLineEnds(const char* data, std::size_t size, LineEnds& ends) {
    std::size_t pos = 0;
    std::uint32_t afterCr = 0; // the byte before pos is a CR
#if defined(__SSE2__)
    // Sixteen bytes at a time: most blocks hold no line end, or one.
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; pos + 16 <= size; pos += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
        const auto lfs = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf)));
        const auto crs = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, cr)));
        std::uint32_t mask = (lfs | crs) & ~(lfs & ((crs << 1) | afterCr));
        afterCr = crs >> 15;
        while (mask != 0) {
            ends.push(pos + static_cast<std::size_t>(std::countr_zero(mask)));
            mask &= mask - 1;
        }
    }
#endif
    for (; pos < size; ++pos) {
        const char c = data[pos];
        if (c == '\r' || (c == '\n' && afterCr == 0)) ends.push(pos);
        afterCr = c == '\r' ? 1 : 0;
    }
    return ends.count();
}

} // namespace

void CodeTable::load(const std::string& path) {
    // Readers may share the file; POSIX has no deny-write mode to ask for beyond that.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throwOpenError(path, errno);
    const FileDescriptor file(fd);

    struct stat info {};
    if (::fstat(file.get(), &info) != 0) throwReadError(path, systemErrorText(errno));
    // open() succeeds on a directory here; to the user it is a file that cannot be opened.
    if (S_ISDIR(info.st_mode)) throwOpenError(path, EISDIR);

    const auto reported = static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0));
    if (reported > MaxBytes) throwReadError(path, tooLargeText(reported));

    std::size_t capacity = static_cast<std::size_t>(reported);
    std::size_t filled = 0;
    try {
        auto buffer = allocate(capacity);
        // Normally one read fills the buffer; a short read goes on to the end of the file,
        // and a file that reports no size (a device, a pipe) gets a larger buffer as needed.
        for (;;) {
            if (filled == capacity) {
                if (capacity >= MaxBytes) throwReadError(path, tooLargeText(capacity + 1));
                capacity =
                    std::min<std::size_t>(std::max<std::size_t>(capacity * 2, 64 * 1024), MaxBytes);
                auto grown = allocate(capacity);
                std::memcpy(grown.get(), buffer.get(), filled);
                buffer = std::move(grown);
            }
            const ssize_t got = ::read(file.get(), buffer.get() + filled, capacity - filled);
            if (got < 0) {
                if (errno == EINTR) continue;
                throwReadError(path, systemErrorText(errno));
            }
            if (got == 0) break;
            filled += static_cast<std::size_t>(got);
            // Once the size the file reported is in, the table is complete.
            if (reported > 0 && filled == reported) break;
        }
        adopt(std::move(buffer), filled);
    } catch (const std::bad_alloc&) {
        throwReadError(path, "Not enough memory to load " + std::to_string(capacity) + " bytes");
    }
}

void CodeTable::assign(std::string_view bytes) {
    if (bytes.size() > MaxBytes) throw TableError(tooLargeText(bytes.size()));
    auto buffer = allocate(bytes.size());
    if (!bytes.empty()) std::memcpy(buffer.get(), bytes.data(), bytes.size());
    adopt(std::move(buffer), bytes.size());
}

void CodeTable::adopt(std::unique_ptr<char[]> buffer, std::size_t size) {
    const char* const data = buffer.get();
    // The first NUL ends the text; whatever follows it is not part of any line.
    const void* nul = std::memchr(data, '\0', size);
    const std::size_t end =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - data) : size;

    // Built aside and swapped in, so a failure here leaves the previous content intact.
    LineEnds ends(end);
    scanLineEnds(data, end, ends);
    // A last line without a terminator is a line; a terminator at the end adds none.
    std::size_t next = 0;
    if (ends.count() > 0) {
        const std::uint32_t last = ends.last();
        next = last + 1 + (data[last] == '\r' && last + 1 < end && data[last + 1] == '\n');
    }
    if (next < end) ends.push(end);

    m_count = ends.count();
    m_ends = ends.release();
    m_buffer = std::move(buffer);
    m_textEnd = end;
}

std::string_view CodeTable::line(std::ptrdiff_t index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_count) {
        char message[64];
        std::snprintf(message, sizeof message, "List index out of bounds (%td)", index);
        throw TableError(message);
    }
    const auto i = static_cast<std::size_t>(index);
    const std::size_t begin = lineBegin(i);
    return {m_buffer.get() + begin, m_ends[i] - begin};
}

std::size_t CodeTable::lineAt(std::size_t pos) const noexcept {
    // The first line that ends after pos; pos belongs to it unless it lies before that
    // line's begin, on the previous line's terminator.
    const std::uint32_t* ends = m_ends.get();
    const std::uint32_t* after = std::upper_bound(
        ends, ends + m_count, pos, [](std::size_t p, std::uint32_t e) { return p < e; });
    if (after == ends + m_count) return m_count;
    const auto index = static_cast<std::size_t>(after - ends);
    return pos >= lineBegin(index) ? index : m_count;
}

} // namespace dict
