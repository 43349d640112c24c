#include "GbkCodec.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace {

constexpr const char* Gbk = "GBK";
constexpr const char* Utf8 = "UTF-8";
constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD"; // U+FFFD

// One conversion, opened per call: iconv keeps shift state between calls, and a fresh
// descriptor cannot carry a half-finished character over from an earlier string.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(::iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("The C library has no conversion from ") + from +
                                     " to " + to);
    }
    ~Converter() { ::iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can; returns 0 or the errno that stopped it.
    int convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
        char* input = const_cast<char*>(in); // iconv's signature, not a write
        const std::size_t result = ::iconv(m_cd, &input, &inLeft, &out, &outLeft);
        in = input;
        return result == static_cast<std::size_t>(-1) ? errno : 0;
    }

private:
    iconv_t m_cd;
};

// All of `text` from `from` to `to`, where no character takes more than `growth` times its
// bytes; nothing when some of it cannot be converted.
std::optional<std::string> convertWhole(const char* to, const char* from, std::string_view text,
                                        std::size_t growth) {
    if (text.empty()) return std::string();
    Converter converter(to, from);
    std::string out(text.size() * growth, '\0');
    const char* in = text.data();
    std::size_t inLeft = text.size();
    char* dst = out.data();
    std::size_t outLeft = out.size();
    // EILSEQ: a character `to` cannot hold, or bytes that are no text in `from`; EINVAL: a
    // character cut off at the end. Either way the text has no form in `to`.
    if (converter.convert(in, inLeft, dst, outLeft) != 0 || inLeft != 0) return std::nullopt;
    out.resize(static_cast<std::size_t>(dst - out.data()));
    return out;
}

} // namespace

namespace gbk {

std::optional<std::string> encode(std::string_view text) {
    // No character takes more bytes in GBK than in UTF-8.
    return convertWhole(Gbk, Utf8, text, 1);
}

std::string decode(std::string_view bytes) {
    if (bytes.empty()) return std::string();
    Converter converter(Utf8, Gbk);
    // A GBK character (one or two bytes) and the replacement for one byte each take at most
    // three bytes of UTF-8, so three per input byte is enough; the buffer still grows if
    // that ever fails.
    std::string out(bytes.size() * 3, '\0');
    std::size_t written = 0;
    const char* in = bytes.data();
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* const start = out.data() + written;
        char* dst = start;
        std::size_t outLeft = out.size() - written;
        const int error = converter.convert(in, inLeft, dst, outLeft);
        written += static_cast<std::size_t>(dst - start);
        if (error == 0) break;
        if (error == E2BIG || out.size() - written < ReplacementCharacter.size()) {
            out.resize(out.size() + bytes.size() * 3);
            continue;
        }
        // EILSEQ: this byte starts no character; EINVAL: the text ends inside one. One
        // replacement for the byte, then resynchronise on the next.
        written += ReplacementCharacter.copy(out.data() + written, ReplacementCharacter.size());
        ++in;
        --inLeft;
    }
    out.resize(written);
    return out;
}

bool roundTrips(std::string_view text) {
    const auto bytes = encode(text);
    return bytes && decode(*bytes) == text;
}

} // namespace gbk

namespace codec {

std::optional<std::string> toUtf8(std::string_view text, const char* encoding) {
    // No character of any encoding takes more than four bytes of UTF-8 for each of its own.
    return convertWhole(Utf8, encoding, text, 4);
}

} // namespace codec
