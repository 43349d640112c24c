#include "CodeTable.h"

#include "ByteScan.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

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

[[noreturn]] void throwOpenError(const std::string& path, const std::string& reason) {
    throw TableError(fileMessage("Cannot open file", path, reason));
}

[[noreturn]] void throwOpenError(const std::string& path, int code) {
    throwOpenError(path, systemErrorText(code));
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

// Whether the file has nothing more to read.
bool endsAfter(int fd, const std::string& path) {
    for (;;) {
        char probe = 0;
        const ssize_t got = ::read(fd, &probe, 1);
        if (got >= 0) return got == 0;
        if (errno != EINTR) throwReadError(path, systemErrorText(errno));
    }
}

// Room for `size` bytes and the NUL that adopt() puts after them.
std::unique_ptr<char[]> allocate(std::size_t size) {
    // The contents are read over at once: no need to zero them first.
    return std::make_unique_for_overwrite<char[]>(size + 1);
}

// `what` is "The file" or "The text".
std::string tooLargeText(const char* what, std::uint64_t size) {
    return std::string(what) + " is too large for a code table (" + std::to_string(size) +
           " bytes, at most " + std::to_string(CodeTable::MaxBytes) + ")";
}

std::string notRegularText(mode_t mode) {
    const char* kind = S_ISFIFO(mode)   ? "a named pipe"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "a special file";
    return std::string("It is ") + kind + ", not a regular file";
}

// The offsets of line ends, collected into a growing array of 32-bit offsets.
class LineEnds {
public:
    using Array = std::unique_ptr<std::uint32_t[], void (*)(void*)>;

    explicit LineEnds(std::size_t capacity) { reserve(capacity); }

    // Room for `more` entries after the last one, to be written through tail().
    void makeRoom(std::size_t more) {
        if (m_capacity - m_count < more) reserve(std::max(m_count + more, m_capacity * 2));
    }
    std::uint32_t* tail() noexcept { return m_ends.get() + m_count; }
    std::uint32_t* limit() noexcept { return m_ends.get() + m_capacity; }
    // The entries up to `end`, a pointer into the array, are written.
    void filledTo(const std::uint32_t* end) noexcept {
        m_count = static_cast<std::size_t>(end - m_ends.get());
    }

    void push(std::size_t end) {
        makeRoom(1);
        m_ends[m_count++] = static_cast<std::uint32_t>(end);
    }
    std::size_t count() const noexcept { return m_count; }
    std::uint32_t last() const noexcept { return m_ends[m_count - 1]; }

    // The array, trimmed to its entries, for std::free: shrinking with realloc hands the
    // spare room back without copying.
    std::uint32_t* release() noexcept {
        std::uint32_t* ends = m_ends.release();
        const std::size_t bytes = std::max<std::size_t>(m_count, 1) * sizeof(std::uint32_t);
        if (void* trimmed = std::realloc(ends, bytes)) ends = static_cast<std::uint32_t*>(trimmed);
        return ends;
    }

private:
    void reserve(std::size_t capacity) {
        void* grown = std::realloc(m_ends.get(), capacity * sizeof(std::uint32_t));
        if (grown == nullptr) throw std::bad_alloc();
        (void)m_ends.release();
        m_ends.reset(static_cast<std::uint32_t*>(grown));
        m_capacity = capacity;
    }

    Array m_ends{nullptr, std::free};
    std::size_t m_capacity = 0;
    std::size_t m_count = 0;
};

// Collects the line ends of data[0..size), data[size] being a NUL, and returns where the
// text ends: at the first NUL, or at size.
std::size_t scanLineEnds(const char* data, std::size_t size, LineEnds& ends) {
    bytescan::LineEndScan scan;
    while (!scan.done) {
        ends.makeRoom(bytescan::LineEndsPerStep);
        ends.filledTo(bytescan::collectLineEnds(data, size, scan, ends.tail(), ends.limit()));
    }
    return scan.textEnd;
}

} // namespace

void CodeTable::load(const std::string& path) {
    // Readers may share the file; POSIX has no deny-write mode to ask for beyond that. A
    // named pipe would block the open until a writer came: open without waiting, and let
    // the checks below refuse whatever is not a regular file.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throwOpenError(path, errno);
    const FileDescriptor file(fd);

    struct stat info {};
    if (::fstat(file.get(), &info) != 0) throwReadError(path, systemErrorText(errno));
    // open() succeeds on a directory here; to the user it is a file that cannot be opened.
    if (S_ISDIR(info.st_mode)) throwOpenError(path, EISDIR);
    if (!S_ISREG(info.st_mode)) throwOpenError(path, notRegularText(info.st_mode));
    const auto reported = static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0));
    if (reported > MaxBytes) throwOpenError(path, tooLargeText("The file", reported));
    // Reads of a regular file wait for the disk, as they should.
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags >= 0) (void)::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK);

    std::size_t capacity = static_cast<std::size_t>(reported);
    std::size_t filled = 0;
    try {
        auto buffer = allocate(capacity);
        // Normally one read fills the buffer; a short read goes on to the end of the file,
        // and a file that reports no size (procfs) gets a larger buffer as needed.
        for (;;) {
            if (filled == capacity) {
                if (capacity >= MaxBytes) {
                    // Only a file that reports no size gets here: it must end now.
                    if (endsAfter(file.get(), path)) break;
                    throwOpenError(path, tooLargeText("The file", capacity + 1));
                }
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
    if (bytes.size() > MaxBytes) throw TableError(tooLargeText("The text", bytes.size()));
    auto buffer = allocate(bytes.size());
    if (!bytes.empty()) std::memcpy(buffer.get(), bytes.data(), bytes.size());
    adopt(std::move(buffer), bytes.size());
}

void CodeTable::adopt(std::unique_ptr<char[]> buffer, std::size_t size) {
    buffer[size] = '\0'; // stops the scan's first pass at the data's end
    const char* const data = buffer.get();
    // Built aside and swapped in, so a failure here leaves the previous content intact.
    // Table lines are about twenty bytes long; the spare room is handed back at the end.
    LineEnds ends(size / 8 + 64);
    // The first NUL ends the text; whatever follows it is not part of any line.
    const std::size_t end = scanLineEnds(data, size, ends);
    // A last line without a terminator is a line; a terminator at the end adds none.
    std::size_t next = 0;
    if (ends.count() > 0) {
        const std::uint32_t last = ends.last();
        next = last + 1 + (data[last] == '\r' && last + 1 < end && data[last + 1] == '\n');
    }
    if (next < end) ends.push(end);

    m_count = ends.count();
    m_ends.reset(ends.release());
    m_buffer = std::move(buffer);
    m_textEnd = end;
}

void CodeTable::FreeMemory::operator()(void* memory) const noexcept {
    std::free(memory);
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
