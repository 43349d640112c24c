#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// The crossing between the window's Unicode text and the GBK bytes of the code tables: the
// QString side of the codec in GbkCodec.h, with the same rules.
namespace tk::gbk {

// The GBK bytes of `text`, or nothing when any character of it has no GBK form: a
// substitute byte would make a query find some other character's line.
std::optional<QByteArray> encode(QStringView text);

// The text of GBK `bytes`; every byte that does not start a valid character, and a
// character cut off at the end, becomes U+FFFD. Never fails.
QString decode(QByteArrayView bytes);

// True when `text` encodes to GBK and decodes back to exactly the same text, so that what
// a table line shows is what was put into it (no private-use stand-ins).
bool roundTrips(QStringView text);

} // namespace tk::gbk
