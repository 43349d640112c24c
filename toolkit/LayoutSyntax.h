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
    enum Kind { End, Newline, Ident, Integer, String, Symbol, Binary };
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

// A parsed property value, before it meets the property's type.
struct Value {
    enum Kind { Integer, Ident, String, Set, List, Binary };
    Kind kind = Integer;
    qint64 integer = 0;
    bool hex = false;
    QString text;       // identifier or string
    QStringList items;  // set members or list strings
    QByteArray bytes{}; // binary data
    int line = 0;
};

// The most bytes a binary block may hold, and the largest picture it may decode to: a
// few kilobytes of compressed data could otherwise ask for gigabytes of pixels.
constexpr qsizetype MaxBinaryBytes = qsizetype(1) << 20;
constexpr int MaxPictureEdge = 4096;
constexpr qint64 MaxPicturePixels = qint64(1) << 22;

// A picture property (QImage) is stored as the bytes of a PNG file; reading takes PNG or
// BMP. Both throw std::runtime_error with the reason, as does a picture over the limits.
bool isPicture(const QMetaProperty& p);
void checkPictureSize(QSize size);
QImage pictureFromBytes(const QByteArray& bytes);
QByteArray pictureToBytes(const QImage& image);

// The class name as layouts spell it: without namespace.
QString className(const QMetaObject* mo);
QString className(const QObject* o);

// Capitalised Q_PROPERTYs of `owner` (a class or a gadget) are the program's published
// properties, as far as the class publishes them (Published.h); Qt's own are not.
bool isPublished(const QMetaObject* owner, const QMetaProperty& p);
bool isColor(const QMetaProperty& p);
bool isObjectPointer(const QMetaProperty& p);
bool isGadget(const QMetaProperty& p);

// Enumerations and flag sets travel as plain integers of the type's own size.
qint64 enumToInt(const QVariant& v);
QVariant enumFromInt(QMetaType type, qint64 value);

// `v` as a value of property `p` of a `owner` (a class or a gadget), within the range the
// class declares for it. On failure returns nothing and sets `why`.
//
// A class limits an integer property with Q_CLASSINFO("Range:Width", "0..32767"); an
// enumeration or a flag set takes only the values its Q_ENUM or Q_FLAG names.
std::optional<QVariant> convert(const QMetaObject* owner, const QMetaProperty& p, const Value& v,
                                QString* why);

} // namespace tk::layout
