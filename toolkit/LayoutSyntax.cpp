#include "LayoutSyntax.h"

#include "Colors.h"
#include "Published.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QMetaEnum>
#include <QtEndian>
#include <algorithm>
#include <cctype>
#include <climits>
#include <stdexcept>

namespace tk::layout {

namespace {

// Names and numbers are ASCII.
bool isIdentStart(QChar c) {
    return c.unicode() < 128 && (c.isLetter() || c == QLatin1Char('_'));
}
bool isIdentChar(QChar c) {
    return c.unicode() < 128 && (c.isLetterOrNumber() || c == QLatin1Char('_'));
}
bool isDigit(QChar c, bool hex) {
    return c.unicode() < 128 && (hex ? std::isxdigit(c.unicode()) : c.isDigit());
}

class Lexer {
public:
    explicit Lexer(const QString& text) : m_text(text) {
        if (!m_text.isEmpty() && m_text.front() == QChar(0xFEFF)) m_pos = 1; // byte-order mark
    }

    std::vector<Token> run() {
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos];
            if (atLineEnd()) {
                if (!m_tokens.empty() && m_tokens.back().kind != Token::Newline)
                    push({Token::Newline, {}});
                lineEnd();
            } else if (c.isSpace()) {
                ++m_pos;
            } else if (QStringView(m_text).sliced(m_pos).startsWith(u"//")) {
                while (m_pos < m_text.size() && !atLineEnd())
                    ++m_pos;
            } else if (isIdentStart(c)) {
                identifier();
            } else if (isDigit(c, false) || c == QLatin1Char('$') || c == QLatin1Char('-')) {
                number();
            } else if (c == QLatin1Char('\'') || c == QLatin1Char('#')) {
                string();
            } else if (c == QLatin1Char('{')) {
                binary();
            } else if (QStringView(u"=:[](),+").contains(c)) {
                ++m_pos;
                push({Token::Symbol, QString(c)});
            } else {
                fail(m_line, "unexpected character '%1'", c);
            }
        }
        // An unfinished file is reported at its last line, not at the empty one after it.
        const int last = m_tokens.empty() ? 1 : m_tokens.back().line;
        m_tokens.push_back({.kind = Token::End, .line = last});
        return std::move(m_tokens);
    }

private:
    bool at(QChar c) const { return m_pos < m_text.size() && m_text[m_pos] == c; }
    bool atLineEnd() const { return at(QLatin1Char('\n')) || at(QLatin1Char('\r')); }
    // Takes a line end (LF, CR LF or CR) if one comes next.
    bool lineEnd() {
        if (!atLineEnd()) return false;
        if (at(QLatin1Char('\r'))) ++m_pos;
        if (at(QLatin1Char('\n'))) ++m_pos;
        ++m_line;
        return true;
    }
    void push(Token t) {
        t.line = m_line;
        m_tokens.push_back(std::move(t));
    }

    // Dotted names (Font.Height) are one token: they address one property.
    void identifier() {
        const qsizetype start = m_pos;
        for (;;) {
            while (m_pos < m_text.size() && isIdentChar(m_text[m_pos]))
                ++m_pos;
            if (!at(QLatin1Char('.'))) break;
            if (m_pos + 1 >= m_text.size() || !isIdentStart(m_text[m_pos + 1]))
                fail(m_line, "incomplete name '%1'", m_text.mid(start, m_pos + 1 - start));
            ++m_pos;
        }
        push({Token::Ident, from(start).toString()});
    }

