#include "Gbk.h"

#include "GbkCodec.h"

#include <string>
#include <string_view>

namespace tk::gbk {

namespace {

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// The UTF-8 form of `text`, or nothing for a lone surrogate, which has none: toUtf8()
// would put a stand-in in its place.
std::optional<QByteArray> utf8(QStringView text) {
    if (!text.isValidUtf16()) return std::nullopt;
    return text.toUtf8();
}

} // namespace

std::optional<QByteArray> encode(QStringView text) {
    const auto text8 = utf8(text);
    if (!text8) return std::nullopt;
    const auto bytes = ::gbk::encode(view(*text8));
    if (!bytes) return std::nullopt;
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

QString decode(QByteArrayView bytes) {
    const std::string text =
        ::gbk::decode(std::string_view(bytes.data(), static_cast<std::size_t>(bytes.size())));
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool roundTrips(QStringView text) {
    const auto text8 = utf8(text);
    return text8 && ::gbk::roundTrips(view(*text8));
}

} // namespace tk::gbk
