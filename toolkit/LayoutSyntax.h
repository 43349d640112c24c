#pragma once

// Pieces of the layout format shared by the reader and the writer (Layout.cpp,
// LayoutWriter.cpp). Not for use elsewhere: the format is what Layout.h describes.

#include "Layout.h"

#include <QByteArray>
#include <QMetaProperty>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <type_traits>
#include <vector>

namespace tk::layout {

// A token, or a parsed property value before it meets the property's type: one token, or
// a set or a list (Set and List are values only, made of several tokens).
struct Token {
    enum Kind { End, Newline, Ident, Integer, String, Symbol, Binary, Set, List };
    Kind kind = End;
    QString text{}; // identifier, decoded string, or the symbol character
    qint64 integer = 0;
    bool hex = false;    // written with $: up to eight digits wrap into a signed 32-bit value
    int line = 0;        // where the token starts (a binary block spans lines)
    QByteArray bytes{};  // the decoded bytes of a binary block
    QStringList items{}; // set members or list strings

    bool isSymbol(char c) const { return kind == Symbol && text == QLatin1Char(c); }
    bool isWord(const char* w) const { return kind == Ident && text == QLatin1String(w); }
    // A plain name: a component or a handler, never a dotted path.
    bool isName() const { return kind == Ident && !text.contains(QLatin1Char('.')); }
};

// The whole text as tokens, one Newline per end of a non-blank line, End last.
// Throws LayoutError for a character or literal that belongs to no token.
std::vector<Token> tokenize(const QString& text);

// How a token reads when an error message quotes it.
QString describe(const Token& t);

// `text` with %1, %2, ... replaced by `args` (strings, characters or numbers) in one pass.
template <class... A> QString message(const char* text, const A&... args) {
    const auto piece = [](const auto& x) {
        if constexpr (std::is_arithmetic_v<std::decay_t<decltype(x)>>)
            return QString::number(x);
        else
            return QString(x);
    };
    if constexpr (sizeof...(A) == 0)
        return QString::fromUtf8(text);
    else
        return QString::fromUtf8(text).arg(piece(args)...);
}
template <class... A> [[noreturn]] void fail(int line, const char* text, const A&... args) {
    throw LayoutError(line, message(text, args...));
}
// The same in an exception of type `E`, for errors that are not the layout's.
template <class E, class... A> [[noreturn]] void raise(const char* text, const A&... args) {
    throw E(message(text, args...).toStdString());
}

// The most bytes a binary block may hold, and the largest picture it may decode to: a
// few kilobytes of compressed data could otherwise ask for gigabytes of pixels.
constexpr qsizetype MaxBinaryBytes = qsizetype(1) << 20;
constexpr int MaxPictureEdge = 4096;
constexpr qint64 MaxPicturePixels = qint64(1) << 22;

// A picture property (QImage) is stored as the bytes of a PNG file (reading takes PNG or
// BMP).
inline bool isPicture(const QMetaProperty& p) {
    return p.metaType().id() == QMetaType::QImage;
}
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

inline bool isObjectPointer(const QMetaProperty& p) {
    return p.metaType().flags().testFlag(QMetaType::PointerToQObject);
}
bool isGadget(const QMetaProperty& p);

// `v` as a value of property `p` of a `owner` (a class or a gadget), within the range the
// class declares for it (Published.h) or, for an enumeration or a flag set, the values its
// Q_ENUM or Q_FLAG names. On failure returns nothing and sets `why`.
std::optional<QVariant> convert(const QMetaObject* owner, const QMetaProperty& p, const Token& v,
                                QString* why);

// Value `v` of property `p` (written at `path`) as layout text, on a line indented `depth`
// levels; a long string or a block continues on lines one level deeper. Throws LayoutError
// for what the format cannot hold.
QString format(const QMetaProperty& p, const QVariant& v, int depth, const QString& path);

QString indent(int depth);

} // namespace tk::layout