    // Skips an optional '$' and the digits after it (hex ones after the '$'); returns where
    // the digits start.
    qsizetype skipDigits(bool* hex) {
        *hex = at(QLatin1Char('$'));
        if (*hex) ++m_pos;
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && isDigit(m_text[m_pos], *hex))
            ++m_pos;
        return start;
    }
    // What lies from `start` up to the current position.
    QStringView from(qsizetype start) const {
        return QStringView(m_text).mid(start, m_pos - start);
    }

    void number() {
        const qsizetype start = m_pos;
        const bool negative = at(QLatin1Char('-'));
        if (negative) ++m_pos;
        bool hex = false;
        const qsizetype digits = skipDigits(&hex);
        while (m_pos < m_text.size() && isIdentChar(m_text[m_pos]))
            ++m_pos; // reported below
        const QString spelled = from(start).toString();
        bool ok = m_pos > digits;
        const qulonglong magnitude = ok ? from(digits).toULongLong(&ok, hex ? 16 : 10) : 0;
        if (!ok) fail(m_line, "bad number '%1'", spelled);
        if (magnitude > qulonglong(LLONG_MAX)) fail(m_line, "number '%1' is too large", spelled);
        push({.kind = Token::Integer,
              .text = spelled,
              .integer = negative ? -qint64(magnitude) : qint64(magnitude),
              .hex = hex});
    }

    // Quoted runs and #codes written next to each other make one string.
    void string() {
        QString s;
        while (at(QLatin1Char('\'')) || at(QLatin1Char('#'))) {
            if (at(QLatin1Char('\''))) {
                ++m_pos;
                for (;;) {
                    if (m_pos >= m_text.size() || atLineEnd()) fail(m_line, "unterminated string");
                    const QChar c = m_text[m_pos++];
                    if (c == QLatin1Char('\'') && !at(QLatin1Char('\''))) break;
                    if (c == QLatin1Char('\'')) ++m_pos; // a doubled quote stands for one
                    s += c;
                }
            } else {
                const qsizetype start = m_pos++;
                bool hex = false;
                const qsizetype digits = skipDigits(&hex);
                bool ok = m_pos > digits && m_pos - digits <= 8;
                const uint code = ok ? from(digits).toUInt(&ok, hex ? 16 : 10) : 0;
                if (!ok || code > QChar::LastValidCodePoint || QChar::isSurrogate(code))
                    fail(m_line, "bad character code '%1'", from(start).toString());
                s += QChar::fromUcs4(code);
            }
        }
        push({Token::String, s});
    }

    // A binary block: hex digits, two to a byte, over as many lines as it takes. Errors of
    // the block as a whole are reported at the line where it opens.
    void binary() {
        const int first = m_line;
        ++m_pos;
        QByteArray digits;
        for (;;) {
            if (m_pos >= m_text.size()) fail(first, "unterminated binary data");
            if (lineEnd()) continue;
            const QChar c = m_text[m_pos++];
            if (c == QLatin1Char('}')) break;
            if (c.isSpace()) continue;
            if (!isDigit(c, true)) fail(m_line, "bad character '%1' in binary data", c);
            if (digits.size() > 2 * MaxBinaryBytes)
                fail(first, "binary data of more than %1 bytes", MaxBinaryBytes);
            digits.append(char(c.unicode()));
        }
        if (digits.size() % 2 != 0) fail(first, "binary data with an odd number of digits");
        m_tokens.push_back(
            {.kind = Token::Binary, .line = first, .bytes = QByteArray::fromHex(digits)});
    }

    const QString& m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    std::vector<Token> m_tokens;
};

// `x` as a value of an enumeration or a flag set: Qt converts integers to either.
QVariant enumFromInt(QMetaType type, qint64 x) {
    QVariant v = qlonglong(x);
    v.convert(type);
    return v;
}

