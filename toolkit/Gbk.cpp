#include "Gbk.h"

#include "GbkCodec.h"

#include <string>
#include <string_view>

namespace tk::gbk {

namespace {

std::string_view view(QByteArrayView bytes) {
    return {bytes.data(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

// A lone surrogate has no UTF-8 form (toUtf8() would put a stand-in in its place), and so no
// GBK form either.
std::optional<QByteArray> encode(QStringView text) {
    if (!text.isValidUtf16()) return std::nullopt;
    const auto bytes = ::gbk::encode(view(text.toUtf8()));
    if (!bytes) return std::nullopt;
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

QString decode(QByteArrayView bytes) {
    const std::string text = ::gbk::decode(view(bytes));
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool roundTrips(QStringView text) {
    return text.isValidUtf16() && ::gbk::roundTrips(view(text.toUtf8()));
}

} // namespace tk::gbk
