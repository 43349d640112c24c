#include "CodeTable.h"

#include "ByteScan.h"
#include "Utf8.h"

#include <algorithm>
#include <bit>
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

constexpr std::align_val_t BufferAlignment{64};

// Room for `size` bytes and the NUL that adopt() puts after them.
CodeTable::Buffer allocate(std::size_t size) {
    // The contents are read over at once: no need to zero them first.
    return CodeTable::Buffer(static_cast<char*>(::operator new[](size + 1, BufferAlignment)));
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
                // Reads of a regular file wait for the disk whatever the open mode on most
                // systems; where one does not, it is told to, and asked again.
                if (errno == EAGAIN || errno == EWOULDBLOCK) {
                    const int flags = ::fcntl(file.get(), F_GETFL);
                    if (flags >= 0 && (flags & O_NONBLOCK) != 0 &&
                        ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) == 0)
                        continue;
                }
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

void CodeTable::requireText(const std::string& path) const {
    if (m_size == 0)
        throwReadError(path, "It is empty, and a code table has a line for each character");
    if (m_textEnd == m_size) return;
    // The NUL ends the last line read, or starts the line after it.
    const std::size_t line = m_count > 0 && m_textEnd == m_textSize ? m_count : m_count + 1;
    throwReadError(path, "It holds a NUL byte in line " + std::to_string(line) +
                             ", and a code table is text");
}

void CodeTable::assign(std::string_view bytes) {
    if (bytes.size() > MaxBytes) throw TableError(tooLargeText("The text", bytes.size()));
    auto buffer = allocate(bytes.size());
    if (!bytes.empty()) std::memcpy(buffer.get(), bytes.data(), bytes.size());
    adopt(std::move(buffer), bytes.size());
}

void CodeTable::BufferDelete::operator()(char* buffer) const noexcept {
    ::operator delete[](buffer, BufferAlignment);
}

void CodeTable::adopt(Buffer buffer, std::size_t size) {
    // Editors that save UTF-8 may put a byte-order mark first; it is no part of the first
    // line, which would otherwise answer with it and miss its character's code.
    if (constexpr auto mark = utf8::ByteOrderMark;
        m_encoding == TextEncoding::Utf8 &&
        std::string_view(buffer.get(), size).starts_with(mark)) {
        size -= mark.size();
        std::memmove(buffer.get(), buffer.get() + mark.size(), size);
    }
    buffer[size] = '\0'; // stops the scan at the data's end
    const char* const data = buffer.get();
    // Built aside and swapped in, so a failure here leaves the previous content intact.
    const std::size_t room = bytescan::lineEndBlocks(size);
    auto masks = std::make_unique_for_overwrite<std::uint64_t[]>(room);
    auto ranks = std::make_unique_for_overwrite<std::uint32_t[]>(room + 1);
    // The first NUL ends the text: whatever follows it is not part of any line.
    const std::size_t end = bytescan::markLineEnds(data, size, masks.get(), ranks.get());

    m_buffer = std::move(buffer);
    m_size = size;
    m_textEnd = end;
    m_endMasks = std::move(masks);
    m_endRanks = std::move(ranks);
    m_terminated = m_endRanks[blocks()];
    // A last line without a terminator is a line; a terminator at the end adds none.
    const std::size_t next = m_terminated == 0 ? 0 : afterTerminator(lineEnd(m_terminated - 1));
    m_count = m_terminated + (next < end ? 1 : 0);
    m_textSize = m_count == 0 ? 0 : lineEnd(m_count - 1);
}

std::string_view CodeTable::line(std::ptrdiff_t index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_count) {
        char message[64];
        std::snprintf(message, sizeof message, "List index out of bounds (%td)", index);
        throw TableError(message);
    }
    const auto i = static_cast<std::size_t>(index);
    const std::size_t begin = lineBegin(i);
    return {m_buffer.get() + begin, lineEnd(i) - begin};
}

std::size_t CodeTable::lineEnd(std::size_t index) const noexcept {
    if (index >= m_terminated) return m_textEnd; // the last line, unterminated
    // The block that holds the end: the last whose count of earlier ends is at most index.
    const std::uint32_t* ranks = m_endRanks.get();
    const std::size_t block =
        static_cast<std::size_t>(std::upper_bound(ranks, ranks + blocks(), index) - ranks) - 1;
    std::uint64_t mask = m_endMasks[block];
    for (std::size_t skip = index - ranks[block]; skip > 0; --skip)
        mask &= mask - 1;
    return block * 64 + static_cast<std::size_t>(std::countr_zero(mask));
}

std::size_t CodeTable::lineAt(std::size_t pos) const noexcept {
    // Every CR and LF of the text belongs to a terminator; any other byte lies in the line
    // that the line ends before it number.
    if (pos >= m_textSize) return m_count;
    const char c = m_buffer[pos];
    if (c == '\n' || c == '\r') return m_count;
    const std::size_t block = pos / 64;
    const std::uint64_t before = m_endMasks[block] & ((std::uint64_t{1} << (pos % 64)) - 1);
    return m_endRanks[block] + static_cast<std::size_t>(std::popcount(before));
}

} // namespace dict