// The chunks of a PNG file that its pixels need: the critical ones (the decoder must see
// them to take or refuse the file), the transparency, and the resolution, which a picture
// keeps when it is written back. The rest is metadata the program never shows, and some of
// it is compressed: a text chunk of a few kilobytes inflates to 8 MB, any number of them,
// so a 1 MiB file could have the decoder allocate gigabytes. It is left out before the
// decoder sees the file. A chunk that claims more bytes than follow is damage: the decoder
// would allocate what it claims before it found out. What follows the end chunk is dropped.
QByteArray pngPixelChunks(const QByteArray& bytes) {
    static constexpr char Signature[] = "\x89PNG\r\n\x1a\n";
    constexpr qsizetype SignatureSize = sizeof Signature - 1;
    constexpr qsizetype FrameSize = 12; // length, type and checksum around a chunk's data
    if (!bytes.startsWith(QByteArrayView(Signature, SignatureSize))) return bytes;
    QByteArray kept = bytes.left(SignatureSize);
    qsizetype at = SignatureSize;
    while (bytes.size() - at >= FrameSize) {
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at);
        if (length > quint32(bytes.size() - at - FrameSize)) break;
        const QByteArrayView type(bytes.constData() + at + 4, 4);
        const bool critical = (type[0] & 0x20) == 0; // an upper-case first letter
        const qsizetype size = FrameSize + qsizetype(length);
        if (critical || type == "tRNS" || type == "pHYs") kept.append(bytes.constData() + at, size);
        at += size;
        if (type == "IEND") return kept;
    }
    throw std::runtime_error("a damaged PNG picture");
}

void checkPictureSize(QSize size) {
    if (size.width() > MaxPictureEdge || size.height() > MaxPictureEdge ||
        qint64(size.width()) * size.height() > MaxPicturePixels)
        raise<std::runtime_error>("a picture of %1 x %2 pixels is too large", size.width(),
                                  size.height());
}

QImage pictureFromBytes(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    QByteArray data = pngPixelChunks(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format != "png" && format != "bmp") throw std::runtime_error("not a PNG or BMP picture");
    // The header tells the size before any pixel is made.
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        throw std::runtime_error("a picture without a valid size");
    checkPictureSize(size);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw std::runtime_error("a damaged " + format.toUpper().toStdString() + " picture");
    return image;
}

// Strings are cut after every line break and at this length, so that a multi-line caption
// reads line by line and no line of the file runs on for ever.
constexpr qsizetype MaxStringPiece = 64;
// Hex digits per line of a binary block (32 bytes).
constexpr qsizetype BinaryLineDigits = 64;

QByteArray pictureToBytes(const QImage& image) {
    if (image.isNull()) return {};
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    checkPictureSize(image.size());
    if (!image.save(&buffer, "PNG")) throw std::runtime_error("cannot encode the picture");
    if (out.size() > MaxBinaryBytes)
        raise<std::runtime_error>("%1 bytes of picture data are more than %2", out.size(),
                                  MaxBinaryBytes);
    return out;
}

QString quotePiece(QStringView piece) {
    QString out;
    bool open = false;
    for (const QChar c : piece) {
        // Text goes in quotes, a control character as its code outside them.
        const bool code = c.unicode() < 32;
        if (code == open) {
            out += QLatin1Char('\'');
            open = !open;
        }
        out += code ? QLatin1Char('#') + QString::number(c.unicode()) : QString(c);
        if (c == QLatin1Char('\'')) out += c;
    }
    if (open) out += QLatin1Char('\'');
    return out.isEmpty() ? QStringLiteral("''") : out;
}

QString quote(const QString& s, int depth) {
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const bool lineEnd = s[i] == QLatin1Char('\n');
        const bool full = i + 1 - start >= MaxStringPiece && !s[i].isHighSurrogate();
        if (lineEnd || full) {
            pieces << quotePiece(QStringView(s).mid(start, i + 1 - start));
            start = i + 1;
        }
    }
    if (start < s.size() || pieces.isEmpty()) pieces << quotePiece(QStringView(s).mid(start));
    return pieces.join(QLatin1String(" +\n") + indent(depth + 1));
}

QString binaryBlock(const QByteArray& bytes, int depth) {
    QString out = QStringLiteral("{");
    const QByteArray hex = bytes.toHex().toUpper();
    for (qsizetype i = 0; i < hex.size(); i += BinaryLineDigits)
        out += QLatin1Char('\n') + indent(depth + 1) + QLatin1String(hex.mid(i, BinaryLineDigits));
    return out + QLatin1Char('}');
}

