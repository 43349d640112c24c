#include "Gbk.h"

#include <QSysInfo>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <stdexcept>
#include <string>

namespace tk::gbk {

namespace {

constexpr const char* Gbk = "GBK";
// QString's own code units, so no intermediate UTF-8 copy is needed.
constexpr const char* Utf16 =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";

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

} // namespace

std::optional<QByteArray> encode(QStringView text) {
    if (text.isEmpty()) return QByteArray();
    Converter converter(Gbk, Utf16);
    // A UTF-16 code unit never needs more than two GBK bytes.
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    const char* in = reinterpret_cast<const char*>(text.utf16());
    std::size_t inLeft = static_cast<std::size_t>(text.size()) * sizeof(char16_t);
    char* dst = out.data();
    std::size_t outLeft = static_cast<std::size_t>(out.size());
    // EILSEQ: a character GBK cannot hold (or a lone surrogate); EINVAL: a surrogate pair cut
    // off at the end. Either way the text has no GBK form.
    if (converter.convert(in, inLeft, dst, outLeft) != 0 || inLeft != 0) return std::nullopt;
    out.truncate(dst - out.data());
    return out;
}

QString decode(QByteArrayView bytes) {
    if (bytes.isEmpty()) return QString();
    Converter converter(Utf16, Gbk);
    // Every GBK character and every replacement is one UTF-16 unit (GBK lies in the BMP),
    // so one unit per input byte is enough; the buffer still grows if that ever fails.
    QString out(bytes.size(), Qt::Uninitialized);
    qsizetype written = 0;
    const char* in = bytes.data();
    std::size_t inLeft = static_cast<std::size_t>(bytes.size());
    while (inLeft > 0) {
        char* const start = reinterpret_cast<char*>(out.data() + written);
        char* dst = start;
        std::size_t outLeft = static_cast<std::size_t>(out.size() - written) * sizeof(char16_t);
        const int error = converter.convert(in, inLeft, dst, outLeft);
        written += static_cast<qsizetype>((dst - start) / sizeof(char16_t));
        if (error == 0) break;
        if (error == E2BIG || written == out.size()) {
            out.resize(out.size() + bytes.size());
            continue;
        }
        // EILSEQ: this byte starts no character; EINVAL: the text ends inside one. One
        // replacement for the byte, then resynchronise on the next.
        out[written++] = QChar::ReplacementCharacter;
        ++in;
        --inLeft;
    }
    out.truncate(written);
    return out;
}

bool roundTrips(QStringView text) {
    const auto bytes = encode(text);
    return bytes && decode(*bytes) == text;
}

} // namespace tk::gbk
