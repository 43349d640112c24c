#pragma once

// Pieces of the layout format shared by the reader and the writer (Layout.cpp,
// LayoutWriter.cpp). Not for use elsewhere: the format is what Layout.h describes.

#include <QByteArray>
#include <QImage>
#include <QMetaProperty>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

namespace tk::layout {

struct Token {
    // Set and List are values only (Value), made of several tokens.
    enum Kind { End, Newline, Ident, Integer, String, Symbol, Binary, Set, List };
    Kind kind = End;
    QString text; // identifier, decoded string, or the symbol character
    qint64 integer = 0;
    bool hex = false;   // written with $: up to eight digits wrap into a signed 32-bit value
    int line = 0;       // where the token starts (a binary block spans lines)
    QByteArray bytes{}; // the decoded bytes of a binary block

    bool isSymbol(char c) const { return kind == Symbol && text == QLatin1Char(c); }
    bool isWord(const char* w) const { return kind == Ident && text == QLatin1String(w); }
};

// The whole text as tokens, one Newline per end of a non-blank line, End last.
// Throws LayoutError for a character or literal that belongs to no token.
std::vector<Token> tokenize(const QString& text);

// How a token reads when an error message quotes it.
QString describe(const Token& t);

// A parsed property value, before it meets the property's type: one token, or a set or a
// list.
struct Value : Token {
    QStringList items{}; // set members or list strings
};

// The most bytes a binary block may hold, and the largest picture it may decode to: a
// few kilobytes of compressed data could otherwise ask for gigabytes of pixels.
constexpr qsizetype MaxBinaryBytes = qsizetype(1) << 20;
constexpr int MaxPictureEdge = 4096;
constexpr qint64 MaxPicturePixels = qint64(1) << 22;

// A picture property (QImage) is stored as the bytes of a PNG file (reading takes PNG or
// BMP); a picture over the limits throws std::runtime_error with the reason.
inline bool isPicture(const QMetaProperty& p) {
    return p.metaType().id() == QMetaType::QImage;
}
QByteArray pictureToBytes(const QImage& image);
// The part after the name that a string list or a picture is written to (Items.Strings,
// Glyph.Data); empty for every other property.
inline QLatin1String valuePart(const QMetaProperty& p) {
    if (p.metaType().id() == QMetaType::QStringList) return QLatin1String("Strings");
    return isPicture(p) ? QLatin1String("Data") : QLatin1String();
}

// The class name as layouts spell it: without namespace.
QString className(const QMetaObject* mo);
inline QString className(const QObject* o) {
    return className(o->metaObject());
}

bool isColor(const QMetaProperty& p);
inline bool isObjectPointer(const QMetaProperty& p) {
    return p.metaType().flags().testFlag(QMetaType::PointerToQObject);
}
bool isGadget(const QMetaProperty& p);

bool isIntegerType(int metaTypeId);
bool isUnsignedType(int metaTypeId);

// `v` as a value of property `p` of a `owner` (a class or a gadget), within the range the
// class declares for it (Published.h) or, for an enumeration or a flag set, the values its
// Q_ENUM or Q_FLAG names. On failure returns nothing and sets `why`.
std::optional<QVariant> convert(const QMetaObject* owner, const QMetaProperty& p, const Value& v,
                                QString* why);

} // namespace tk::layout