bool isColor(const QMetaProperty& p) {
    const int id = p.metaType().id();
    if (id != QMetaType::Int && id != QMetaType::UInt) return false;
    const QLatin1String name(p.name());
    return name.startsWith(QLatin1String("Color")) || name.endsWith(QLatin1String("Color"));
}

bool isIntegerType(int id) {
    static constexpr int Ids[] = {QMetaType::Int,      QMetaType::UInt,      QMetaType::Short,
                                  QMetaType::UShort,   QMetaType::Long,      QMetaType::ULong,
                                  QMetaType::LongLong, QMetaType::ULongLong, QMetaType::SChar,
                                  QMetaType::UChar,    QMetaType::Char};
    return std::ranges::find(Ids, id) != std::end(Ids);
}

bool isUnsignedType(int id) {
    return id == QMetaType::UInt || id == QMetaType::UShort || id == QMetaType::ULong ||
           id == QMetaType::ULongLong || id == QMetaType::UChar;
}

} // namespace

std::vector<Token> tokenize(const QString& text) {
    return Lexer(text).run();
}

QString describe(const Token& t) {
    switch (t.kind) {
    case Token::End:
        return QStringLiteral("the end of the text");
    case Token::Newline:
        return QStringLiteral("the end of the line");
    case Token::String:
        return QStringLiteral("a string");
    case Token::Binary:
        return QStringLiteral("binary data");
    default:
        return QLatin1Char('\'') + t.text + QLatin1Char('\'');
    }
}

QString indent(int depth) {
    return QString(depth * 2, QLatin1Char(' '));
}

QString className(const QMetaObject* mo) {
    const QString name = QString::fromLatin1(mo->className());
    return name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);
}

bool isGadget(const QMetaProperty& p) {
    // QImage is a gadget for its enumerations only: a picture is one value.
    return p.metaType().flags().testFlag(QMetaType::IsGadget) && !isPicture(p);
}

