#pragma once

#include "Colors.h"
#include "Types.h"

#include <QFont>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <algorithm>

namespace tk {

// The platform's text metrics of a font: the cell is ascent + descent, taken from the
// font's Windows metrics (OS/2 usWinAscent/usWinDescent) where it has them, because the
// layouts were measured that way and Qt's own figures are smaller for some fonts.
struct TextMetrics {
    int ascent = 0;
    int descent = 0;
    int height = 0; // ascent + descent
};

// A control's font: face name, character height in pixels, style set, colour, charset.
class Font {
    Q_GADGET
    Q_CLASSINFO("Range:Height", "1..1024")
    Q_CLASSINFO("Range:Charset", "0..255")
    Q_PROPERTY(QString Name READ name WRITE setName)
    Q_PROPERTY(int Height READ height WRITE setHeight)
    Q_PROPERTY(tk::TFontStyles Style READ style WRITE setStyle)
    Q_PROPERTY(TColor Color READ color WRITE setColor)
    Q_PROPERTY(int Charset READ charset WRITE setCharset)
public:
    // Taller than any screen: a glyph that size is no longer text to read.
    static constexpr int MaxHeight = 1024;

    Font() = default;
    Font(QString name, int height, TFontStyles style = {}, TColor color = clWindowText)
        : m_name(std::move(name)), m_height(height), m_style(style), m_color(color) {}

    QString name() const { return m_name; }
    void setName(const QString& n) { m_name = n; }
    int height() const { return m_height; }
    void setHeight(int h) { m_height = std::clamp(h, 1, MaxHeight); }
    TFontStyles style() const { return m_style; }
    void setStyle(TFontStyles s) { m_style = s; }
    TColor color() const { return m_color; }
    void setColor(TColor c) { m_color = c; }
    int charset() const { return m_charset; }
    void setCharset(int c) { m_charset = std::clamp(c, 0, 255); }

    QFont toQFont() const;
    TextMetrics metrics() const;

    friend bool operator==(const Font&, const Font&) = default;

private:
    QString m_name = QStringLiteral("Tahoma");
    int m_height = 11;
    TFontStyles m_style;
    TColor m_color = clWindowText;
    int m_charset = 1; // the default character set
};

// Registers the Tahoma files of the Wine font package when the system has no Tahoma:
// fontconfig does not index that folder. Safe to call more than once.
void registerApplicationFonts();

// Pixel tests pin the rasterisation: no antialiasing and a fixed hinting preference.
void setCrispTextForTests(bool on);
bool crispTextForTests();

} // namespace tk

Q_DECLARE_METATYPE(tk::Font)