std::optional<QVariant> convert(const QMetaObject* owner, const QMetaProperty& p, const Token& v,
                                QString* why) {
    const QMetaType type = p.metaType();
    const auto refuse = [why](const char* text, const auto&... args) -> std::optional<QVariant> {
        *why = message(text, args...);
        return std::nullopt;
    };
    if (p.isFlagType()) {
        const QMetaEnum e = p.enumerator();
        qint64 bits = 0;
        if (v.kind == Token::Integer) {
            qint64 known = 0;
            for (int k = 0; k < e.keyCount(); ++k)
                known |= e.value(k);
            // Bits the set has no name for would reach code that handles only the named ones.
            if (v.integer < 0 || (v.integer & ~known) != 0)
                return refuse("%1 is no set of %2", v.integer, e.name());
            bits = v.integer;
        } else if (v.kind != Token::Set) {
            return refuse("a set of %1 expected", e.name());
        }
        for (const QString& key : v.items) {
            bool ok = false;
            bits |= e.keyToValue(key.toLatin1().constData(), &ok);
            if (!ok) return refuse("'%1' is no member of %2", key, e.name());
        }
        return enumFromInt(type, bits);
    }
    if (p.isEnumType()) {
        const QMetaEnum e = p.enumerator();
        if (v.kind == Token::Integer) {
            // A number is taken only where it names a value: anything else would be an
            // enumeration outside its range.
            if (v.integer < INT_MIN || v.integer > INT_MAX || !e.valueToKey(int(v.integer)))
                return refuse("%1 is no value of %2", v.integer, e.name());
            return enumFromInt(type, v.integer);
        }
        if (v.kind != Token::Ident) return refuse("a value of %1 expected", e.name());
        bool ok = false;
        const int x = e.keyToValue(v.text.toLatin1().constData(), &ok);
        if (!ok) return refuse("'%1' is no value of %2", v.text, e.name());
        return enumFromInt(type, x);
    }
    const int id = type.id();
    if (id == QMetaType::Bool) {
        if (v.kind == Token::Ident) {
            if (v.text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
            if (v.text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
        }
        return refuse("True or False expected");
    }
    if (id == QMetaType::QString) {
        if (v.kind == Token::String) return v.text;
        return refuse("a string expected");
    }
    if (id == QMetaType::QChar) {
        if (v.kind == Token::String && v.text.size() == 1) return v.text.front();
        return refuse("a string of one character expected");
    }
    if (id == QMetaType::QStringList) {
        if (v.kind == Token::List) return v.items;
        return refuse("a list of strings expected");
    }
    if (isPicture(p)) {
        if (v.kind != Token::Binary) return refuse("picture data expected");
        try {
            return pictureFromBytes(v.bytes);
        } catch (const std::runtime_error& e) {
            return refuse("%1", e.what());
        }
    }
    if (isIntegerType(id)) {
        qint64 x = 0;
        if (v.kind == Token::Ident && isColor(p)) {
            const auto c = colorFromIdent(v.text);
            if (!c) return refuse("'%1' is no colour", v.text);
            x = *c;
        } else if (v.kind == Token::Integer) {
            x = v.integer;
            // $FF00000F is how a system colour is spelled in hex: a 32-bit pattern.
            if (v.hex && id == QMetaType::Int && x > INT_MAX && x <= qint64(UINT_MAX))
                x -= qint64(1) << 32;
        } else {
            return refuse(isColor(p) ? "a colour expected" : "an integer expected");
        }
        QVariant r = qlonglong(x);
        if (!r.convert(type) || r.toLongLong() != x) return refuse("%1 is out of range", x);
        if (const auto range =
                owner ? declaredRange(owner, QString::fromLatin1(p.name())) : std::nullopt;
            range && (x < range->first || x > range->second))
            return refuse("%1 is out of range (%2 to %3)", x, range->first, range->second);
        return r;
    }
    return refuse("properties of type %1 cannot be read", type.name());
}

QString format(const QMetaProperty& p, const QVariant& v, int depth, const QString& path) {
    if (p.isFlagType()) {
        const int bits = v.toInt();
        const QByteArray keys = p.enumerator().valueToKeys(bits);
        if (bits != 0 && p.enumerator().keysToValue(keys) != bits)
            return QString::number(bits); // bits without names
        return QLatin1Char('[') +
               QString::fromLatin1(keys).replace(QLatin1Char('|'), QLatin1String(", ")) +
               QLatin1Char(']');
    }
    if (p.isEnumType()) {
        const qint64 x = v.toLongLong();
        const char* key = p.enumerator().valueToKey(int(x));
        return key ? QString::fromLatin1(key) : QString::number(x);
    }
    const int id = v.metaType().id();
    if (isIntegerType(id)) {
        if (isColor(p)) {
            const TColor c = TColor(v.toLongLong());
            if (const auto name = colorToIdent(c)) return *name;
            return QLatin1Char('$') +
                   QString::number(quint32(c), 16).toUpper().rightJustified(8, QLatin1Char('0'));
        }
        return isUnsignedType(id) ? QString::number(v.toULongLong())
                                  : QString::number(v.toLongLong());
    }
    switch (id) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QString:
    case QMetaType::QChar:
        return quote(v.toString(), depth);
    case QMetaType::QImage:
        // What the reader would refuse is not written either.
        try {
            return binaryBlock(pictureToBytes(v.value<QImage>()), depth);
        } catch (const std::runtime_error& e) {
            fail(0, "the picture of '%1' cannot be stored: %2", path, e.what());
        }
    case QMetaType::QStringList: {
        QString out = QStringLiteral("(");
        for (const QString& s : v.toStringList())
            out += QLatin1Char('\n') + indent(depth + 1) + quote(s, depth + 1);
        return out + QLatin1Char(')');
    }
    default:
        fail(0, "'%1' of type %2 cannot be stored", path, v.metaType().name());
    }
}

} // namespace tk::layout
